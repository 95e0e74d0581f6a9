// Operations the editor adds to every DOM node: tree walks in document order
// or its reverse, searches for ancestors, siblings, children and descendants,
// index arithmetic over child lists (optionally ignoring whitespace-only
// text), child-list surgery, attachment points, marker comments, URL
// attributes, plain-text copies and debugging dumps.
#pragma once

#include "toolkit/VornickRange.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMDocumentFragment;
class DOMElement;
class DOMNode;
class DOMNodeList;
class DOMRange;
class DOMText;
class URL;
class VornickAttachmentPointReference;

// Enumeration options: only the reverse bit is read.
enum VornickEnumerationOptions : unsigned {
    VornickEnumerationConcurrent = 1,
    VornickEnumerationReverse = 2,
};

using VornickNodeEnumerationBlock = std::function<void(const std::shared_ptr<DOMNode>&, bool& stop)>;
using VornickElementEnumerationBlock = std::function<void(const std::shared_ptr<DOMElement>&, bool& stop)>;
using VornickTextEnumerationBlock = std::function<void(const std::shared_ptr<DOMText>&, bool& stop)>;
using VornickElementTest = std::function<bool(const DOMElement&)>;

// --- Tree walks. Each answers false when the block stopped it. The walks
// take each child list as it stands before its first child is visited, so a
// block may replace or remove the node it was given.

// Pre-order (the node, then its children's subtrees); reversed: the exact reverse.
bool vornick_enumerateNodeTreeWithOptions(const std::shared_ptr<DOMNode>&, unsigned options,
                                          const VornickNodeEnumerationBlock&);
bool vornick_enumerateElementTreeWithOptions(const std::shared_ptr<DOMNode>&, unsigned options,
                                             const VornickElementEnumerationBlock&);
// Text nodes (not CDATA sections).
bool vornick_enumerateTextTreeWithOptions(const std::shared_ptr<DOMNode>&, unsigned options,
                                          const VornickTextEnumerationBlock&);
// The nodes from `node` down to `descendant`, top first, with their depth and
// the descendant's depth. False without calling the block when `descendant` is not below.
bool vornick_enumerateNodePathDownToDescendant(
    const std::shared_ptr<DOMNode>&, const std::shared_ptr<DOMNode>& descendant,
    const std::function<void(const std::shared_ptr<DOMNode>&, size_t depth, size_t descendantDepth, bool& stop)>&);

// Lower-case tag names of the subtree's elements.
std::set<std::u16string> vornick_elementsUsedInTree(const std::shared_ptr<DOMNode>&);
// The first candidate that occurs in no text node of the subtree; 0 when all do.
char16_t vornick_firstCharacterInStringNotUsedInTree(const std::shared_ptr<DOMNode>&, std::u16string_view candidates);
void vornick_replaceOccurrencesOfCharacter(const std::shared_ptr<DOMNode>&, char16_t character, char16_t replacement);

// A snippet expression found in a node's data or in an attribute value.
struct VornickExpressionOccurrence {
    std::shared_ptr<DOMNode> node; // the text, CDATA or comment node, or the attribute node
    VornickRange range;
};
std::vector<VornickExpressionOccurrence> vornick_findExpressionOccurrencesInTree(const std::shared_ptr<DOMNode>&);

// --- Ancestors, siblings, children, descendants.

// True when the node lies strictly below `ancestor`.
bool vornick_hasAncestor(const DOMNode&, const DOMNode* ancestor);
std::shared_ptr<DOMElement> vornick_nearestAncestorElementPassingTest(const DOMNode&, const VornickElementTest&);
std::shared_ptr<DOMElement> vornick_nearestAncestorElementOfKind(const DOMNode&, std::u16string_view tagName);
std::shared_ptr<DOMElement> vornick_farthestAncestorElementPassingTest(const DOMNode&, const VornickElementTest&);
std::shared_ptr<DOMElement> vornick_farthestAncestorElementOfKind(const DOMNode&, std::u16string_view tagName);

