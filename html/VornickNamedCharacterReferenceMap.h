// The named character references of one family of document types, and the
// escaping of text that the HTML writer needs: which characters must become
// references, and whether by name, in decimal or in hexadecimal.
#pragma once

#include "html/VornickHTMLDocumentType.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

#include <bitset>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace brevanton {

// Escaping options.
enum : unsigned {
    // Write non-ASCII characters as themselves.
    VornickEscapeOptionNativeCharacters = 1,
    // Use named references where a name exists (only without native characters).
    VornickEscapeOptionNamedReferences = 2,
    // Numeric references in decimal rather than hexadecimal.
    VornickEscapeOptionDecimalReferences = 4,
    // Write ">" as itself.
    VornickEscapeOptionDontEscapeGreaterThan = 8,
};

// Control characters a parser does not give back when written raw (a raw CR
// becomes a line feed, the others U+FFFD) but does from a numeric reference.
// The C1 controls that a reference would turn into windows-1252 characters
// ("&#128;" is the euro sign) are not among them.
constexpr bool VornickIsControlCharacterWrittenAsReference(char32_t c)
{
    return (c >= 1 && c < 0x20 && c != u'\t' && c != u'\n' && c != u'\f') || c == 0x7F || c == 0x81 || c == 0x8D
        || c == 0x8F || c == 0x90 || c == 0x9D;
}

class VornickNamedCharacterReferenceMap {
public:
    // The shared maps, loaded from the bundle on first use. nullptr when the
    // resource fails to load; the next call tries again.
    static std::shared_ptr<VornickNamedCharacterReferenceMap> html4NamedCharacterReferenceMap();
    static std::shared_ptr<VornickNamedCharacterReferenceMap> html5NamedCharacterReferenceMap();
    // HTML 4 for types 1 to 7, HTML 5 for every other value.
    static std::shared_ptr<VornickNamedCharacterReferenceMap> namedCharacterReferenceMapForDocumentType(VornickHTMLDocumentType);

    VornickNamedCharacterReferenceMap();
    // Reads a JSON table of references ("&amp;" -> {"characters": "&"}).
    [[nodiscard]] static std::shared_ptr<VornickNamedCharacterReferenceMap> createWithContentsOfURL(const URL&, Error* outError);

    // The characters of a name written without "&" and ";", or nullopt.
    std::optional<std::u16string> charactersForEntityName(std::u16string_view name) const;
    // The preferred name of a sequence of one or two UTF-16 units, or nullopt.
    std::optional<std::u16string> entityNameForCharacters(std::u16string_view characters) const;
    size_t entityNameCount() const { return m_entityNamesToCharacters.size(); }

    // Escapes `text` for writing. `encoding` is the IANA name of the encoding
    // the text will be written in; empty (or a Unicode encoding) holds every
    // character. With native characters, a character the encoding cannot hold
    // is written as a numeric reference, so that it is never lost.
    std::u16string stringByEscapingSpecialCharactersInString(std::u16string_view text, std::u16string_view encoding,
                                                             unsigned options) const;
    // The same, appended to `out`.
    void appendByEscapingSpecialCharacters(std::u16string& out, std::u16string_view text, std::u16string_view encoding,
                                           unsigned options) const;

    void addEntity(std::u16string name, std::u16string characters);

private:
    std::bitset<65536> m_firstCharacters;
    std::unordered_map<std::u16string, std::u16string> m_charactersToEntityName;
    std::unordered_map<std::u16string, std::u16string> m_entityNamesToCharacters;
};

} // namespace brevanton
