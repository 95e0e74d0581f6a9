// Colour helpers the interface themes share: the themes give greys as
// 0-255 levels of the generic gamma-2.2 white, and flat fills as gradients
// of one colour.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/views/Gradient.h"

namespace brevanton::theme {

inline Color grey(double value)
{
    return Color::genericGamma22White(value / 255);
}

inline Gradient greyGradient(double from, double to)
{
    return Gradient(grey(from), grey(to));
}

} // namespace brevanton::theme
