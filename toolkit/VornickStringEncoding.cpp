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

// One table for both directions: a name finds the number of the first entry
// of its converter, a number the first entry that has it. Each entry has the
// name users see in the encodings menu.
struct EncodingEntry {
    const char* name;
    VornickStringEncoding encoding;
    const char16_t* displayName;
};

constexpr EncodingEntry encodingEntries[] = {
    { "US-ASCII", VornickASCIIStringEncoding, u"Western (ASCII)" },
    { "EUC-JP", VornickJapaneseEUCStringEncoding, u"Japanese (EUC)" },
    { "UTF-8", VornickUTF8StringEncoding, u"Unicode (UTF-8)" },
    { "ISO-8859-1", VornickISOLatin1StringEncoding, u"Western (ISO 8859-1)" },
    { "Shift_JIS", VornickShiftJISStringEncoding, u"Japanese (Shift JIS)" },
    { "ISO-8859-2", VornickISOLatin2StringEncoding, u"Central European (ISO 8859-2)" },
    { "UTF-16", VornickUTF16StringEncoding, u"Unicode (UTF-16)" },
    { "windows-1251", VornickWindowsCP1251StringEncoding, u"Cyrillic (Windows)" },
    { "windows-1252", VornickWindowsCP1252StringEncoding, u"Western (Windows)" },
    { "windows-1253", VornickWindowsCP1253StringEncoding, u"Greek (Windows)" },
    { "windows-1254", VornickWindowsCP1254StringEncoding, u"Turkish (Windows)" },
    { "windows-1250", VornickWindowsCP1250StringEncoding, u"Central European (Windows)" },
    { "ISO-2022-JP", VornickISO2022JPStringEncoding, u"Japanese (ISO 2022-JP)" },
    { "macintosh", VornickMacOSRomanStringEncoding, u"Western (Mac OS Roman)" },
    { "UTF-16BE", VornickUTF16BigEndianStringEncoding, u"Unicode (UTF-16BE)" },
    { "UTF-16LE", VornickUTF16LittleEndianStringEncoding, u"Unicode (UTF-16LE)" },
    { "UTF-32", VornickUTF32StringEncoding, u"Unicode (UTF-32)" },
    { "UTF-32BE", VornickUTF32BigEndianStringEncoding, u"Unicode (UTF-32BE)" },
    { "UTF-32LE", VornickUTF32LittleEndianStringEncoding, u"Unicode (UTF-32LE)" },
    // Encodings the platform numbers through its core encoding values.
    { "ISO-8859-3", 0x80000203, u"South European (ISO 8859-3)" },
    { "ISO-8859-4", 0x80000204, u"Baltic (ISO 8859-4)" },
    { "ISO-8859-5", 0x80000205, u"Cyrillic (ISO 8859-5)" },
    { "ISO-8859-6", 0x80000206, u"Arabic (ISO 8859-6)" },
    { "ISO-8859-7", 0x80000207, u"Greek (ISO 8859-7)" },
    { "ISO-8859-8", 0x80000208, u"Hebrew (ISO 8859-8)" },
    { "ISO-8859-9", 0x80000209, u"Turkish (ISO 8859-9)" },
    { "ISO-8859-10", 0x8000020A, u"Nordic (ISO 8859-10)" },
    { "ISO-8859-13", 0x8000020D, u"Baltic (ISO 8859-13)" },
    { "ISO-8859-14", 0x8000020E, u"Celtic (ISO 8859-14)" },
    { "ISO-8859-15", 0x8000020F, u"Western (ISO 8859-15)" },
    { "ISO-8859-16", 0x80000210, u"Romanian (ISO 8859-16)" },
    { "windows-1255", 0x80000505, u"Hebrew (Windows)" },
    { "windows-1256", 0x80000506, u"Arabic (Windows)" },
    { "windows-1257", 0x80000507, u"Baltic (Windows)" },
    { "windows-1258", 0x80000508, u"Vietnamese (Windows)" },
    { "GBK", 0x80000631, u"Chinese Simplified (GBK)" },
    { "GB18030", 0x80000632, u"Chinese Simplified (GB 18030)" },
    { "EUC-KR", 0x80000940, u"Korean (EUC)" },
    { "KOI8-R", 0x80000A02, u"Cyrillic (KOI8-R)" },
    { "Big5", 0x80000A03, u"Chinese Traditional (Big 5)" },
    { "KOI8-U", 0x80000A08, u"Ukrainian (KOI8-U)" },
    { "Shift_JIS", 0x80000A01, u"Japanese (Shift JIS)" },
    { "Shift_JIS-2004", 0x80000628, u"Japanese (Shift JIS X0213)" },
    { "Big5-HKSCS", 0x80000A06, u"Chinese Traditional (Big 5 HKSCS)" },
    { "windows-950", 0x80000423, u"Chinese Traditional (Windows, DOS)" },
    { "ISO-2022-KR", 0x80000840, u"Korean (ISO 2022-KR)" },
    { "x-mac-korean", 0x80000003, u"Korean (Mac OS)" },
    { "windows-949", 0x80000422, u"Korean (Windows, DOS)" },
    { "x-mac-cyrillic", 0x80000007, u"Cyrillic (Mac OS)" },
    { "windows-874", 0x8000041D, u"Thai (Windows, DOS)" },
    { "GB2312", 0x80000630, u"Chinese Simplified (GB 2312)" },
    { "HZ-GB-2312", 0x80000A05, u"Chinese Simplified (HZ GB 2312)" },
    { "x-mac-centraleurroman", 0x8000001D, u"Central European (Mac OS)" },
};

