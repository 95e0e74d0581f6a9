// Transforming an element into one of another kind: the new element holds
// the old one's contents and keeps its attributes (an id a link points at, a
// class, a style, a list's start and type), gets the attributes its kind
// requires, and takes the old element's place with its block comments.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickWebFrameEditingState.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

namespace {

// A block that stays of its type (a heading of another level, a list of
// another kind) keeps the properties of its comment, its alignment or class
// for one, except those its old and new element kinds set themselves.
void keepBlockProperties(const VornickBlockModeHelper& helper, const DOMElement& old, DOMDocumentFragment& fragment)
{
    auto oldComment = helper.blockStartCommentBeforeNode(old);
    auto oldMetadata = oldComment ? VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(oldComment->data()) : nullptr;
    if (!oldMetadata || !oldMetadata->properties())
        return;
    std::shared_ptr<DOMComment> newComment;
    for (DOMNode* child = fragment.first(); child && !newComment; child = child->next()) {
        if (child->nodeType() == DOMNode::COMMENT_NODE)
            newComment = std::static_pointer_cast<DOMComment>(child->shared_from_this());
    }
    auto newMetadata = newComment ? VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(newComment->data()) : nullptr;
    if (!newMetadata || newMetadata->typeName() != oldMetadata->typeName())
        return;
    Dictionary merged = *oldMetadata->properties();
    if (auto text = helper.blockStartCommentTextForElementKind(asciiLowercase(old.tagName()))) {
        if (auto kindDefaults = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(*text); kindDefaults && kindDefaults->properties()) {
            for (const auto& [key, value] : *kindDefaults->properties())
                merged.erase(key);
        }
    }
    if (newMetadata->properties()) {
        for (const auto& [key, value] : *newMetadata->properties())
            merged[key] = value;
    }
    newMetadata->setProperties(merged.empty() ? std::nullopt : std::optional<Dictionary>(std::move(merged)));
    newComment->setData(newMetadata->encodedAsCommentText());
}

} // namespace

bool VornickContentEditingView::undoableTransformElement(bool undoable, const std::shared_ptr<DOMElement>& element,
                                                         const std::u16string& tagName, std::shared_ptr<DOMRange>* outResultRange)
{
    BREVANTON_ASSERT(element, "Invalid parameter not satisfying: element");
    endTypingRun();
    endBackspaceRun();
    auto document = element->ownerDocument();
    if (!document || !element->parentNode() || !m_blockModeHelper)
        return false;
    auto outerRange = m_blockModeHelper->outerRangeOfElementIncludingBlockStartAndEndComments(*element);
    if (!outerRange)
        return false;
    auto attachmentPoint = vornick_enclosingAttachmentPointElement(*outerRange);
    bool enclosingBlock = m_blockModeHelper->blockEnclosingPosition(vornick_startPosition(*outerRange), {}, false,
                                                                    attachmentPoint.get()).has_value();

    auto inner = document->createRange();
    inner->selectNodeContents(element);
    auto contents = inner->cloneContents();
    std::shared_ptr<DOMElement> newElement;
    auto fragment = m_blockModeHelper->createFragmentWithCommentDelimitedElement(tagName, *document, contents, enclosingBlock,
                                                                                  &newElement);
    if (!fragment || !newElement)
        return false;
    keepBlockProperties(*m_blockModeHelper, *element, *fragment);
    vornick_copyAttributesFromElement(*newElement, *element);
    if (m_focusedWebFrame) {
        if (auto spec = vornick_HTMLSpec(*m_focusedWebFrame))
            (void)vornick_addMissingRequiredAttributesForHTMLSpec(*newElement, spec.get());
    }

    // Named by the command, not by the replacement it is made of.
    VornickCommandStepName stepName(editingContext(), undoable, u"Transform to <" + asciiLowercase(tagName) + u">");
    stepName.open();
    std::shared_ptr<DOMRange> result;
    bool replaced = undoableReplaceRangeWithFragment(undoable, outerRange, fragment, std::nullopt, &result);
    stepName.close();
    if (!replaced)
        return false;
    if (outResultRange) {
        *outResultRange = nullptr;
        if (result) {
            if (auto first = vornick_firstCompletelyContainedElement(*result))
                *outResultRange = m_blockModeHelper->outerRangeOfElementIncludingBlockStartAndEndComments(*first);
        }
    }
    return true;
}

} // namespace brevanton
