// Cursor: the mouse pointer's shape. The headless view layer shows nothing;
// it keeps the current cursor and records every change, so that tests can
// read what was set.
//
// A view may claim the cursor (View::setClaimsCursor): while the pointer is
// over it, that is while the last mouse event went to its window at a point
// the view or a view inside it hits, set() changes nothing, and the view
// sets its own cursor with setAsClaimant().
#pragma once

#include <cstddef>
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
    // Makes this the current cursor and records the change, unless the
    // pointer is over a view that claims the cursor.
    void set() const;
    // Makes this the current cursor and records the change in every case:
    // for the view that claims the cursor.
    void setAsClaimant() const;
    // Whether the pointer is over a view that claims the cursor.
    static bool pointerIsOverCursorClaimingView();

    // The arrow until another is set.
    static Cursor currentCursor();
    // The cursors set since the last clear, oldest first: all of them up to
    // `maximumCursorHistoryLength`, then at least the newest half of that.
    static constexpr std::size_t maximumCursorHistoryLength = 1024;
    static std::vector<CursorKind> setCursorHistory();

    friend bool operator==(const Cursor&, const Cursor&) = default;

    // Clears the history and makes the arrow current.
    static void resetForTesting();

private:
    CursorKind m_kind;
};

} // namespace brevanton
