// The view's spelling: its controller, the host the controller works through,
// and the view's spelling operations, which forward to it.
#include "editing/VornickContentEditingView.h"

#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickSpellingController.h"

namespace brevanton {

std::unique_ptr<VornickSpellingController> VornickContentEditingView::Internals::makeSpellingController(VornickContentEditingView& view)
{
    class Host final : public VornickSpellingController::Host {
    public:
        explicit Host(VornickContentEditingView& view)
            : m_view(view)
        {
        }
        VornickEditingContext& editingContext() override { return m_view.editingContext(); }
        void scrollRangeToVerticallyCentered(const std::shared_ptr<DOMRange>& range) override { m_view.scrollRangeToVerticallyCentered(range); }
        bool replaceRangeWithText(bool undoable, const std::shared_ptr<DOMRange>& range, const std::u16string& text,
                                  bool addToTypingRun) override
        {
            return m_view.undoableReplaceRangeWithText(undoable, range, text, addToTypingRun);
        }
        const View& messageView() const override { return m_view; }
        void performOnNextTurn(std::function<void()> work) override
        {
            m_view.performAfterDelay(0, [work = std::move(work)](VornickContentEditingView&) { work(); });
        }

    private:
        VornickContentEditingView& m_view;
    };
    return std::make_unique<VornickSpellingController>(std::make_unique<Host>(view));
}

void VornickContentEditingView::vornick_showGuessPanel(ActionSender*)
{
    m_internals->spelling->showGuessPanel();
}

void VornickContentEditingView::vornick_toggleGrammarChecking(ActionSender*)
{
    m_internals->spelling->toggleGrammarChecking();
}

bool VornickContentEditingView::isGrammarCheckingEnabled() const
{
    return VornickSpellingController::isGrammarCheckingEnabled();
}

void VornickContentEditingView::undoableFixupTextInNode(bool undoable, const std::shared_ptr<DOMNode>& textNode,
                                                        const std::shared_ptr<DOMRange>& editedRange)
{
    m_internals->spelling->fixupTextInNode(undoable, textNode, editedRange);
}

} // namespace brevanton
