#include "dom/VornickDOMPosition.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "toolkit/VornickWhitespaceFilter.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

#define VORNICK_POSITION_ASSERT(condition, text) \
    BREVANTON_ASSERT(condition, "Invalid parameter not satisfying: " text " (DOMRange+VornickExtensions)")

namespace {

int32_t endOfNode(const DOMNode& node)
{
    return static_cast<int32_t>(vornick_lastIndex(node));
}

const std::u16string& textData(const DOMNode& node)
{
    return downcast<DOMCharacterData>(node).data();
}

// Index of `node` in its parent, -1 without a parent.
int32_t indexInParent(const DOMNode& node)
{
    return node.parent() ? static_cast<int32_t>(node.index()) : -1;
}

std::shared_ptr<DOMNode> childAt(const DOMNode& node, int32_t index)
{
    if (index < 0)
        return nullptr;
    DOMNode* child = node.childAt(static_cast<unsigned>(index));
    return child ? child->shared_from_this() : nullptr;
}

bool walkMayPass(const DOMNode& node, unsigned options)
{
    switch (node.nodeType()) {
    case DOMNode::TEXT_NODE:
        if (options & (VornickWaypointSkipTextAndComments | VornickWaypointSkipTextCommentsAndNonBrickElements))
            return true;
        return (options & VornickWaypointSkipWhitespaceOnlyText) && vornick_containsOnlyHTMLWhitespace(textData(node));
    case DOMNode::COMMENT_NODE:
        return options
            & (VornickWaypointSkipTextAndComments | VornickWaypointSkipTextCommentsAndNonBrickElements
               | VornickWaypointSkipComments);
    case DOMNode::ELEMENT_NODE:
        return (options & VornickWaypointSkipTextCommentsAndNonBrickElements)
            && !vornick_isBrickElement(downcast<DOMElement>(node));
    default:
        return true;
    }
}

void assertPositionInElement(const VornickDOMPosition& position)
{
    VORNICK_POSITION_ASSERT(VornickPositionIsInAnElement(position), "VornickPositionIsInAnElement(*position)");
    VORNICK_POSITION_ASSERT(position.offset >= 0, "position->offset >= 0");
    BREVANTON_ASSERT(position.offset <= endOfNode(*position.node), "offset beyond end of childNodes list");
}

void assertPositionInElementOrFragment(const VornickDOMPosition& position)
{
    VORNICK_POSITION_ASSERT(position.node
                                && (position.node->isElementNode() || position.node->isDocumentFragmentNode()),
                            "position in an element or document fragment");
    VORNICK_POSITION_ASSERT(position.offset >= 0, "position.offset >= 0");
    BREVANTON_ASSERT(position.offset <= endOfNode(*position.node), "offset beyond end of childNodes list");
}

} // namespace

bool VornickPositionIsInAnElement(const VornickDOMPosition& position)
{
    return position.node && position.node->isElementNode();
}

bool VornickPositionIsInATextNode(const VornickDOMPosition& position)
{
    return position.node && position.node->isTextNode();
}

bool VornickPositionIsAtStartOfNode(const VornickDOMPosition& position)
{
    return position.offset == 0;
}

bool VornickPositionIsAtEndOfNode(const VornickDOMPosition& position)
{
    return position.node && position.offset == endOfNode(*position.node);
}

std::shared_ptr<DOMNode> VornickNodeBeforePositionInElementOrFragment(const VornickDOMPosition& position)
{
    assertPositionInElementOrFragment(position);
    return position.offset ? childAt(*position.node, position.offset - 1) : nullptr;
}

std::shared_ptr<DOMNode> VornickNodeAfterPositionInElementOrFragment(const VornickDOMPosition& position)
{
    assertPositionInElementOrFragment(position);
    return childAt(*position.node, position.offset);
}