const std::map<std::string, VornickStringEncoding>& encodingsByConverterName()
{
    static const auto* table = [] {
        auto* map = new std::map<std::string, VornickStringEncoding>;
        for (const auto& entry : encodingEntries) {
            if (auto canonical = canonicalConverterName(entry.name))
                map->emplace(*canonical, entry.encoding);
        }
        return map;
    }();
    return *table;
}

// The first entry of the number whose name a converter answers to.
const EncodingEntry* entryForEncoding(VornickStringEncoding encoding)
{
    static const auto* table = [] {
        auto* map = new std::map<VornickStringEncoding, const EncodingEntry*>;
        for (const auto& entry : encodingEntries) {
            if (isKnownTextEncoding(toUTF16(entry.name)))
                map->emplace(entry.encoding, &entry);
        }
        return map;
    }();
    auto found = table->find(encoding);
    return found == table->end() ? nullptr : found->second;
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

std::optional<std::u16string> VornickCharsetNameForStringEncoding(VornickStringEncoding encoding)
{
    if (auto* entry = entryForEncoding(encoding))
        return toUTF16(entry->name);
    return std::nullopt;
}

std::optional<std::u16string> VornickLocalizedNameOfStringEncoding(VornickStringEncoding encoding)
{
    if (auto* entry = entryForEncoding(encoding))
        return std::u16string(entry->displayName);
    return std::nullopt;
}

VornickStringEncoding VornickStringEncodingForCoreEncoding(uint32_t coreEncoding)
{
    // The core values that have a number of their own.
    switch (coreEncoding) {
    case 0x0000: return VornickMacOSRomanStringEncoding;
    case 0x0100: return VornickUTF16StringEncoding;
    case 0x0201: return VornickISOLatin1StringEncoding;
    case 0x0202: return VornickISOLatin2StringEncoding;
    case 0x0421: return VornickShiftJISStringEncoding;
    case 0x0500: return VornickWindowsCP1252StringEncoding;
    case 0x0501: return VornickWindowsCP1250StringEncoding;
    case 0x0502: return VornickWindowsCP1251StringEncoding;
    case 0x0503: return VornickWindowsCP1253StringEncoding;
    case 0x0504: return VornickWindowsCP1254StringEncoding;
    case 0x0600: return VornickASCIIStringEncoding;
    case 0x0820: return VornickISO2022JPStringEncoding;
    case 0x0920: return VornickJapaneseEUCStringEncoding;
    case 0x08000100: return VornickUTF8StringEncoding;
    case 0x0C000100: return VornickUTF32StringEncoding;
    case 0x10000100: return VornickUTF16BigEndianStringEncoding;
    case 0x14000100: return VornickUTF16LittleEndianStringEncoding;
    case 0x18000100: return VornickUTF32BigEndianStringEncoding;
    case 0x1C000100: return VornickUTF32LittleEndianStringEncoding;
    case 0xFFFFFFFF: return VornickStringEncodingNone;
    default: return 0x80000000u | coreEncoding;
    }
}

} // namespace brevanton
