// TrackingArea: a rectangle of a view in which the window reports the mouse
// to an owner: entering and leaving (mouseEntered / mouseExited) and moving
// (mouseMoved), while the area is active. A view keeps its areas and
// rebuilds them in updateTrackingAreas, which the window calls before it
// next tracks the mouse after the geometry of its views changed.
#pragma once

#include "platform/foundation/Value.h"
#include "platform/views/Geometry.h"

#include <memory>

namespace brevanton {

class Responder;
class View;
class Window;

using TrackingAreaOptions = unsigned;
namespace TrackingAreaOption {
constexpr TrackingAreaOptions MouseEnteredAndExited = 0x01;
constexpr TrackingAreaOptions MouseMoved = 0x02;
constexpr TrackingAreaOptions CursorUpdate = 0x04;
// When the area is active (exactly one of these).
constexpr TrackingAreaOptions ActiveWhenFirstResponder = 0x10;
constexpr TrackingAreaOptions ActiveInKeyWindow = 0x20;
constexpr TrackingAreaOptions ActiveInActiveApp = 0x40;
constexpr TrackingAreaOptions ActiveAlways = 0x80;
// The area follows the view's visible rectangle; its own rectangle is ignored.
constexpr TrackingAreaOptions InVisibleRect = 0x200;
constexpr TrackingAreaOptions EnabledDuringMouseDrag = 0x400;
} // namespace TrackingAreaOption

class TrackingArea {
public:
    // The owner is held weakly; events for it stop when it goes away.
    TrackingArea(Rect rect, TrackingAreaOptions options, const std::shared_ptr<Responder>& owner, Value userInfo = {})
        : m_rect(rect), m_options(options), m_owner(owner), m_userInfo(std::move(userInfo))
    {
    }

    Rect rect() const { return m_rect; }
    TrackingAreaOptions options() const { return m_options; }
    bool hasOption(TrackingAreaOptions option) const { return (m_options & option) != 0; }
    std::shared_ptr<Responder> owner() const { return m_owner.lock(); }
    const Value& userInfo() const { return m_userInfo; }

    // Whether the area counts now for a view of a window: by its active option
    // (the application is always active here).
    bool isActiveIn(const View&, const Window&) const;
    // The rectangle in the view's coordinates that the mouse is tracked in.
    Rect effectiveRectIn(const View&) const;

private:
    Rect m_rect;
    TrackingAreaOptions m_options;
    std::weak_ptr<Responder> m_owner;
    Value m_userInfo;
};

} // namespace brevanton
