// How a block's lines stand within its content box (text-align): each line
// box moves right by this fraction of the room left on it. Justified lines
// stand at the start: the layout does not stretch the spaces of a line.
#pragma once

namespace brevanton {

struct CSSComputedValues;

// 0 for lines at the left edge, 0.5 centred, 1 at the right edge; start and
// end (and justify, which stands at the start) follow the direction.
double webLineAlignmentFraction(const CSSComputedValues&);

} // namespace brevanton
