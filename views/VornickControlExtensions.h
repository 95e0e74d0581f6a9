// Operations on controls.
#pragma once

#include "platform/views/Control.h"

namespace brevanton {

inline constexpr long VornickNoSegmentTag = -9999;

// The tag of the selected segment of a segmented control; VornickNoSegmentTag
// for any other control and for a segmented control with no segment selected.
long vornick_tagOfSelectedSegment(const Control&);

} // namespace brevanton
