#include "html/VornickValidationAdvisory.h"

#include "toolkit/VornickJSONResources.h"
#include "platform/foundation/Text.h"

#include <fmt/format.h>

namespace brevanton {

namespace {

const std::vector<RegularExpression>& attributeReferencingPatterns()
{
    static const std::vector<RegularExpression> patterns = [] {
        auto list = vornick_arrayOfRegularExpressionsFromJSONResource(u"tidy-attribute-referencing-message-patterns", 0);
        return list ? std::move(*list) : std::vector<RegularExpression> {};
    }();
    return patterns;
}

} // namespace

std::optional<std::u16string> VornickValidationAdvisory::attributeNameReferencedByMessage(std::u16string_view message)
{
    std::optional<RegularExpression::Match::Range> candidate;
    for (auto& pattern : attributeReferencingPatterns()) {
        pattern.enumerateMatches(message, [&](const RegularExpression::Match& match, bool& stop) {
            if (match.ranges.size() < 2)
                return;
            if (!match.ranges[1]) {
                stop = true;
                return;
            }
            candidate = match.ranges[1];
            stop = candidate->end > candidate->start;
        });
    }
    if (!candidate || candidate->end <= candidate->start || candidate->end > message.size())
        return std::nullopt;
    return std::u16string(message.substr(candidate->start, candidate->end - candidate->start));
}

std::u16string VornickValidationAdvisory::description() const
{
    const char16_t* kindName = m_kind == VornickValidationAdvisoryKind::Error ? u"Error"
        : m_kind == VornickValidationAdvisoryKind::Warning                   ? u"Warning"
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
