// Find and replace in the view: the find controller and the host it works
// through (the writer of the search text, the place of the find bar, a strip
// below the content), and the find actions of menu items.
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

std::unique_ptr<VornickFindAndReplaceController> VornickContentEditingView::Internals::makeFindAndReplaceController(
    VornickContentEditingView& view)
{
    class Host final : public VornickFindAndReplaceController::Host {
    public:
        explicit Host(VornickContentEditingView& view)
            : m_view(view)
        {
        }
        VornickEditingContext& editingContext() override { return m_view.editingContext(); }
        std::unique_ptr<VornickHTMLWriter> htmlWriterForSearchText(const WebFrame& frame) const override
        {
            // Characters as themselves, never as references, so that the
            // search text is the text the user reads.
            auto preferences = VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences()->mutableCopy();
            preferences.setUseNativeSpecialCharacters(true);
            auto writer = VornickHTMLWriter::htmlWriterWithFormattingPreferences(
                preferences, vornick_nonBreakingSpaceSubstituteCharacter(frame), VornickNewlineConvention::LF);
            of(m_view).letWriterFindBlockFragments(*writer);
            return writer;
        }
        void scrollRangeToVerticallyCentered(const std::shared_ptr<DOMRange>& range) override { m_view.scrollRangeToVerticallyCentered(range); }
        void replaceRangeWithReplacementText(const std::shared_ptr<DOMRange>& range, const std::u16string& text) override
        {
            m_view.replaceRangeWithReplacementText(range, text);
        }
        ObserverToken observeContentChanges(std::function<void()> block) override
        {
            return NotificationCenter::defaultCenter().addObserver(VornickContentEditingViewDidChangeContentNotification, &m_view, nullptr,
                                                                   [block = std::move(block)](const Notification&) { block(); });
        }
        // The bar stands on the top of the path bar when it is shown, else on
        // the bottom of the view; the split view ends at its top.
        void placeFindBar(const std::shared_ptr<View>& bar, bool shown) override
        {
            auto& in = of(m_view);
            double baseline = pathBarShown(m_view) ? in.domPathBar->frame().minY() : m_view.bounds().height();
            Rect split = in.splitView->frame();
            if (!shown) {
                if (bar)
                    bar->removeFromSuperview();
                in.splitView->setFrame(Rect(split.minX(), split.minY(), split.width(), std::max(0.0, baseline - split.minY())));
                if (auto window = m_view.window())
                    window->makeFirstResponder(in.webView);
                return;
            }
            double height = bar->frame().height();
            bar->setFrame(Rect(0, baseline - height, m_view.bounds().width(), height));
            bar->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
            in.splitView->setFrame(Rect(split.minX(), split.minY(), split.width(), std::max(0.0, baseline - height - split.minY())));
            if (bar->superview().get() != &m_view)
                m_view.addSubview(bar);
        }
        std::shared_ptr<View> contentView() const override { return of(m_view).webView; }

    private:
        VornickContentEditingView& m_view;
    };
    return std::make_unique<VornickFindAndReplaceController>(std::make_unique<Host>(view));
}

VornickFindAndReplaceController& VornickContentEditingView::findAndReplaceController()
{
    if (!m_internals->findAndReplaceController)
        m_internals->findAndReplaceController = Internals::makeFindAndReplaceController(*this);
    return *m_internals->findAndReplaceController;
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

std::shared_ptr<View> VornickContentEditingView::findBarView() const
{
    return m_internals->findAndReplaceController ? m_internals->findAndReplaceController->findBarView() : nullptr;
}

bool VornickContentEditingView::isFindBarVisible() const
{
    return m_internals->findAndReplaceController && m_internals->findAndReplaceController->isFindBarVisible();
}

} // namespace brevanton
