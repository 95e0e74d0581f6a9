// Operations the editor adds to DOM elements: class and id lists, language,
// attributes in their written order, the brick test (block units of
// editing), path bar labels, open and close tag text, URL attributes and
// their rewiring when a document moves, and list surgery.
#pragma once

#include "dom/VornickStyleQueries.h"
#include "toolkit/VornickRange.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMElement;
class DOMNode;
class DOMText;
class URL;
class VornickHTMLSpec;

inline constexpr std::u16string_view VornickClassPrefix = u"brevanton-";
inline constexpr std::u16string_view VornickAttachmentPointClassPrefix = u"brevanton-attachment-point-";
inline constexpr std::u16string_view VornickPlaceholderElementClass = u"brevanton-placeholder-element";
inline constexpr std::u16string_view VornickWidthAndHeightMatchMediaClass = u"brevanton-width-and-height-match-media";
inline constexpr std::u16string_view VornickSetWidthAndHeightWhenKnownClass = u"brevanton-set-width-and-height-when-known";

enum VornickTagHTMLOptions : unsigned {
    VornickTagHTMLLowercase = 1,
    VornickTagHTMLDoubleQuotes = 2,
    VornickTagHTMLSelfClosing = 4,
    VornickTagHTMLSpaceBeforeSlash = 8,
    VornickTagHTMLOmitVornickClasses = 16,
    VornickTagHTMLOnlyClassAndId = 32,
};

// --- Classes and ids (tokens of the attribute value; case-sensitive).
std::vector<std::u16string> vornick_classNamesArray(const DOMElement&);
std::vector<std::u16string> vornick_idNamesArray(const DOMElement&);
bool vornick_hasClass(const DOMElement&, std::u16string_view className);
// Appends the class when no token equals it; an element without classes gets just the name.
void vornick_addClass(DOMElement&, std::u16string_view className);
// Removes every token equal to the class; the attribute goes when nothing is left.
void vornick_removeClass(DOMElement&, std::u16string_view className);
std::vector<std::u16string> vornick_classNamesArrayOmittingClassesWithPrefix(const DOMElement&,
                                                                             std::u16string_view prefix);
std::vector<std::u16string> vornick_classNamesArrayOmittingVornickClasses(const DOMElement&);
std::vector<std::u16string> vornick_vornickClassNamesArray(const DOMElement&);
bool vornick_isAttachmentPoint(const DOMElement&);
void vornick_setImgOrVideoElementWidthAndHeightMatchReferencedMedia(DOMElement&, bool);
bool vornick_imgOrVideoElementWidthAndHeightMatchReferencedMedia(const DOMElement&);
void vornick_setImgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(DOMElement&, bool);
bool vornick_imgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(const DOMElement&);
// Two class (or id) attribute values name the same tokens in the same order,
// ignoring case; an absent value is "".
bool VornickHTMLClassOrIdListsAreEquivalent(std::u16string_view listA, std::u16string_view listB);

// --- Language.
std::optional<std::u16string> vornick_BCP47Language(const DOMElement&);
std::optional<std::u16string> vornick_effectiveBCP47Language(const DOMElement&);

// --- Attributes in order.
using VornickAttributeEnumerationBlock =
    std::function<void(const std::u16string& name, const std::u16string& value, uint32_t index, bool& stop)>;
// With forMutation the block sees a snapshot and may change the attributes.
bool vornick_enumerateAttributeNamesAndValuesForMutation(DOMElement&, bool forMutation,
                                                         const VornickAttributeEnumerationBlock&);
bool vornick_hasSameTagNameAndAttributesAs(const DOMElement&, const DOMElement* other);
void vornick_copyAttributesFromElement(DOMElement&, const DOMElement& other);
void vornick_setBooleanAttribute(DOMElement&, std::u16string_view name, bool value);
void vornick_insertAttribute(DOMElement&, std::u16string_view name, std::u16string_view value, size_t index);
void vornick_setInnerText(DOMElement&, const std::u16string& text);
// Gives the element every attribute its document type marks as required on its kind
// and it lacks, with an empty value (a namespace declaration gets the
// element's own namespace); answers the names added, in the specification's
// order. Elements of another namespace than XHTML (SVG, MathML) are left
// alone. Asserts a specification.
std::vector<std::u16string> vornick_addMissingRequiredAttributesForHTMLSpec(DOMElement&, const VornickHTMLSpec* spec);

// --- Bricks.
bool vornick_isBrickElement(const DOMElement&);
bool vornick_brickElementCanBeCollapsed(const DOMElement&);
std::shared_ptr<DOMElement> vornick_firstDescendantBrickElement(const DOMNode&);
std::shared_ptr<DOMElement> vornick_lastDescendantBrickElement(const DOMNode&);
std::vector<std::vector<std::shared_ptr<DOMElement>>> VornickGroupElementsIntoSiblingRuns(
    const std::vector<std::shared_ptr<DOMElement>>&);
// A new element of the kind in the element's place holding its content; null without a parent.
std::shared_ptr<DOMElement> vornick_transformIntoElementOfKind(const std::shared_ptr<DOMElement>&,
                                                               std::u16string_view tagName);

// --- Labels and tag text.
std::u16string vornick_tagLabelForPathSegment(const DOMElement&);
std::u16string vornick_attributesLabelForPathSegment(const DOMElement&);
std::u16string vornick_labelForPathControl(const DOMElement&);
// Style changes for the open tag: properties to set (value, "!important"
// allowed) and property names to remove. Declaration order is kept; new
// properties go last.
struct VornickStyleAttributeChanges {
    std::vector<std::pair<std::u16string, std::u16string>> additionsAndChanges;
    std::vector<std::u16string> deletions;
};
std::u16string vornick_openTagHTML(const DOMElement&, unsigned options = 0,
                                   const VornickStyleAttributeChanges* styleChanges = nullptr,
                                   const URL* documentURL = nullptr);
std::u16string vornick_attributesHTML(const DOMElement&, unsigned options,
                                      const VornickStyleAttributeChanges* styleChanges, const URL* documentURL);
std::u16string vornick_closeTagHTML(const DOMElement&, unsigned options = 0);

// --- URL attributes.
bool vornick_isURLAttributeOnElementKind(std::u16string_view attributeName, std::u16string_view tagName);
std::vector<std::u16string> vornick_attributeNamesOfURLAttributes(const DOMElement&);
bool vornick_rewireReferencesRelativeToNewDocumentURL(DOMElement&, const URL* newDocumentURL,
                                                      const URL* oldDocumentURL);
bool vornick_rewireReferencesRelativeToNewDocumentBaseURL(DOMElement&, const URL* newBaseURL, const URL* oldBaseURL);

// --- Text nodes.
// The text nodes among the children in `childNodesRange` (walked with the
// node-list enumeration options) and, for each element child, among all its
// children, recursively, with the same options. The block gets each text node
// and its index among its siblings. False when the block stopped the walk.
// Asserts that the range lies within the children and a block.
using VornickTextNodeBlock = std::function<void(const std::shared_ptr<DOMText>&, size_t index, bool& stop)>;
bool vornick_recursiveEnumerateContainedTextNodesInRange(DOMNode&, VornickRange childNodesRange, unsigned options,
                                                         const VornickTextNodeBlock& block);

// --- Lists.
// Moves the item's last nested list and everything after it out, right after the item.
bool vornick_hoistListOutOfListItem(DOMElement& listItem);

} // namespace brevanton
