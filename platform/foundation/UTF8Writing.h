// Writing UTF-8 into memory the caller owns (a database's, a reused buffer),
// as toUTF8 writes it: each lone surrogate becomes U+FFFD.
#pragma once

#include <cstddef>
#include <string_view>

namespace brevanton {

// The bytes the text takes in UTF-8.
size_t utf8Length(std::u16string_view utf16);
// Writes the text's UTF-8 into `out`, which has room for utf8Length(utf16) bytes.
void writeUTF8(std::u16string_view utf16, char* out);

} // namespace brevanton
