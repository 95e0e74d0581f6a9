// Find and replace in the view: the find controller, the writer of the search
// text, the find actions of menu items, and the find bar as a strip below the
// content (the view is the text finder's bar container).
#include "editing/VornickContentEditingView.h"

#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickDOMPathBar.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickFindAndReplaceController.h"
#include "editing/VornickSpellingController.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLWriter.h"
#include "dom/VornickWebFrameExtensions.h"
#include "platform/views/Menu.h"
#include "platform/views/Window.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickNewlineConvention.h"
#include "ui/VornickCollapsibleHeaderSplitView.h"

namespace brevanton {

VornickFindAndReplaceController& VornickContentEditingView::findAndReplaceController()
{
    if (!m_internals->findAndReplaceController) {
        m_internals->findAndReplaceController = std::make_shared<VornickFindAndReplaceController>();
        m_internals->findAndReplaceController->setContentEditingView(this);
    }
    return *m_internals->findAndReplaceController;
}

std::unique_ptr<VornickHTMLWriter> VornickContentEditingView::htmlWriterForGeneratingSearchStringForWebFrame(const WebFrame& frame) const
{
    // Characters as themselves, never as references, so that the search
    // text is the text the user reads.
    auto preferences = VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences()->mutableCopy();
    preferences.setUseNativeSpecialCharacters(true);
    auto writer = VornickHTMLWriter::htmlWriterWithFormattingPreferences(
        preferences, vornick_nonBreakingSpaceSubstituteCharacter(frame), VornickNewlineConvention::LF);
    std::weak_ptr<VornickBlockModeHelper> helper = m_internals->blockModeHelper;
    writer->setCommentToFragmentDescriptionLookupBlock(
        [helper](const DOMComment& comment) -> std::shared_ptr<const VornickGeneralFragmentDescription> {
            if (auto strong = helper.lock())
                return std::dynamic_pointer_cast<const VornickGeneralFragmentDescription>(
                    strong->fragmentDescriptionForBlockStartComment(comment));
            return nullptr;
        });
    return writer;
}

void VornickContentEditingView::Internals::installFindSpellingAndViewServiceActionHandlers(VornickContentEditingView& view)
{
    view.findAndReplaceController();
    view.installActionHandler("performTextFinderAction:", &Internals::performTextFinderAction);
    auto checkSpelling = [](VornickContentEditingView& view, ActionSender*) { of(view).spelling->checkSpelling(); };
    view.installActionHandler("checkSpelling:", checkSpelling);
    view.installActionHandler("vornick_checkSpelling:", checkSpelling);
    view.installActionHandler("vornick_showGuessPanel:", &VornickContentEditingView::vornick_showGuessPanel);
    view.installActionHandler("changeSpelling:",
                              [](VornickContentEditingView& view, ActionSender* sender) { of(view).spelling->changeSpelling(sender); });
    view.installActionHandler("ignoreSpelling:",
                              [](VornickContentEditingView& view, ActionSender* sender) { of(view).spelling->ignoreSpelling(sender); });
    view.installActionHandler("vornick_toggleGrammarChecking:", &VornickContentEditingView::vornick_toggleGrammarChecking);
    view.installActionHandler("makeTextLarger:", &VornickContentEditingView::makeTextLarger);
    view.installActionHandler("makeTextSmaller:", &VornickContentEditingView::makeTextSmaller);
    view.installActionHandler("makeTextStandardSize:", &VornickContentEditingView::makeTextStandardSize);
    view.installActionHandler("dumpEffectiveOperationRange:", &VornickContentEditingView::dumpEffectiveOperationRange);
    view.installActionHandler("dumpFocusedDOMTree:", &VornickContentEditingView::dumpFocusedDOMTree);
    view.installActionHandler("dumpWebFrameTree:", &VornickContentEditingView::dumpWebFrameTree);
    view.installActionHandler("dumpResourceFileWatchers:", &VornickContentEditingView::dumpResourceFileWatchers);
    view.installActionHandler("vornick_redrawEmbeddedWebView:", &VornickContentEditingView::vornick_redrawEmbeddedWebView);
}

void VornickContentEditingView::Internals::performTextFinderAction(VornickContentEditingView& view, ActionSender* sender)
{
    auto* item = dynamic_cast<MenuItem*>(sender);
    if (!item)
        return;
    view.endTypingRun();
    view.findAndReplaceController().performAction(item->tag());
}

// --- The find bar

std::shared_ptr<View> VornickContentEditingView::contentView() const
{
    return m_internals->webView;
}

namespace {

// The edge the find bar stands on: the top of the path bar when it is
// shown, else the bottom of the view.
double findBarBaseline(const VornickContentEditingView& view)
{
    if (Internals::pathBarShown(view))
        return Internals::of(view).domPathBar->frame().minY();
    return view.bounds().height();
}

} // namespace

void VornickContentEditingView::setFindBarVisible(bool visible)
{
    if (visible == m_internals->findBarIsVisible)
        return;
    m_internals->findBarIsVisible = visible;
    endTypingRun();
    double baseline = findBarBaseline(*this);
    Rect split = m_internals->splitView->frame();
    if (!visible) {
        if (m_internals->findBarView)
            m_internals->findBarView->removeFromSuperview();
        m_internals->splitView->setFrame(Rect(split.minX(), split.minY(), split.width(), std::max(0.0, baseline - split.minY())));
        if (auto window = this->window())
            window->makeFirstResponder(m_internals->webView);
        return;
    }
    findAndReplaceController().invalidateAttributedStringAndMap();
    if (!m_internals->findBarView)
        return;
    double height = m_internals->findBarView->frame().height();
    m_internals->findBarView->setFrame(Rect(0, baseline - height, bounds().width(), height));
    m_internals->findBarView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
    m_internals->splitView->setFrame(Rect(split.minX(), split.minY(), split.width(), std::max(0.0, baseline - height - split.minY())));
    addSubview(m_internals->findBarView);
}

void VornickContentEditingView::findBarViewDidChangeHeight()
{
    if (!m_internals->findBarView || !m_internals->findBarView->superview())
        return;
    // The bar keeps standing on its edge; the split view ends at its top.
    double baseline = findBarBaseline(*this);
    double height = m_internals->findBarView->frame().height();
    m_internals->findBarView->setFrame(Rect(0, baseline - height, bounds().width(), height));
    Rect split = m_internals->splitView->frame();
    m_internals->splitView->setFrame(Rect(split.minX(), split.minY(), split.width(), std::max(0.0, baseline - height - split.minY())));
}

} // namespace brevanton
