// The user-agent style sheet: the HTML defaults (display of every HTML
// element, list styles, margins, fonts and weights) that apply beneath
// user and author styles. Its type selectors match HTML elements only.
#pragma once

#include "platform/css/CSSStyleSheet.h"

#include <memory>
#include <string_view>

namespace brevanton {

std::u16string_view userAgentStyleSheetText();
const std::shared_ptr<CSSStyleSheet>& userAgentStyleSheet();

} // namespace brevanton