bool VornickMoveDOMPositionUpToBeforeNode(VornickDOMPosition& position)
{
    if (!position.node || !position.node->parent())
        return false;
    int32_t index = indexInParent(*position.node);
    position.node = position.node->parentNode();
    position.offset = index;
    return true;
}

bool VornickMoveDOMPositionUpToAfterNode(VornickDOMPosition& position)
{
    if (!position.node || !position.node->parent())
        return false;
    int32_t index = indexInParent(*position.node);
    position.node = position.node->parentNode();
    position.offset = index + 1;
    return true;
}

bool VornickMoveDOMPositionToPreviousNodeGap(std::shared_ptr<DOMNode>& node, int32_t& offset)
{
    VORNICK_POSITION_ASSERT(node != nullptr, "*node != nil");
    VORNICK_POSITION_ASSERT(offset >= 0, "position.offset >= 0");
    if (offset > 0) {
        if (node->isTextNode()) {
            offset = 0;
            return true;
        }
        if (node->isContainerNode()) {
            offset -= 1;
            return true;
        }
        return false;
    }
    DOMNode* current = node.get();
    while (DOMNode* parent = current->parent()) {
        int32_t index = indexInParent(*current);
        if (index > 0) {
            node = parent->shared_from_this();
            offset = index;
            return true;
        }
        current = parent;
    }
    return false;
}

bool VornickMoveDOMPositionToNextNodeGap(std::shared_ptr<DOMNode>& node, int32_t& offset)
{
    VORNICK_POSITION_ASSERT(node != nullptr, "*node != nil");
    VORNICK_POSITION_ASSERT(offset >= 0, "position.offset >= 0");
    if (vornick_indexIsAtEndOfNode(*node, static_cast<size_t>(offset))) {
        DOMNode* current = node.get();
        while (DOMNode* parent = current->parent()) {
            int32_t gap = indexInParent(*current) + 1;
            if (!vornick_indexIsAtEndOfNode(*parent, static_cast<size_t>(gap))) {
                node = parent->shared_from_this();
                offset = gap;
                return true;
            }
            current = parent;
        }
        return false;
    }
    if (node->isContainerNode()) {
        offset += 1;
        return true;
    }
    if (node->isTextNode()) {
        offset = endOfNode(*node);
        return true;
    }
    return false;
}

void VornickStepDOMPositionBackward(VornickDOMPosition& position, bool enterBricks, const DOMNode* limit)
{
    VORNICK_POSITION_ASSERT(position.node != nullptr, "node != NULL");
    if (position.offset == 0) {
        if (position.node.get() != limit)
            VornickMoveDOMPositionUpToBeforeNode(position);
        return;
    }
    if (enterBricks && position.node->isElementNode()) {
        auto before = childAt(*position.node, position.offset - 1);
        if (before && before->isElementNode() && vornick_firstDescendantBrickElement(*before)) {
            position.offset = endOfNode(*before);
            position.node = before;
            return;
        }
    }
    position.offset -= 1;
}

void VornickStepDOMPositionForward(VornickDOMPosition& position, bool enterBricks, const DOMNode* limit)
{
    VORNICK_POSITION_ASSERT(position.node != nullptr, "node != NULL");
    if (VornickPositionIsAtEndOfNode(position)) {
        if (position.node.get() != limit)
            VornickMoveDOMPositionUpToAfterNode(position);
        return;
    }
    if (enterBricks && position.node->isElementNode()) {
        auto after = childAt(*position.node, position.offset);
        if (after && after->isElementNode() && vornick_firstDescendantBrickElement(*after)) {
            position.node = after;
            position.offset = 0;
            return;
        }
    }
    position.offset += 1;
}

void VornickPullPositionInElementBackwardWithOptions(VornickDOMPosition& position, unsigned options)
{
    assertPositionInElement(position);
    while (position.offset > 0) {
        DOMNode* before = position.node->childAt(static_cast<unsigned>(position.offset - 1));
        if (!before || !walkMayPass(*before, options))
            return;
        position.offset -= 1;
    }
    if (options & VornickWaypointClimbToParent)
        VornickMoveDOMPositionUpToBeforeNode(position);
}

