#include "platform/views/CompletionList.h"

#include "platform/views/Event.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemColors.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr double rowHeight = 18;

} // namespace

struct CompletionList::State {
    std::vector<std::u16string> completions;
    long highlighted { 0 };
    ChooseHandler choose;
};

namespace {

// One row per completion, the highlighted one filled.
class CompletionListView final : public View {
public:
    explicit CompletionListView(std::weak_ptr<CompletionList::State> state)
        : View(Rect())
        , m_state(std::move(state))
    {
    }

    bool isFlipped() const override { return true; }

    void draw(const Rect&, GraphicsContext& context) override;
    void mouseDown(const Event& event) override;

private:
    std::weak_ptr<CompletionList::State> m_state;
};

// Never key: the keyboard stays with the field.
class CompletionWindow final : public Window {
public:
    explicit CompletionWindow(Rect frame)
        : Window(frame, WindowStyle::Borderless)
    {
    }
    bool canBecomeKeyWindow() const override { return false; }
    bool canBecomeMainWindow() const override { return false; }
};

} // namespace

void CompletionListView::draw(const Rect&, GraphicsContext& context)
{
    context.fillRect(bounds(), Color::white());
    context.strokeRect(bounds(), Color::gray());
    auto state = m_state.lock();
    if (!state)
        return;
    for (size_t row = 0; row < state->completions.size(); ++row) {
        Rect rect(0, static_cast<double>(row) * rowHeight, bounds().width(), rowHeight);
        bool highlighted = static_cast<long>(row) == state->highlighted;
        if (highlighted)
            context.fillRect(rect, systemColor(SystemColor::SelectedTextBackground));
        context.drawText(state->completions[row], rect.insetBy(6, 1), highlighted ? Color::white() : Color::black());
    }
}

void CompletionListView::mouseDown(const Event& event)
{
    auto state = m_state.lock();
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    if (!state || point.y < 0)
        return;
    auto row = static_cast<long>(point.y / rowHeight);
    if (row < static_cast<long>(state->completions.size()) && state->choose)
        state->choose(row);
}

CompletionList::CompletionList(ChooseHandler choose)
    : m_state(std::make_shared<State>())
{
    m_state->choose = std::move(choose);
}

CompletionList::~CompletionList()
{
    if (m_window)
        m_window->orderOut();
}

const std::vector<std::u16string>& CompletionList::completions() const
{
    return m_state->completions;
}

long CompletionList::highlighted() const
{
    return m_state->completions.empty() ? -1 : m_state->highlighted;
}

bool CompletionList::isShowing() const
{
    return m_window && m_window->isVisible();
}

std::shared_ptr<Window> CompletionList::window() const
{
    return isShowing() ? m_window : nullptr;
}

void CompletionList::setCompletions(std::vector<std::u16string> completions, View& under)
{
    m_state->completions = std::move(completions);
    m_state->highlighted = 0;
    auto fieldWindow = under.window();
    if (m_state->completions.empty() || !fieldWindow || !fieldWindow->isVisible()) {
        if (m_window)
            m_window->orderOut();
        return;
    }
    // Below the field on the screen, as wide as the field.
    Rect field = under.convertRectToScreen(under.bounds());
    double height = rowHeight * static_cast<double>(m_state->completions.size()) + 2;
    Rect frame(field.minX(), field.minY() - height, std::max(field.width(), 160.0), height);
    if (!m_window) {
        m_window = std::make_shared<CompletionWindow>(frame);
        m_window->setContentView(std::make_shared<CompletionListView>(m_state));
    } else
        m_window->setFrame(frame);
    m_window->contentView()->setNeedsDisplay(true);
    m_window->orderFront();
}

void CompletionList::moveHighlight(int direction)
{
    auto count = static_cast<long>(m_state->completions.size());
    if (count == 0)
        return;
    m_state->highlighted = (m_state->highlighted + (direction > 0 ? 1 : count - 1)) % count;
    if (m_window)
        m_window->contentView()->setNeedsDisplay(true);
}

void CompletionList::close()
{
    m_state->completions.clear();
    m_state->highlighted = 0;
    if (m_window)
        m_window->orderOut();
}

} // namespace brevanton
