// Drops into the web view and the pasteboard read as fragments. A drag from
// outside is read once, on its first update, into the fragment a drop would
// insert (dragged image, movie and audio files become elements referencing
// the files); each update looks for a target where the document's rules
// allow that fragment, and the drop replaces the target as one undoable edit.
// An image or movie file dropped exactly onto an IMG or VIDEO changes only
// that element's source. A drag of the view's own content is moved by its
// source when the drag ends (concludeDragOfOwnContent), never here.
#include "editing/VornickContentEditingView.h"

#include "app/VornickApplicationDelegate.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickDocumentResourceReferences.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickContentOverlayView.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickPasteboardContent.h"
#include "editing/VornickPasteboardObject.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickDocumentWebArchiveFragments.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TypeIdentifiers.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/DraggingInfo.h"
#include "platform/views/Image.h"
#include "platform/views/Pasteboard.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebView.h"

#include <algorithm>
#include "toolkit/VornickWhitespaceFilter.h"
#include "views/VornickImageExtensions.h"

namespace brevanton {

namespace {

constexpr unsigned firstDropHitTestOptions
    = VornickRangeForPointHitTestWaypoints | VornickRangeForPointWithinAttachmentPoints | VornickRangeForPointProbeWithClick;
constexpr unsigned secondDropHitTestOptions = VornickRangeForPointHitTestWaypoints | VornickRangeForPointWithinAttachmentPoints;

std::shared_ptr<WebFrame> frameOfDocument(const std::shared_ptr<WebFrame>& mainFrame, const DOMDocument& document)
{
    return mainFrame ? mainFrame->frameForDocument(document) : nullptr;
}

// The type identifier of a file URL, from its name extension; none for
// other URLs and for files without an extension.
std::optional<std::u16string> typeIdentifierOfURL(const URL& url)
{
    if (!url.isFileURL() || url.pathExtension().empty())
        return std::nullopt;
    return typeIdentifierForFilenameExtension(url.pathExtension());
}

void appendToDropFragment(std::shared_ptr<DOMDocumentFragment>& drop, const std::shared_ptr<DOMDocumentFragment>& fragment)
{
    if (!fragment)
        return;
    if (drop)
        drop->appendChild(fragment);
    else
        drop = fragment;
}

std::shared_ptr<DOMDocumentFragment> mediaElementFragment(DOMDocument& document, const std::u16string& tagName, const URL& url)
{
    auto element = document.createElement(tagName);
    if (!element)
        return nullptr;
    element->setAttribute(u"controls", u"controls");
    if (tagName == u"video")
        vornick_setImgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(*element, true);
    element->setAttribute(u"src", url.absoluteString());
    auto fragment = document.createDocumentFragment();
    fragment->appendChild(element);
    return fragment;
}

void registerDroppedFile(const URL& url, std::u16string_view kind, const DOMDocument& document)
{
    auto delegate = VornickApplicationDelegate::shared();
    auto documentURL = vornick_URL(document);
    if (delegate && documentURL)
        delegate->registerAddedResourceFileReference(url, kind, *documentURL);
}

bool isSeparator(char16_t character, char16_t substitute)
{
    return character == u' ' || character == u'\t' || character == u'\n' || character == u'\r' || character == u'\f'
        || character == 0x0B || character == 0x85 || character == 0xA0 || character == 0x2028 || character == 0x2029
        || (character >= 0x2000 && character <= 0x200A) || character == 0x3000 || character == 0x202F || character == 0x205F
        || character == 0x1680 || (substitute && character == substitute);
}

// The first IMG element lying completely inside the range.
std::shared_ptr<DOMElement> firstImageInside(const DOMRange& range)
{
    auto root = range.commonAncestorContainer();
    for (DOMNode* node = root.get(); node; node = node->traverseNext(root.get())) {
        if (node->isElementNode() && equalsIgnoringASCIICase(downcast<DOMElement>(node)->tagName(), u"img")) {
            auto element = downcast<DOMElement>(node->shared_from_this());
            auto whole = element->ownerDocument()->createRange();
            whole->selectNode(*element);
            if (vornick_isContainedByRange(*whole, range))
                return element;
        }
    }
    return nullptr;
}

} // namespace

// --- Pasteboard to objects and fragments

std::vector<VornickPasteboardObject> VornickContentEditingView::Internals::objectsFromPasteboard(VornickContentEditingView& thisView,
                                                                                                 const Pasteboard& pasteboard,
                                                                                                 DOMDocument* forDocument)
{
    auto content = VornickReadPasteboardContent(pasteboard);
    std::vector<VornickPasteboardObject> objects;
    switch (content.kind) {
    case VornickPasteboardContentKind::None:
        break;
    case VornickPasteboardContentKind::URLs:
        for (auto& url : content.urls)
            objects.push_back({ url });
        break;
    case VornickPasteboardContentKind::WebArchive: {
        // A drop into a view without a selection still has the document under the pointer.
        std::shared_ptr<DOMDocument> document = forDocument ? downcast<DOMDocument>(forDocument->shared_from_this()) : nullptr;
        if (!document) {
            auto range = thisView.effectiveOperationRange();
            document = range ? vornick_ownerDocument(*range) : nullptr;
        }
        auto fragment = document ? vornick_createCleanedUpDocumentFragmentWithWebArchiveData(*document, content.webArchiveData) : nullptr;
        if (!fragment)
            break;
        if (thisView.m_internals->blockModeHelper)
            thisView.m_internals->blockModeHelper->blockifyFragment(*fragment);
        Internals::reassessNonBreakingSpaceSubstituteCharacterAndPerformSubstitutionInIncomingFragment(thisView, fragment,
                frameOfDocument(thisView.mainFrame(), *document));
        objects.push_back({ fragment });
        break;
    }
    case VornickPasteboardContentKind::URL:
        if (content.urlTitle)
            objects.push_back({ VornickTitledURL { content.urls.front(), content.urlTitle, {} } });
        else
            objects.push_back({ content.urls.front() });
        break;
    case VornickPasteboardContentKind::String:
        objects.push_back({ content.string });
        break;
    }
    return objects;
}

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::Internals::createFragmentFromObject(VornickContentEditingView& view,
        const VornickPasteboardObject& object,
                                                                                         DOMDocument& document)
{
    if (const auto* fragment = std::get_if<std::shared_ptr<DOMDocumentFragment>>(&object.value))
        return *fragment;
    auto frame = frameOfDocument(view.mainFrame(), document);
    if (const auto* string = std::get_if<std::u16string>(&object.value)) {
        char16_t substitute = frame ? vornick_nonBreakingSpaceSubstituteCharacter(*frame) : 0;
        auto text = vornick_stringByFilteringWhitespaceWithOptions(*string, 4, substitute, nullptr);
        auto fragment = document.createDocumentFragment();
        fragment->appendChild(document.createTextNode(text));
        Internals::reassessNonBreakingSpaceSubstituteCharacterAndPerformSubstitutionInIncomingFragment(view, fragment, frame);
        return fragment;
    }
    std::optional<URL> url;
    std::u16string text;
    if (const auto* titled = std::get_if<VornickTitledURL>(&object.value)) {
        url = titled->url;
        text = titled->title.value_or(u"");
    } else if (const auto* plain = std::get_if<URL>(&object.value)) {
        url = *plain;
        text = plain->lastPathComponent();
    }
    if (!url || text.empty() || url->absoluteString().empty())
        return nullptr;
    return vornick_createDocumentFragmentWithALinkToURLString(document, url->absoluteString(), text);
}

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::Internals::createFragmentFromObjects(VornickContentEditingView& view,
        const std::vector<VornickPasteboardObject>& objects,
                                                                                          DOMDocument& document)
{
    if (objects.empty())
        return nullptr;
    if (objects.size() == 1)
        return Internals::createFragmentFromObject(view, objects.front(), document);
    auto combined = document.createDocumentFragment();
    for (const auto& object : objects) {
        if (auto fragment = Internals::createFragmentFromObject(view, object, document))
            combined->appendChild(fragment);
    }
    return combined;
}

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::Internals::createFragmentFromContentsOfPasteboard(VornickContentEditingView& view, const Pasteboard& pasteboard,
                                                                                                      DOMDocument& document)
{
    return Internals::createFragmentFromObjects(view, Internals::objectsFromPasteboard(view, pasteboard, &document), document);
}

void VornickContentEditingView::Internals::createFragmentForDropIfNeededForDocument(VornickContentEditingView& view, DOMDocument& document, const Pasteboard& pasteboard)
{
    if (view.m_internals->fragmentForDrop || view.m_internals->draggingAFragmentAsSource)
        return;
    view.m_internals->droppingSingleLink = false;
    view.m_internals->referencedFileURLsForDrop.clear();
    view.m_internals->imageFileURLsForDrop.clear();
    view.m_internals->movieFileURLsForDrop.clear();
    view.m_internals->audioFileURLsForDrop.clear();
    auto frame = frameOfDocument(view.mainFrame(), document);
    auto spec = frame ? vornick_HTMLSpec(*frame) : nullptr;
    bool html5 = spec && spec->documentType() == VornickHTMLDocumentType::HTML5;

    std::shared_ptr<DOMDocumentFragment> drop;
    for (const auto& object : Internals::objectsFromPasteboard(view, pasteboard, &document)) {
        // A picture that cannot become a block (its file was refused by the
        // media library) is dropped as nothing, never as a link to the file.
        bool refusedPicture = false;
        std::optional<URL> url;
        if (const auto* plain = std::get_if<URL>(&object.value))
            url = *plain;
        else if (const auto* titled = std::get_if<VornickTitledURL>(&object.value))
            url = titled->url;
        if (url) {
            view.m_internals->referencedFileURLsForDrop.push_back(*url);
            auto type = typeIdentifierOfURL(*url);
            if (type && typeIdentifierConformsTo(*type, TypeIdentifier::Image)) {
                view.m_internals->imageFileURLsForDrop.push_back(*url);
                if (view.m_internals->blockModeHelper) {
                    auto image = view.m_internals->blockModeHelper->createImageWithURL(*url, document, (&view), nullptr);
                    refusedPicture = !image;
                    appendToDropFragment(drop, image);
                }
                registerDroppedFile(*url, u"image", document);
            } else if (type && typeIdentifierConformsTo(*type, TypeIdentifier::Movie)) {
                if (html5) {
                    view.m_internals->movieFileURLsForDrop.push_back(*url);
                    appendToDropFragment(drop, mediaElementFragment(document, u"video", *url));
                    registerDroppedFile(*url, u"video", document);
                }
            } else if (type && typeIdentifierConformsTo(*type, TypeIdentifier::Audio)) {
                if (html5) {
                    view.m_internals->audioFileURLsForDrop.push_back(*url);
                    appendToDropFragment(drop, mediaElementFragment(document, u"audio", *url));
                    registerDroppedFile(*url, u"audio", document);
                }
            } else {
                view.m_internals->droppingSingleLink = true;
            }
        }
        if (!drop && !refusedPicture)
            drop = Internals::createFragmentFromObject(view, object, document);
    }
    view.m_internals->fragmentForDrop = drop;
}

// --- The proposed drop

std::shared_ptr<DOMRange> VornickContentEditingView::Internals::acceptedDropTarget(VornickContentEditingView& view,
                                                                                   const std::shared_ptr<DOMRange>& range, Point viewPoint,
                                                                        unsigned)
{
    auto& helper = *view.m_internals->blockModeHelper;
    auto& fragment = *view.m_internals->fragmentForDrop;
    auto accepts = [&](const DOMRange& candidate) {
        return helper.mayInsertFragment(fragment, VornickMakeDOMPosition(candidate.startContainer(), candidate.startOffset()), nullptr);
    };
    // a. The range itself.
    if (accepts(*range))
        return range;
    // b. Out of the block whose start or end it is at.
    bool atBlockEnd = false;
    helper.insertionRangeIsInBlock(*range, [&](const VornickExactSelection&, VornickBlockInteriorEndpointClass endpoint) {
        atBlockEnd = endpoint != VornickBlockInteriorEndpointClass::Interior;
    });
    if (atBlockEnd) {
        if (auto popped = helper.poppedInsertionRangeIfAtBlockStartOrEnd(*range))
            return popped;
    }
    // c. A hit test that does not probe with a click.
    auto candidate = range;
    if (auto second = Internals::rangeForPoint(view, viewPoint, secondDropHitTestOptions, nullptr)) {
        if (accepts(*second))
            return second;
        candidate = second;
    }
    // d. Up through the containing nodes, never past the attachment point.
    // Each end climbs on its own side of its container, so the pulled range
    // is brought back to the caret at its start: the place that is tested,
    // and the only kind of target a drop inserts at.
    auto working = candidate->cloneRange();
    auto limit = vornick_enclosingAttachmentPointElement(*working);
    while (vornick_pullRangeEndpointsUpToContainingNodesButNotPast(*working, limit.get(), false)) {
        working->collapse(true);
        helper.moveInsertionRangeOutOfBlockDelimiterComments(*working);
        if (accepts(*working))
            return working;
    }
    return nullptr;
}

DragOperation VornickContentEditingView::updateProposedDrop(const DraggingInfo& info)
{
    if (!m_internals->editable || info.destinationWindow != window()) {
        setDropTargetRange(nullptr, VornickHitPartKind::Content, Point {});
        return DragOperations::None;
    }
    DragOperation mask = info.sourceOperationMask;
    DragOperation offered = (mask & DragOperations::Link) ? DragOperations::Link
        : (mask & DragOperations::Generic)                ? DragOperations::Generic
        : (mask & DragOperations::Copy)                   ? DragOperations::Copy
                                                          : DragOperations::None;

    Point viewPoint = convertPointFromView(info.draggingLocation, nullptr);
    VornickHitPartKind hitPart = VornickHitPartKind::Content;
    auto range = Internals::rangeForPoint(*this, viewPoint, firstDropHitTestOptions, &hitPart);
    if (!range) {
        setDropTargetRange(nullptr, hitPart, viewPoint);
        return DragOperations::None;
    }
    auto document = vornick_ownerDocument(*range);
    auto frame = document ? frameOfDocument(mainFrame(), *document) : nullptr;
    if (frame && !vornick_attachmentPoints(*frame).empty()) {
        if (m_internals->blockModeHelper) {
            if (auto selection = m_internals->blockModeHelper->exactSelectionFromRange(*range, false); selection && selection->element()) {
                for (const auto& point : vornick_attachmentPoints(*frame)) {
                    if (point->findElement() == selection->element() && !point->allowsDrops())
                        return DragOperations::None;
                }
            }
        }
        if (auto enclosing = vornick_enclosingAttachmentPoint(*range); enclosing && !enclosing->allowsDrops())
            return DragOperations::None;
    }
    if (document && info.draggingPasteboard)
        Internals::createFragmentForDropIfNeededForDocument(*this, *document, *info.draggingPasteboard);
    if (!m_internals->fragmentForDrop || !m_internals->blockModeHelper) {
        setDropTargetRange(range, hitPart, viewPoint);
        return DragOperations::None;
    }
    if (auto target = Internals::acceptedDropTarget(*this, range, viewPoint, firstDropHitTestOptions)) {
        setDropTargetRange(target, hitPart, viewPoint);
        return offered;
    }
    setDropTargetRange(nullptr, VornickHitPartKind::Content, viewPoint);
    return DragOperations::None;
}

// --- Performing the drop

bool VornickContentEditingView::Internals::performReplacementMediaDrop(VornickContentEditingView& view, bool image)
{
    auto& files = image ? view.m_internals->imageFileURLsForDrop : view.m_internals->movieFileURLsForDrop;
    auto node = view.m_internals->dropTargetRange ? vornick_exactlySelectedNode(*view.m_internals->dropTargetRange) : nullptr;
    if (files.empty() || !node || !node->isElementNode())
        return false;
    auto element = downcast<DOMElement>(node);
    if (!equalsIgnoringASCIICase(element->tagName(), image ? u"img" : u"video"))
        return false;
    if (view.m_internals->blockModeHelper) {
        auto within = vornick_enclosingAttachmentPointElement(*element);
        if (view.m_internals->blockModeHelper->blockEnclosingNode(element, { u"wp:embed" }, true, false, within.get()))
            return false;
    }
    auto document = element->ownerDocument();
    auto staged = view.cacheAndStageResourceFileIntoMediaLibrary(files.front());
    auto reference = staged && document ? vornick_relativeURLStringForReferencingTargetURL(*document, &*staged) : std::nullopt;
    if (!reference)
        return false;
    auto previous = vornick_resolveResourceFileReference(*document, element->getAttribute(u"src"));
    if (image)
        vornick_setImgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(*element, true);
    if (!view.undoableSetValue(true, *reference, u"src", element))
        return false;
    if (image) {
        auto current = vornick_resolveResourceFileReference(*document, *reference);
        auto path = current ? current->fileSystemPath() : std::nullopt;
        bool changed = current && (!previous || previous->absoluteString() != current->absoluteString());
        if (changed && path) {
            // The image's size arrives once it has loaded, on a later turn: by
            // then the element may have left the document or taken another
            // source, and its size is no longer this image's to give.
            std::weak_ptr<VornickContentEditingView> weak = view.weakSelf();
            std::weak_ptr<DOMElement> weakElement = element;
            std::weak_ptr<DOMDocument> weakDocument = document;
            std::u16string source = *reference;
            std::string file = *path;
            RunLoop::main().perform([weak, weakElement, weakDocument, source, file] {
                auto self = weak.lock();
                auto element = weakElement.lock();
                auto document = weakDocument.lock();
                auto loaded = Image::imageWithContentsOfFile(file);
                if (!self || !element || !document || !loaded)
                    return;
                vornick_inferPixelDimensionsForWebAndInvoke(*loaded, [&](long wide, long high) {
                    if (!element->isConnected() || element->ownerDocument() != document || element->getAttribute(u"src") != source
                        || !frameOfDocument(self->mainFrame(), *document) || wide <= 0 || high <= 0)
                        return;
                    self->undoableSetValue(true, toUTF16(std::to_string(wide)), u"width", element);
                    self->undoableSetValue(true, toUTF16(std::to_string(high)), u"height", element);
                    vornick_setImgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(*element, false);
                });
            });
        }
    }
    Internals::bringWindowForwardAfterDropIfPreferenceIsSet(view);
    return true;
}

// The dropped files the fragment's media elements reference by a relative
// reference (an image made for the document refers to its file relative to
// it) are staged into the media library, and the elements refer to the
// staged file instead. A file that cannot be staged refuses the drop.
bool VornickContentEditingView::Internals::stageDroppedFilesInFragment(VornickContentEditingView& view, DOMDocumentFragment& fragment,
                                                                       DOMDocument& document)
{
    if (view.m_internals->referencedFileURLsForDrop.empty())
        return true;
    std::vector<std::shared_ptr<DOMElement>> media;
    for (DOMNode* node = fragment.first(); node; node = node->traverseNext(&fragment)) {
        if (!node->isElementNode())
            continue;
        auto& element = downcast<DOMElement>(*node);
        if (equalsIgnoringASCIICase(element.tagName(), u"img") || equalsIgnoringASCIICase(element.tagName(), u"video")
            || equalsIgnoringASCIICase(element.tagName(), u"audio"))
            media.push_back(downcast<DOMElement>(element.shared_from_this()));
    }
    for (const auto& element : media) {
        auto source = element->getAttribute(u"src");
        if (source.empty() || (URL::create(source) && URL::create(source)->isFileURL()))
            continue;
        auto file = vornick_resolveResourceFileReference(document, source);
        if (!file || std::find(view.m_internals->referencedFileURLsForDrop.begin(), view.m_internals->referencedFileURLsForDrop.end(),
                               *file) == view.m_internals->referencedFileURLsForDrop.end())
            continue;
        auto staged = view.cacheAndStageResourceFileIntoMediaLibrary(*file);
        auto reference = staged ? vornick_relativeURLStringForReferencingTargetURL(document, &*staged) : std::nullopt;
        if (!reference)
            return false;
        if (*reference == source)
            continue;
        element->setAttribute(u"src", *reference);
        if (element->hasAttribute(u"srcset")) {
            auto set = element->getAttribute(u"srcset");
            if (set.starts_with(source + u" "))
                element->setAttribute(u"srcset", *reference + set.substr(source.size()));
        }
    }
    return true;
}

bool VornickContentEditingView::performProposedDrop(const DraggingInfo& info)
{
    if (!m_internals->dropTargetRange)
        return false;
    if (m_internals->droppingReplacementImage && !m_internals->imageFileURLsForDrop.empty())
        return Internals::performReplacementMediaDrop(*this, true);
    if (m_internals->droppingReplacementMovie && !m_internals->movieFileURLsForDrop.empty())
        return Internals::performReplacementMediaDrop(*this, false);
    auto target = m_internals->dropTargetRange->cloneRange();
    if (!target->collapsed())
        return false;

    // The view's own content: the source moves it when the drag ends.
    if (m_internals->draggingAFragmentAsSource)
        return m_internals->fragmentForDrop != nullptr;

    auto document = vornick_ownerDocument(*target);
    if (!document)
        return false;
    auto fragment = m_internals->fragmentForDrop;
    if (fragment && fragment->ownerDocument() != document) {
        // The drag went on from another frame's document: its fragment is made again here.
        m_internals->fragmentForDrop.reset();
        if (info.draggingPasteboard)
            Internals::createFragmentForDropIfNeededForDocument(*this, *document, *info.draggingPasteboard);
        fragment = m_internals->fragmentForDrop;
    }
    if (fragment) {
        if (!Internals::stageDroppedFilesInFragment(*this, *fragment,
                                                    *document) || !Internals::cacheStageAndRewireResourceFileReferencesInFragment(*this,
                                                    *fragment))
            return false;
        Internals::rewireReferencesInFragment(*this, *fragment, *document);
    } else {
        auto data = info.draggingPasteboard ? info.draggingPasteboard->dataForType(WebArchivePboardType) : std::nullopt;
        if (!data)
            return false;
        fragment = vornick_createCleanedUpDocumentFragmentWithWebArchiveData(*document, *data);
        if (!fragment)
            return false;
        if (m_internals->blockModeHelper)
            m_internals->blockModeHelper->blockifyFragment(*fragment);
        Internals::reassessNonBreakingSpaceSubstituteCharacterAndPerformSubstitutionInIncomingFragment(*this, fragment,
                frameOfDocument(mainFrame(), *document));
        if (!Internals::cacheStageAndRewireResourceFileReferencesInFragment(*this, *fragment))
            return false;
    }

    std::shared_ptr<DOMRange> result;
    if (!undoableReplaceRangeWithFragment(true, target, fragment, std::nullopt, &result))
        return false;
    m_internals->fragmentForDrop.reset();
    if (result) {
        Internals::padAroundInsertedFragmentRangeAfterDrop(*this, result);
        Internals::autoWrapRangeEnvironsInParagraphIfAppropriate(*this, result);
    }
    if (result && !result->collapsed()) {
        if (m_internals->droppingSingleLink) {
            auto text = result->cloneRange();
            vornick_pushRangeEndpointsDownToTextNodes(*text);
            setTargetRangeUndoably(text);
        } else {
            auto selection = m_internals->blockModeHelper ? m_internals->blockModeHelper->exactSelectionFromRange(*result,
                    false) : std::nullopt;
            if (!(selection && selection->blockStartComment())) {
                if (auto image = firstImageInside(*result))
                    showAttributeEditorForElement(image, std::nullopt);
            }
        }
    }
    Internals::bringWindowForwardAfterDropIfPreferenceIsSet(*this);
    return true;
}

void VornickContentEditingView::Internals::padAroundInsertedFragmentRangeAfterDrop(VornickContentEditingView& view,
                                                                                   const std::shared_ptr<DOMRange>& range)
{
    if (!range || range->collapsed())
        return;
    auto document = vornick_ownerDocument(*range);
    auto frame = document ? frameOfDocument(view.mainFrame(), *document) : nullptr;
    char16_t substitute = frame ? vornick_nonBreakingSpaceSubstituteCharacter(*frame) : 0;
    auto end = range->cloneRange();
    end->collapse(false);
    vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(*end, 1);

    auto before = range->cloneRange();
    before->collapse(true);
    vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(*before, -1);
    if (before->startContainer() && before->startContainer()->isTextNode() && before->startOffset() > 0) {
        auto& data = downcast<DOMCharacterData>(*before->startContainer()).data();
        if (before->startOffset() <= data.size() && !isSeparator(data[before->startOffset() - 1], substitute)) {
            view.setTargetRange(before);
            Internals::deferredInsertProposedText(view, u" ", before, WebViewInsertActionDropped);
        }
    }
    if (end->startContainer() && end->startContainer()->isTextNode()) {
        auto& data = downcast<DOMCharacterData>(*end->startContainer()).data();
        if (end->startOffset() < data.size() && !isSeparator(data[end->startOffset()], substitute)) {
            view.setTargetRange(end);
            Internals::deferredInsertProposedText(view, u" ", end, WebViewInsertActionDropped);
        }
    }
}

// --- Ending and clearing

void VornickContentEditingView::endProposedDrop(const DraggingInfo& info)
{
    Point viewPoint = info.destinationWindow == window() ? convertPointFromView(info.draggingLocation, nullptr) : Point {};
    // A drag of the view's own content keeps its target and content until its
    // source concludes it: the content never left the document.
    if (m_internals->draggingAFragmentAsSource)
        return;
    setDropTargetRange(nullptr, VornickHitPartKind::Content, viewPoint);
    Internals::clearProposedDrop(*this);
}

void VornickContentEditingView::Internals::clearProposedDrop(VornickContentEditingView& view)
{
    if (view.m_internals->overlayWindow)
        view.m_internals->overlayWindow->setUseDisabledEffectiveOperationRangeAppearance(false);
    view.setDropTargetRange(nullptr, VornickHitPartKind::Content, Point {});
    if (view.m_internals->webView)
        view.m_internals->webView->removeDragCaret();
    if (!view.m_internals->draggingAFragmentAsSource)
        view.m_internals->fragmentForDrop.reset();
    view.m_internals->referencedFileURLsForDrop.clear();
    view.m_internals->imageFileURLsForDrop.clear();
    view.m_internals->movieFileURLsForDrop.clear();
    view.m_internals->audioFileURLsForDrop.clear();
    view.m_internals->droppingReplacementImage = false;
    view.m_internals->droppingReplacementMovie = false;
    view.m_internals->droppingSingleLink = false;
}

void VornickContentEditingView::Internals::bringWindowForwardAfterDropIfPreferenceIsSet(VornickContentEditingView& view)
{
    if (!UserDefaults::standard().boolForKey(u"BringDocumentWindowForwardOnDrop"))
        return;
    if (auto window = view.window())
        window->makeKeyAndOrderFront();
}

} // namespace brevanton