// Whitespace-only text here counts the frame's substitute character as whitespace.
std::shared_ptr<DOMNode> vornick_previousSiblingSkippingWhitespaceOnlyNodes(const DOMNode&, bool skipWhitespace,
                                                                          bool skipComments);
std::shared_ptr<DOMNode> vornick_nextSiblingSkippingWhitespaceOnlyNodes(const DOMNode&);
std::shared_ptr<DOMElement> vornick_previousSiblingElement(const DOMNode&);
std::shared_ptr<DOMElement> vornick_nextSiblingElement(const DOMNode&);
std::shared_ptr<DOMNode> vornick_previousCommentWithPrefix(const DOMNode&, std::u16string_view prefix);
std::shared_ptr<DOMNode> vornick_nextCommentWithPrefix(const DOMNode&, std::u16string_view prefix);
// Index in the parent of the nearest prefixed comment across whitespace-only
// text and other comments; VornickNotFound when none.
size_t vornick_indexOfPreviousCommentWithPrefix(const DOMNode&, std::u16string_view prefix);
size_t vornick_indexOfNextCommentWithPrefix(const DOMNode&, std::u16string_view prefix);
// The earliest node of the unbroken run of whitespace-only text and
// unprefixed comments directly before the node; null when there is none.
std::shared_ptr<DOMNode> vornick_startOfPrecedingWhitespaceRunExceptingCommentNodesWithPrefixes(
    const DOMNode&, const std::vector<std::u16string>& prefixes);
std::shared_ptr<DOMElement> vornick_firstChildElementWithTag(const DOMNode&, std::u16string_view tagName);
std::shared_ptr<DOMElement> vornick_findElementWithTagName(const std::shared_ptr<DOMNode>&, std::u16string_view tagName,
                                                           bool mustSpanEntireSubtree = false);
std::vector<std::shared_ptr<DOMElement>> vornick_findElementsWithId(const std::shared_ptr<DOMNode>&,
                                                                    std::u16string_view identifier,
                                                                    const DOMElement* excluding);
std::vector<std::shared_ptr<DOMElement>> vornick_findElementsWithStringValues(
    const std::shared_ptr<DOMNode>&, const std::vector<std::u16string>& values,
    const std::vector<std::u16string>& omittedValues, std::u16string_view attributeName);
std::shared_ptr<DOMRange> vornick_findRunOfSiblingElementsWithStringValues(
    const std::shared_ptr<DOMNode>&, const std::vector<std::u16string>& values,
    const std::vector<std::u16string>& omittedValues, std::u16string_view attributeName);

// --- Indices and child lists.

// The last gap (child count) or, for text, the length.
size_t vornick_lastIndex(const DOMNode&);
bool vornick_indexIsAtEndOfNode(const DOMNode&, size_t index);
size_t vornick_indexOfChildNode(const DOMNode&, const DOMNode* child);
// The count of earlier siblings that are not whitespace-only text (HTML whitespace only).
size_t vornick_normalizedIndexOfChildNodeIgnoringWhitespaceOnlyNodes(const DOMNode&, const DOMNode* child);
size_t vornick_indexOfFirstChildOfType(const DOMNode&, unsigned nodeType);
// Moves the nodes (a snapshot is taken first) to the end of the children.
void vornick_appendChildNodes(DOMNode&, const std::vector<std::shared_ptr<DOMNode>>& nodes);
void vornick_appendChildNodes(DOMNode&, const DOMNodeList& nodes);
[[nodiscard]] bool vornick_insertChild(DOMNode&, const std::shared_ptr<DOMNode>& child, DOMNode* before);
void vornick_insertChildNodes(DOMNode&, const std::vector<std::shared_ptr<DOMNode>>& nodes, DOMNode* before);
// Old first, new second.
[[nodiscard]] bool vornick_replaceChild(DOMNode&, DOMNode* oldChild, const std::shared_ptr<DOMNode>& newChild);
void vornick_replaceChildNodesInRange(DOMNode&, VornickRange childNodeRange,
                                      const std::vector<std::shared_ptr<DOMNode>>& nodes);
