// Writing what the view shows: each frame as an HTML file through its
// writer, the main document as a web archive, HTML text and cleaned-up
// fragments of a range, and the focused frame's validation summary.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickContentEditingViewLoadState.h"
#include "editing/VornickHeadMetadataEditingUIController.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLWriter.h"
#include "html/VornickValidationAdvisory.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/net/WebResource.h"
#include "platform/web/WebArchive.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebNodeArchives.h"
#include "toolkit/VornickErrors.h"

#include <algorithm>
#include <filesystem>
#include <future>
#include <cerrno>
#include <fmt/format.h>

namespace brevanton {

namespace {

bool fail(Error* outError, Error error)
{
    if (outError)
        *outError = std::move(error);
    return false;
}

std::u16string counted(size_t count, std::u16string_view singular, std::u16string_view plural)
{
    return toUTF16(fmt::format("{} {}", count, toUTF8(count == 1 ? singular : plural)));
}

// Whether two file URLs name files of one folder, links followed.
bool liesInSameFolder(const URL& a, const URL& b)
{
    auto pathA = a.fileSystemPath();
    auto pathB = b.fileSystemPath();
    if (!pathA || !pathB)
        return a.URLByDeletingLastPathComponent().standardized() == b.URLByDeletingLastPathComponent().standardized();
    std::error_code errorA;
    std::error_code errorB;
    auto folderA = std::filesystem::weakly_canonical(std::filesystem::path(*pathA).parent_path(), errorA);
    auto folderB = std::filesystem::weakly_canonical(std::filesystem::path(*pathB).parent_path(), errorB);
    return !errorA && !errorB && folderA == folderB;
}

void replaceCharactersInTextOf(DOMNode& root, char16_t from, char16_t to)
{
    std::vector<DOMNode*> stack { &root };
    while (!stack.empty()) {
        DOMNode* node = stack.back();
        stack.pop_back();
        if (node->nodeType() == DOMNode::TEXT_NODE || node->nodeType() == DOMNode::CDATA_SECTION_NODE) {
            auto& text = downcast<DOMCharacterData>(*node);
            if (text.data().find(from) != std::u16string::npos) {
                std::u16string data = text.data();
                std::replace(data.begin(), data.end(), from, to);
                text.setData(data);
            }
        }
        for (DOMNode* child = node->first(); child; child = child->next())
            stack.push_back(child);
    }
}

// A copy of a range as the page would give it, written without making the
// copy: brick tags left out, and where the frame shows a substitute for the
// non-breaking space, real ones become spaces and the substitute a real one.
class CleanedUpCopyFilter final : public HTMLSerializationFilter {
public:
    CleanedUpCopyFilter(const VornickBlockModeHelper* blockModeHelper, char16_t substitute)
        : m_blockModeHelper(blockModeHelper)
        , m_substitute(substitute)
    {
    }
    std::optional<std::u16string> filteredText(std::u16string_view text) override
    {
        if (!m_substitute || (text.find(u'\u00A0') == std::u16string_view::npos && text.find(m_substitute) == std::u16string_view::npos))
            return std::nullopt;
        std::u16string copy(text);
        std::replace(copy.begin(), copy.end(), u'\u00A0', u' ');
        std::replace(copy.begin(), copy.end(), m_substitute, u'\u00A0');
        return copy;
    }
    AttributeAction filterAttribute(const DOMElement& element, std::u16string_view name, std::u16string_view,
                                    std::u16string& replacement) override
    {
        if (!m_blockModeHelper || name != u"class")
            return AttributeAction::Keep;
        auto value = m_blockModeHelper->classAttributeValueWithoutBrickTags(element);
        if (!value)
            return AttributeAction::Keep;
        if (value->empty())
            return AttributeAction::Omit;
        replacement = std::move(*value);
        return AttributeAction::Replace;
    }

private:
    const VornickBlockModeHelper* m_blockModeHelper;
    char16_t m_substitute;
};

} // namespace

std::vector<std::weak_ptr<const DOMNode>> VornickContentEditingView::nodesToOmitWhenWriting(const WebFrame& frame) const
{
    std::vector<std::weak_ptr<const DOMNode>> nodes;
    if (vornick_hasVornickInsertedBaseElement(frame)) {
        if (auto base = m_internals->loadState->insertedBaseElementFor(frame))
            nodes.push_back(base);
    }
    // The placeholder of an empty page, while nobody has typed over it.
    if (m_internals->bodyPlaceholderTextNode && m_internals->bodyPlaceholderTextNode->isConnected()
        && downcast<DOMCharacterData>(*m_internals->bodyPlaceholderTextNode).data() == u"*"
        && frame.domDocument() && m_internals->bodyPlaceholderTextNode->ownerDocument() == frame.domDocument())
        nodes.push_back(m_internals->bodyPlaceholderTextNode);
    return nodes;
}

void VornickContentEditingView::Internals::letWriterFindBlockFragments(VornickHTMLWriter& writer) const
{
    std::weak_ptr<VornickBlockModeHelper> helper = blockModeHelper;
    writer.setCommentToFragmentDescriptionLookupBlock(
        [helper](const DOMComment& comment) -> std::shared_ptr<const VornickGeneralFragmentDescription> {
            if (auto strong = helper.lock())
                return std::dynamic_pointer_cast<const VornickGeneralFragmentDescription>(
                    strong->fragmentDescriptionForBlockStartComment(comment));
            return nullptr;
        });
}

std::shared_ptr<VornickHTMLWriter> VornickContentEditingView::htmlWriterForWebFrame(const WebFrame& frame) const
{
    auto writer = vornick_HTMLWriter(frame);
    m_internals->letWriterFindBlockFragments(*writer);
    writer->setNodesToOmit(nodesToOmitWhenWriting(frame));
    return writer;
}

bool VornickContentEditingView::writeWebFrame(WebFrame& frame, const std::optional<URL>& url, const std::optional<URL>& oldDocumentURL,
                                              bool preflightOnly, Error* outError)
{
    auto document = frame.domDocument();
    if (!document)
        return fail(outError, Error(VornickErrorDomain, VornickWriterProducedNoHTMLDataError));
    auto path = url ? url->fileSystemPath() : std::nullopt;
    // Written while tidy checked the file, of the document as it still is.
    auto prepared = !preflightOnly && path && !oldDocumentURL ? takePreparedWriteBack(frame, *path) : nullptr;
    std::optional<VornickDocumentFile::PreparedSave> save;
    if (prepared)
        save = prepared->save.get();
    if (!save) {
        // The base element of a repaired copy stays in the page (it resolves
        // the page's references) and is left out of what is written.
        auto writer = htmlWriterForWebFrame(frame);
        if (oldDocumentURL && url && !liesInSameFolder(*oldDocumentURL, *url)) {
            writer->setDocumentURLForAbsoluteURLResolution(oldDocumentURL);
            writer->setRelocatedDocumentURL(*url);
        }
        Error dataError;
        auto data = writer->htmlDataFromDocument(*document, &dataError);
        if (!data && dataError.domain() == VornickErrorDomain
            && dataError.code() == VornickDocumentUndecodableBytesError)
            return fail(outError, std::move(dataError));
        if (!data)
            return fail(outError, Error(VornickErrorDomain, VornickWriterProducedNoHTMLDataError));
        if (preflightOnly)
            return true;
        if (!path)
            return fail(outError, Error(POSIXErrorDomain, EINVAL, u"The document can only be written to a file."));
        // Only a regular HTML file that is writable and unchanged since it
        // was read is replaced; it keeps its mode, attributes and hard links.
        save = m_internals->loadState->documentFileForPath(*path).prepareSave(std::move(*data), outError);
        if (!save)
            return false;
    }
    bool keepsData = m_internals->preparesWriteBack && &frame == mainFrame().get();
    std::optional<std::string> written = keepsData ? std::optional<std::string>(save->contents()) : std::nullopt;
    if (!m_internals->loadState->documentFileForPath(*path).commitSave(std::move(*save), outError))
        return false;
    Internals::noteWrittenDocumentFile(*this, *path);
    if (keepsData)
        m_internals->lastWrittenMainFrameData = std::move(written);
    // The repairs written now leave the summary; only when there were some
    // does the summary change, so only then is the source validated again.
    if (auto repairs = vornick_validationAdvisoriesForStructuralRepairPass(frame)) {
        vornick_setValidationAdvisoriesForStructuralRepairPass(frame, std::nullopt);
        if (!repairs->empty())
            postLastGeneratedHTMLForFocusedWebFrameDidChange();
    }
    return true;
}

void VornickContentEditingView::allowOverwritingChangedFile(const URL& url)
{
    auto path = url.fileSystemPath();
    if (!path)
        return;
    m_internals->loadState->forgetDocumentFile(*path);
    // A write prepared beside the file was checked against what it held then.
    m_internals->preparedWriteBack.reset();
}

void VornickContentEditingView::setPreparesWriteBack(bool prepares)
{
    m_internals->preparesWriteBack = prepares;
    if (!prepares) {
        m_internals->preparedWriteBack.reset();
        m_internals->lastWrittenMainFrameData.reset();
    }
}

void VornickContentEditingView::prepareWriteBackOfMainFrame()
{
    m_internals->preparedWriteBack.reset();
    auto frame = mainFrame();
    auto document = frame ? frame->domDocument() : nullptr;
    if (!document || !frame->childFrames().empty())
        return;
    auto url = originalURLOfWebFrame(*frame);
    auto path = url ? url->fileSystemPath() : std::nullopt;
    if (!path)
        return;
    auto writer = htmlWriterForWebFrame(*frame);
    auto written = std::make_shared<std::u16string>(writer->htmlStringFromDocument(*document));
    // Undecodable bytes the text may still hold refuse the write: only the
    // document can tell, so that is asked here.
    if (document->hasReplacedUndecodableBytes() && !writer->documentDataFromWrittenString(*document, *written, nullptr))
        return;
    // Encoding the text and writing it beside the file need the document no
    // more: they run while loading ends. A file that cannot be written now
    // meets its error again, reported, when it is written.
    auto save = std::async(std::launch::async, [writer, written, hadByteOrderMark = document->hasByteOrderMark(),
                                                file = m_internals->loadState->documentFileForPath(*path)]() mutable
                                                   -> std::optional<VornickDocumentFile::PreparedSave> {
        auto data = writer->encodedDocumentData(*written, hadByteOrderMark, nullptr);
        if (!data)
            return std::nullopt;
        return file.prepareSave(std::move(*data), nullptr);
    });
    m_internals->preparedWriteBack = std::make_unique<PreparedWriteBack>(
        PreparedWriteBack { *path, m_internals->loadGeneration, document, document->contentVersion(), std::move(save) });
}

std::unique_ptr<VornickContentEditingView::PreparedWriteBack> VornickContentEditingView::takePreparedWriteBack(const WebFrame& frame,
                                                                                                              const std::string& path)
{
    auto prepared = std::move(m_internals->preparedWriteBack);
    if (!prepared || &frame != mainFrame().get() || prepared->path != path || prepared->loadGeneration != m_internals->loadGeneration)
        return nullptr;
    auto document = prepared->document.lock();
    if (!document || document != frame.domDocument() || document->contentVersion() != prepared->contentVersion)
        return nullptr;
    // A page that has frames now is written frame by frame.
    if (!frame.childFrames().empty())
        return nullptr;
    return prepared;
}

bool VornickContentEditingView::Internals::preflightWritingWebFrame(VornickContentEditingView& view, WebFrame& frame, Error* outError)
{
    return view.writeWebFrame(frame, std::nullopt, std::nullopt, true, outError);
}

bool VornickContentEditingView::writeHTMLDocumentToURL(const URL& url, const std::optional<URL>& oldDocumentURL, bool writeSubFrames,
                                                       std::vector<Error>* outErrors)
{
    m_internals->hasWrittenDocument = true;
    auto mainFrame = this->mainFrame();
    if (!mainFrame)
        return false;
    if (!writeSubFrames || mainFrame->childFrames().empty()) {
        Error error;
        if (writeWebFrame(*mainFrame, url, oldDocumentURL, false, &error))
            return true;
        if (outErrors)
            *outErrors = { error };
        return false;
    }
    std::vector<Error> errors;
    vornick_enumerateWebFrameTreeWithOptions(mainFrame, 0, [&](const std::shared_ptr<WebFrame>& frame, bool&) {
        if (!frame->domDocument() || !vornick_shouldAttemptToWriteWebFrameWhenSavingDocument(*frame))
            return;
        Error error;
        bool written = false;
        if (frame == mainFrame) {
            written = writeWebFrame(*frame, url, oldDocumentURL, false, &error);
        } else {
            // A subframe goes back to the file it came from, never to the
            // repaired copy it was shown from.
            auto original = originalURLOfWebFrame(*frame);
            written = writeWebFrame(*frame, original, std::nullopt, false, &error);
        }
        if (!written)
            errors.push_back(std::move(error));
    });
    if (errors.empty())
        return true;
    if (outErrors)
        *outErrors = std::move(errors);
    return false;
}

bool VornickContentEditingView::Internals::writeWebArchiveDocumentToURL(VornickContentEditingView& view, const URL& url, Error* outError)
{
    auto mainFrame = (&view)->mainFrame();
    auto document = view.mainFrameDocument();
    if (!document || !mainFrame)
        return false;
    view.m_internals->hasWrittenDocument = true;
    bool handlesWereShown = view.m_internals->sectionHandlesShown;
    if (handlesWereShown)
        view.setSectionHandlesShown(false);
    bool result = false;
    auto archive = webArchiveForNode(*document, *mainFrame);
    auto path = url.fileSystemPath();
    if (!archive) {
        fail(outError, Error(VornickErrorDomain, VornickNoWebArchiveError));
    } else {
        Data data = archive->data();
        if (data.empty())
            fail(outError, Error(VornickErrorDomain, VornickNoWebArchiveError));
        else if (!path)
            fail(outError, Error(POSIXErrorDomain, EINVAL, u"The archive can only be written to a file."));
        else
            result = writeFileAtomically(*path, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), outError);
    }
    if (handlesWereShown)
        view.setSectionHandlesShown(true);
    return result;
}

