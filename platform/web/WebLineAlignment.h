// How a block's lines stand within its content box (text-align): each line
// box moves right by this fraction of the room left on it. Justified lines
// that wrapped are stretched by the layout; the last line of a justified
// paragraph, and lines ended by a break, stand at the start.
#pragma once

namespace brevanton {

struct CSSComputedValues;

// 0 for lines at the left edge, 0.5 centred, 1 at the right edge; start and
// end (and justify's unstretched lines, which stand at the start) follow the direction.
double webLineAlignmentFraction(const CSSComputedValues&);

} // namespace brevanton