void VornickPushPositionInElementForwardWithOptions(VornickDOMPosition& position, unsigned options)
{
    assertPositionInElement(position);
    int32_t end = endOfNode(*position.node);
    while (position.offset < end) {
        DOMNode* after = position.node->childAt(static_cast<unsigned>(position.offset));
        if (!after || !walkMayPass(*after, options))
            return;
        position.offset += 1;
    }
}

namespace {

// Pulling moves the position back, pushing it on.
enum class Direction { Back, On };

bool moveUpPast(VornickDOMPosition& position, Direction direction)
{
    return direction == Direction::On ? VornickMoveDOMPositionUpToAfterNode(position) : VornickMoveDOMPositionUpToBeforeNode(position);
}

std::shared_ptr<DOMElement> moveAgainstElementBoundary(VornickDOMPosition& position, const std::shared_ptr<DOMElement>& attachmentPointElement,
                                                       Direction direction)
{
    VORNICK_POSITION_ASSERT(attachmentPointElement != nullptr, "attachmentPointElement");
    bool on = direction == Direction::On;
    if (position.node && position.node->isTextNode()) {
        if (!moveUpPast(position, direction))
            return nullptr;
    }
    if (!position.node || !position.node->isElementNode())
        return nullptr;
    while (true) {
        int32_t end = on ? endOfNode(*position.node) : 0;
        while (on ? position.offset < end : position.offset > end) {
            auto next = childAt(*position.node, on ? position.offset : position.offset - 1);
            if (next && next->isElementNode())
                return downcast<DOMElement>(next);
            position.offset += on ? 1 : -1;
        }
        if (position.node == attachmentPointElement)
            return attachmentPointElement;
        DOMNode* parent = position.node->parent();
        if (!parent || !parent->isElementNode())
            return nullptr;
        moveUpPast(position, direction);
    }
}

std::shared_ptr<DOMElement> moveAgainstBrickBoundary(VornickDOMPosition& position, const std::shared_ptr<DOMElement>& attachmentPointElement,
                                                     Direction direction)
{
    bool on = direction == Direction::On;
    auto element = moveAgainstElementBoundary(position, attachmentPointElement, direction);
    while (true) {
        if (!element || vornick_isBrickElement(*element))
            return element;
        if (on ? VornickPositionIsAtEndOfNode(position) : position.offset == 0) {
            if (position.node == attachmentPointElement)
                return attachmentPointElement;
            if (!moveUpPast(position, direction))
                return nullptr;
        } else {
            position.offset += on ? 1 : -1;
        }
        auto next = moveAgainstElementBoundary(position, attachmentPointElement, direction);
        if (next == element)
            return nullptr;
        element = next;
    }
}

} // namespace

std::shared_ptr<DOMElement> VornickPullDOMPositionAgainstElementBoundary(
    VornickDOMPosition& position, const std::shared_ptr<DOMElement>& attachmentPointElement)
{
    return moveAgainstElementBoundary(position, attachmentPointElement, Direction::Back);
}

std::shared_ptr<DOMElement> VornickPushDOMPositionAgainstElementBoundary(
    VornickDOMPosition& position, const std::shared_ptr<DOMElement>& attachmentPointElement)
{
    return moveAgainstElementBoundary(position, attachmentPointElement, Direction::On);
}

std::shared_ptr<DOMElement> VornickPullDOMPositionAgainstBrickBoundary(
    VornickDOMPosition& position, const std::shared_ptr<DOMElement>& attachmentPointElement)
{
    return moveAgainstBrickBoundary(position, attachmentPointElement, Direction::Back);
}

