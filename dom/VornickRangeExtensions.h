// Operations the editor adds to DOM ranges: how two ranges meet, which
// element a range selects or lies in, which elements and text spans it
// covers, and how to grow, shrink, raise or lower its endpoints before a
// structural edit. Position accessors are in VornickDOMPosition.h.
#pragma once

#include "dom/VornickDOMPosition.h"
#include "dom/VornickFreezeDriedDOMRange.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMElement;
class DOMNode;
class DOMRange;
class DOMText;
class VornickAttachmentPointReference;


enum class VornickRangeIntersectionResult : int {
    NoIntersection = 0,
    PartialIntersection = 1,
    FirstContainsSecond = 2,
    SecondContainsFirst = 3,
    Identical = 4,
};

std::u16string VornickStringFromRangeIntersectionResult(VornickRangeIntersectionResult);

// --- Queries.
std::shared_ptr<DOMDocument> vornick_ownerDocument(const DOMRange&);
bool vornick_isSameAsRange(const DOMRange&, const DOMRange& other);
// How the receiver meets `other`; `intersection` (when given) receives the common part.
VornickRangeIntersectionResult vornick_testIntersectionWithRange(const DOMRange&, const DOMRange& other,
                                                                std::shared_ptr<DOMRange>* intersection = nullptr);
VornickRangeIntersectionResult vornick_testIntersectionWithNode(const DOMRange&, const DOMNode& node,
                                                               std::shared_ptr<DOMRange>* intersection = nullptr);
bool vornick_containsPosition(const DOMRange&, const VornickDOMPosition&);
bool vornick_completelyContainsNode(const DOMRange&, const DOMNode&);
bool vornick_isContainedByRange(const DOMRange&, const DOMRange& other);
bool vornick_isContainedByElement(const DOMRange&, const DOMElement&);
bool vornick_isContainedByNode(const DOMRange&, const DOMNode&);
std::shared_ptr<DOMNode> vornick_exactlySelectedNode(const DOMRange&);
bool vornick_exactlySpansAllChildNodesOfElement(const DOMRange&, const DOMElement*);
std::shared_ptr<DOMElement> vornick_deepestElementThatSpansEntireRange(const DOMRange&);
std::shared_ptr<DOMElement> vornick_firstCompletelyContainedElement(const DOMRange&);
std::shared_ptr<DOMElement> vornick_elementThatSpansEntireRangeOfKind(const DOMRange&, std::u16string_view tagName,
                                                                      std::u16string_view classNames);
std::shared_ptr<DOMElement> vornick_elementThatSpansEntireRangeOfKinds(const DOMRange&,
                                                                       const std::vector<std::u16string>& kinds);
std::shared_ptr<DOMElement> vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(
    const DOMRange&, const std::vector<std::u16string>& kinds);
bool vornick_allCharactersAreContainedInElementsOfKind(const DOMRange&, std::u16string_view tagName);
// Whether an element of the kind lies wholly inside the range.
bool vornick_rangeContainsElementOfKind(const DOMRange&, std::u16string_view tagName);
// Whether an element of the kind encloses either end of the range or lies wholly inside it.
bool vornick_rangeMeetsElementOfKind(const DOMRange&, std::u16string_view tagName);
std::vector<std::shared_ptr<DOMElement>> vornick_inferredTargetElementsOfKinds(const DOMRange&,
                                                                               const std::vector<std::u16string>& kinds);
bool vornick_isSuitableForWrapping(const DOMRange&);
bool vornick_bothEndpointsAreCharacterLevel(const DOMRange&);
bool vornick_eitherEndpointIsCharacterLevel(const DOMRange&);
bool vornick_isBetweenTwoBRElements(const DOMRange&);
std::shared_ptr<VornickAttachmentPointReference> vornick_enclosingAttachmentPoint(const DOMRange&);
std::shared_ptr<DOMElement> vornick_enclosingAttachmentPointElement(const DOMRange&);
std::shared_ptr<VornickAttachmentPointReference> VornickAttachmentPointForNode(const DOMNode&);
std::shared_ptr<DOMElement> VornickAttachmentPointElementForNode(const DOMNode&);
std::u16string vornick_description(const DOMRange&);
// Debugging dump of the range's neighbourhood.
std::u16string vornick_splat(const DOMRange&);

