// The containment answers of VornickHTMLSpec that look at the DOM: may an
// element or a snippet be inserted at a position, may a range be wrapped.
#include "html/VornickHTMLSpec.h"

#include "dom/VornickFreezeDriedDOMRange.h"
#include "dom/VornickRangeExtensions.h"
#include "html/VornickFragmentSet.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

void setReason(std::u16string* reasonWhyNot, std::u16string reason)
{
    if (reasonWhyNot)
        *reasonWhyNot = std::move(reason);
}

std::u16string tagOf(const DOMNode& node)
{
    return asciiLowercase(downcast<DOMElement>(node).tagName());
}

// The container of a position: a text or CDATA node stands for its parent.
const DOMNode* containerOfPosition(const VornickDOMPosition& position)
{
    const DOMNode* node = position.node.get();
    if (node && (node->nodeType() == DOMNode::TEXT_NODE || node->nodeType() == DOMNode::CDATA_SECTION_NODE))
        return node->parent();
    return node;
}

// The two ends of a range moved up to gaps between the children of an
// element: an end that is not in an element moves before (the start) or after
// (the end) its node.
struct Gaps {
    VornickDOMPosition start;
    VornickDOMPosition end;
};

Gaps elementGaps(VornickDOMPosition start, VornickDOMPosition end)
{
    if (start.node && !VornickPositionIsInAnElement(start))
        VornickMoveDOMPositionUpToBeforeNode(start);
    if (end.node && !VornickPositionIsInAnElement(end))
        VornickMoveDOMPositionUpToAfterNode(end);
    return { start, end };
}

Gaps elementGaps(const DOMRange& range)
{
    return elementGaps(VornickMakeDOMPosition(range.startContainer(), static_cast<int32_t>(range.startOffset())),
                       VornickMakeDOMPosition(range.endContainer(), static_cast<int32_t>(range.endOffset())));
}

const DOMNode* containerForWrapping(const DOMRange& range)
{
    const DOMNode* start = range.startNode();
    if (!start)
        return nullptr;
    return start->isElementNode() ? start : start->parent();
}

const std::map<std::u16string, std::u16string>& contentPlaceholderValues()
{
    static const std::map<std::u16string, std::u16string> values { { u"content", u"*" } };
    return values;
}

} // namespace

bool VornickHTMLSpec::elementKindMayContainNode(std::u16string_view parentTag, const DOMNode& node, std::u16string* reasonWhyNot) const
{
    switch (node.nodeType()) {
    case DOMNode::TEXT_NODE:
    case DOMNode::CDATA_SECTION_NODE:
    case DOMNode::COMMENT_NODE: {
        auto* record = elementKindRecord(parentTag);
        if (!record)
            return true;
        if (record->contentModel == 0) {
            setReason(reasonWhyNot, VornickIndefiniteArticleForTagName(parentTag, true) + u" <" + std::u16string(parentTag)
                          + u"> may not contain text or comments.");
            return false;
        }
        if (record->contentModel == VornickContentModelEmpty) {
            setReason(reasonWhyNot, VornickIndefiniteArticleForTagName(parentTag, true) + u" <" + std::u16string(parentTag)
                          + u"> is an empty element, and may not have children.");
            return false;
        }
        return true;
    }
    case DOMNode::ELEMENT_NODE:
        return elementKindMayContainElementKind(parentTag, tagOf(node), reasonWhyNot);
    default:
        return false;
    }
}

bool VornickHTMLSpec::checkProposedElement(std::u16string_view tagName, const DOMDocument*, const VornickFragmentSet* fragmentSet,
                                           std::u16string* failureExplanation)
{
    if (!fragmentSet || fragmentSet->bodyElementIsAllowed(asciiLowercase(tagName)))
        return true;
    setReason(failureExplanation, u"The document's snippet set (\"" + fragmentSet->title() + u"\") disallows <"
                  + std::u16string(tagName) + u"> elements.");
    return false;
}

