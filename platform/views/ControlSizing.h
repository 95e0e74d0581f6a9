// ControlSizing: where a control's label goes and how wide the control must
// be to show it whole: the label's width in the system font, plus the room
// the control's own parts (bevel, check box, arrow) take before and after it.
// The desktop's style decides that room (the Qt backend installs its
// measure); headless, fixed numbers.
#pragma once

#include "platform/views/ControlDrawing.h"

#include <functional>
#include <string_view>

namespace brevanton {

struct ControlLabelMargins {
    // From the control's left edge to its label's.
    double leading { 0 };
    // From the label's right edge to the control's, with a little air.
    double trailing { 0 };
};
ControlLabelMargins controlLabelMargins(ControlKind, double height);

double controlWidthToFitLabel(ControlKind, std::u16string_view label, double height);

// The margins for a control of the kind and height.
using ControlLabelMarginsMeasure = std::function<ControlLabelMargins(ControlKind, double height)>;
// An empty measure puts the fixed numbers back.
void setControlLabelMarginsMeasure(ControlLabelMarginsMeasure);

} // namespace brevanton
