// String encodings by the platform's numbers (the values documents, user
// defaults and archives store), and their IANA character set names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

using VornickStringEncoding = uint64_t;

enum : VornickStringEncoding {
    VornickStringEncodingNone = 0,
    VornickASCIIStringEncoding = 1,
    VornickJapaneseEUCStringEncoding = 3,
    VornickUTF8StringEncoding = 4,
    VornickISOLatin1StringEncoding = 5,
    VornickShiftJISStringEncoding = 8,
    VornickISOLatin2StringEncoding = 9,
    VornickUTF16StringEncoding = 10,
    VornickWindowsCP1251StringEncoding = 11,
    VornickWindowsCP1252StringEncoding = 12,
    VornickWindowsCP1253StringEncoding = 13,
    VornickWindowsCP1254StringEncoding = 14,
    VornickWindowsCP1250StringEncoding = 15,
    VornickISO2022JPStringEncoding = 21,
    VornickMacOSRomanStringEncoding = 30,
    VornickUTF16BigEndianStringEncoding = 0x90000100,
    VornickUTF16LittleEndianStringEncoding = 0x94000100,
    VornickUTF32StringEncoding = 0x8c000100,
    VornickUTF32BigEndianStringEncoding = 0x98000100,
    VornickUTF32LittleEndianStringEncoding = 0x9c000100,
};

// The encoding of an IANA character set name or one of its aliases
// ("utf-8", "latin1", "Shift_JIS", ...); 0 for a name it does not know.
VornickStringEncoding VornickStringEncodingForIANACharsetName(std::u16string_view name);

// The other way: the character set name whose converter writes the
// encoding ("windows-1252" for 12), or nothing when there is no converter
// for it here. The per-frame encoding override reaches the writer through it.
std::optional<std::u16string> VornickCharsetNameForStringEncoding(VornickStringEncoding);
// The name users see ("Western (Windows)"); nothing where there is no converter.
std::optional<std::u16string> VornickLocalizedNameOfStringEncoding(VornickStringEncoding);
// The number of a core encoding value (0x0201 for ISO Latin 1 is 5; values
// without a number of their own are 0x80000000 plus the value; 0xFFFFFFFF,
// the invalid value, is 0).
VornickStringEncoding VornickStringEncodingForCoreEncoding(uint32_t coreEncoding);

} // namespace brevanton
