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

// An end of a range across nodes climbs out of a row or section that keeps
// nothing but white space on its side, unless the other end lies in it.
bool climbsOutOf(const VornickDOMPosition& position, const DOMNode& otherEnd, bool atEnd, char16_t substitute)
{
    static const std::set<std::u16string, std::less<>> rowsAndSections { u"tr", u"thead", u"tbody", u"tfoot" };
    auto* element = toElement(position.node.get());
    if (!element || !rowsAndSections.contains(asciiLowercase(element->tagName())) || vornick_isAttachmentPoint(*element)
        || !element->parent() || element->contains(&otherEnd))
        return false;
    return atEnd ? VornickOnlyWhitespaceFollowsPositionInNode(position, substitute)
                 : VornickOnlyWhitespacePrecedesPositionInNode(position, substitute);
}

} // namespace

void VornickGrowDeletionRangeOverEmptiedTableParts(DOMRange& range)
{
    auto start = vornick_startPosition(range);
    auto end = vornick_endPosition(range);
    if (start.node == end.node)
        return;
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*start.node);
    bool grew = false;
    while (climbsOutOf(start, *end.node, false, substitute) && VornickMoveDOMPositionUpToBeforeNode(start))
        grew = true;
    while (climbsOutOf(end, *start.node, true, substitute) && VornickMoveDOMPositionUpToAfterNode(end))
        grew = true;
    if (!grew)
        return;
    vornick_setStartPosition(range, start);
    vornick_setEndPosition(range, end);
    growOverEmptiedTableParts(range);
}

void VornickRemoveTablePartsEmptiedAt(const std::shared_ptr<DOMNode>& place, const DOMNode& limit)
{
    static const std::set<std::u16string, std::less<>> parts { u"tr", u"thead", u"tbody", u"tfoot", u"table" };
    auto node = place && place->isTextNode() ? place->parentNode() : place;
    while (node && node.get() != &limit && limit.contains(node.get())) {
        auto* element = toElement(node.get());
        if (!element || !parts.contains(asciiLowercase(element->tagName())) || vornick_isAttachmentPoint(*element))
            return;
        char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*element);
        if (!VornickOnlyWhitespaceFollowsPositionInNode(VornickMakeDOMPosition(node, 0), substitute))
            return;
        auto parent = node->parentNode();
        parent->removeChild(node.get());
        node = parent;
    }
}

std::shared_ptr<DOMRange> VornickTableRowDeletionRange(const DOMElement& row)
{
    auto range = vornick_outerRange(row);
    vornick_expandDeletionRangeToPruneUselessOrphans(*range);
    growOverEmptiedTableParts(*range);
    return range;
}

} // namespace brevanton
