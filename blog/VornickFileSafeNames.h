// Names taken from a server or a title for files and folders: no "/" (it
// becomes "-"), no control characters, never "." or "..", never empty, and
// at most `maximumBytes` bytes of UTF-8 (cut between characters).
#pragma once

#include <string>
#include <string_view>

namespace brevanton {

std::u16string vornick_fileSafeName(std::u16string_view name, std::u16string_view fallback, size_t maximumBytes = 255);

} // namespace brevanton
