// ControlSizing: how wide a control must be to show its label whole: the
// label's width in the system font, plus the room the control's own parts
// (bevel, check box, arrow) take beside it. The desktop's style decides that
// room (the Qt backend installs its measure); headless, fixed numbers.
#pragma once

#include "platform/views/ControlDrawing.h"

#include <functional>
#include <string_view>

namespace brevanton {

double controlWidthToFitLabel(ControlKind, std::u16string_view label, double height);

// The room beside the label, for a control of the kind and height.
using ControlLabelAllowance = std::function<double(ControlKind, double height)>;
// An empty measure puts the fixed numbers back.
void setControlLabelAllowance(ControlLabelAllowance);

} // namespace brevanton