std::u16string VornickContentEditingView::htmlFragmentStringForRange(const DOMRange& range) const
{
    if (range.collapsed())
        return u"";
    auto node = range.startContainer();
    auto document = node ? (node->nodeType() == DOMNode::DOCUMENT_NODE ? downcast<DOMDocument>(node) : node->ownerDocument())
                         : nullptr;
    auto frame = document && mainFrame() ? mainFrame()->frameForDocument(*document) : nullptr;
    if (!frame)
        return u"";
    return htmlWriterForWebFrame(*frame)->htmlStringFromRange(&range);
}

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::Internals::cleanedUpDocumentFragmentForRange(const VornickContentEditingView& view, const DOMRange& range)
{
    auto fragment = range.cloneContents();
    if (!fragment)
        return nullptr;
    if (view.m_internals->blockModeHelper)
        view.m_internals->blockModeHelper->recursiveRemoveBrickTags(*fragment);
    auto node = range.startContainer();
    auto document = node ? (node->nodeType() == DOMNode::DOCUMENT_NODE ? downcast<DOMDocument>(node) : node->ownerDocument())
                         : nullptr;
    auto frame = document && view.mainFrame() ? view.mainFrame()->frameForDocument(*document) : nullptr;
    if (frame) {
        if (char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*frame)) {
            replaceCharactersInTextOf(*fragment, 0xA0, u' ');
            replaceCharactersInTextOf(*fragment, substitute, 0xA0);
        }
    }
    return fragment;
}