// --- Geometry.
struct VornickRect {
    double x { 0 };
    double y { 0 };
    double width { 0 };
    double height { 0 };
    bool isEmpty() const { return width <= 0 || height <= 0; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    friend bool operator==(const VornickRect&, const VornickRect&) = default;
};
VornickRect VornickUnionRect(const VornickRect&, const VornickRect&);
enum class VornickRectEdge : int { MinY = 1, MaxY = 3 };
// The bounds of a node in the caller's view; an empty rectangle for a node that shows nothing.
using VornickNodeBoundsGetter = std::function<VornickRect(const DOMNode&)>;
using VornickContainerEdgeGapFinder = std::function<VornickRect(const VornickRect&, const DOMNode& container, VornickRectEdge edge)>;
VornickRect vornick_boundingBoxBestGuess(const DOMRange&, const VornickNodeBoundsGetter&,
                                         const VornickContainerEdgeGapFinder&, bool flipped);
// The same guess for the range from before `first` to after `last`, a later
// sibling of it (or itself), found from the nodes alone: no walk to learn
// their offsets among the parent's children, which may be thousands.
VornickRect vornick_boundingBoxBestGuessOfSiblings(const DOMNode& first, const DOMNode& last, const VornickNodeBoundsGetter&);

// --- Enumerations; each answers false when the block stopped it.
bool vornick_enumerateCompletelyContainedElementsWithOptions(
    const DOMRange&, unsigned options, const std::function<void(const std::shared_ptr<DOMElement>&, bool& stop)>&);
bool vornick_enumerateIntersectedElementsWithOptions(
    const DOMRange&, unsigned options, const std::function<void(const std::shared_ptr<DOMElement>&, bool& stop)>&);
bool vornick_enumerateTextSpansWithOptions(
    const DOMRange&, unsigned options,
    const std::function<void(const std::shared_ptr<DOMText>&, size_t start, size_t end, bool& stop)>&);

// --- Mutations.
bool vornick_expandOneLevelButNotBeyond(DOMRange&, const DOMNode* limit);
void vornick_expandToEncompassAdjacentCharactersInSet(DOMRange&, const std::function<bool(char16_t)>& isInSet);
void vornick_expandToEncompassAdjacentTextNodes(DOMRange&);
bool vornick_expandToEncompassAdjacentContentThatCanBeWrappedInElementKind(DOMRange&, std::u16string_view tagName);
DOMRange& vornick_expandDeletionRangeToPruneUselessOrphans(DOMRange&);
void vornick_shrinkRangeToOmitOuterComments(DOMRange&);
void vornick_pullRangeEndpointsIn(DOMRange&);
bool vornick_pullRangeEndpointsUpToContainingNodes(DOMRange&);
bool vornick_pullRangeEndpointsUpToContainingNodesButNotPast(DOMRange&, const DOMNode* limit,
                                                             bool requireExactPositionEquivalence);
void vornick_pushRangeEndpointsDownToTextNodes(DOMRange&);
void vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(DOMRange&, int bias);
std::shared_ptr<DOMRange> vornick_rangeByGrowingToCommonAncestorElementSpan(const DOMRange&);
std::shared_ptr<DOMRange> vornick_rangeByRaisingToCommonContainerWithin(const DOMRange&, const DOMElement& limit,
                                                                        bool allowingForWhitespace,
                                                                        char16_t nonBreakingSpaceSubstitute);
// Grows the receiver to the smallest range covering both.
void vornick_addRange(DOMRange&, const DOMRange& other);
std::shared_ptr<DOMRange> vornick_insertChildNodes(DOMRange&, const std::vector<std::shared_ptr<DOMNode>>& nodes);
void vornick_insertNodeAndSurroundWhatWasInserted(DOMRange&, const std::shared_ptr<DOMNode>& node);
std::shared_ptr<DOMRange> vornick_insertText(DOMRange&, const std::u16string& text);

// Only whitespace (and the substitute) before/after the position within its node.
bool VornickOnlyWhitespacePrecedesPositionInNode(const VornickDOMPosition&, char16_t substitute);
bool VornickOnlyWhitespaceFollowsPositionInNode(const VornickDOMPosition&, char16_t substitute);

std::optional<VornickFreezeDriedDOMRange> vornick_freezeDriedRangeRelativeToAncestor(const DOMRange&,
                                                                                    const std::shared_ptr<DOMNode>& ancestor,
                                                                                    bool skipWhitespaceNodes);

} // namespace brevanton
