#include "editing/commands/VornickUndoableTransform.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickWebFrameEditingState.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCasts.h"
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
        if (is<DOMComment>(*child))
            newComment = downcast<DOMComment>(child->shared_from_this());
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

VornickUndoableTransform::VornickUndoableTransform(VornickEditingContext& context, bool undoable, std::shared_ptr<DOMElement> element,
                                                   std::u16string tagName)
    : VornickUndoableEdit(context, undoable)
    , m_element(std::move(element))
    , m_tagName(std::move(tagName))
{
}

bool VornickUndoableTransform::apply(std::shared_ptr<DOMRange>* outResultRange)
{
    const auto& element = m_element;
    const auto& tagName = m_tagName;
    BREVANTON_ASSERT(element, "Invalid parameter not satisfying: element");
    // Named by the command, not by the replacement it is made of.
    begin(u"Transform to <" + asciiLowercase(tagName) + u">");
    auto document = element->ownerDocument();
    auto* helper = context().blockModeHelper();
    if (!document || !element->parentNode() || !helper)
        return false;
    auto outerRange = helper->outerRangeOfElementIncludingBlockStartAndEndComments(*element);
    if (!outerRange)
        return false;
    auto attachmentPoint = vornick_enclosingAttachmentPointElement(*outerRange);
    bool enclosingBlock = helper->blockEnclosingPosition(vornick_startPosition(*outerRange), {}, false, attachmentPoint.get()).has_value();

    auto inner = document->createRange();
    inner->selectNodeContents(element);
    auto contents = inner->cloneContents();
    std::shared_ptr<DOMElement> newElement;
    auto fragment = helper->createFragmentWithCommentDelimitedElement(tagName, *document, contents, enclosingBlock, &newElement);
    if (!fragment || !newElement)
        return false;
    keepBlockProperties(*helper, *element, *fragment);
    vornick_copyAttributesFromElement(*newElement, *element);
    if (auto frame = context().focusedWebFrame()) {
        if (auto spec = vornick_HTMLSpec(*frame))
            (void)vornick_addMissingRequiredAttributesForHTMLSpec(*newElement, spec.get());
    }

    VornickCommandStepName stepName(context(), undoable(), actionName());
    stepName.open();
    std::shared_ptr<DOMRange> result;
    bool replaced = VornickUndoableFragmentReplacement(context(), undoable(), outerRange, fragment).apply(&result);
    stepName.close();
    if (!replaced)
        return false;
    if (outResultRange) {
        *outResultRange = nullptr;
        if (result) {
            if (auto first = vornick_firstCompletelyContainedElement(*result))
                *outResultRange = helper->outerRangeOfElementIncludingBlockStartAndEndComments(*first);
        }
    }
    return true;
}

} // namespace brevanton