// The archive of what cleanedUpDocumentFragmentForRange would give, written
// straight from the page (a large copy costs no clone of its nodes).
std::optional<Data> VornickContentEditingView::Internals::cleanedUpWebArchiveDataForRange(const VornickContentEditingView& view, const DOMRange& range, std::u16string* text, Data* markup)
{
    auto frame = view.mainFrame();
    auto node = range.startContainer();
    if (!frame || !node)
        return std::nullopt;
    auto document = node->nodeType() == DOMNode::DOCUMENT_NODE ? downcast<DOMDocument>(node) : node->ownerDocument();
    auto documentFrame = document ? frame->frameForDocument(*document) : nullptr;
    CleanedUpCopyFilter filter(view.m_internals->blockModeHelper.get(), documentFrame ? vornick_nonBreakingSpaceSubstituteCharacter(*documentFrame) : 0);
    auto archive = webArchiveForRange(range, *frame, &filter, text);
    if (!archive)
        return std::nullopt;
    if (markup && archive->mainResource())
        *markup = archive->mainResource()->data();
    return archive->data();
}

void VornickContentEditingView::updateCharacterEncodingDisplayForFocusedWebFrame()
{
    if (m_internals->headMetadataEditingUIController)
        m_internals->headMetadataEditingUIController->updateCharacterEncodingDisplay();
}

