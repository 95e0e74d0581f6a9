// Shadow: the shadow drawn under text or a shape, a value of the text
// attribute ShadowAttributeName.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/views/Geometry.h"

namespace brevanton {

inline constexpr const char* ShadowAttributeName = "Shadow";

struct Shadow {
    Size offset;
    double blurRadius { 0 };
    // The platform's default shadow colour: black at a third opacity.
    Color color { Color::genericGamma22White(0, 1.0 / 3) };

    friend bool operator==(const Shadow&, const Shadow&) = default;
};

} // namespace brevanton
