// JSON files read from the application's resources. A resource is looked up
// by its full name first and then with the extension "json". Every failure
// (missing, unreadable, not JSON, not of the expected shape) answers nullopt.
#pragma once

#include "platform/foundation/Bundle.h"
#include "platform/foundation/RegularExpression.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

std::optional<Value> vornick_JSONResourceNamed(std::u16string_view name, const Bundle& = Bundle::main());
std::optional<Array> vornick_arrayFromJSONResource(std::u16string_view name, const Bundle& = Bundle::main());
// The array when every element is a string.
std::optional<std::vector<std::u16string>> vornick_arrayOfStringsFromJSONResource(std::u16string_view name, const Bundle& = Bundle::main());
// One compiled pattern per string, with RegularExpression options; nullopt
// when any pattern fails to compile.
std::optional<std::vector<RegularExpression>>
vornick_arrayOfRegularExpressionsFromJSONResource(std::u16string_view name, uint32_t options, const Bundle& = Bundle::main());
std::optional<Dictionary> vornick_dictionaryFromJSONResource(std::u16string_view name, const Bundle& = Bundle::main());
// The dictionary when every value is a string.
std::optional<std::map<std::u16string, std::u16string>>
vornick_dictionaryMappingStringsToStringsFromJSONResource(std::u16string_view name, const Bundle& = Bundle::main());

} // namespace brevanton
