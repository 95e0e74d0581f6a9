#include "editing/VornickTableRowDeletionRange.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

#include <set>
#include <string>

namespace brevanton {

namespace {

void growOverEmptiedTableParts(DOMRange& range)
{
    auto start = vornick_startPosition(range);
    auto end = vornick_endPosition(range);
    if (start.node != end.node)
        return;
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*start.node);
    static const std::set<std::u16string, std::less<>> parts { u"thead", u"tbody", u"tfoot", u"table" };
    while (auto* element = toElement(start.node.get())) {
        if (!parts.contains(asciiLowercase(element->tagName())) || vornick_isAttachmentPoint(*element) || !element->parent())
            break;
        if (!VornickOnlyWhitespacePrecedesPositionInNode(start, substitute) || !VornickOnlyWhitespaceFollowsPositionInNode(end, substitute))
            break;
        VornickMoveDOMPositionUpToBeforeNode(start);
        VornickMoveDOMPositionUpToAfterNode(end);
    }
    vornick_setStartPosition(range, start);
    vornick_setEndPosition(range, end);
}

} // namespace

std::shared_ptr<DOMRange> VornickTableRowDeletionRange(const DOMElement& row)
{
    auto range = vornick_outerRange(row);
    vornick_expandDeletionRangeToPruneUselessOrphans(*range);
    growOverEmptiedTableParts(*range);
    return range;
}

} // namespace brevanton