std::shared_ptr<DOMElement> VornickPushDOMPositionAgainstBrickBoundary(
    VornickDOMPosition& position, const std::shared_ptr<DOMElement>& attachmentPointElement)
{
    return moveAgainstBrickBoundary(position, attachmentPointElement, Direction::On);
}

namespace {

bool isOnlyWhitespaceText(const DOMNode& node, char16_t substitute)
{
    return vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(textData(node), substitute);
}

// Whether a child between the position and the element's edge lets the answer stay true.
bool childPassesWhitespaceTest(const DOMNode& child, char16_t substitute, bool allowPlaceholder)
{
    constexpr unsigned EntityNode = 6;
    switch (static_cast<unsigned>(child.nodeType())) {
    case DOMNode::TEXT_NODE:
    case DOMNode::CDATA_SECTION_NODE:
        return isOnlyWhitespaceText(child, substitute);
    case DOMNode::ELEMENT_NODE:
        return allowPlaceholder && vornick_hasClass(downcast<DOMElement>(child), VornickPlaceholderElementClass);
    case DOMNode::COMMENT_NODE:
    case EntityNode:
        return false;
    default:
        return true;
    }
}

} // namespace

bool VornickPositionIsAtStartOfElementIgnoringWhitespace(const VornickDOMPosition& start, const DOMElement& element,
                                                         char16_t substitute)
{
    VornickDOMPosition position = start;
    if (!position.node)
        return false;
    if (position.node->isTextNode()) {
        const auto& data = textData(*position.node);
        if (position.offset > 0
            && !vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(
                data, substitute, VornickMakeRange(0, std::min<size_t>(position.offset, data.size()))))
            return false;
        if (!VornickMoveDOMPositionUpToBeforeNode(position))
            return false;
    }
    while (position.node && position.node->isElementNode()) {
        for (int32_t i = 0; i < position.offset; ++i) {
            DOMNode* child = position.node->childAt(static_cast<unsigned>(i));
            if (child && !childPassesWhitespaceTest(*child, substitute, false))
                return false;
        }
        if (position.node.get() == &element)
            return true;
        if (!VornickMoveDOMPositionUpToBeforeNode(position))
            return false;
    }
    return false;
}

bool VornickPositionIsAtEndOfElementIgnoringWhitespace(const VornickDOMPosition& start, const DOMElement& element,
                                                       char16_t substitute)
{
    VornickDOMPosition position = start;
    if (!position.node)
        return false;
    if (position.node->isTextNode()) {
        const auto& data = textData(*position.node);
        size_t offset = std::min<size_t>(static_cast<size_t>(position.offset), data.size());
        if (offset < data.size()
            && !vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(
                data, substitute, VornickMakeRange(offset, data.size() - offset)))
            return false;
        if (!VornickMoveDOMPositionUpToAfterNode(position))
            return false;
    }
    while (position.node && position.node->isElementNode()) {
        int32_t end = endOfNode(*position.node);
        for (int32_t i = position.offset; i < end; ++i) {
            DOMNode* child = position.node->childAt(static_cast<unsigned>(i));
            if (child && !childPassesWhitespaceTest(*child, substitute, true))
                return false;
        }
        if (position.node.get() == &element)
            return true;
        if (!VornickMoveDOMPositionUpToAfterNode(position))
            return false;
    }
    return false;
}

std::shared_ptr<DOMRange> VornickDOMRangeCollapsedAtPosition(const VornickDOMPosition& position)
{
    if (!position.node)
        return nullptr;
    DOMDocument* document = position.node->isDocumentNode() ? downcast<DOMDocument>(position.node.get())
                                                            : position.node->document();
    if (!document)
        return nullptr;
    auto range = document->createRange();
    vornick_setAsCollapsedRangeWithPosition(*range, position);
    return range;
}

bool VornickPositionIsDirectlyInElementOfKind(const VornickDOMPosition& position, std::u16string_view tagName)
{
    auto* element = toElement(position.node.get());
    return element && equalsIgnoringASCIICase(element->tagName(), tagName);
}

