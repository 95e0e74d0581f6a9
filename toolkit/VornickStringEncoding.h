// String encodings by the platform's numbers (the values documents, user
// defaults and archives store), and their IANA character set names.
#pragma once

#include <cstdint>
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

} // namespace brevanton
