// CSS colours: the named colours, "transparent", hex notations (#rgb, #rgba,
// #rrggbb, #rrggbbaa) and the rgb(), rgba(), hsl() and hsla() functions.
#pragma once

#include "platform/css/CSSTokenizer.h"
#include "platform/css/CSSValue.h"

#include <optional>
#include <string_view>

namespace brevanton {

// The colour of a named colour (any case), or nothing.
std::optional<CSSRGBColor> namedCSSColor(std::u16string_view name);
// The colour of hex digits after "#", or nothing when they are not 3, 4, 6 or 8 hex digits.
std::optional<CSSRGBColor> hexCSSColor(std::u16string_view digits);

// Parses one colour at `tokens[index]` (leading whitespace skipped) and
// advances `index` past it. "currentcolor" is not a colour here.
std::optional<CSSRGBColor> parseCSSColor(const std::vector<CSSToken>& tokens, size_t& index);
// A whole text that is exactly one colour.
std::optional<CSSRGBColor> parseCSSColor(std::u16string_view text);

} // namespace brevanton
