// The application's two icons, drawn in code: the standard one and the
// classic one the Appearance preferences offer ("AppIcon" 1).
#pragma once

namespace brevanton {

inline constexpr const char16_t* VornickStandardAppIconImageName = u"AppIcon";
inline constexpr const char16_t* VornickClassicAppIconImageName = u"AppIcon1";
inline constexpr const char16_t* VornickAppIconDefaultsKey = u"AppIcon";

// Registers both named images (once).
void VornickRegisterApplicationIcons();

} // namespace brevanton
