// The named colours of the view layer whose value follows the appearance:
// each call answers the value for the current appearance (Appearance.h).
#pragma once

#include "platform/foundation/Color.h"

namespace brevanton {

enum class SystemColor {
    Label,
    SecondaryLabel,
    TertiaryLabel,
    QuaternaryLabel,
    Text,
    TextBackground,
    SelectedText,
    SelectedTextBackground,
    // The selection of a view that is not the focus.
    UnemphasizedSelectedTextBackground,
    ControlText,
    DisabledControlText,
    WindowBackground,
    Separator,
    SystemTeal,
    SystemOrange,
    // The text of a link.
    Link,
    LightGray,
    DarkGray,
    Black,
    White,
};

// The colour's value in the current appearance.
Color systemColor(SystemColor);
// The colour's value in a light or a dark appearance.
Color systemColor(SystemColor, bool dark);

} // namespace brevanton
