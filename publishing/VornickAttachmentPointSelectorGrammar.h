// What a selector of an attachment point locator may hold, for the settings
// sheet to refuse a name or value the selector language cannot carry: a
// value is one or more Unicode letters, marks, numbers or punctuation less
// `:,!{}[]"'`; an attribute name is one or more HTML attribute-name
// characters less the same and less blanks.
#pragma once

#include <string_view>

namespace brevanton {

bool vornick_isValidSelectorValue(std::u16string_view);
bool vornick_isValidSelectorAttributeName(std::u16string_view);

} // namespace brevanton
