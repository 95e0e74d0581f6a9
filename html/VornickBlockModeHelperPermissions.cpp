// What the user may edit, delete and insert where, and where an insertion
// point goes among block delimiter comments.
#include "html/VornickBlockModeHelper.h"

#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "html/VornickBlockModeHelperInternal.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "toolkit/VornickWhitespaceFilter.h"

namespace brevanton {

using namespace BlockModeHelperDetail;

namespace {

// The element a position lies in: the element itself, or a text node's parent element.
std::shared_ptr<DOMElement> elementOfPosition(const VornickDOMPosition& position)
{
    if (!position.node)
        return nullptr;
    if (position.node->isElementNode())
        return downcast<DOMElement>(position.node);
    return position.node->parentElement();
}

// The lower-case tag names whose content a snippet lets the user edit; only
// a general snippet (one made of markup) names any.
const std::set<std::u16string>* editableContentElementTypes(const VornickFragmentDescription& description)
{
    auto* general = dynamic_cast<const VornickGeneralFragmentDescription*>(&description);
    return general ? &general->editableContentElementTypes() : nullptr;
}

bool anyAncestorHasEditableType(std::shared_ptr<DOMElement> element, const DOMElement& blockElement,
                                const std::set<std::u16string>& types)
{
    for (; element; element = element->parentElement()) {
        if (types.contains(lowercaseTagName(*element)))
            return true;
        if (element.get() == &blockElement)
            break;
    }
    return false;
}

} // namespace

bool VornickBlockModeHelper::mayEditContentOfNode(const DOMNode& node) const
{
    if (!operatingInBlockMode())
        return true;
    return node.nodeType() == DOMNode::TEXT_NODE || node.nodeType() == DOMNode::CDATA_SECTION_NODE;
}

bool VornickBlockModeHelper::mayEditPropertiesOfElement(const std::shared_ptr<DOMElement>& element) const
{
    if (!operatingInBlockMode() || !element)
        return true;
    auto attachmentPoint = vornick_enclosingAttachmentPointElement(*element);
    auto block = blockEnclosingNode(element, {}, false, false, attachmentPoint.get());
    if (!block)
        return true;
    auto description = fragmentDescriptionForBlockStartComment(*block->blockStartComment());
    if (!description || !editableContentElementTypes(*description))
        return false;
    return mayEditPropertiesOfDescendantElement(element, *block, *description);
}

bool VornickBlockModeHelper::mayEditContentOfDescendantElement(const std::shared_ptr<DOMElement>& element,
                                                               const VornickExactSelection& block,
                                                               const VornickFragmentDescription& description) const
{
    auto types = editableContentElementTypes(description);
    if (!types || !element || !block.element())
        return false;
    return anyAncestorHasEditableType(element, *block.element(), *types);
}

bool VornickBlockModeHelper::mayEditPropertiesOfDescendantElement(const std::shared_ptr<DOMElement>& element,
                                                                  const VornickExactSelection& block,
                                                                  const VornickFragmentDescription& description) const
{
    auto types = editableContentElementTypes(description);
    if (!types || !element || !block.element() || element == block.element())
        return false;
    return anyAncestorHasEditableType(element->parentElement(), *block.element(), *types);
}

std::shared_ptr<DOMElement> VornickBlockModeHelper::contentEditableAncestorElementForPosition(const VornickDOMPosition& position,
                                                                                             bool remainingWithinBlock) const
{
    if (!operatingInBlockMode())
        return position.node ? position.node->parentElement() : nullptr;
    auto element = elementOfPosition(position);
    if (!element)
        return nullptr;
    auto attachmentPoint = vornick_enclosingAttachmentPointElement(*position.node);
    auto block = blockEnclosingPosition(position, {}, false, attachmentPoint.get());
    if (!block)
        return element == attachmentPoint ? attachmentPoint : nullptr;
    auto description = fragmentDescriptionForBlockStartComment(*block->blockStartComment());
    if (!description || !editableContentElementTypes(*description))
        return nullptr;
    // The block's own element counts (a paragraph block's text is the P's);
    // the walk stops only on going past it.
    for (; element; element = element->parentElement()) {
        if (element == attachmentPoint)
            return attachmentPoint;
        if (mayEditContentOfDescendantElement(element, *block, *description))
            return element;
        if (remainingWithinBlock && element == block->element())
            return nullptr;
    }
    return nullptr;
}

bool VornickBlockModeHelper::proposedSelectionRangeIsInEditableContent(const DOMRange& range) const
{
    auto start = contentEditableAncestorElementForPosition({ range.startContainer(), static_cast<int32_t>(range.startOffset()) }, true);
    if (!start)
        return false;
    if (range.collapsed())
        return true;
    auto end = contentEditableAncestorElementForPosition({ range.endContainer(), static_cast<int32_t>(range.endOffset()) }, true);
    if (!end)
        return false;
    // Outside block mode the whole content is one text to edit: a selection
    // may run across paragraphs, list items and cells, as in any editor, as
    // long as it stays within one attachment point (the body when there are
    // none). In block mode it stays within one editable element of a block.
    if (!operatingInBlockMode())
        return vornick_enclosingAttachmentPointElement(*range.startContainer()) == vornick_enclosingAttachmentPointElement(*range.endContainer());
    return end == start;
}

std::shared_ptr<DOMElement> VornickBlockModeHelper::deepestElementUnderAttachmentPoint(const std::shared_ptr<DOMElement>& attachmentPoint,
                                                                                      const DOMRange* range) const
{
    BREVANTON_ASSERT(range != nullptr, "range != nil");
    auto deepest = vornick_deepestElementThatSpansEntireRange(*range);
    if (!deepest || !attachmentPoint)
        return deepest;
    if (deepest == attachmentPoint || !vornick_hasAncestor(*deepest, attachmentPoint.get()))
        return nullptr;
    return deepest;
}

std::optional<VornickExactSelection> VornickBlockModeHelper::blockOrElementToEditForRange(const DOMRange* range) const
{
    if (!range)
        return std::nullopt;
    auto selection = exactSelectionFromRange(*range, true);
    if (selection && selection->blockStartComment())
        return selection;
    auto attachmentPoint = vornick_enclosingAttachmentPointElement(*range);
    auto element = selection ? selection->element() : deepestElementUnderAttachmentPoint(attachmentPoint, range);
    while (element) {
        if (blockStartCommentBeforeNode(*element))
            return blockOrElement(element);
        auto enclosing = blockEnclosingNode(element, {}, false, false, attachmentPoint.get());
        if (!enclosing)
            break;
        auto description = fragmentDescriptionForBlockStartComment(*enclosing->blockStartComment());
        if (description && editableContentElementTypes(*description)
            && mayEditPropertiesOfDescendantElement(element, *enclosing, *description))
            return VornickExactSelection(element);
        auto parent = element->parentElement();
        if (!parent || parent == attachmentPoint)
            return std::nullopt;
        element = parent;
    }
    if (!element)
        return std::nullopt;
    if (operatingInBlockMode())
        return VornickExactSelection(element);
    if (lowercaseTagName(*element) == u"img") {
        auto limit = attachmentPoint.get();
        for (auto kind : { u"figure", u"picture" }) {
            auto container = vornick_nearestAncestorElementOfKind(*element, kind);
            if (container && (!limit || vornick_hasAncestor(*container, limit)))
                return VornickExactSelection(container);
        }
    }
    return VornickExactSelection(element);
}

// --- Insertion points.

void VornickBlockModeHelper::moveInsertionRangeOutOfBlockDelimiterComments(DOMRange& range) const
{
    auto startPrefix = blockStartCommentPrefix();
    auto endPrefix = blockEndCommentPrefix();
    if (!range.collapsed() || !startPrefix)
        return;
    auto container = range.startContainer();
    unsigned offset = range.startOffset();
    if (container && container->isTextNode()) {
        offset = container->index();
        container = container->parentNode();
    }
    if (!container || !container->isElementNode())
        return;
    auto place = [&](const DOMNode& node, bool after) {
        if (after)
            (void)range.setStartAfter(node);
        else
            (void)range.setStartBefore(node);
        range.collapse(true);
    };
    auto acrossWhitespace = [](DOMNode* node, bool forward) {
        while (node && isWhitespaceOnlyText(node))
            node = forward ? node->next() : node->previous();
        return node;
    };
    DOMNode* atOffset = offset < container->childCount() ? container->childAt(offset) : nullptr;
    if (atOffset) {
        if (isCommentWithPrefix(atOffset, endPrefix))
            return place(*atOffset, true);
        if (auto following = acrossWhitespace(atOffset, true); following && isCommentWithPrefix(following, endPrefix))
            return place(*following, true);
    }
    if (offset >= 1) {
        DOMNode* before = container->childAt(offset - 1);
        if (isCommentWithPrefix(before, startPrefix))
            return place(*before, false);
        if (auto preceding = acrossWhitespace(before, false); preceding && isCommentWithPrefix(preceding, startPrefix))
            return place(*preceding, false);
    }
}

bool VornickBlockModeHelper::insertionRangeIsInBlock(
    const DOMRange& range, const std::function<void(const VornickExactSelection&, VornickBlockInteriorEndpointClass)>& classify) const
{
    if (!range.collapsed())
        return false;
    VornickDOMPosition position { range.startContainer(), static_cast<int32_t>(range.startOffset()) };
    auto block = blockEnclosingPosition(position, {}, false, nullptr);
    if (!block || !block->blockStartComment() || !block->element())
        return false;
    auto& element = block->element();
    char16_t substitute = substituteCharacterForNode(*element);
    auto document = element->ownerDocument();
    auto isBlank = [&](bool before) {
        auto part = document->createRange();
        bool ok = before ? part->setStart(element, 0) && part->setEnd(position.node, position.offset)
                         : part->setStart(position.node, position.offset) && part->setEnd(element, element->childCount());
        return ok && vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(part->toString(), substitute);
    };
    auto kind = VornickBlockInteriorEndpointClass::Interior;
    if (isBlank(true))
        kind = VornickBlockInteriorEndpointClass::AtStart;
    else if (isBlank(false))
        kind = VornickBlockInteriorEndpointClass::AtEnd;
    if (classify)
        classify(*block, kind);
    return true;
}

std::shared_ptr<DOMRange> VornickBlockModeHelper::poppedInsertionRangeIfAtBlockStartOrEnd(const DOMRange& range) const
{
    if (!operatingInBlockMode())
        return nullptr;
    std::shared_ptr<DOMRange> popped;
    insertionRangeIsInBlock(range, [&](const VornickExactSelection& block, VornickBlockInteriorEndpointClass kind) {
        if (kind == VornickBlockInteriorEndpointClass::Interior)
            return;
        auto outer = block.outerRange();
        if (!outer)
            return;
        outer->collapse(kind == VornickBlockInteriorEndpointClass::AtStart);
        popped = outer;
    });
    return popped;
}

bool VornickBlockModeHelper::mayInsertDescribedFragment(const VornickFragmentDescription& description, const VornickDOMPosition& position,
                                                        std::u16string* reasonWhyNot) const
{
    if (!position.node)
        return false;
    auto document = position.node->ownerDocument();
    auto spec = document ? vornick_htmlSpecForDocType(*document) : nullptr;
    return !spec || spec->mayInsertDescribedFragment(description, position, reasonWhyNot);
}

bool VornickBlockModeHelper::mayInsertFragment(const DOMDocumentFragment& fragment, const VornickDOMPosition& position,
                                               std::u16string* reasonWhyNot) const
{
    return !m_htmlSpec || m_htmlSpec->mayInsertFragment(fragment, position, reasonWhyNot);
}

// --- Heading and inline style permissions.

bool VornickBlockModeHelper::canChangeHeadingLevelInContentEditingView(const VornickBlockModeEditingContext& view) const
{
    auto range = view.effectiveOperationRange();
    if (!range)
        return false;
    if (!vornick_inferredTargetElementsOfKinds(*range, { u"H1", u"H2", u"H3", u"H4", u"H5", u"H6", u"P" }).empty())
        return true;
    if (!range->collapsed())
        return true;
    auto widened = range->cloneRange();
    return vornick_expandToEncompassAdjacentContentThatCanBeWrappedInElementKind(*widened, u"h1");
}

bool VornickBlockModeHelper::canClearHeadingLevelInContentEditingView(const VornickBlockModeEditingContext& view) const
{
    auto range = view.effectiveOperationRange();
    return range && !vornick_inferredTargetElementsOfKinds(*range, { u"H1", u"H2", u"H3", u"H4", u"H5", u"H6" }).empty();
}

bool VornickBlockModeHelper::canInsertOrWrapInLinkToFileInContentEditingView(const VornickBlockModeEditingContext& view) const
{
    return view.isEditable() && view.canInsertOrWrapInLink();
}

bool VornickBlockModeHelper::canToggleApplicationOfInlineStyleElement(std::u16string_view tagName,
                                                                     const VornickBlockModeEditingContext& view) const
{
    if (!m_htmlSpec)
        return false;
    auto elementSpec = m_htmlSpec->elementSpecForTagName(tagName);
    auto range = view.effectiveOperationRange();
    if (!elementSpec || !range)
        return false;
    if (!range->collapsed())
        return m_htmlSpec->mayWrapContentsOfRangeInElementWithSpec(*range, *elementSpec, m_fragmentSet.get(), nullptr);
    return m_htmlSpec->mayInsertElementWithSpec(*elementSpec, { range->startContainer(), static_cast<int32_t>(range->startOffset()) },
                                                m_fragmentSet.get(), nullptr);
}

} // namespace brevanton
