// Inserting media: the open panel for an image, movie or audio file (through
// the application delegate's file chooser), staging the chosen file into the
// document's media library and replacing the selection with an element that
// references it, as one undoable edit.
#include "editing/VornickContentEditingView.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickKnownResourceFolders.h"
#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/commands/VornickUndoableMediaReplacement.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Popover.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickResourceFileKinds.h"

namespace brevanton {

namespace {

// The folder the open panel starts in: the first folder the document's
// neighbours keep files of the kind in, else the document's own folder.
std::optional<URL> initialFolderForChoosingResourceFile(VornickApplicationDelegate& delegate, const DOMDocument& document,
                                                        std::u16string_view kind)
{
    auto base = vornick_baseDirectoryURLForResourceFileResolution(document);
    if (!base)
        return std::nullopt;
    if (auto known = delegate.knownResourceFoldersForDocumentFilesInFolder(*base)) {
        auto folders = known->relativeURLStringsForResourceFileKind(kind);
        if (!folders.empty()) {
            if (auto folder = URL::create(folders.front(), &*base))
                return folder;
        }
    }
    return base;
}

// Resolves the chosen file and gives its URL to `use` inside the file's
// access scope; nothing when there is no file or it cannot be resolved.
void useChosenFile(const std::shared_ptr<VornickEnduringFileReference>& file, const std::function<void(const URL&)>& use)
{
    if (!file)
        return;
    Error error;
    (void)file->resolveAndUse(use, &error);
}

// Wraps the inserted element in a paragraph where it may not stand bare, in
// the same undo step, which keeps the insertion's name. The wrap puts a copy
// of the element in place; the attribute editor, opened on the element,
// moves on to the copy.
void autoWrapInsertedMediaInParagraph(VornickContentEditingView& view)
{
    auto controller = Internals::of(view).elementEditorUIController;
    bool editorShown = controller && controller->popover()->isShown() && controller->targetObject();
    auto edited = editorShown ? controller->targetObject()->element() : nullptr;
    auto focusedAttribute = editorShown ? controller->focusedAttribute() : std::nullopt;
    auto* undo = view.undoManager();
    auto actionName = undo ? undo->undoActionName() : std::u16string();
    Internals::autoWrapRangeEnvironsInParagraphIfAppropriate(view, view.effectiveOperationRange());
    if (undo && !actionName.empty() && undo->undoActionName() != actionName)
        undo->setActionName(actionName);
    if (!edited || edited->isConnected())
        return;
    auto range = view.effectiveOperationRange();
    auto within = range ? range->commonAncestorContainer() : nullptr;
    for (DOMNode* node = within.get(); node; node = node->traverseNext(within.get())) {
        if (node->nodeType() == DOMNode::ELEMENT_NODE
            && vornick_hasSameTagNameAndAttributesAs(downcast<DOMElement>(*node), edited.get())) {
            view.showAttributeEditorForElement(downcast<DOMElement>(node->shared_from_this()), focusedAttribute);
            return;
        }
    }
}


// Stages the chosen file through the delegate and lets `replace` put it where
// the selection now is; what went in is then wrapped in a paragraph where
// the document calls for one (autoWrapInsertedMediaInParagraph).
void insertStagedMediaFile(const std::weak_ptr<VornickContentEditingView>& weak, const std::shared_ptr<VornickEnduringFileReference>& file,
                           std::function<bool(VornickContentEditingView&, const URL&)> replace)
{
    useChosenFile(file, [weak, replace = std::move(replace)](const URL& url) {
        auto self = weak.lock();
        if (!self)
            return;
        auto staged = self->cacheAndStageResourceFileIntoMediaLibrary(url);
        if (staged && replace(*self, *staged))
            autoWrapInsertedMediaInParagraph(*self);
    });
}

} // namespace

void VornickContentEditingView::Internals::chooseResourceFileOfKindToInsert(VornickContentEditingView& view, std::u16string_view kind,
                                                                            const std::u16string& messageToUser,
                                                                 ResourceFileChoiceBlock completion)
{
    auto frame = view.m_internals->focusedWebFrame;
    auto document = frame ? frame->domDocument() : nullptr;
    auto delegate = VornickApplicationDelegate::shared();
    if (!document || !delegate)
        return;
    std::vector<std::u16string> allowedTypes;
    if (auto type = VornickUTIForResourceFileKind(kind))
        allowedTypes.push_back(*type);
    delegate->chooseFileOfAllowedTypes(std::move(allowedTypes), initialFolderForChoosingResourceFile(*delegate, *document, kind),
                                       view.window(), messageToUser, std::move(completion));
}

void VornickContentEditingView::Internals::chooseImageToInsertUsingCompletionBlock(VornickContentEditingView& view, ResourceFileChoiceBlock completion)
{
    Internals::chooseResourceFileOfKindToInsert(view, u"image", u"Please choose an image file.", std::move(completion));
}

void VornickContentEditingView::Internals::chooseVideoToInsertUsingCompletionBlock(VornickContentEditingView& view, ResourceFileChoiceBlock completion)
{
    Internals::chooseResourceFileOfKindToInsert(view, u"video", u"Please choose a movie file.", std::move(completion));
}

void VornickContentEditingView::Internals::chooseAudioFileToInsertUsingCompletionBlock(VornickContentEditingView& view, ResourceFileChoiceBlock completion)
{
    Internals::chooseResourceFileOfKindToInsert(view, u"audio", u"Please choose an audio file.", std::move(completion));
}

// The chooser may answer on a later turn, when the view may be gone: every
// completion holds the view weakly and replaces the range that is the
// effective operation range when the file arrives.

void VornickContentEditingView::Internals::chooseImageAndReplaceSelection(VornickContentEditingView& editingView, ActionSender*)
{
    editingView.endTypingRun();
    auto weak = editingView.weakSelf();
    Internals::chooseImageToInsertUsingCompletionBlock(editingView, [weak](std::shared_ptr<VornickEnduringFileReference> file) {
        insertStagedMediaFile(weak, file, [](VornickContentEditingView& view, const URL& staged) {
            return view.undoableReplaceRangeWithImageElementReferencingURL(true, view.effectiveOperationRange(), staged);
        });
    });
}

namespace {

using ImageContainerReplacement = bool (VornickContentEditingView::*)(bool, const std::shared_ptr<DOMRange>&, const std::optional<URL>&,
                                                                      std::shared_ptr<DOMRange>*);

// Asks for an image and puts the container (a figure or a picture) where the
// selection is when the file arrives; a cancelled panel still inserts the
// container, without an image.
void chooseImageAndReplaceSelectionWithContainer(VornickContentEditingView& view, ImageContainerReplacement replace)
{
    view.endTypingRun();
    auto weak = std::weak_ptr<VornickContentEditingView>(std::static_pointer_cast<VornickContentEditingView>(view.shared_from_this()));
    Internals::chooseImageToInsertUsingCompletionBlock(view, [weak, replace](std::shared_ptr<VornickEnduringFileReference> file) {
        if (!file) {
            if (auto self = weak.lock())
                (void)((*self).*replace)(true, self->effectiveOperationRange(), std::nullopt, nullptr);
            return;
        }
        useChosenFile(file, [weak, replace](const URL& url) {
            auto self = weak.lock();
            if (!self)
                return;
            if (auto staged = self->cacheAndStageResourceFileIntoMediaLibrary(url))
                (void)((*self).*replace)(true, self->effectiveOperationRange(), *staged, nullptr);
        });
    });
}

} // namespace

void VornickContentEditingView::Internals::chooseImageAndReplaceSelectionWithFigure(VornickContentEditingView& view, ActionSender*)
{
    chooseImageAndReplaceSelectionWithContainer(view,
                                                &VornickContentEditingView::undoableReplaceRangeWithFigureElementReferencingImageURL);
}

void VornickContentEditingView::Internals::chooseImageAndReplaceSelectionWithPicture(VornickContentEditingView& view, ActionSender*)
{
    chooseImageAndReplaceSelectionWithContainer(view,
                                                &VornickContentEditingView::undoableReplaceRangeWithPictureElementReferencingImageURL);
}

void VornickContentEditingView::Internals::chooseVideoAndReplaceSelectionUsingElementKind(VornickContentEditingView& editingView, const std::u16string& elementKind)
{
    editingView.endTypingRun();
    auto weak = editingView.weakSelf();
    Internals::chooseVideoToInsertUsingCompletionBlock(editingView, [weak, elementKind](std::shared_ptr<VornickEnduringFileReference> file) {
        insertStagedMediaFile(weak, file, [&elementKind](VornickContentEditingView& view, const URL& staged) {
            return view.undoableReplaceRangeWithVideoElementOfKind(true, view.effectiveOperationRange(), elementKind, staged);
        });
    });
}

// Audio files are staged like images and movies, so that a document never
// refers to a file outside its media library.
void VornickContentEditingView::Internals::chooseAudioFileAndReplaceSelectionUsingElementKind(VornickContentEditingView& editingView, const std::u16string& elementKind)
{
    editingView.endTypingRun();
    auto weak = editingView.weakSelf();
    Internals::chooseAudioFileToInsertUsingCompletionBlock(editingView, [weak, elementKind](std::shared_ptr<VornickEnduringFileReference> file) {
        insertStagedMediaFile(weak, file, [&elementKind](VornickContentEditingView& view, const URL& staged) {
            return view.undoableReplaceRangeWithAudioElementOfKind(true, view.effectiveOperationRange(), elementKind, staged);
        });
    });
}

// --- The replacements, each a command; the attribute editor then opens on the new element

namespace {

bool replaceRangeWithMedia(VornickContentEditingView& view, bool undoable, const std::shared_ptr<DOMRange>& range,
                           VornickUndoableMediaReplacement::Kind kind, std::optional<URL> url, std::u16string elementKind,
                           std::shared_ptr<DOMRange>* outResultRange)
{
    VornickUndoableMediaReplacement replacement(view.editingContext(), undoable, range, kind, std::move(url), std::move(elementKind));
    if (!replacement.apply(outResultRange))
        return false;
    if (kind == VornickUndoableMediaReplacement::Kind::Image)
        Internals::vornick_editElementAttributes(view, nullptr);
    else if (auto element = replacement.elementToEdit())
        view.showAttributeEditorForElement(element, std::nullopt);
    return true;
}

} // namespace

bool VornickContentEditingView::undoableReplaceRangeWithImageElementReferencingURL(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                                                   const URL& url, std::shared_ptr<DOMRange>* outResultRange)
{
    return replaceRangeWithMedia(*this, undoable, range, VornickUndoableMediaReplacement::Kind::Image, url, {}, outResultRange);
}

bool VornickContentEditingView::undoableReplaceRangeWithFigureElementReferencingImageURL(bool undoable,
                                                                                         const std::shared_ptr<DOMRange>& range,
                                                                                         const std::optional<URL>& imageURL,
                                                                                         std::shared_ptr<DOMRange>* outResultRange)
{
    return replaceRangeWithMedia(*this, undoable, range, VornickUndoableMediaReplacement::Kind::Figure, imageURL, {}, outResultRange);
}

bool VornickContentEditingView::undoableReplaceRangeWithPictureElementReferencingImageURL(bool undoable,
                                                                                          const std::shared_ptr<DOMRange>& range,
                                                                                          const std::optional<URL>& imageURL,
                                                                                          std::shared_ptr<DOMRange>* outResultRange)
{
    return replaceRangeWithMedia(*this, undoable, range, VornickUndoableMediaReplacement::Kind::Picture, imageURL, {}, outResultRange);
}

bool VornickContentEditingView::undoableReplaceRangeWithVideoElementOfKind(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                                           const std::u16string& elementKind, const URL& url,
                                                                           std::shared_ptr<DOMRange>* outResultRange)
{
    return replaceRangeWithMedia(*this, undoable, range, VornickUndoableMediaReplacement::Kind::Video, url, elementKind, outResultRange);
}

bool VornickContentEditingView::undoableReplaceRangeWithAudioElementOfKind(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                                           const std::u16string& elementKind, const URL& url,
                                                                           std::shared_ptr<DOMRange>* outResultRange)
{
    return replaceRangeWithMedia(*this, undoable, range, VornickUndoableMediaReplacement::Kind::Audio, url, elementKind, outResultRange);
}

} // namespace brevanton
