#include "platform/views/Cursor.h"

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

void Cursor::set() const
{
    std::lock_guard lock(cursorLock);
    currentKind = m_kind;
    history().push_back(m_kind);
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
