// Copy, cut and paste, performed by the view rather than its web view.
// Copies carry a cleaned-up web archive of the range with its markup as HTML
// and its text, or the range's HTML source as text. Pastes read the general
// pasteboard in the order drops do (VornickReadPasteboardContent) and replace
// the selection by a cleaned, blockified fragment as one undo step; text
// goes in as text.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickDocumentResourceReferences.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickWebArchiveExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickBlockFragmentPlace.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickPasteboardContent.h"
#include "editing/commands/VornickUndoableEdit.h"
#include "editing/commands/VornickUndoableElementSplit.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickDocumentWebArchiveFragments.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Sound.h"
#include "platform/web/WebArchive.h"
#include "platform/web/WebFrame.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr char16_t nonBreakingSpace = 0xA0;

std::shared_ptr<WebFrame> frameShowing(const std::shared_ptr<WebFrame>& mainFrame, const DOMRange& range)
{
    auto document = vornick_ownerDocument(range);
    return mainFrame && document ? mainFrame->frameForDocument(*document) : nullptr;
}

// The absolute URL the first link the range infers refers to; none when the
// range infers no link, or its reference is empty or does not resolve.
std::optional<URL> URLOfInferredLink(const DOMRange& range)
{
    auto links = vornick_inferredTargetElementsOfKinds(range, { u"A" });
    if (links.empty())
        return std::nullopt;
    auto href = links.front()->getAttribute(u"href");
    auto document = links.front()->ownerDocument();
    if (href.empty() || !document)
        return std::nullopt;
    auto url = vornick_resolveResourceFileReference(*document, href);
    if (!url || url->scheme().empty())
        return std::nullopt;
    return url;
}

// The markup of an archive the editor copied itself, parsed where it came
// from (in an element like the one the copied range lay in), so that table
// and list parts stay what they were. It was written from the page through
// the cleaned-up copy, so it is neither repaired nor cleaned up again: the
// paste gives back what was copied.
std::shared_ptr<DOMDocumentFragment> fragmentFromOwnWebArchiveCopy(DOMDocument& document, const Data& data,
                                                                   const std::pair<std::u16string, std::u16string>& context)
{
    auto archive = WebArchive::create(data);
    auto page = archive ? archive->mainResource() : nullptr;
    auto markup = page && vornick_isHTML(*page) ? vornick_stringValue(*page) : std::nullopt;
    if (!markup)
        return nullptr;
    auto contextElement = document.createElementNS(context.first, context.second);
    if (!contextElement)
        return nullptr;
    return document.createDocumentFragmentWithMarkupString(*markup, page->url().absoluteString(), contextElement.get());
}

// Whether the fragment holds a block delimiter comment among its top-level nodes.
bool holdsBlockComment(const DOMDocumentFragment& fragment, const VornickBlockModeHelper& helper)
{
    auto prefix = helper.blockStartCommentPrefix();
    for (DOMNode* child = fragment.first(); child && prefix; child = child->next()) {
        if (child->nodeType() != DOMNode::COMMENT_NODE)
            continue;
        std::u16string_view data = downcast<DOMCharacterData>(*child).data();
        while (!data.empty() && isHTMLWhitespace(data.front()))
            data.remove_prefix(1);
        if (data.starts_with(*prefix))
            return true;
    }
    return false;
}

} // namespace

// --- Copies

bool VornickContentEditingView::Internals::copyContentsOfRange(VornickContentEditingView& editingView, const std::shared_ptr<DOMRange>& range, Pasteboard& pasteboard, bool asHTMLSourceCode)
{
    if (!range || range->collapsed())
        return false;
    auto working = range->cloneRange();
    if (editingView.m_internals->blockModeHelper)
        editingView.m_internals->blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*working);

    std::optional<Data> archive;
    Data markup;
    std::u16string string;
    if (asHTMLSourceCode) {
        string = editingView.htmlFragmentStringForRange(*working);
    } else {
        archive = Internals::cleanedUpWebArchiveDataForRange(editingView, *working, &string, &markup);
        // The text shows the user's non-breaking spaces as real ones, and the
        // web view's own U+00A0 as the spaces they stand for.
        auto frame = frameShowing(editingView.mainFrame(), *working);
        if (char16_t substitute = frame ? vornick_nonBreakingSpaceSubstituteCharacter(*frame) : 0) {
            std::replace(string.begin(), string.end(), nonBreakingSpace, u' ');
            std::replace(string.begin(), string.end(), substitute, nonBreakingSpace);
        }
    }
    if (archive && archive->empty())
        archive.reset();
    if (!archive && string.empty())
        return false;

    pasteboard.clearContents();
    bool written = true;
    bool archiveWritten = false;
    if (archive)
        written = archiveWritten = pasteboard.setData(std::move(*archive), WebArchivePboardType);
    // Other programs read the archive's page as HTML.
    if (archiveWritten && !markup.empty())
        written = pasteboard.setData(std::move(markup), PasteboardTypeHTML) && written;
    if (!string.empty())
        written = pasteboard.setString(string, PasteboardTypeString) && written;
    if (archiveWritten) {
        auto context = working->commonAncestorContainer();
        if (context && !context->isElementNode())
            context = context->parentElement();
        if (context) {
            auto& element = downcast<DOMElement>(*context);
            VornickNoteOwnWebArchiveCopy(pasteboard, element.namespaceURI(), element.localName());
        }
    }
    return written;
}

