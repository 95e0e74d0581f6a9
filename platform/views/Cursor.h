// Cursor: the mouse pointer's shape. The headless view layer shows nothing;
// it keeps the current cursor and records every change, so that tests can
// read what was set.
#pragma once

#include <vector>

namespace brevanton {

enum class CursorKind {
    Arrow,
    IBeam,
    PointingHand,
    ClosedHand,
    OpenHand,
    ResizeLeftRight,
    ResizeUpDown,
    Crosshair,
    DragCopy,
    OperationNotAllowed,
};

class Cursor {
public:
    explicit constexpr Cursor(CursorKind kind) : m_kind(kind) {}

    static Cursor arrowCursor() { return Cursor(CursorKind::Arrow); }
    static Cursor IBeamCursor() { return Cursor(CursorKind::IBeam); }
    static Cursor pointingHandCursor() { return Cursor(CursorKind::PointingHand); }
    static Cursor closedHandCursor() { return Cursor(CursorKind::ClosedHand); }
    static Cursor openHandCursor() { return Cursor(CursorKind::OpenHand); }
    static Cursor resizeLeftRightCursor() { return Cursor(CursorKind::ResizeLeftRight); }
    static Cursor resizeUpDownCursor() { return Cursor(CursorKind::ResizeUpDown); }

    CursorKind kind() const { return m_kind; }
    // Makes this the current cursor and records the change.
    void set() const;

    // The arrow until another is set.
    static Cursor currentCursor();
    // Every cursor set since the last clear, oldest first.
    static std::vector<CursorKind> setCursorHistory();
    // Clears the history and makes the arrow current.
    static void resetForTesting();

    friend bool operator==(const Cursor&, const Cursor&) = default;

private:
    CursorKind m_kind;
};

} // namespace brevanton