VornickFrameValidationStatus VornickContentEditingView::tidyStatusForFocusedWebFrame() const
{
    return m_internals->focusedWebFrame ? vornick_validationStatus(*m_internals->focusedWebFrame) : VornickFrameValidationStatus::Pending;
}

std::vector<VornickValidationAdvisory> VornickContentEditingView::tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame() const
{
    if (!m_internals->focusedWebFrame)
        return {};
    return vornick_validationAdvisoriesNotYetResolved(*m_internals->focusedWebFrame).value_or(std::vector<VornickValidationAdvisory> {});
}

std::u16string VornickContentEditingView::tidyStatusSummaryForDisplayToUser() const
{
    auto status = tidyStatusForFocusedWebFrame();
    if (status == VornickFrameValidationStatus::Valid)
        return u"Valid HTML";
    if (status == VornickFrameValidationStatus::NotFinished)
        return u"Not Validated: the Check Did Not Finish";
    if (status == VornickFrameValidationStatus::BeyondBudget)
        return u"Not Validated: the Page Is Beyond HTML Tidy's Work Budget";
    if (status == VornickFrameValidationStatus::CouldNotRun)
        return u"Not Validated: HTML Tidy Could Not Run";
    if (status != VornickFrameValidationStatus::Warnings && status != VornickFrameValidationStatus::Errors)
        return u"Validating...";
    size_t errors = 0;
    size_t warnings = 0;
    for (const auto& advisory : tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame()) {
        if (advisory.kind() == VornickValidationAdvisoryKind::Error)
            ++errors;
        else if (advisory.kind() == VornickValidationAdvisoryKind::Warning)
            ++warnings;
    }
    auto warningText = counted(warnings, u"Warning", u"Warnings");
    if (errors)
        return counted(errors, u"Error", u"Errors") + u", " + warningText;
    return warningText;
}

void VornickContentEditingView::Internals::tickleRevalidationOfFocusedWebFrame(VornickContentEditingView& view)
{
    // Asked for, validation runs even where the load's check did not finish.
    if (view.m_internals->focusedWebFrame && vornick_isValidationLeftUndone(vornick_validationStatus(*view.m_internals->focusedWebFrame)))
        vornick_setValidationStatus(*view.m_internals->focusedWebFrame, VornickFrameValidationStatus::Pending);
    view.postLastGeneratedHTMLForFocusedWebFrameDidChange();
}

} // namespace brevanton
