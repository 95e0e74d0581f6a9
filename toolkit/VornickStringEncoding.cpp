#include "toolkit/VornickStringEncoding.h"

#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"

#include <map>
#include <optional>
#include <string>

namespace brevanton {

namespace {

// The converter's own name, so that every alias of one character set
// compares equal; nothing for a name no converter answers to.
std::optional<std::string> canonicalConverterName(const std::string& name)
{
    auto canonical = textEncodingConverterName(toUTF16(name));
    if (!canonical)
        return std::nullopt;
    return toUTF8(*canonical);
}

const std::map<std::string, VornickStringEncoding>& encodingsByConverterName()
{
    static const auto* table = [] {
        struct Entry {
            const char* name;
            VornickStringEncoding encoding;
        };
        static constexpr Entry entries[] = {
            { "US-ASCII", VornickASCIIStringEncoding },
            { "EUC-JP", VornickJapaneseEUCStringEncoding },
            { "UTF-8", VornickUTF8StringEncoding },
            { "ISO-8859-1", VornickISOLatin1StringEncoding },
            { "Shift_JIS", VornickShiftJISStringEncoding },
            { "ISO-8859-2", VornickISOLatin2StringEncoding },
            { "UTF-16", VornickUTF16StringEncoding },
            { "windows-1251", VornickWindowsCP1251StringEncoding },
            { "windows-1252", VornickWindowsCP1252StringEncoding },
            { "windows-1253", VornickWindowsCP1253StringEncoding },
            { "windows-1254", VornickWindowsCP1254StringEncoding },
            { "windows-1250", VornickWindowsCP1250StringEncoding },
            { "ISO-2022-JP", VornickISO2022JPStringEncoding },
            { "macintosh", VornickMacOSRomanStringEncoding },
            { "UTF-16BE", VornickUTF16BigEndianStringEncoding },
            { "UTF-16LE", VornickUTF16LittleEndianStringEncoding },
            { "UTF-32", VornickUTF32StringEncoding },
            { "UTF-32BE", VornickUTF32BigEndianStringEncoding },
            { "UTF-32LE", VornickUTF32LittleEndianStringEncoding },
            // Encodings the platform numbers through its core encoding values.
            { "ISO-8859-3", 0x80000203 },
            { "ISO-8859-4", 0x80000204 },
            { "ISO-8859-5", 0x80000205 },
            { "ISO-8859-6", 0x80000206 },
            { "ISO-8859-7", 0x80000207 },
            { "ISO-8859-8", 0x80000208 },
            { "ISO-8859-9", 0x80000209 },
            { "ISO-8859-10", 0x8000020A },
            { "ISO-8859-13", 0x8000020D },
            { "ISO-8859-14", 0x8000020E },
            { "ISO-8859-15", 0x8000020F },
            { "ISO-8859-16", 0x80000210 },
            { "windows-1255", 0x80000505 },
            { "windows-1256", 0x80000506 },
            { "windows-1257", 0x80000507 },
            { "windows-1258", 0x80000508 },
            { "GBK", 0x80000631 },
            { "GB18030", 0x80000632 },
            { "EUC-KR", 0x80000940 },
            { "KOI8-R", 0x80000A02 },
            { "Big5", 0x80000A03 },
            { "KOI8-U", 0x80000A08 },
        };
        auto* map = new std::map<std::string, VornickStringEncoding>;
        for (const auto& entry : entries) {
            if (auto canonical = canonicalConverterName(entry.name))
                map->emplace(*canonical, entry.encoding);
        }
        return map;
    }();
    return *table;
}

} // namespace

VornickStringEncoding VornickStringEncodingForIANACharsetName(std::u16string_view name)
{
    auto canonical = canonicalConverterName(toUTF8(name));
    if (!canonical)
        return VornickStringEncodingNone;
    const auto& table = encodingsByConverterName();
    auto it = table.find(*canonical);
    return it == table.end() ? VornickStringEncodingNone : it->second;
}

} // namespace brevanton
