// Auxiliary windows (preferences, logs, panels) close with Escape, as the
// desktop's dialogs do: Escape pressed without a modifier while the window
// gets the keys closes it (its delegate asked first), before its views see
// the key. Document windows keep Escape for their views.
#pragma once

namespace brevanton {

class Window;

void closeWindowWithEscape(Window&);

} // namespace brevanton
