#include "views/VornickControlExtensions.h"

#include "platform/views/SegmentedControl.h"

namespace brevanton {

long vornick_tagOfSelectedSegment(const Control& control)
{
    auto segmented = dynamic_cast<const SegmentedControl*>(&control);
    if (!segmented)
        return VornickNoSegmentTag;
    long selected = segmented->selectedSegment();
    if (selected < 0 || selected >= segmented->segmentCount())
        return VornickNoSegmentTag;
    return segmented->tagForSegment(selected);
}

} // namespace brevanton