// Replaces a child element by its contents; a new range over them.
std::shared_ptr<DOMRange> vornick_unwrapChildElement(DOMNode&, const std::shared_ptr<DOMElement>& childElement);
// Cleans up pasted markup: converted spaces to spaces, no style attributes,
// bare spans unwrapped, text normalized.
void vornick_cleanUpFragment(const std::shared_ptr<DOMNode>&);
// Text: length 0. Fragment: every child is an empty text. Element: every
// child is an effectively empty text. Other nodes: false.
bool vornick_isEffectivelyEmpty(const DOMNode&);

// --- Ranges.
std::shared_ptr<DOMRange> vornick_outerRange(const DOMNode&);
std::shared_ptr<DOMRange> vornick_innerRange(const std::shared_ptr<DOMNode>&);
std::shared_ptr<DOMRange> vornick_innerRangeWithWhitespaceOnlyTextNodesTrimmed(const std::shared_ptr<DOMNode>&);

// --- Attachment points.
std::shared_ptr<VornickAttachmentPointReference> vornick_enclosingAttachmentPoint(const DOMNode&);
std::shared_ptr<DOMElement> vornick_enclosingAttachmentPointElement(const DOMNode&);
bool vornick_isContainedByAttachmentPoint(const DOMNode&);

// --- URLs.
// (element, attribute name, value) of every URL attribute with a value in the subtree.
struct VornickURLAttributeOccurrence {
    std::shared_ptr<DOMElement> element;
    std::u16string attributeName;
    std::u16string value;
};
std::vector<VornickURLAttributeOccurrence> vornick_URLAttributesForTree(const std::shared_ptr<DOMNode>&);
std::vector<URL> vornick_URLSetResolvedUsingDocumentURL(const std::shared_ptr<DOMNode>&, const URL& documentURL);
// The URLs the owner document's resource file references resolve each value
// to, once each; values it cannot resolve are left out.
std::vector<URL> vornick_URLSetResolvedForDocument(const std::shared_ptr<DOMNode>&);
// The deepest folder holding every local file the subtree references (snippet
// sets and files of `applicationBundleKey`'s folder left out); nothing when none.
std::optional<URL> vornick_rootURLForRequestingFileReadPermissionsGivenDocumentURL(
    const std::shared_ptr<DOMNode>&, const URL& documentURL, std::u16string_view applicationBundleKey = {});

// --- Text and descriptions.
// Type 0: the text content; nothing for other types.
std::optional<std::u16string> vornick_plainTextRepresentationOfType(const DOMNode&, int type);
std::u16string vornick_nodeDescription(const DOMNode&);
std::u16string vornick_splatWithDepth(const DOMNode&, unsigned depth);
std::u16string vornick_splat(const DOMNode&);

// Visits a tree: elements and text by overridable operations, fragments by their children.
class VornickDOMTreeVisitor {
public:
    virtual ~VornickDOMTreeVisitor() = default;
    void visitDOMNode(const std::shared_ptr<DOMNode>&);
    // Visits the element's children.
    virtual void visitDOMElement(const std::shared_ptr<DOMElement>&);
    virtual void visitDOMTextNode(const std::shared_ptr<DOMText>&) {}
    // Visits a snapshot of the children, so a visit may replace its node.
    void visitChildrenOfDOMNode(const std::shared_ptr<DOMNode>&);
};

// True for UTF-8, UTF-16 (and its BE/LE forms) and UTF-32 (and its BE/LE forms), by IANA name.
bool VornickStringEncodingIsUnicode(std::u16string_view ianaCharsetName);

} // namespace brevanton