std::shared_ptr<DOMElement> VornickEnclosingElementOfDOMPosition(const VornickDOMPosition& position)
{
    if (!position.node)
        return nullptr;
    if (position.node->isElementNode())
        return downcast<DOMElement>(position.node);
    return position.node->parentElement();
}

std::shared_ptr<DOMElement> VornickEnclosingElementOfKindForDOMPosition(const VornickDOMPosition& position,
                                                                        std::u16string_view tagName)
{
    for (auto element = VornickEnclosingElementOfDOMPosition(position); element; element = element->parentElement()) {
        if (equalsIgnoringASCIICase(element->tagName(), tagName))
            return element;
    }
    return nullptr;
}

VornickDOMPosition vornick_startPosition(const DOMRange& range)
{
    return { range.startContainer(), static_cast<int32_t>(range.startOffset()) };
}

VornickDOMPosition vornick_endPosition(const DOMRange& range)
{
    return { range.endContainer(), static_cast<int32_t>(range.endOffset()) };
}

void vornick_setStartPosition(DOMRange& range, const VornickDOMPosition& position)
{
    VORNICK_POSITION_ASSERT(position.offset >= 0, "position.offset >= 0");
    range.setStart(position.node, static_cast<unsigned>(position.offset));
}

void vornick_setEndPosition(DOMRange& range, const VornickDOMPosition& position)
{
    VORNICK_POSITION_ASSERT(position.offset >= 0, "position.offset >= 0");
    range.setEnd(position.node, static_cast<unsigned>(position.offset));
}

void vornick_setAsCollapsedRangeWithPosition(DOMRange& range, const VornickDOMPosition& position)
{
    vornick_setStartPosition(range, position);
    vornick_setEndPosition(range, position);
}

namespace {

std::shared_ptr<DOMRange> cloneCollapsedAt(const DOMRange& range, const VornickDOMPosition& position)
{
    auto clone = range.cloneRange();
    vornick_setAsCollapsedRangeWithPosition(*clone, position);
    return clone;
}

} // namespace

std::shared_ptr<DOMRange> vornick_rangeByMovingToPreviousWaypointWithinContainer(const DOMRange& range,
                                                                                 const DOMNode* container)
{
    VornickDOMPosition position = vornick_startPosition(range);
    // A caret in text has no neighbouring nodes to slide over: it only steps.
    if (VornickPositionIsInAnElement(position))
        VornickPullPositionInElementBackwardWithOptions(position, VornickWaypointSkipTextAndComments);
    VornickStepDOMPositionBackward(position, true, container);
    return cloneCollapsedAt(range, position);
}

std::shared_ptr<DOMRange> vornick_rangeByMovingToNextWaypointWithinContainer(const DOMRange& range,
                                                                             const DOMNode* container)
{
    VornickDOMPosition position = vornick_endPosition(range);
    if (VornickPositionIsInAnElement(position))
        VornickPushPositionInElementForwardWithOptions(position, VornickWaypointSkipTextAndComments);
    VornickStepDOMPositionForward(position, true, container);
    return cloneCollapsedAt(range, position);
}

std::shared_ptr<DOMRange> vornick_rangeByMovingToPreviousNodeGap(const DOMRange& range)
{
    VornickDOMPosition position = vornick_startPosition(range);
    if (!VornickMoveDOMPositionToPreviousNodeGap(position.node, position.offset))
        return nullptr;
    return cloneCollapsedAt(range, position);
}

std::shared_ptr<DOMRange> vornick_rangeByMovingToNextNodeGap(const DOMRange& range)
{
    VornickDOMPosition position = vornick_endPosition(range);
    if (!VornickMoveDOMPositionToNextNodeGap(position.node, position.offset))
        return nullptr;
    return cloneCollapsedAt(range, position);
}

} // namespace brevanton