bool VornickContentEditingView::Internals::copyContentsOfSelectionToPasteboard(VornickContentEditingView& view, Pasteboard& pasteboard,
                                                                               bool asHTMLSourceCode)
{
    return Internals::copyContentsOfRange(view, view.effectiveOperationRange(), pasteboard, asHTMLSourceCode);
}

void VornickContentEditingView::copy(ActionSender*)
{
    if (!Internals::copyContentsOfSelectionToPasteboard(*this, *Pasteboard::generalPasteboard(), false))
        Sound::beep();
}

void VornickContentEditingView::Internals::copyAsHTMLSourceCode(VornickContentEditingView& view, ActionSender*)
{
    if (!Internals::copyContentsOfSelectionToPasteboard(view, *Pasteboard::generalPasteboard(), true))
        Sound::beep();
}

void VornickContentEditingView::Internals::copyElementInteriorAsHTMLSourceCode(VornickContentEditingView& view, ActionSender*)
{
    auto range = view.effectiveOperationRange();
    auto selection = range && view.m_internals->blockModeHelper ? view.m_internals->blockModeHelper->exactSelectionFromRange(*range,
            true) : std::nullopt;
    // A block's interior is not copied as source: its comments belong to it.
    if (!selection || !selection->element() || selection->blockStartComment()) {
        Sound::beep();
        return;
    }
    auto interior = selection->element()->ownerDocument()->createRange();
    interior->selectNodeContents(selection->element());
    if (!Internals::copyContentsOfRange(view, interior, *Pasteboard::generalPasteboard(), true))
        Sound::beep();
}

void VornickContentEditingView::Internals::copyLink(VornickContentEditingView& view, ActionSender*)
{
    auto range = view.effectiveOperationRange();
    if (!range || vornick_inferredTargetElementsOfKinds(*range, { u"A" }).empty())
        return;
    // A link whose reference is empty or unresolvable has no URL to give:
    // what the pasteboard held stays.
    auto url = URLOfInferredLink(*range);
    auto pasteboard = Pasteboard::generalPasteboard();
    if (!url) {
        Sound::beep();
        return;
    }
    pasteboard->clearContents();
    if (!pasteboard->writeObjects({ PasteboardItem::itemWithURL(*url) }))
        Sound::beep();
}

bool VornickContentEditingView::Internals::canCopyLink(const VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    return range && URLOfInferredLink(*range).has_value();
}

// --- Cut and deletion of a selection

void VornickContentEditingView::Internals::cut(VornickContentEditingView& view, ActionSender*)
{
    if (!view.m_internals->editable || !Internals::copyContentsOfSelectionToPasteboard(view, *Pasteboard::generalPasteboard(), false)) {
        Sound::beep();
        return;
    }
    auto range = view.effectiveOperationRange()->cloneRange();
    vornick_expandDeletionRangeToPruneUselessOrphans(*range);
    if (view.m_internals->blockModeHelper)
        view.m_internals->blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*range);
    VornickCommandStepName stepName(view.editingContext(), true, u"Cut");
    stepName.open();
    Internals::deleteRange(view, range);
    stepName.close();
}

void VornickContentEditingView::deleteNonEmptySelection(ActionSender*)
{
    auto effective = effectiveOperationRange();
    if (!m_internals->editable || !effective || effective->collapsed())
        return;
    auto range = effective->cloneRange();
    vornick_expandDeletionRangeToPruneUselessOrphans(*range);
    if (m_internals->blockModeHelper)
        m_internals->blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*range);
    Internals::deleteRange(*this, range);
}

// --- Pastes