bool VornickHTMLSpec::mayInsertElementWithSpec(const VornickHTMLElementSpec& elementSpec, VornickDOMPosition position,
                                               const VornickFragmentSet* fragmentSet, std::u16string* reasonWhyNot) const
{
    const std::u16string& newTag = elementSpec.tagName();
    if (!checkProposedElement(newTag, position.node ? position.node->document() : nullptr, fragmentSet, reasonWhyNot))
        return false;
    if (elementSpec.parentHTMLSpec() != this) {
        setReason(reasonWhyNot, u"The document's spec (\"" + m_persistableDocumentTypeName + u"\") disallows <" + newTag + u"> elements.");
        return false;
    }
    const DOMNode* container = containerOfPosition(position);
    if (container && container->isDocumentFragmentNode())
        return true;
    if (!container || !container->isElementNode()) {
        setReason(reasonWhyNot, u"Proposed container is not an element.");
        return false;
    }
    std::u16string containerTag = tagOf(*container);
    auto* containerRecord = elementKindRecord(containerTag);
    auto* newRecord = elementKindRecord(newTag);
    if (!containerRecord || !newRecord)
        return true;
    uint64_t model = containerRecord->contentModel;
    if (model == VornickContentModelEmpty) {
        setReason(reasonWhyNot, VornickIndefiniteArticleForTagName(containerTag, true) + u" <" + containerTag
                      + u"> is an empty element, and may not have children.");
        return false;
    }
    auto containerSpec = elementSpecForTagName(containerTag);
    bool listed = containerSpec && containerSpec->otherAllowedChildrenIncludesElementType(newTag);
    // A content model that names no category once the ignored bits are taken
    // off (0 for table, tr, html, ...; 0x800 for iframe) would pass any child
    // by the bit test: for such containers only the listed children may go
    // in, unless the model is transparent.
    bool namesCategory = (model & ~VornickContentModelIgnoredBits) != 0;
    if (listed || (model & VornickContentModelTransparent)
        || (namesCategory && VornickContentModelAcceptsKind(model, newRecord->elementKind)))
        return true;
    setReason(reasonWhyNot, VornickIndefiniteArticleForTagName(newTag, true) + u" <" + newTag + u"> cannot be a child of "
                  + VornickIndefiniteArticleForTagName(containerTag, false) + u" <" + containerTag + u">.");
    return false;
}

bool VornickHTMLSpec::elementMayTakeChildrenOf(std::u16string_view tagName, const DOMNode& parent, std::u16string* reasonWhyNot) const
{
    for (const DOMNode* child = parent.first(); child; child = child->next()) {
        if (!elementKindMayContainNode(tagName, *child, reasonWhyNot))
            return false;
    }
    return true;
}

bool VornickHTMLSpec::elementMayTakeNodesBetweenGaps(std::u16string_view tagName, const DOMRange& range, std::u16string* reasonWhyNot) const
{
    Gaps gaps = elementGaps(range);
    const DOMNode* parent = gaps.start.node.get();
    if (!parent || parent != gaps.end.node.get() || !parent->isElementNode())
        return false;
    for (int32_t index = gaps.start.offset; index < gaps.end.offset; ++index) {
        const DOMNode* node = parent->childAt(static_cast<unsigned>(index));
        if (node && !elementKindMayContainNode(tagName, *node, reasonWhyNot))
            return false;
    }
    return true;
}

bool VornickHTMLSpec::mayWrapContentsOfRangeInElementWithSpec(const DOMRange& range, const VornickHTMLElementSpec& elementSpec,
                                                             const VornickFragmentSet* fragmentSet, std::u16string* reasonWhyNot) const
{
    const std::u16string& newTag = elementSpec.tagName();
    const DOMNode* start = range.startNode();
    if (!checkProposedElement(newTag, start ? start->document() : nullptr, fragmentSet, reasonWhyNot))
        return false;
    if (elementSpec.parentHTMLSpec() != this) {
        setReason(reasonWhyNot, u"The document's spec (\"" + m_persistableDocumentTypeName + u"\") disallows <" + newTag + u"> elements.");
        return false;
    }
    if (!vornick_isSuitableForWrapping(range))
        return false;
    const DOMNode* container = containerForWrapping(range);
    if (!container || !container->isElementNode())
        return false;
    if (!elementKindMayContainElementKind(tagOf(*container), asciiLowercase(newTag), reasonWhyNot))
        return false;
    return elementMayTakeNodesBetweenGaps(asciiLowercase(newTag), range, reasonWhyNot);
}

