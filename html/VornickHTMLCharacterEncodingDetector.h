// Finds the character encoding an HTML file declares in a META element
// (charset="..." or http-equiv="Content-Type" with a text/html content) in
// its first 1024 bytes, from the elements' encoding attributes
// (VornickHTMLMetaEncodingAttributes). It answers the declared IANA name of
// the first element that declares one; it does not guess from the bytes.
#pragma once

#include "platform/foundation/URL.h"

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class VornickHTMLCharacterEncodingDetector {
public:
    static constexpr size_t bytesExamined = 1024;

    // The declared character set name of the file, or nullopt.
    static std::optional<std::u16string> detectIANACharacterEncodingDeclarationInHTMLFileAtURL(const URL&);

    // The same for the beginning of a file already read. Where no element
    // declares one, the last text/html content value that names a character
    // set answers, whatever the element's http-equiv.
    static std::optional<std::u16string> detectIANACharacterEncodingDeclarationInHTMLData(std::string_view bytes);

    // The character set of a META content value of the "text/html; charset=..."
    // form, in lower case; nullopt for any other value.
    static std::optional<std::u16string> characterSetFromContentValue(std::u16string_view content);
};

} // namespace brevanton
