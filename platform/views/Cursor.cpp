#include "platform/views/Cursor.h"

#include "platform/views/Application.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

#include <mutex>

namespace brevanton {

namespace {
std::mutex cursorLock;
CursorKind currentKind = CursorKind::Arrow;
std::vector<CursorKind>& history()
{
    static std::vector<CursorKind> kinds;
    return kinds;
}
}

bool Cursor::pointerIsOverCursorClaimingView()
{
    auto window = Application::shared().windowUnderMouse();
    auto content = window ? window->contentView() : nullptr;
    if (!content || !window->isVisible())
        return false;
    for (auto view = content->hitTest(window->mouseLocationOutsideOfEventStream()); view; view = view->superview()) {
        if (view->claimsCursor())
            return true;
    }
    return false;
}

void Cursor::set() const
{
    if (pointerIsOverCursorClaimingView())
        return;
    setAsClaimant();
}

void Cursor::setAsClaimant() const
{
    std::lock_guard lock(cursorLock);
    currentKind = m_kind;
    // A window's pointer sets the cursor on every move: keep only the newest
    // entries, dropping the older half at once so that a push stays cheap.
    auto& kinds = history();
    if (kinds.size() >= maximumCursorHistoryLength)
        kinds.erase(kinds.begin(), kinds.begin() + static_cast<std::ptrdiff_t>(kinds.size() - maximumCursorHistoryLength / 2));
    kinds.push_back(m_kind);
}

Cursor Cursor::currentCursor()
{
    std::lock_guard lock(cursorLock);
    return Cursor(currentKind);
}

std::vector<CursorKind> Cursor::setCursorHistory()
{
    std::lock_guard lock(cursorLock);
    return history();
}

void Cursor::resetForTesting()
{
    std::lock_guard lock(cursorLock);
    currentKind = CursorKind::Arrow;
    history().clear();
}

} // namespace brevanton
