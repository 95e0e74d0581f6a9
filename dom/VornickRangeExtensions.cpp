#include "dom/VornickRangeExtensions.h"

#include "dom/VornickDOMServices.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickFreezeDriedDOMRange.h"
#include "dom/VornickNodeExtensions.h"
#include "toolkit/VornickWhitespaceFilter.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <unordered_map>

namespace brevanton {

#define VORNICK_RANGE_ASSERT(condition, text) \
    BREVANTON_ASSERT(condition, "Invalid parameter not satisfying: " text " (DOMRange+VornickExtensions)")

namespace {

DOMDocument* documentOf(const DOMNode* node)
{
    if (!node)
        return nullptr;
    return node->isDocumentNode() ? const_cast<DOMDocument*>(downcast<DOMDocument>(node)) : node->document();
}

std::shared_ptr<DOMNode> shared(DOMNode* node)
{
    return node ? node->shared_from_this() : nullptr;
}

std::shared_ptr<DOMElement> sharedElement(DOMNode* node)
{
    return node && node->isElementNode() ? downcast<DOMElement>(node->shared_from_this()) : nullptr;
}

bool hasTag(const DOMNode* node, std::u16string_view tag)
{
    auto* element = toElement(node);
    return element && equalsIgnoringASCIICase(element->tagName(), tag);
}

bool isOneOfKinds(const DOMElement& element, const std::vector<std::u16string>& kinds)
{
    for (const auto& kind : kinds) {
        if (equalsIgnoringASCIICase(element.tagName(), kind))
            return true;
    }
    return false;
}

const std::u16string& textData(const DOMNode& node)
{
    return downcast<DOMCharacterData>(node).data();
}

int compare(const DOMNode* nodeA, unsigned offsetA, const DOMNode* nodeB, unsigned offsetB)
{
    return DOMRange::compareBoundaryPointPositions(nodeA, offsetA, nodeB, offsetB);
}

bool sameRoot(const DOMRange& a, const DOMRange& b)
{
    return a.startNode()->root() == b.startNode()->root();
}

// Void elements hold no content; a boundary never goes inside one.
bool isVoidElement(const DOMNode* node)
{
    static const std::set<std::u16string> voidTags { u"area", u"base",  u"br",   u"col",   u"embed",
                                                     u"hr",   u"img",   u"input", u"link", u"meta",
                                                     u"param", u"source", u"track", u"wbr", u"keygen" };
    auto* element = toElement(node);
    return element && element->isHTMLElement() && voidTags.contains(element->localName());
}

} // namespace

std::u16string VornickStringFromRangeIntersectionResult(VornickRangeIntersectionResult result)
{
    switch (result) {
    case VornickRangeIntersectionResult::PartialIntersection:
        return u"First DOMRange partially intersects second";
    case VornickRangeIntersectionResult::FirstContainsSecond:
        return u"First DOMRange completely contains second";
    case VornickRangeIntersectionResult::SecondContainsFirst:
        return u"Second DOMRange completely contains first";
    case VornickRangeIntersectionResult::Identical:
        return u"DOMRanges are identical";
    default:
        return u"First DOMRange does not intersect second";
    }
}

std::shared_ptr<DOMDocument> vornick_ownerDocument(const DOMRange& range)
{
    DOMDocument* start = documentOf(range.startNode());
    DOMDocument* end = documentOf(range.endNode());
    BREVANTON_ASSERT(start == end, "DOMRange spans more than one DOMDocument");
    return start ? start->protectedThis() : nullptr;
}

bool vornick_isSameAsRange(const DOMRange& range, const DOMRange& other)
{
    return range.startNode() == other.startNode() && range.startOffset() == other.startOffset()
        && range.endNode() == other.endNode() && range.endOffset() == other.endOffset();
}

VornickRangeIntersectionResult vornick_testIntersectionWithRange(const DOMRange& a, const DOMRange& b,
                                                                std::shared_ptr<DOMRange>* intersection)
{
    if (intersection)
        *intersection = nullptr;
    if (a.collapsed() && b.collapsed())
        return vornick_isSameAsRange(a, b) ? VornickRangeIntersectionResult::PartialIntersection : VornickRangeIntersectionResult::NoIntersection;
    if (a.collapsed())
        return vornick_containsPosition(b, vornick_startPosition(a)) ? VornickRangeIntersectionResult::SecondContainsFirst
                                                                     : VornickRangeIntersectionResult::NoIntersection;
    if (b.collapsed())
        return vornick_containsPosition(a, vornick_startPosition(b)) ? VornickRangeIntersectionResult::FirstContainsSecond
                                                                     : VornickRangeIntersectionResult::NoIntersection;
    if (!sameRoot(a, b))
        return VornickRangeIntersectionResult::NoIntersection;
    int aStartToBStart = compare(a.startNode(), a.startOffset(), b.startNode(), b.startOffset());
    int aEndToBEnd = compare(a.endNode(), a.endOffset(), b.endNode(), b.endOffset());
    if (compare(a.endNode(), a.endOffset(), b.startNode(), b.startOffset()) <= 0
        || compare(a.startNode(), a.startOffset(), b.endNode(), b.endOffset()) >= 0)
        return VornickRangeIntersectionResult::NoIntersection;
    if (aStartToBStart <= 0 && aEndToBEnd >= 0) {
        if (intersection)
            *intersection = b.cloneRange();
        return aStartToBStart == 0 && aEndToBEnd == 0 ? VornickRangeIntersectionResult::Identical : VornickRangeIntersectionResult::FirstContainsSecond;
    }
    if (aStartToBStart >= 0 && aEndToBEnd <= 0) {
        if (intersection)
            *intersection = a.cloneRange();
        return VornickRangeIntersectionResult::SecondContainsFirst;
    }
    if (intersection) {
        if (aStartToBStart < 0) {
            *intersection = b.cloneRange();
            (*intersection)->setEnd(a.endContainer(), a.endOffset());
        } else {
            *intersection = a.cloneRange();
            (*intersection)->setEnd(b.endContainer(), b.endOffset());
        }
    }
    return VornickRangeIntersectionResult::PartialIntersection;
}

VornickRangeIntersectionResult vornick_testIntersectionWithNode(const DOMRange& range, const DOMNode& node,
                                                               std::shared_ptr<DOMRange>* intersection)
{
    auto outer = vornick_outerRange(node);
    VORNICK_RANGE_ASSERT(outer != nullptr, "node");
    return vornick_testIntersectionWithRange(range, *outer, intersection);
}

bool vornick_containsPosition(const DOMRange& range, const VornickDOMPosition& position)
{
    if (!position.node || position.offset < 0)
        return false;
    if ((position.node->isTextNode() || position.node->isElementNode())
        && static_cast<size_t>(position.offset) > vornick_lastIndex(*position.node))
        return false;
    Error error;
    return range.isPointInRange(*position.node, static_cast<unsigned>(position.offset), &error);
}

bool vornick_completelyContainsNode(const DOMRange& range, const DOMNode& node)
{
    auto outer = vornick_outerRange(node);
    return outer && vornick_isContainedByRange(*outer, range);
}

bool vornick_isContainedByRange(const DOMRange& range, const DOMRange& other)
{
    auto result = vornick_testIntersectionWithRange(range, other);
    return result == VornickRangeIntersectionResult::SecondContainsFirst || result == VornickRangeIntersectionResult::Identical;
}

bool vornick_isContainedByElement(const DOMRange& range, const DOMElement& element)
{
    VORNICK_RANGE_ASSERT(range.startNode() != nullptr, "startContainer");
    VORNICK_RANGE_ASSERT(range.endNode() != nullptr, "endContainer");
    return element.isInclusiveAncestorOf(range.startNode()) && element.isInclusiveAncestorOf(range.endNode());
}

bool vornick_isContainedByNode(const DOMRange& range, const DOMNode& node)
{
    auto common = range.commonAncestorContainer();
    return common && node.isInclusiveAncestorOf(common.get());
}

std::shared_ptr<DOMNode> vornick_exactlySelectedNode(const DOMRange& range)
{
    if (range.collapsed() || range.startNode() != range.endNode() || range.endOffset() != range.startOffset() + 1)
        return nullptr;
    if (range.startNode()->isCharacterDataNode())
        return nullptr;
    return shared(range.startNode()->childAt(range.startOffset()));
}

bool vornick_exactlySpansAllChildNodesOfElement(const DOMRange& range, const DOMElement* element)
{
    VORNICK_RANGE_ASSERT(element != nullptr, "element != nil");
    return range.startNode() == element && range.startOffset() == 0 && range.endNode() == element
        && range.endOffset() == element->childCount();
}

std::shared_ptr<DOMElement> vornick_deepestElementThatSpansEntireRange(const DOMRange& range)
{
    bool oneContainer = range.startNode() == range.endNode();
    std::shared_ptr<DOMNode> container = oneContainer ? range.startContainer() : range.commonAncestorContainer();
    if (!container)
        return nullptr;
    if (!container->isElementNode())
        return container->parentElement();
    if (oneContainer && range.endOffset() == range.startOffset() + 1) {
        if (auto child = sharedElement(container->childAt(range.startOffset())))
            return child;
    }
    return downcast<DOMElement>(container);
}

std::shared_ptr<DOMElement> vornick_firstCompletelyContainedElement(const DOMRange& range)
{
    std::shared_ptr<DOMElement> found;
    vornick_enumerateCompletelyContainedElementsWithOptions(range, 0,
                                                            [&](const std::shared_ptr<DOMElement>& element, bool& stop) {
                                                                found = element;
                                                                stop = true;
                                                            });
    return found;
}

std::shared_ptr<DOMElement> vornick_elementThatSpansEntireRangeOfKind(const DOMRange& range, std::u16string_view tagName,
                                                                      std::u16string_view classNames)
{
    for (auto node = range.commonAncestorContainer(); node; node = node->parentNode()) {
        auto* element = toElement(node.get());
        if (element && equalsIgnoringASCIICase(element->tagName(), tagName)
            && VornickHTMLClassOrIdListsAreEquivalent(element->getAttribute(u"class"), classNames))
            return downcast<DOMElement>(node);
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_elementThatSpansEntireRangeOfKinds(const DOMRange& range,
                                                                       const std::vector<std::u16string>& kinds)
{
    for (auto node = range.commonAncestorContainer(); node; node = node->parentNode()) {
        auto* element = toElement(node.get());
        if (element && isOneOfKinds(*element, kinds))
            return downcast<DOMElement>(node);
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(
    const DOMRange& range, const std::vector<std::u16string>& kinds)
{
    auto selected = toElement(vornick_exactlySelectedNode(range));
    if (selected && isOneOfKinds(*selected, kinds))
        return selected;
    return vornick_elementThatSpansEntireRangeOfKinds(range, kinds);
}

bool vornick_allCharactersAreContainedInElementsOfKind(const DOMRange& range, std::u16string_view tagName)
{
    if (vornick_elementThatSpansEntireRangeOfKind(range, tagName, u""))
        return true;
    return vornick_enumerateTextSpansWithOptions(range, 0,
                                                 [&](const std::shared_ptr<DOMText>& text, size_t, size_t, bool& stop) {
                                                     if (!vornick_nearestAncestorElementOfKind(*text, tagName))
                                                         stop = true;
                                                 });
}

bool vornick_rangeContainsElementOfKind(const DOMRange& range, std::u16string_view tagName)
{
    return !vornick_enumerateCompletelyContainedElementsWithOptions(range, 0, [&](const std::shared_ptr<DOMElement>& element, bool& stop) {
        if (equalsIgnoringASCIICase(element->tagName(), tagName))
            stop = true;
    });
}

bool vornick_rangeMeetsElementOfKind(const DOMRange& range, std::u16string_view tagName)
{
    auto ofKind = [&](const DOMElement& element) { return equalsIgnoringASCIICase(element.tagName(), tagName); };
    auto enclosedBy = [&](DOMNode& node) {
        auto* element = toElement(&node);
        return (element && ofKind(*element)) || vornick_nearestAncestorElementPassingTest(node, ofKind);
    };
    return enclosedBy(*range.startContainer()) || enclosedBy(*range.endContainer()) || vornick_rangeContainsElementOfKind(range, tagName);
}

std::vector<std::shared_ptr<DOMElement>> vornick_inferredTargetElementsOfKinds(const DOMRange& range,
                                                                               const std::vector<std::u16string>& kinds)
{
    auto nearestFromStart = [&]() -> std::vector<std::shared_ptr<DOMElement>> {
        auto ancestor = vornick_nearestAncestorElementPassingTest(
            *range.startNode(), [&](const DOMElement& element) { return isOneOfKinds(element, kinds); });
        if (ancestor)
            return { ancestor };
        return {};
    };
    if (range.collapsed()) {
        auto* start = toElement(range.startNode());
        if (start && isOneOfKinds(*start, kinds))
            return { downcast<DOMElement>(range.startContainer()) };
        return nearestFromStart();
    }
    std::vector<std::shared_ptr<DOMElement>> targets;
    vornick_enumerateIntersectedElementsWithOptions(range, 0, [&](const std::shared_ptr<DOMElement>& element, bool&) {
        if (!isOneOfKinds(*element, kinds))
            return;
        for (const auto& taken : targets) {
            if (vornick_hasAncestor(*element, taken.get()))
                return;
        }
        targets.push_back(element);
    });
    if (targets.empty())
        return nearestFromStart();
    return targets;
}

bool vornick_isSuitableForWrapping(const DOMRange& range)
{
    if (range.collapsed())
        return false;
    DOMNode* start = range.startNode();
    DOMNode* end = range.endNode();
    if (start == end)
        return true;
    if (start->isTextNode())
        start = start->parent();
    if (end->isTextNode())
        end = end->parent();
    return start && start == end;
}

bool vornick_bothEndpointsAreCharacterLevel(const DOMRange& range)
{
    return range.startNode()->isTextNode() && (range.collapsed() || range.endNode()->isTextNode());
}

bool vornick_eitherEndpointIsCharacterLevel(const DOMRange& range)
{
    return range.startNode()->isTextNode() || range.endNode()->isTextNode();
}

bool vornick_isBetweenTwoBRElements(const DOMRange& range)
{
    if (!range.collapsed())
        return false;
    DOMNode* container = range.startNode();
    if (!container->isElementNode() && !container->isDocumentFragmentNode())
        return false;
    unsigned k = range.startOffset();
    if (k < 1 || k >= container->childCount())
        return false;
    return hasTag(container->childAt(k - 1), u"br") && hasTag(container->childAt(k), u"br");
}

std::shared_ptr<VornickAttachmentPointReference> VornickAttachmentPointForNode(const DOMNode& node)
{
    if (auto* element = toElement(&node); element && vornick_isAttachmentPoint(*element)) {
        for (const auto& point : vornick_attachmentPoints(node)) {
            if (point && point->findElement().get() == element)
                return point;
        }
        return nullptr;
    }
    return vornick_enclosingAttachmentPoint(node);
}

std::shared_ptr<DOMElement> VornickAttachmentPointElementForNode(const DOMNode& node)
{
    if (auto* element = toElement(&node); element && vornick_isAttachmentPoint(*element))
        return downcast<DOMElement>(const_cast<DOMElement*>(element)->shared_from_this());
    // Without attachment points the body stands in for one: a place directly
    // in the body (between its blocks) is inside it too.
    if (DOMDocument* document = node.document(); document && node.isElementNode()) {
        if (auto body = document->body(); body.get() == &node && vornick_attachmentPoints(node).empty())
            return body;
    }
    return vornick_enclosingAttachmentPointElement(node);
}

std::shared_ptr<VornickAttachmentPointReference> vornick_enclosingAttachmentPoint(const DOMRange& range)
{
    auto point = VornickAttachmentPointForNode(*range.startNode());
    if (!point || range.collapsed())
        return point;
    auto element = point->findElement();
    return element && element->isInclusiveAncestorOf(range.endNode()) ? point : nullptr;
}

std::shared_ptr<DOMElement> vornick_enclosingAttachmentPointElement(const DOMRange& range)
{
    auto element = VornickAttachmentPointElementForNode(*range.startNode());
    if (!element || range.collapsed())
        return element;
    return element->isInclusiveAncestorOf(range.endNode()) ? element : nullptr;
}

std::u16string vornick_description(const DOMRange& range)
{
    auto describe = [](const DOMNode& node) { return toUTF8(vornick_nodeDescription(node)); };
    char buffer[128];
    std::string text;
    const DOMNode& start = *range.startNode();
    if (range.startNode() != range.endNode()) {
        text = "DOMRange " + describe(start);
        std::snprintf(buffer, sizeof buffer, " %u ", range.startOffset());
        text += buffer + describe(*range.endNode());
        std::snprintf(buffer, sizeof buffer, " %u", range.endOffset());
        return toUTF16(text + buffer);
    }
    text = "DOMRange " + describe(start);
    bool measured = start.isTextNode() || start.isElementNode();
    if (range.collapsed()) {
        if (measured)
            std::snprintf(buffer, sizeof buffer, " (%u of %zu)", range.startOffset(), vornick_lastIndex(start));
        else
            std::snprintf(buffer, sizeof buffer, " (%u)", range.startOffset());
    } else {
        if (measured)
            std::snprintf(buffer, sizeof buffer, " (%u-%u of %zu)", range.startOffset(), range.endOffset(),
                          vornick_lastIndex(start));
        else
            std::snprintf(buffer, sizeof buffer, " (%u-%u)", range.startOffset(), range.endOffset());
    }
    return toUTF16(text + buffer);
}

std::u16string vornick_splat(const DOMRange& range)
{
    DOMNode* container = range.startNode();
    auto number = [](long value, const char* format) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, format, value);
        return toUTF16(buffer);
    };
    if (container == range.endNode() && container->isElementNode()) {
        long count = container->childCount();
        long start = range.startOffset();
        long end = range.endOffset();
        if (!range.collapsed()) {
            std::u16string text = vornick_nodeDescription(*container) + u"\n    (preceded by " + number(start, "%ld")
                + u" nodes)\n";
            for (long i = start; i < end; ++i)
                text += vornick_splatWithDepth(*container->childAt(static_cast<unsigned>(i)), 1);
            return text + u"    (followed by " + number(count - end, "%ld") + u" nodes)";
        }
        std::u16string text;
        for (long i = std::max(0L, start - 2); i <= std::min(count - 1, start + 2); ++i) {
            if (i == start)
                text += u"-->\n";
            text += number(i, "%3ld") + u": " + vornick_nodeDescription(*container->childAt(static_cast<unsigned>(i)))
                + u"\n";
        }
        if (start == count)
            text += u"-->\n";
        return text;
    }
    auto common = range.commonAncestorContainer();
    return vornick_description(range) + u"\ncommonAncestorContainer=\n" + (common ? vornick_splat(*common) : u"");
}

VornickRect VornickUnionRect(const VornickRect& a, const VornickRect& b)
{
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    double x = std::min(a.x, b.x);
    double y = std::min(a.y, b.y);
    return { x, y, std::max(a.maxX(), b.maxX()) - x, std::max(a.maxY(), b.maxY()) - y };
}

namespace {

struct ShowingNode {
    const DOMNode* node;
    VornickRect bounds;
};

// The first node from `node` on that shows (walking by `step`), with its
// bounds: comments show nothing, nor does text without a box. A walk that
// comes to `known` (a node found showing before) answers it with `knownBounds`.
std::optional<ShowingNode> firstShowingNode(const DOMNode* node, DOMNode* (DOMNode::*step)() const,
                                            const VornickNodeBoundsGetter& nodeBoundsGetter, const DOMNode* known = nullptr,
                                            const VornickRect& knownBounds = {})
{
    for (; node; node = (node->*step)()) {
        if (node == known)
            return ShowingNode { node, knownBounds };
        if (node->nodeType() == DOMNode::COMMENT_NODE)
            continue;
        VornickRect rect = nodeBoundsGetter(*node);
        if (!node->isTextNode() || !rect.isEmpty())
            return ShowingNode { node, rect };
    }
    return std::nullopt;
}

} // namespace

VornickRect vornick_boundingBoxBestGuessOfSiblings(const DOMNode& first, const DOMNode& last, const VornickNodeBoundsGetter& nodeBoundsGetter)
{
    VORNICK_RANGE_ASSERT(nodeBoundsGetter != nullptr, "nodeBoundsGetter");
    auto start = firstShowingNode(&first, &DOMNode::next, nodeBoundsGetter);
    VornickRect startRect = start ? start->bounds : VornickRect();
    if (&last != &first) {
        // A block's one element is found from both ends: it is measured once.
        if (auto end = firstShowingNode(&last, &DOMNode::previous, nodeBoundsGetter, start ? start->node : nullptr, startRect))
            return VornickUnionRect(startRect, end->bounds);
    }
    return startRect;
}

VornickRect vornick_boundingBoxBestGuess(const DOMRange& range, const VornickNodeBoundsGetter& nodeBoundsGetter,
                                         const VornickContainerEdgeGapFinder& containerEdgeGapFinder, bool flipped)
{
    VORNICK_RANGE_ASSERT(nodeBoundsGetter != nullptr, "nodeBoundsGetter");
    VORNICK_RANGE_ASSERT(containerEdgeGapFinder != nullptr, "containerEdgeGapFinder");
    DOMNode* startContainer = range.startNode();
    if (!range.collapsed()) {
        VornickRect startRect;
        if (startContainer->isElementNode())
            startRect = firstShowingNode(startContainer->childAt(range.startOffset()), &DOMNode::next, nodeBoundsGetter)
                            .value_or(ShowingNode { nullptr, VornickRect() })
                            .bounds;
        else if (startContainer->isTextNode())
            startRect = nodeBoundsGetter(*startContainer);
        DOMNode* endContainer = range.endNode();
        if (endContainer != startContainer || range.endOffset() > range.startOffset() + 1) {
            if (endContainer->isElementNode()) {
                auto* lastChild = range.endOffset() ? endContainer->childAt(range.endOffset() - 1) : nullptr;
                if (auto end = firstShowingNode(lastChild, &DOMNode::previous, nodeBoundsGetter))
                    return VornickUnionRect(startRect, end->bounds);
            } else if (endContainer->isTextNode()) {
                return VornickUnionRect(startRect, nodeBoundsGetter(*endContainer));
            }
        }
        return startRect;
    }
    if (startContainer->isTextNode())
        return nodeBoundsGetter(*startContainer);

    auto limit = vornick_enclosingAttachmentPointElement(range);
    std::optional<VornickRect> before;
    std::optional<VornickRect> after;
    VornickDOMPosition position = vornick_startPosition(range);
    for (int guard = 0; guard < 100000; ++guard) {
        VornickDOMPosition previous = position;
        if (position.node->isContainerNode() && position.offset > 0) {
            DOMNode* child = position.node->childAt(static_cast<unsigned>(position.offset - 1));
            VornickRect rect = nodeBoundsGetter(*child);
            if (!rect.isEmpty()) {
                before = rect;
                break;
            }
        }
        VornickStepDOMPositionBackward(position, false, limit.get());
        if (position == previous)
            break;
    }
    position = vornick_startPosition(range);
    for (int guard = 0; guard < 100000; ++guard) {
        VornickDOMPosition previous = position;
        if (position.node->isContainerNode() && position.offset < static_cast<int32_t>(position.node->childCount())) {
            DOMNode* child = position.node->childAt(static_cast<unsigned>(position.offset));
            VornickRect rect = nodeBoundsGetter(*child);
            if (!rect.isEmpty()) {
                after = rect;
                break;
            }
        }
        VornickStepDOMPositionForward(position, false, limit.get());
        if (position == previous)
            break;
    }
    if (before && after) {
        double x = std::min(before->x, after->x);
        double width = std::max(before->maxX(), after->maxX()) - x;
        if (after->y >= before->maxY())
            return { x, before->maxY(), width, after->y - before->maxY() };
        if (before->y >= after->maxY())
            return { x, after->maxY(), width, before->y - after->maxY() };
        return VornickUnionRect(*before, *after);
    }
    if (after)
        return containerEdgeGapFinder(*after, *startContainer, flipped ? VornickRectEdge::MinY : VornickRectEdge::MaxY);
    if (before)
        return containerEdgeGapFinder(*before, *startContainer, flipped ? VornickRectEdge::MaxY : VornickRectEdge::MinY);
    return nodeBoundsGetter(*startContainer);
}

namespace {

template<typename Filter>
bool enumerateElementsOfCommonAncestor(const DOMRange& range, unsigned options, const Filter& filter,
                                       const std::function<void(const std::shared_ptr<DOMElement>&, bool&)>& block)
{
    auto common = range.commonAncestorContainer();
    if (!common)
        return true;
    return vornick_enumerateElementTreeWithOptions(common, options,
                                                   [&](const std::shared_ptr<DOMElement>& element, bool& stop) {
                                                       if (element != common && filter(*element))
                                                           block(element, stop);
                                                   });
}

} // namespace

bool vornick_enumerateCompletelyContainedElementsWithOptions(
    const DOMRange& range, unsigned options, const std::function<void(const std::shared_ptr<DOMElement>&, bool&)>& block)
{
    return enumerateElementsOfCommonAncestor(
        range, options, [&](const DOMElement& element) { return vornick_completelyContainsNode(range, element); },
        block);
}

namespace {

// How a node meets a range: not at all, wholly inside it (so do all its
// descendants), or holding one of its ends (its descendants need a look).
enum class RangeOverlap { None, Inside, HoldsEnd };

// Classifies the nodes under the range's common ancestor, each from its
// parent's class: only the nodes on the paths to the range's ends are
// compared with the range, and the common ancestor's children are placed by
// their indices, counted once. A long list costs one walk, not one walk per item.
class RangeOverlapClassifier {
public:
    RangeOverlapClassifier(const DOMRange& range, const std::shared_ptr<DOMNode>& common)
        : m_range(range)
        , m_common(common.get())
    {
        auto childHolding = [&](DOMNode* node) {
            while (node && node->parent() != m_common)
                node = node->parent();
            return node;
        };
        m_startChild = range.startNode() == m_common ? nullptr : childHolding(range.startNode());
        m_endChild = range.endNode() == m_common ? nullptr : childHolding(range.endNode());
        unsigned index = 0;
        for (DOMNode* child = m_common->first(); child; child = child->next(), ++index) {
            if (child == m_startChild)
                m_startChildIndex = index;
            if (child == m_endChild)
                m_endChildIndex = index;
            m_indices.emplace(child, index);
        }
    }

    RangeOverlap overlap(const DOMNode& node)
    {
        if (auto found = m_classes.find(&node); found != m_classes.end())
            return found->second;
        RangeOverlap result = RangeOverlap::None;
        const DOMNode* parent = node.parent();
        if (parent == m_common) {
            result = overlapOfCommonAncestorChild(node);
        } else if (parent) {
            switch (overlap(*parent)) {
            case RangeOverlap::None:
                result = RangeOverlap::None;
                break;
            case RangeOverlap::Inside:
                result = RangeOverlap::Inside;
                break;
            case RangeOverlap::HoldsEnd:
                if (m_range.intersectsNode(node))
                    result = holdsEnd(node) ? RangeOverlap::HoldsEnd : RangeOverlap::Inside;
                break;
            }
        }
        m_classes.emplace(&node, result);
        return result;
    }

private:
    bool holdsEnd(const DOMNode& node) const
    {
        return node.isInclusiveAncestorOf(m_range.startNode()) || node.isInclusiveAncestorOf(m_range.endNode());
    }

    RangeOverlap overlapOfCommonAncestorChild(const DOMNode& child) const
    {
        if (&child == m_startChild || &child == m_endChild)
            return RangeOverlap::HoldsEnd;
        unsigned index = m_indices.at(&child);
        bool afterStart = m_startChild ? index > m_startChildIndex : index >= m_range.startOffset();
        bool beforeEnd = m_endChild ? index < m_endChildIndex : index < m_range.endOffset();
        return afterStart && beforeEnd ? RangeOverlap::Inside : RangeOverlap::None;
    }

    const DOMRange& m_range;
    const DOMNode* m_common;
    const DOMNode* m_startChild { nullptr };
    const DOMNode* m_endChild { nullptr };
    unsigned m_startChildIndex { 0 };
    unsigned m_endChildIndex { 0 };
    std::unordered_map<const DOMNode*, unsigned> m_indices;
    std::unordered_map<const DOMNode*, RangeOverlap> m_classes;
};

} // namespace

bool vornick_enumerateIntersectedElementsWithOptions(
    const DOMRange& range, unsigned options, const std::function<void(const std::shared_ptr<DOMElement>&, bool&)>& block)
{
    // A collapsed range meets only the elements around its place: compared one by one.
    if (range.collapsed()) {
        return enumerateElementsOfCommonAncestor(
            range, options, [&](const DOMElement& element) { return range.intersectsNode(element); }, block);
    }
    auto common = range.commonAncestorContainer();
    if (!common)
        return true;
    RangeOverlapClassifier classifier(range, common);
    return enumerateElementsOfCommonAncestor(
        range, options, [&](const DOMElement& element) { return classifier.overlap(element) != RangeOverlap::None; }, block);
}

bool vornick_enumerateTextSpansWithOptions(
    const DOMRange& range, unsigned options,
    const std::function<void(const std::shared_ptr<DOMText>&, size_t, size_t, bool&)>& block)
{
    if (range.startNode() == range.endNode() && range.startNode()->nodeType() == DOMNode::TEXT_NODE) {
        bool stop = false;
        block(downcast<DOMText>(range.startContainer()), range.startOffset(), range.endOffset(), stop);
        return !stop;
    }
    auto common = range.commonAncestorContainer();
    return vornick_enumerateTextTreeWithOptions(common, options, [&](const std::shared_ptr<DOMText>& text, bool& stop) {
        if (!range.intersectsNode(*text))
            return;
        size_t start = text.get() == range.startNode() ? range.startOffset() : 0;
        size_t end = text.get() == range.endNode() ? range.endOffset() : text->length();
        block(text, start, end, stop);
    });
}

bool vornick_expandOneLevelButNotBeyond(DOMRange& range, const DOMNode* limit)
{
    std::shared_ptr<DOMNode> node;
    DOMNode* start = range.startNode();
    if (range.collapsed())
        node = start->isElementNode() ? range.startContainer() : start->parentElement();
    else if (start == range.endNode())
        node = start->isElementNode() ? range.startContainer() : start->parentElement();
    else
        node = range.commonAncestorContainer();
    if (!node || node.get() == limit || !node->parent())
        return false;
    range.selectNode(*node);
    return true;
}

void vornick_expandToEncompassAdjacentCharactersInSet(DOMRange& range, const std::function<bool(char16_t)>& isInSet)
{
    if (range.startNode()->isTextNode()) {
        const auto& data = textData(*range.startNode());
        unsigned offset = range.startOffset();
        while (offset > 0 && isInSet(data[offset - 1]))
            --offset;
        if (offset != range.startOffset())
            range.setStart(range.startContainer(), offset);
    }
    if (range.endNode()->isTextNode()) {
        const auto& data = textData(*range.endNode());
        unsigned offset = range.endOffset();
        while (offset < data.size() && isInSet(data[offset]))
            ++offset;
        if (offset != range.endOffset())
            range.setEnd(range.endContainer(), offset);
    }
}

void vornick_expandToEncompassAdjacentTextNodes(DOMRange& range)
{
    if (range.startNode() != range.endNode())
        return;
    VornickDOMPosition start = vornick_startPosition(range);
    VornickDOMPosition end = vornick_endPosition(range);
    if (start.node->isTextNode()) {
        if (!VornickMoveDOMPositionUpToBeforeNode(start))
            return;
        VornickMoveDOMPositionUpToAfterNode(end);
    }
    if (!start.node->isContainerNode())
        return;
    while (start.offset > 0 && start.node->childAt(static_cast<unsigned>(start.offset - 1))->isTextNode())
        --start.offset;
    while (end.offset < static_cast<int32_t>(end.node->childCount())
           && end.node->childAt(static_cast<unsigned>(end.offset))->isTextNode())
        ++end.offset;
    vornick_setStartPosition(range, start);
    vornick_setEndPosition(range, end);
}

bool vornick_expandToEncompassAdjacentContentThatCanBeWrappedInElementKind(DOMRange& range, std::u16string_view tagName)
{
    VornickDOMPosition start = vornick_startPosition(range);
    VornickDOMPosition end = vornick_endPosition(range);
    if (start.node->isTextNode())
        VornickMoveDOMPositionUpToBeforeNode(start);
    if (end.node->isTextNode())
        VornickMoveDOMPositionUpToAfterNode(end);
    if (start.node != end.node || !start.node->isElementNode())
        return false;
    DOMDocument* document = documentOf(start.node.get());
    const VornickHTMLContainmentProvider* containment = VornickCurrentHTMLContainmentProvider();
    auto mayContain = [&](const DOMElement& element) {
        return !containment || containment->elementKindMayContainElementKind(*document, tagName, element.localName());
    };
    auto passes = [&](DOMNode* node) {
        if (node->nodeType() == DOMNode::COMMENT_NODE)
            return false;
        auto* element = toElement(node);
        return !element || mayContain(*element);
    };
    // Growth never leaves the attachment point (the body when the frame has none).
    auto bound = VornickAttachmentPointElementForNode(*start.node);
    while (true) {
        while (start.offset > 0 && passes(start.node->childAt(static_cast<unsigned>(start.offset - 1))))
            --start.offset;
        while (end.offset < static_cast<int32_t>(end.node->childCount())
               && passes(end.node->childAt(static_cast<unsigned>(end.offset))))
            ++end.offset;
        auto& node = downcast<DOMElement>(*start.node);
        bool spansWholeNode = start.offset == 0 && end.offset == static_cast<int32_t>(node.childCount());
        bool mayClimb = bound && start.node != bound && bound->isInclusiveAncestorOf(start.node.get())
            && node.parent() && node.parent()->isElementNode();
        if (!spansWholeNode || !mayClimb || !mayContain(node))
            break;
        VornickMoveDOMPositionUpToBeforeNode(start);
        VornickMoveDOMPositionUpToAfterNode(end);
    }
    bool changed = !(vornick_startPosition(range) == start) || !(vornick_endPosition(range) == end);
    vornick_setStartPosition(range, start);
    vornick_setEndPosition(range, end);
    return changed;
}

bool VornickOnlyWhitespacePrecedesPositionInNode(const VornickDOMPosition& position, char16_t substitute)
{
    if (position.offset == 0)
        return true;
    if (position.node->isTextNode()) {
        const auto& data = textData(*position.node);
        return vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(
            std::u16string_view(data).substr(0, std::min<size_t>(position.offset, data.size())), substitute);
    }
    if (position.node->isElementNode()) {
        DOMNode* child = position.node->first();
        for (int32_t i = 0; child && i < position.offset; ++i, child = child->next()) {
            if (!child->isTextNode()
                || !vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(textData(*child), substitute))
                return false;
        }
        return true;
    }
    return false;
}

bool VornickOnlyWhitespaceFollowsPositionInNode(const VornickDOMPosition& position, char16_t substitute)
{
    if (position.node && static_cast<size_t>(position.offset) >= vornick_lastIndex(*position.node)
        && (position.node->isTextNode() || position.node->isElementNode()))
        return true;
    if (position.node->isTextNode()) {
        const auto& data = textData(*position.node);
        return vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(
            std::u16string_view(data).substr(position.offset), substitute);
    }
    if (position.node->isElementNode()) {
        for (DOMNode* child = position.node->childAt(static_cast<unsigned>(position.offset)); child;
             child = child->next()) {
            if (!child->isTextNode()
                || !vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(textData(*child), substitute))
                return false;
        }
        return true;
    }
    return false;
}

DOMRange& vornick_expandDeletionRangeToPruneUselessOrphans(DOMRange& range)
{
    if (range.startNode() != range.endNode())
        return range;
    VornickDOMPosition start = vornick_startPosition(range);
    VornickDOMPosition end = vornick_endPosition(range);
    if (start.node->isTextNode()) {
        if (start.offset != 0 || static_cast<size_t>(end.offset) != textData(*start.node).size())
            return range;
        if (!VornickMoveDOMPositionUpToBeforeNode(start))
            return range;
        VornickMoveDOMPositionUpToAfterNode(end);
    }
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*start.node);
    // Elements that are kept even when emptied: containers of a page's
    // structure, the parts of tables (removing them would leave a ragged
    // table) and attachment points (a post's fields).
    static const std::set<std::u16string> keptTags { u"article", u"body",  u"div",   u"section", u"table",
                                                     u"caption", u"thead", u"tbody", u"tfoot",   u"tr",
                                                     u"td",      u"th",    u"colgroup", u"col" };
    while (auto* element = toElement(start.node.get())) {
        if (keptTags.contains(asciiLowercase(element->tagName())) || vornick_isAttachmentPoint(*element))
            break;
        if (!VornickOnlyWhitespacePrecedesPositionInNode(start, substitute)
            || !VornickOnlyWhitespaceFollowsPositionInNode(end, substitute))
            break;
        if (!element->parent())
            break;
        VornickMoveDOMPositionUpToBeforeNode(start);
        VornickMoveDOMPositionUpToAfterNode(end);
    }
    if (!(vornick_startPosition(range) == start) || !(vornick_endPosition(range) == end)) {
        vornick_setStartPosition(range, start);
        vornick_setEndPosition(range, end);
    }
    return range;
}

void vornick_shrinkRangeToOmitOuterComments(DOMRange& range)
{
    VornickDOMPosition start = vornick_startPosition(range);
    VornickDOMPosition end = vornick_endPosition(range);
    if (start.node->isContainerNode()) {
        DOMNode* after = start.node->childAt(static_cast<unsigned>(start.offset));
        if (after && after->nodeType() == DOMNode::COMMENT_NODE)
            start.offset += 1;
    }
    if (end.node->isContainerNode() && end.offset > 0) {
        DOMNode* before = end.node->childAt(static_cast<unsigned>(end.offset - 1));
        if (before && before->nodeType() == DOMNode::COMMENT_NODE)
            end.offset -= 1;
    }
    if (compare(start.node.get(), start.offset, end.node.get(), end.offset) > 0)
        end = start;
    vornick_setStartPosition(range, start);
    vornick_setEndPosition(range, end);
}

void vornick_pullRangeEndpointsIn(DOMRange& range)
{
    if (range.collapsed() || range.startNode() == range.endNode())
        return;
    DOMNode* start = range.startNode();
    DOMNode* sibling = nullptr;
    if (start->isTextNode() && range.startOffset() == textData(*start).size() && start->next()) {
        sibling = start->next();
        range.setStartBefore(*sibling);
    }
    DOMNode* end = range.endNode();
    if (end != sibling && end->isTextNode() && range.endOffset() == 0 && end->previous())
        range.setEndAfter(*end->previous());
}

bool vornick_pullRangeEndpointsUpToContainingNodes(DOMRange& range)
{
    return vornick_pullRangeEndpointsUpToContainingNodesButNotPast(range, nullptr, true);
}

bool vornick_pullRangeEndpointsUpToContainingNodesButNotPast(DOMRange& range, const DOMNode* limit,
                                                             bool requireExactPositionEquivalence)
{
    bool moved = false;
    auto climb = [&](bool isStart) {
        auto container = [&]() { return isStart ? range.startNode() : range.endNode(); };
        auto offset = [&]() { return isStart ? range.startOffset() : range.endOffset(); };
        auto setBefore = [&](const DOMNode& node) {
            return isStart ? range.setStartBefore(node) : range.setEndBefore(node);
        };
        auto setAfter = [&](const DOMNode& node) { return isStart ? range.setStartAfter(node) : range.setEndAfter(node); };
        if (container() == limit || !container()->parent())
            return;
        if (requireExactPositionEquivalence) {
            if (offset() == 0) {
                while (container() != limit && container()->parent() && offset() == 0) {
                    setBefore(*container());
                    moved = true;
                }
            } else if (vornick_indexIsAtEndOfNode(*container(), offset())) {
                while (container() != limit && container()->parent()
                       && vornick_indexIsAtEndOfNode(*container(), offset())) {
                    setAfter(*container());
                    moved = true;
                }
            }
            return;
        }
        DOMNode* node = container();
        bool pastHalf = node->isTextNode() ? offset() > 0 : offset() > node->childCount() / 2;
        if (pastHalf)
            setAfter(*node);
        else
            setBefore(*node);
        moved = true;
    };
    climb(true);
    climb(false);
    return moved;
}

void vornick_pushRangeEndpointsDownToTextNodes(DOMRange& range)
{
    vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(range, 1);
}

namespace {

// Descends from an element position into the node before it (to the end of
// its last text) or after it (to the start of its first text). Void elements
// are never entered; a position that has nothing to descend into stays.
VornickDOMPosition descend(VornickDOMPosition position, bool backward)
{
    while (position.node->isElementNode() && position.node->hasChildNodes()) {
        DOMNode* child = backward ? (position.offset > 0 ? position.node->childAt(position.offset - 1) : nullptr)
                                  : position.node->childAt(position.offset);
        if (!child)
            break;
        if (child->isTextNode()) {
            position = { child->shared_from_this(), backward ? static_cast<int32_t>(textData(*child).size()) : 0 };
            break;
        }
        if (!child->isElementNode() || isVoidElement(child))
            break;
        position = { child->shared_from_this(), backward ? static_cast<int32_t>(child->childCount()) : 0 };
    }
    return position;
}

} // namespace

void vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(DOMRange& range, int bias)
{
    bool wasCollapsed = range.collapsed();
    VornickDOMPosition start = vornick_startPosition(range);
    if (start.node->isElementNode() && start.node->hasChildNodes()) {
        bool atEnd = VornickPositionIsAtEndOfNode(start);
        // At gap 0 there is nothing before the start: descending backward
        // would carry it past the first child's content.
        bool backward = atEnd || (bias < 0 && start.offset > 0);
        start = descend(start, backward);
    }
    if (wasCollapsed) {
        vornick_setAsCollapsedRangeWithPosition(range, start);
        return;
    }
    VornickDOMPosition end = vornick_endPosition(range);
    if (end.node->isElementNode() && end.node->hasChildNodes() && end.offset > 0) {
        end = descend(end, true);
        vornick_setEndPosition(range, end);
    }
    vornick_setStartPosition(range, start);
}

std::shared_ptr<DOMRange> vornick_rangeByGrowingToCommonAncestorElementSpan(const DOMRange& range)
{
    auto common = range.commonAncestorContainer();
    if (common && !common->isElementNode())
        common = common->parentElement();
    if (!common)
        return nullptr;
    VornickDOMPosition start = vornick_startPosition(range);
    VornickDOMPosition end = vornick_endPosition(range);
    while (start.node != common && VornickMoveDOMPositionUpToBeforeNode(start)) { }
    while (end.node != common && VornickMoveDOMPositionUpToAfterNode(end)) { }
    auto grown = documentOf(common.get())->createRange();
    vornick_setStartPosition(*grown, start);
    vornick_setEndPosition(*grown, end);
    return grown;
}

std::shared_ptr<DOMRange> vornick_rangeByRaisingToCommonContainerWithin(const DOMRange& range, const DOMElement& limit,
                                                                        bool, char16_t substitute)
{
    if (range.startNode() == range.endNode())
        return range.cloneRange();
    auto common = range.commonAncestorContainer();
    if (!common || !limit.isInclusiveAncestorOf(common.get()))
        return nullptr;
    VornickDOMPosition start = vornick_startPosition(range);
    while (start.node != common) {
        if (!VornickOnlyWhitespacePrecedesPositionInNode(start, substitute) || !VornickMoveDOMPositionUpToBeforeNode(start))
            return nullptr;
    }
    VornickDOMPosition end = vornick_endPosition(range);
    while (end.node != common) {
        if (!VornickOnlyWhitespaceFollowsPositionInNode(end, substitute) || !VornickMoveDOMPositionUpToAfterNode(end))
            return nullptr;
    }
    auto raised = documentOf(common.get())->createRange();
    vornick_setStartPosition(*raised, start);
    vornick_setEndPosition(*raised, end);
    return raised;
}

void vornick_addRange(DOMRange& range, const DOMRange& other)
{
    if (!sameRoot(range, other))
        return;
    if (compare(other.startNode(), other.startOffset(), range.startNode(), range.startOffset()) < 0)
        range.setStart(other.startContainer(), other.startOffset());
    if (compare(other.endNode(), other.endOffset(), range.endNode(), range.endOffset()) > 0)
        range.setEnd(other.endContainer(), other.endOffset());
}

std::shared_ptr<DOMRange> vornick_insertChildNodes(DOMRange& range, const std::vector<std::shared_ptr<DOMNode>>& nodes)
{
    BREVANTON_ASSERT(range.collapsed(), "-vornick_insertChildNodes: only works for a collapsed range (insertion point");
    auto container = range.startContainer();
    unsigned offset = range.startOffset();
    auto result = documentOf(container.get())->createRange();
    if (container->isTextNode()) {
        auto text = downcast<DOMText>(container);
        auto parent = text->parentNode();
        if (!parent)
            return nullptr;
        if (offset > 0 && offset < text->length()) {
            auto second = text->splitText(offset);
            vornick_insertChildNodes(*parent, nodes, second.get());
            result->setStartAfter(*text);
            result->setEndBefore(*second);
        } else if (offset == 0) {
            unsigned count = 0;
            for (const auto& node : nodes)
                count += node->isDocumentFragmentNode() ? node->childCount() : 1;
            vornick_insertChildNodes(*parent, nodes, text.get());
            unsigned index = text->index();
            result->setStart(parent, index >= count ? index - count : 0);
            result->setEndBefore(*text);
        } else {
            auto next = text->nextSibling();
            vornick_insertChildNodes(*parent, nodes, next.get());
            result->setStartAfter(*text);
            if (next)
                result->setEndBefore(*next);
            else
                result->setEnd(parent, parent->childCount());
        }
        return result;
    }
    // The result is measured from the node the insertion goes before: a
    // fragment brings its children, and a node moved from an earlier place in
    // the same element shifts the insertion point.
    DOMNode* before = container->childAt(offset);
    while (before && std::find(nodes.begin(), nodes.end(), before->shared_from_this()) != nodes.end())
        before = before->next();
    unsigned count = 0;
    for (const auto& node : nodes)
        count += node->isDocumentFragmentNode() ? node->childCount() : 1;
    auto keepBefore = before ? before->shared_from_this() : nullptr;
    vornick_insertChildNodes(*container, nodes, before);
    unsigned end = keepBefore && keepBefore->parent() == container.get() ? keepBefore->index() : container->childCount();
    result->setStart(container, end >= count ? end - count : 0);
    result->setEnd(container, end);
    return result;
}

void vornick_insertNodeAndSurroundWhatWasInserted(DOMRange& range, const std::shared_ptr<DOMNode>& node)
{
    auto container = range.startContainer();
    if (container->isTextNode() && container->parent() && range.startOffset() <= container->length()) {
        auto text = downcast<DOMText>(container);
        auto second = text->splitText(range.startOffset());
        auto parent = text->parentNode();
        parent->insertBefore(node, second.get());
        range.setStartAfter(*text);
        range.setEndBefore(*second);
        return;
    }
    range.insertNode(node);
}

std::shared_ptr<DOMRange> vornick_insertText(DOMRange& range, const std::u16string& text)
{
    BREVANTON_ASSERT(range.collapsed(), "-vornick_insertText: only works for a collapsed range (insertion point");
    auto container = range.startContainer();
    unsigned offset = range.startOffset();
    auto result = documentOf(container.get())->createRange();
    if (container->isTextNode()) {
        downcast<DOMCharacterData>(*container).insertData(offset, text);
        result->setStart(container, offset);
        result->setEnd(container, offset + static_cast<unsigned>(text.size()));
        return result;
    }
    auto node = documentOf(container.get())->createTextNode(text);
    range.insertNode(node);
    result->selectNode(*node);
    return result;
}

std::optional<VornickFreezeDriedDOMRange> vornick_freezeDriedRangeRelativeToAncestor(
    const DOMRange& range, const std::shared_ptr<DOMNode>& ancestor, bool skipWhitespaceNodes)
{
    return VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(range, ancestor, skipWhitespaceNodes);
}

} // namespace brevanton
