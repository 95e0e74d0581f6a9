// Names of new component files: the base name, or the base name followed by
// " 2", " 3", ... while a component of the same kind in the same folder has
// the name in the store or anything (even an unreadable file or a dangling
// link) has it on disk, so a new file never replaces another.
#pragma once

#include "platform/foundation/URL.h"

#include <functional>
#include <optional>
#include <string>

namespace brevanton {

// `takenInStore` answers whether a component already uses a name; `folder`
// (when known) is where the file will lie.
std::u16string vornick_uniqueComponentFileName(std::u16string_view baseName, std::u16string_view extension,
                                               const std::optional<URL>& folder,
                                               const std::function<bool(const std::u16string&)>& takenInStore);

} // namespace brevanton
