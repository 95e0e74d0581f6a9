// Operations on popovers and on the windows they are shown over: focus
// tests, placement at the mouse, and the shown window's frame.
#pragma once

#include "platform/views/Geometry.h"
#include "platform/views/Popover.h"
#include "platform/views/Window.h"

#include <memory>

namespace brevanton {

// True when the key window's first responder is a view in the popover's window.
bool vornick_hasFocus(const Popover&);
// Shows the popover at a 4 × 4 point rectangle centred on the window's mouse
// location, always on the rectangle's minimum-y edge (the edge argument is
// not consulted).
void vornick_showRelativeToMousePositionInWindow(Popover&, const std::shared_ptr<Window>&, RectEdge preferredEdge);
// The frame of the popover's window while it is shown, else the zero rectangle.
Rect vornick_windowFrameIfShown(const Popover&);
// True when the window's first responder is a view that lives in another window.
bool vornick_popoverAppearsToHaveFocus(const Window&);

} // namespace brevanton
