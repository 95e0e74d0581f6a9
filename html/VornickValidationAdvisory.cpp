#include "html/VornickValidationAdvisory.h"

#include "html/VornickTidyFilter.h"
#include "platform/foundation/Text.h"

#include <fmt/format.h>

namespace brevanton {

std::optional<std::u16string> VornickValidationAdvisory::attributeName() const
{
    return VornickTidyFilter::attributeNameReferencedByMessage(m_message);
}

std::u16string VornickValidationAdvisory::description() const
{
    const char16_t* kindName = m_kind == VornickValidationAdvisoryKindError ? u"Error"
        : m_kind == VornickValidationAdvisoryKindWarning                   ? u"Warning"
                                                                           : u"Unknown";
    std::u16string result = toUTF16(fmt::format("line {}, column {}: ", m_line, m_column));
    result += kindName;
    result += u": ";
    result += m_message;
    if (m_isStructuralIssue)
        result += u" (STRUCTURAL)";
    return result;
}

} // namespace brevanton
