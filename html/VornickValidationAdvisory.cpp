#include "html/VornickValidationAdvisory.h"

#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRelativeDOMPath.h"
#include "dom/VornickWebFrameExtensions.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickTidyFilter.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

#include <fmt/format.h>

namespace brevanton {

std::optional<std::u16string> VornickValidationAdvisory::attributeName() const
{
    return VornickTidyFilter::attributeNameReferencedByMessage(m_message);
}

std::shared_ptr<DOMRange> VornickValidationAdvisory::resolveDOMRange(const std::u16string& generatedHTML,
                                                                     const VornickDOMToNSRangeMap& map, DOMDocument& document) const
{
    size_t offset = VornickTidyFilter::offsetForTidyLineAndColumn(generatedHTML, m_line, m_column);
    if (offset == VornickNotFound)
        return nullptr;
    auto path = map.relativeDOMPathForRangeLocation(offset, &generatedHTML, 1);
    if (!path)
        return nullptr;
    auto position = path->positionRelativeToNewAncestor(document.shared_from_this());
    if (!position.node)
        return nullptr;
    return vornick_outerRange(*position.node);
}

std::shared_ptr<DOMRange> VornickValidationAdvisory::resolveDOMRangeInWebFrame(const WebFrame& frame) const
{
    auto generatedHTML = vornick_lastGeneratedHTMLString(frame);
    auto map = vornick_DOMToNSRangeMapForLastGeneratedHTMLString(frame);
    auto& document = frame.domDocument();
    if (!generatedHTML || !map || !document)
        return nullptr;
    return resolveDOMRange(*generatedHTML, *map, *document);
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
