#include "publishing/VornickWordPressBlockInspectorModule.h"

#include "blog/VornickBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectComponentEditor.h"
#include "editing/VornickContentEditingView.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "publishing/VornickBlogPostView.h"
#include "publishing/VornickWordPressBlockElementEditorUIController.h"
#include "publishing/VornickWordPressBlogEditor.h"

namespace brevanton {

namespace {

bool isWhitespaceText(const DOMNode& node)
{
    if (node.nodeType() != DOMNode::TEXT_NODE)
        return false;
    for (char16_t character : downcast<DOMCharacterData>(node).data()) {
        if (!isHTMLWhitespace(character))
            return false;
    }
    return true;
}

// Properties compared as values: none and an empty dictionary are alike.
bool sameProperties(const std::optional<Dictionary>& a, const std::optional<Dictionary>& b)
{
    bool aEmpty = !a || a->empty();
    bool bEmpty = !b || b->empty();
    if (aEmpty || bEmpty)
        return aEmpty == bEmpty;
    return *a == *b;
}

} // namespace

std::shared_ptr<const VornickWordPressBlockMetadata> VornickWordPressBlockInspectorModule::blockMetadataForElement(const DOMElement& element)
{
    auto previous = element.previousSibling();
    while (previous && isWhitespaceText(*previous))
        previous = previous->previousSibling();
    if (!previous || previous->nodeType() != DOMNode::COMMENT_NODE)
        return nullptr;
    auto& data = downcast<DOMCharacterData>(*previous).data();
    if (VornickWordPressBlockCommentKindFromCommentData(data) != VornickWordPressBlockCommentKind::Opening)
        return nullptr;
    return VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(data);
}

std::shared_ptr<VornickWordPressBlogEditor> VornickWordPressBlockInspectorModule::wordPressBlogEditor() const
{
    auto* editor = elementEditor();
    auto* postView = editor ? dynamic_cast<VornickBlogPostView*>(editor->contentEditingView()) : nullptr;
    if (!postView)
        return nullptr;
    auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(postView->post());
    auto blog = post ? post->blog() : nullptr;
    if (!blog)
        return nullptr;
    return std::dynamic_pointer_cast<VornickWordPressBlogEditor>(VornickProjectComponentEditor::editorForComponent(*blog));
}

VornickWordPressBlockElementEditorUIController* VornickWordPressBlockInspectorModule::wordPressBlockElementEditor() const
{
    return dynamic_cast<VornickWordPressBlockElementEditorUIController*>(elementEditor());
}

std::shared_ptr<const VornickWordPressBlockMetadata> VornickWordPressBlockInspectorModule::blockMetadataOfTargetOf(
    const VornickElementEditorUIController& editor)
{
    auto* blockEditor = dynamic_cast<const VornickWordPressBlockElementEditorUIController*>(&editor);
    return blockEditor ? blockEditor->wordPressBlockMetadata() : nullptr;
}

std::shared_ptr<const VornickWordPressBlockMetadata> VornickWordPressBlockInspectorModule::wordPressBlockMetadata() const
{
    auto* editor = elementEditor();
    return editor ? blockMetadataOfTargetOf(*editor) : nullptr;
}

bool VornickWordPressBlockInspectorModule::writeChangeFromControl(ActionSender*, const VornickExactSelection&, DOMDocumentFragment&,
                                                                  VornickWordPressBlockMetadata&)
{
    return false;
}

bool VornickWordPressBlockInspectorModule::changeProperty(ActionSender* sender)
{
    // The module may be let go when the editor takes its new target.
    auto keptAlive = shared_from_this();
    auto* editor = elementEditor();
    auto* view = editor ? editor->contentEditingView() : nullptr;
    if (!editor || !view || !editor->targetObject())
        return false;
    auto target = *editor->targetObject();
    auto outerRange = target.outerRange();
    if (!outerRange || !target.element())
        return false;
    auto fragment = outerRange->cloneContents();
    if (!fragment)
        return false;

    auto helper = view->blockModeHelper();
    if (!helper)
        return false;
    auto fragmentRange = DOMRange::create(*fragment->ownerDocument());
    if (!fragmentRange->selectNodeContents(fragment))
        return false;
    auto replacement = helper->exactSelectionFromRange(*fragmentRange, true);
    if (!replacement || !replacement->blockStartComment() || !replacement->element())
        return false;

    auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(replacement->blockStartComment()->data());
    if (!metadata)
        return false;
    auto propertiesBefore = metadata->properties();
    if (!writeChangeFromControl(sender, *replacement, *fragment, *metadata))
        return false;
    // A write that leaves the block as it was is no change.
    if (sameProperties(propertiesBefore, metadata->properties()) && replacement->element()->isEqualNode(target.element().get()))
        return false;

    if (replacement->blockStartComment()->parentNode())
        replacement->blockStartComment()->setData(metadata->encodedAsCommentText());

    std::shared_ptr<DOMRange> resultRange;
    if (!replaceBlockReopeningEditingOnUndo(*view, outerRange, fragment, changeBlockPropertyActionName, &resultRange))
        return false;
    if (resultRange) {
        if (auto inserted = helper->exactSelectionFromRange(*resultRange, true); inserted && elementEditor() == editor)
            editor->replaceTargetObjectKeepingModules(*inserted);
    }
    return true;
}

bool VornickWordPressBlockInspectorModule::replaceBlockReopeningEditingOnUndo(VornickContentEditingView& view,
                                                                              const std::shared_ptr<DOMRange>& range,
                                                                              const std::shared_ptr<DOMDocumentFragment>& fragment,
                                                                              std::u16string actionName,
                                                                              std::shared_ptr<DOMRange>* outResultRange)
{
    auto* undo = view.undoManager();
    std::optional<UndoManager::RegistrationMark> before;
    if (undo) {
        before = undo->registrationMark();
        std::weak_ptr<VornickContentEditingView> weakView = view.sharedAs<VornickContentEditingView>();
        undo->registerUndo(&view, [weakView] {
            if (auto strongView = weakView.lock())
                (void)strongView->performAction("vornick_editElementAttributes:", nullptr);
        });
    }
    if (view.undoableReplaceRangeWithFragment(true, range, fragment, std::move(actionName), outResultRange))
        return true;
    if (undo && before)
        (void)undo->revertRegistrationsBetween(*before, undo->registrationMark());
    return false;
}

} // namespace brevanton