bool VornickHTMLSpec::snippetIsValid(const VornickFragmentDescription& fragment, std::u16string* reasonWhyNot) const
{
    if (m_documentType == VornickHTMLDocumentType::Unknown)
        return true;
    auto result = fragment.validationResultForDocumentType(m_documentType);
    if (result && result->validationStatus() == VornickFragmentValidationStatus::Errors) {
        setReason(reasonWhyNot, u"The snippet (\"" + fragment.displayName() + u"\") is not valid " + m_persistableDocumentTypeName);
        return false;
    }
    return true;
}

bool VornickHTMLSpec::fragment(const VornickFragmentDescription& fragment, const DOMRange&, std::u16string* reasonWhyNot) const
{
    return snippetIsValid(fragment, reasonWhyNot);
}

bool VornickHTMLSpec::mayInsertDescribedFragment(const VornickFragmentDescription& description, VornickDOMPosition position,
                                                 std::u16string* reasonWhyNot) const
{
    if (!snippetIsValid(description, reasonWhyNot))
        return false;
    DOMDocument* document = position.node ? position.node->document() : nullptr;
    if (!document)
        return false;
    auto fragment = description.createDescribedFragmentWithValues(contentPlaceholderValues(), *document, nullptr);
    if (!fragment)
        return false;
    return mayInsertFragment(*fragment, position, reasonWhyNot);
}

bool VornickHTMLSpec::mayInsertFragment(const DOMDocumentFragment& fragment, VornickDOMPosition position, std::u16string* reasonWhyNot) const
{
    const DOMNode* container = containerOfPosition(position);
    if (container && container->isDocumentFragmentNode())
        return true;
    if (!container || !container->isElementNode()) {
        setReason(reasonWhyNot, u"Proposed container is not an element.");
        return false;
    }
    return elementMayTakeChildrenOf(tagOf(*container), fragment, reasonWhyNot);
}

bool VornickHTMLSpec::mayReplaceContentsOfRange(const DOMRange& range, const VornickFragmentDescription& description,
                                                std::u16string* reasonWhyNot) const
{
    if (!snippetIsValid(description, reasonWhyNot))
        return false;
    const DOMNode* container = range.startNode();
    if (!container || container != range.endNode() || !container->isElementNode())
        return false;
    DOMDocument* document = container->document();
    if (!document)
        return false;
    auto fragment = description.createDescribedFragmentWithValues(contentPlaceholderValues(), *document, nullptr);
    if (!fragment)
        return false;
    return elementMayTakeChildrenOf(tagOf(*container), *fragment, reasonWhyNot);
}

bool VornickHTMLSpec::mayWrapContentsOfRangeInFragmentDescription(const DOMRange& range, const VornickFragmentDescription& description,
                                                                 std::u16string* reasonWhyNot) const
{
    if (!snippetIsValid(description, reasonWhyNot) || !vornick_isSuitableForWrapping(range))
        return false;
    const DOMNode* container = containerForWrapping(range);
    DOMDocument* document = range.startNode() ? range.startNode()->document() : nullptr;
    if (!document)
        return false;
    std::optional<VornickFreezeDriedDOMRange> interior;
    auto fragment = description.createDescribedFragmentWithValues(contentPlaceholderValues(), *document, &interior);
    if (!fragment || !interior)
        return false;
    if (!container || !container->isElementNode() || !elementMayTakeChildrenOf(tagOf(*container), *fragment, reasonWhyNot))
        return false;
    VornickDOMPosition interiorStart;
    VornickDOMPosition interiorEnd;
    if (!interior->thawToStartPosition(interiorStart, interiorEnd, fragment))
        return false;
    Gaps gaps = elementGaps(interiorStart, interiorEnd);
    const DOMNode* interiorNode = gaps.start.node.get();
    if (!interiorNode || interiorNode != gaps.end.node.get())
        return false;
    if (interiorNode->isDocumentFragmentNode())
        return true;
    if (!interiorNode->isElementNode())
        return false;
    return elementMayTakeNodesBetweenGaps(tagOf(*interiorNode), range, reasonWhyNot);
}

} // namespace brevanton
