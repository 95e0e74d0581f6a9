// Named gradients shared by the interface, and the error gradient.
#pragma once

#include "platform/views/Gradient.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

// One shared gradient from orange to red.
std::shared_ptr<const Gradient> vornick_errorGradient();
// Makes a gradient and keeps it under the name; all three are required (assertions).
std::shared_ptr<const Gradient> vornick_registerGradientNamed(const std::u16string& name,
                                                              const std::optional<Color>& startingColor,
                                                              const std::optional<Color>& endingColor);
// The gradient kept under the name, else the error gradient.
std::shared_ptr<const Gradient> vornick_gradientNamed(const std::u16string& name);

} // namespace brevanton