void VornickContentEditingView::Internals::reassessNonBreakingSpaceSubstituteCharacterAndPerformSubstitutionInIncomingFragment(VornickContentEditingView& view,
    const std::shared_ptr<DOMDocumentFragment>& fragment, const std::shared_ptr<WebFrame>& frame)
{
    if (!fragment || !frame)
        return;
    Internals::reassessNonBreakingSpaceSubstituteCharacterForStringToBeInserted(view, fragment->textContent(), frame);
    if (char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*frame))
        VornickTranslateSubstitute(*fragment, nonBreakingSpace, substitute);
}

void VornickContentEditingView::Internals::paste(VornickContentEditingView& view, ActionSender*)
{
    auto effective = view.effectiveOperationRange();
    auto document = effective ? vornick_ownerDocument(*effective) : nullptr;
    if (!view.m_internals->editable || !document) {
        Sound::beep();
        return;
    }
    auto frame = frameShowing(view.mainFrame(), *effective);

    auto content = VornickReadPasteboardContent(*Pasteboard::generalPasteboard());
    std::shared_ptr<DOMDocumentFragment> fragment;
    // Where a pasted block goes, when not at the selection.
    std::shared_ptr<DOMRange> pastedBlockPlace;
    std::u16string actionName = u"Paste";
    switch (content.kind) {
    case VornickPasteboardContentKind::None:
        Sound::beep();
        return;
    case VornickPasteboardContentKind::URLs:
    case VornickPasteboardContentKind::URL: {
        // Each URL becomes a link; several are kept apart by a space.
        if (!view.m_internals->blockModeHelper) {
            Sound::beep();
            return;
        }
        fragment = document->createDocumentFragment();
        // A URL may become a block (an embed) only where a block may go: a
        // caret outside blocks, or at the start or end of one (the block
        // then goes before or after it); elsewhere it stays a link.
        std::shared_ptr<DOMRange> blockPlace;
        if (content.kind == VornickPasteboardContentKind::URL && effective->collapsed()) {
            auto caret = effective->cloneRange();
            view.m_internals->blockModeHelper->moveInsertionRangeOutOfBlockDelimiterComments(*caret);
            if (!view.m_internals->blockModeHelper->insertionRangeIsInBlock(*caret, [](const VornickExactSelection&,
                                                                       VornickBlockInteriorEndpointClass) {}))
                blockPlace = caret;
            else
                blockPlace = view.m_internals->blockModeHelper->poppedInsertionRangeIfAtBlockStartOrEnd(*caret);
        }
        for (const auto& url : content.urls) {
            bool one = content.kind == VornickPasteboardContentKind::URL;
            auto title = one && content.urlTitle && !content.urlTitle->empty() ? *content.urlTitle : url.absoluteString();
            auto link = view.m_internals->blockModeHelper->createFragmentForPasteOfURL(url, title, *document);
            if (link && holdsBlockComment(*link, *view.m_internals->blockModeHelper)) {
                if (blockPlace)
                    pastedBlockPlace = blockPlace;
                else
                    link = view.m_internals->blockModeHelper->VornickBlockModeHelper::createFragmentForPasteOfURL(url, title, *document);
            }
            if (!link || !link->hasChildNodes())
                continue;
            if (fragment->hasChildNodes())
                fragment->appendChild(document->createTextNode(u" "));
            fragment->appendChild(link);
        }
        if (!fragment->hasChildNodes()) {
            Sound::beep();
            return;
        }
        actionName = u"Paste of URL";
        break;
    }
    case VornickPasteboardContentKind::WebArchive:
        fragment = content.ownCopyContext
            ? fragmentFromOwnWebArchiveCopy(*document, content.webArchiveData, *content.ownCopyContext)
            : vornick_createCleanedUpDocumentFragmentWithWebArchiveData(*document, content.webArchiveData);
        if (!fragment) {
            Sound::beep();
            return;
        }
        if (view.m_internals->blockModeHelper)
            view.m_internals->blockModeHelper->blockifyFragment(*fragment);
        Internals::reassessNonBreakingSpaceSubstituteCharacterAndPerformSubstitutionInIncomingFragment(view, fragment, frame);
        (void)Internals::cacheStageAndRewireResourceFileReferencesInFragment(view, *fragment);
        break;
    case VornickPasteboardContentKind::String: {
        // What came as text is text: "a<b" is a less-than sign, never a tag.
        // Only markup (an archive, which other programs' HTML arrives as) is
        // parsed. It goes in as Paste as Plain Text puts it, by the rules of
        // typed text, now (no web view proposed it) and as a step of its own.
        view.endTypingRun();
        VornickCommandStepName stepName(view.editingContext(), true, actionName);
        stepName.open();
        Internals::deferredInsertProposedText(view, content.string, effective, WebViewInsertActionPasted);
        view.endTypingRun();
        stepName.close();
        return;
    }
    }
    // The selection as it stands once the substitute was reassessed (which
    // may rewrite the page's text); nothing lands between a block's
    // comments and its element.
    effective = view.effectiveOperationRange();
    if (!effective)
        return;
    auto range = pastedBlockPlace ? pastedBlockPlace : effective->cloneRange();
    if (view.m_internals->blockModeHelper)
        view.m_internals->blockModeHelper->moveInsertionRangeOutOfBlockDelimiterComments(*range);
    VornickCommandStepName stepName(view.editingContext(), true, actionName);
    stepName.open();
    bool replaced = pastedBlockPlace ? view.undoableReplaceRangeWithFragment(true, range, fragment, actionName)
                                     : Internals::replaceRangeWithPastedFragment(view, range, fragment, actionName);
    stepName.close();
    if (!replaced)
        Sound::beep();
}

