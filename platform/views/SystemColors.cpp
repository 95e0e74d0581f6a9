#include "platform/views/SystemColors.h"

#include "platform/views/Appearance.h"

namespace brevanton {

Color systemColor(SystemColor color)
{
    return systemColor(color, Appearance::currentIsDark());
}

Color systemColor(SystemColor color, bool dark)
{
    switch (color) {
    case SystemColor::Label:
        return dark ? Color::genericGamma22White(1, 0.85) : Color::genericGamma22White(0, 0.85);
    case SystemColor::SecondaryLabel:
        return dark ? Color::genericGamma22White(1, 0.55) : Color::genericGamma22White(0, 0.5);
    case SystemColor::TertiaryLabel:
        return dark ? Color::genericGamma22White(1, 0.25) : Color::genericGamma22White(0, 0.26);
    case SystemColor::QuaternaryLabel:
        return dark ? Color::genericGamma22White(1, 0.1) : Color::genericGamma22White(0, 0.1);
    case SystemColor::Text:
        return dark ? Color::white() : Color::black();
    case SystemColor::TextBackground:
        return dark ? Color::genericGamma22White(30.0 / 255) : Color::white();
    case SystemColor::SelectedText:
        return dark ? Color::white() : Color::black();
    case SystemColor::SelectedTextBackground:
        return dark ? Color::sRGB255(63, 99, 139) : Color::sRGB255(179, 215, 255);
    case SystemColor::UnemphasizedSelectedTextBackground:
        return dark ? Color::sRGB255(70, 70, 70) : Color::sRGB255(220, 220, 220);
    case SystemColor::ControlText:
        return dark ? Color::genericGamma22White(1, 0.85) : Color::genericGamma22White(0, 0.85);
    case SystemColor::DisabledControlText:
        return dark ? Color::genericGamma22White(1, 0.25) : Color::genericGamma22White(0, 0.25);
    case SystemColor::WindowBackground:
        return dark ? Color::genericGamma22White(50.0 / 255) : Color::genericGamma22White(236.0 / 255);
    case SystemColor::Separator:
        return dark ? Color::genericGamma22White(1, 0.1) : Color::genericGamma22White(0, 0.1);
    case SystemColor::SystemTeal:
        return dark ? Color::sRGB255(106, 196, 220) : Color::sRGB255(89, 173, 196);
    case SystemColor::SystemOrange:
        return dark ? Color::sRGB255(255, 159, 10) : Color::sRGB255(255, 149, 0);
    case SystemColor::Link:
        return dark ? Color::sRGB255(65, 156, 255) : Color::sRGB255(0, 104, 218);
    case SystemColor::LightGray:
        return Color::genericGamma22White(2.0 / 3);
    case SystemColor::DarkGray:
        return Color::darkGray();
    case SystemColor::Black:
        return Color::black();
    case SystemColor::White:
        return Color::white();
    }
    return Color::black();
}

} // namespace brevanton
