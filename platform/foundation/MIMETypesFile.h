// The system's list of MIME types and their file name extensions
// (/etc/mime.types): lines "type/subtype ext1 ext2 ...", words between white
// space, "#" starting a comment to the end of the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

struct MIMETypeExtensions {
    // Lower case, as are the extensions.
    std::u16string mimeType;
    std::vector<std::u16string> extensions;
};

// The lines that give a MIME type (a first word with a "/") at least one
// extension, in the file's order. Bytes that are not UTF-8 become U+FFFD.
std::vector<MIMETypeExtensions> parseMIMETypesFile(std::string_view text);

} // namespace brevanton