bool VornickContentEditingView::Internals::replaceRangeWithPastedFragment(VornickContentEditingView& view, std::shared_ptr<DOMRange> range,
                                                                          const std::shared_ptr<DOMDocumentFragment>& fragment,
                                                                          const std::u16string& actionName)
{
    // What the document type lets the element hold decides, not where the
    // block mode lets drops go.
    auto* helper = view.m_internals->blockModeHelper.get();
    if (!helper || !helper->htmlSpec() || helper->htmlSpec()->mayInsertFragment(*fragment, vornick_startPosition(*range), nullptr))
        return view.undoableReplaceRangeWithFragment(true, range, fragment, actionName);
    // The selection goes first: the fragment's place is found at the caret it leaves.
    if (!range->collapsed()) {
        if (!Internals::deleteFragment(view, range, true, actionName, false, nullptr))
            return false;
        auto caret = view.effectiveOperationRange();
        if (!caret)
            return false;
        range = caret->cloneRange();
        range->collapse(true);
    }
    auto place = VornickFindBlockFragmentPlace(*helper, *fragment, vornick_startPosition(*range),
                                               vornick_enclosingAttachmentPointElement(*range).get());
    std::shared_ptr<DOMRange> target;
    switch (place.kind) {
    case VornickBlockFragmentPlaceKind::AtCaret:
        target = range;
        break;
    case VornickBlockFragmentPlaceKind::BeforeElement:
    case VornickBlockFragmentPlaceKind::AfterElement:
    case VornickBlockFragmentPlaceKind::ReplacingElement:
        // With the element's block comments, when it is a block.
        target = helper->outerRangeOfElementIncludingBlockStartAndEndComments(*place.element);
        if (place.kind != VornickBlockFragmentPlaceKind::ReplacingElement)
            target->collapse(place.kind == VornickBlockFragmentPlaceKind::BeforeElement);
        break;
    case VornickBlockFragmentPlaceKind::SplittingElement:
        if (!VornickUndoableElementSplit(view.editingContext(), true, place.element, range, false, false).apply())
            return false;
        // The split leaves the caret before the second half.
        target = view.effectiveOperationRange();
        if (!target)
            return false;
        target = target->cloneRange();
        break;
    }
    return view.undoableReplaceRangeWithFragment(true, target, fragment, actionName);
}

void VornickContentEditingView::pasteAsRichText(ActionSender* sender)
{
    Internals::paste(*this, sender);
}

// --- The commands' actions

void VornickContentEditingView::Internals::installClipboardAndDeletionActionHandlers(VornickContentEditingView& view)
{
    auto weak = view.weakSelf();
    view.installActionHandler("copy:", &VornickContentEditingView::copy);
    view.installActionHandler("copyAsHTMLSourceCode:", &Internals::copyAsHTMLSourceCode);
    view.installActionHandler("copyElementInteriorAsHTMLSourceCode:", &Internals::copyElementInteriorAsHTMLSourceCode);
    view.installActionHandler("copyLink:", &Internals::copyLink);
    view.installActionHandler("cut:", &Internals::cut);
    view.installActionHandler("paste:", &Internals::paste);
    view.installActionHandler("pasteAsRichText:", &VornickContentEditingView::pasteAsRichText);
    view.installActionHandler("deleteNonEmptySelection:", &VornickContentEditingView::deleteNonEmptySelection);
    view.setActionHandler("pasteAsPlainText:", [weak](ActionSender*) {
        if (auto self = weak.lock())
            Internals::pasteAsPlainText(*self);
    });
    view.setActionHandler("deleteSelection:", [weak](ActionSender*) {
        if (auto self = weak.lock())
            self->deleteSelection();
    });
}

} // namespace brevanton
