// A place in the DOM (a node and an offset: UTF-16 units into a text node,
// or the gap before a child of a container) and the walks that test and move
// places: one-unit steps, node gaps, climbing out of nodes, waypoint walks
// over nodes an editing command may pass, and pulls and pushes against
// element and brick boundaries.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace brevanton {

class DOMElement;
class DOMNode;
class DOMRange;

struct VornickDOMPosition {
    std::shared_ptr<DOMNode> node;
    int32_t offset { 0 };

    friend bool operator==(const VornickDOMPosition& a, const VornickDOMPosition& b)
    {
        return a.node == b.node && a.offset == b.offset;
    }
};

inline VornickDOMPosition VornickMakeDOMPosition(std::shared_ptr<DOMNode> node, int32_t offset)
{
    return { std::move(node), offset };
}

// Which neighbouring nodes a waypoint walk may slide over.
enum VornickWaypointSkipOptions : unsigned {
    VornickWaypointSkipWhitespaceOnlyText = 1,
    VornickWaypointSkipTextAndComments = 2,
    VornickWaypointSkipTextCommentsAndNonBrickElements = 4,
    VornickWaypointClimbToParent = 8,
    VornickWaypointSkipComments = 16,
};

bool VornickPositionIsInAnElement(const VornickDOMPosition&);
// Text and CDATA nodes.
bool VornickPositionIsInATextNode(const VornickDOMPosition&);
bool VornickPositionIsAtStartOfNode(const VornickDOMPosition&);
// At the text's length, or after the last child.
bool VornickPositionIsAtEndOfNode(const VornickDOMPosition&);

// The child before/after the gap of a position in an element or fragment (null at the ends).
std::shared_ptr<DOMNode> VornickNodeBeforePositionInElementOrFragment(const VornickDOMPosition&);
std::shared_ptr<DOMNode> VornickNodeAfterPositionInElementOrFragment(const VornickDOMPosition&);

// To the gap before/after the position's node in its parent; false and unchanged without a parent.
bool VornickMoveDOMPositionUpToBeforeNode(VornickDOMPosition&);
bool VornickMoveDOMPositionUpToAfterNode(VornickDOMPosition&);

// The previous/next node gap; false and unchanged at the document's start/end.
bool VornickMoveDOMPositionToPreviousNodeGap(std::shared_ptr<DOMNode>& node, int32_t& offset);
bool VornickMoveDOMPositionToNextNodeGap(std::shared_ptr<DOMNode>& node, int32_t& offset);

// One unit back or forward, never leaving `limit` (may be null).
void VornickStepDOMPositionBackward(VornickDOMPosition&, bool enterBricks, const DOMNode* limit);
void VornickStepDOMPositionForward(VornickDOMPosition&, bool enterBricks, const DOMNode* limit);

// Waypoint walks over the nodes the options let pass; the position must be in an element.
void VornickPullPositionInElementBackwardWithOptions(VornickDOMPosition&, unsigned options);
void VornickPushPositionInElementForwardWithOptions(VornickDOMPosition&, unsigned options);

std::shared_ptr<DOMElement> VornickPullDOMPositionAgainstElementBoundary(VornickDOMPosition&,
                                                                         const std::shared_ptr<DOMElement>& attachmentPointElement);
std::shared_ptr<DOMElement> VornickPushDOMPositionAgainstElementBoundary(VornickDOMPosition&,
                                                                         const std::shared_ptr<DOMElement>& attachmentPointElement);
std::shared_ptr<DOMElement> VornickPullDOMPositionAgainstBrickBoundary(VornickDOMPosition&,
                                                                       const std::shared_ptr<DOMElement>& attachmentPointElement);
std::shared_ptr<DOMElement> VornickPushDOMPositionAgainstBrickBoundary(VornickDOMPosition&,
                                                                       const std::shared_ptr<DOMElement>& attachmentPointElement);

// Only whitespace (HTML whitespace and the substitute) between the element's start/end and the position.
bool VornickPositionIsAtStartOfElementIgnoringWhitespace(const VornickDOMPosition&, const DOMElement& element,
                                                         char16_t nonBreakingSpaceSubstitute);
bool VornickPositionIsAtEndOfElementIgnoringWhitespace(const VornickDOMPosition&, const DOMElement& element,
                                                       char16_t nonBreakingSpaceSubstitute);

// A new range of the node's document collapsed at the position; null without a node.
std::shared_ptr<DOMRange> VornickDOMRangeCollapsedAtPosition(const VornickDOMPosition&);
bool VornickPositionIsDirectlyInElementOfKind(const VornickDOMPosition&, std::u16string_view tagName);
std::shared_ptr<DOMElement> VornickEnclosingElementOfDOMPosition(const VornickDOMPosition&);
std::shared_ptr<DOMElement> VornickEnclosingElementOfKindForDOMPosition(const VornickDOMPosition&,
                                                                        std::u16string_view tagName);

// Range accessors by position.
VornickDOMPosition vornick_startPosition(const DOMRange&);
VornickDOMPosition vornick_endPosition(const DOMRange&);
void vornick_setStartPosition(DOMRange&, const VornickDOMPosition&);
void vornick_setEndPosition(DOMRange&, const VornickDOMPosition&);
void vornick_setAsCollapsedRangeWithPosition(DOMRange&, const VornickDOMPosition&);
std::shared_ptr<DOMRange> vornick_rangeByMovingToPreviousWaypointWithinContainer(const DOMRange&, const DOMNode* container);
std::shared_ptr<DOMRange> vornick_rangeByMovingToNextWaypointWithinContainer(const DOMRange&, const DOMNode* container);
std::shared_ptr<DOMRange> vornick_rangeByMovingToPreviousNodeGap(const DOMRange&);
std::shared_ptr<DOMRange> vornick_rangeByMovingToNextNodeGap(const DOMRange&);

} // namespace brevanton
