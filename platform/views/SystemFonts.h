// The fonts the view layer's own controls use, by role and size.
#pragma once

#include "platform/views/Font.h"

#include <memory>

namespace brevanton {

// The standard sizes: 13 points for controls, 10 for small labels, 11 for tool tips.
inline constexpr double SystemFontSize = 13;
inline constexpr double LabelFontSize = 10;
inline constexpr double ToolTipsFontSize = 11;

// A size of 0 or less means the role's standard size.
std::shared_ptr<const Font> systemFontOfSize(double pointSize);
std::shared_ptr<const Font> boldSystemFontOfSize(double pointSize);
std::shared_ptr<const Font> labelFontOfSize(double pointSize);
std::shared_ptr<const Font> toolTipsFontOfSize(double pointSize);

} // namespace brevanton
