#include "platform/foundation/TextEncodingLabels.h"

#include "platform/foundation/Text.h"

#include <algorithm>
#include <array>

namespace brevanton {

namespace {

struct Label {
    std::string_view label;
    std::u16string_view encoding;
};

// The label table of the Encoding Standard, sorted by label.
constexpr std::array labels = std::to_array<Label>({
    { "866", u"IBM866" },
    { "ansi_x3.4-1968", u"windows-1252" },
    { "arabic", u"ISO-8859-6" },
    { "ascii", u"windows-1252" },
    { "asmo-708", u"ISO-8859-6" },
    { "big5", u"Big5" },
    { "big5-hkscs", u"Big5" },
    { "chinese", u"GBK" },
    { "cn-big5", u"Big5" },
    { "cp1250", u"windows-1250" },
    { "cp1251", u"windows-1251" },
    { "cp1252", u"windows-1252" },
    { "cp1253", u"windows-1253" },
    { "cp1254", u"windows-1254" },
    { "cp1255", u"windows-1255" },
    { "cp1256", u"windows-1256" },
    { "cp1257", u"windows-1257" },
    { "cp1258", u"windows-1258" },
    { "cp819", u"windows-1252" },
    { "cp866", u"IBM866" },
    { "csbig5", u"Big5" },
    { "cseuckr", u"EUC-KR" },
    { "cseucpkdfmtjapanese", u"EUC-JP" },
    { "csgb2312", u"GBK" },
    { "csibm866", u"IBM866" },
    { "csiso2022jp", u"ISO-2022-JP" },
    { "csiso2022kr", u"replacement" },
    { "csiso58gb231280", u"GBK" },
    { "csiso88596e", u"ISO-8859-6" },
    { "csiso88596i", u"ISO-8859-6" },
    { "csiso88598e", u"ISO-8859-8" },
    { "csiso88598i", u"ISO-8859-8-I" },
    { "csisolatin1", u"windows-1252" },
    { "csisolatin2", u"ISO-8859-2" },
    { "csisolatin3", u"ISO-8859-3" },
    { "csisolatin4", u"ISO-8859-4" },
    { "csisolatin5", u"windows-1254" },
    { "csisolatin6", u"ISO-8859-10" },
    { "csisolatin9", u"ISO-8859-15" },
    { "csisolatinarabic", u"ISO-8859-6" },
    { "csisolatincyrillic", u"ISO-8859-5" },
    { "csisolatingreek", u"ISO-8859-7" },
    { "csisolatinhebrew", u"ISO-8859-8" },
    { "cskoi8r", u"KOI8-R" },
    { "csksc56011987", u"EUC-KR" },
    { "csmacintosh", u"macintosh" },
    { "csshiftjis", u"Shift_JIS" },
    { "csunicode", u"UTF-16LE" },
    { "cyrillic", u"ISO-8859-5" },
    { "dos-874", u"windows-874" },
    { "ecma-114", u"ISO-8859-6" },
    { "ecma-118", u"ISO-8859-7" },
    { "elot_928", u"ISO-8859-7" },
    { "euc-jp", u"EUC-JP" },
    { "euc-kr", u"EUC-KR" },
    { "gb18030", u"gb18030" },
    { "gb2312", u"GBK" },
    { "gb_2312", u"GBK" },
    { "gb_2312-80", u"GBK" },
    { "gbk", u"GBK" },
    { "greek", u"ISO-8859-7" },
    { "greek8", u"ISO-8859-7" },
    { "hebrew", u"ISO-8859-8" },
    { "hz-gb-2312", u"replacement" },
    { "ibm819", u"windows-1252" },
    { "ibm866", u"IBM866" },
    { "iso-10646-ucs-2", u"UTF-16LE" },
    { "iso-2022-cn", u"replacement" },
    { "iso-2022-cn-ext", u"replacement" },
    { "iso-2022-jp", u"ISO-2022-JP" },
    { "iso-2022-kr", u"replacement" },
    { "iso-8859-1", u"windows-1252" },
    { "iso-8859-10", u"ISO-8859-10" },
    { "iso-8859-11", u"windows-874" },
    { "iso-8859-13", u"ISO-8859-13" },
    { "iso-8859-14", u"ISO-8859-14" },
    { "iso-8859-15", u"ISO-8859-15" },
    { "iso-8859-16", u"ISO-8859-16" },
    { "iso-8859-2", u"ISO-8859-2" },
    { "iso-8859-3", u"ISO-8859-3" },
    { "iso-8859-4", u"ISO-8859-4" },
    { "iso-8859-5", u"ISO-8859-5" },
    { "iso-8859-6", u"ISO-8859-6" },
    { "iso-8859-6-e", u"ISO-8859-6" },
    { "iso-8859-6-i", u"ISO-8859-6" },
    { "iso-8859-7", u"ISO-8859-7" },
    { "iso-8859-8", u"ISO-8859-8" },
    { "iso-8859-8-e", u"ISO-8859-8" },
    { "iso-8859-8-i", u"ISO-8859-8-I" },
    { "iso-8859-9", u"windows-1254" },
    { "iso-ir-100", u"windows-1252" },
    { "iso-ir-101", u"ISO-8859-2" },
    { "iso-ir-109", u"ISO-8859-3" },
    { "iso-ir-110", u"ISO-8859-4" },
    { "iso-ir-126", u"ISO-8859-7" },
    { "iso-ir-127", u"ISO-8859-6" },
    { "iso-ir-138", u"ISO-8859-8" },
    { "iso-ir-144", u"ISO-8859-5" },
    { "iso-ir-148", u"windows-1254" },
    { "iso-ir-149", u"EUC-KR" },
    { "iso-ir-157", u"ISO-8859-10" },
    { "iso-ir-58", u"GBK" },
    { "iso8859-1", u"windows-1252" },
    { "iso8859-10", u"ISO-8859-10" },
    { "iso8859-11", u"windows-874" },
    { "iso8859-13", u"ISO-8859-13" },
    { "iso8859-14", u"ISO-8859-14" },
    { "iso8859-15", u"ISO-8859-15" },
    { "iso8859-2", u"ISO-8859-2" },
    { "iso8859-3", u"ISO-8859-3" },
    { "iso8859-4", u"ISO-8859-4" },
    { "iso8859-5", u"ISO-8859-5" },
    { "iso8859-6", u"ISO-8859-6" },
    { "iso8859-7", u"ISO-8859-7" },
    { "iso8859-8", u"ISO-8859-8" },
    { "iso8859-9", u"windows-1254" },
    { "iso88591", u"windows-1252" },
    { "iso885910", u"ISO-8859-10" },
    { "iso885911", u"windows-874" },
    { "iso885913", u"ISO-8859-13" },
    { "iso885914", u"ISO-8859-14" },
    { "iso885915", u"ISO-8859-15" },
    { "iso88592", u"ISO-8859-2" },
    { "iso88593", u"ISO-8859-3" },
    { "iso88594", u"ISO-8859-4" },
    { "iso88595", u"ISO-8859-5" },
    { "iso88596", u"ISO-8859-6" },
    { "iso88597", u"ISO-8859-7" },
    { "iso88598", u"ISO-8859-8" },
    { "iso88599", u"windows-1254" },
    { "iso_8859-1", u"windows-1252" },
    { "iso_8859-15", u"ISO-8859-15" },
    { "iso_8859-1:1987", u"windows-1252" },
    { "iso_8859-2", u"ISO-8859-2" },
    { "iso_8859-2:1987", u"ISO-8859-2" },
    { "iso_8859-3", u"ISO-8859-3" },
    { "iso_8859-3:1988", u"ISO-8859-3" },
    { "iso_8859-4", u"ISO-8859-4" },
    { "iso_8859-4:1988", u"ISO-8859-4" },
    { "iso_8859-5", u"ISO-8859-5" },
    { "iso_8859-5:1988", u"ISO-8859-5" },
    { "iso_8859-6", u"ISO-8859-6" },
    { "iso_8859-6:1987", u"ISO-8859-6" },
    { "iso_8859-7", u"ISO-8859-7" },
    { "iso_8859-7:1987", u"ISO-8859-7" },
    { "iso_8859-8", u"ISO-8859-8" },
    { "iso_8859-8:1988", u"ISO-8859-8" },
    { "iso_8859-9", u"windows-1254" },
    { "iso_8859-9:1989", u"windows-1254" },
    { "koi", u"KOI8-R" },
    { "koi8", u"KOI8-R" },
    { "koi8-r", u"KOI8-R" },
    { "koi8-ru", u"KOI8-U" },
    { "koi8-u", u"KOI8-U" },
    { "koi8_r", u"KOI8-R" },
    { "korean", u"EUC-KR" },
    { "ks_c_5601-1987", u"EUC-KR" },
    { "ks_c_5601-1989", u"EUC-KR" },
    { "ksc5601", u"EUC-KR" },
    { "ksc_5601", u"EUC-KR" },
    { "l1", u"windows-1252" },
    { "l2", u"ISO-8859-2" },
    { "l3", u"ISO-8859-3" },
    { "l4", u"ISO-8859-4" },
    { "l5", u"windows-1254" },
    { "l6", u"ISO-8859-10" },
    { "l9", u"ISO-8859-15" },
    { "latin1", u"windows-1252" },
    { "latin2", u"ISO-8859-2" },
    { "latin3", u"ISO-8859-3" },
    { "latin4", u"ISO-8859-4" },
    { "latin5", u"windows-1254" },
    { "latin6", u"ISO-8859-10" },
    { "logical", u"ISO-8859-8-I" },
    { "mac", u"macintosh" },
    { "macintosh", u"macintosh" },
    { "ms932", u"Shift_JIS" },
    { "ms_kanji", u"Shift_JIS" },
    { "replacement", u"replacement" },
    { "shift-jis", u"Shift_JIS" },
    { "shift_jis", u"Shift_JIS" },
    { "sjis", u"Shift_JIS" },
    { "sun_eu_greek", u"ISO-8859-7" },
    { "tis-620", u"windows-874" },
    { "ucs-2", u"UTF-16LE" },
    { "unicode", u"UTF-16LE" },
    { "unicode-1-1-utf-8", u"UTF-8" },
    { "unicode11utf8", u"UTF-8" },
    { "unicode20utf8", u"UTF-8" },
    { "unicodefeff", u"UTF-16LE" },
    { "unicodefffe", u"UTF-16BE" },
    { "us-ascii", u"windows-1252" },
    { "utf-16", u"UTF-16LE" },
    { "utf-16be", u"UTF-16BE" },
    { "utf-16le", u"UTF-16LE" },
    { "utf-8", u"UTF-8" },
    { "utf8", u"UTF-8" },
    { "visual", u"ISO-8859-8" },
    { "windows-1250", u"windows-1250" },
    { "windows-1251", u"windows-1251" },
    { "windows-1252", u"windows-1252" },
    { "windows-1253", u"windows-1253" },
    { "windows-1254", u"windows-1254" },
    { "windows-1255", u"windows-1255" },
    { "windows-1256", u"windows-1256" },
    { "windows-1257", u"windows-1257" },
    { "windows-1258", u"windows-1258" },
    { "windows-31j", u"Shift_JIS" },
    { "windows-874", u"windows-874" },
    { "windows-949", u"EUC-KR" },
    { "x-cp1250", u"windows-1250" },
    { "x-cp1251", u"windows-1251" },
    { "x-cp1252", u"windows-1252" },
    { "x-cp1253", u"windows-1253" },
    { "x-cp1254", u"windows-1254" },
    { "x-cp1255", u"windows-1255" },
    { "x-cp1256", u"windows-1256" },
    { "x-cp1257", u"windows-1257" },
    { "x-cp1258", u"windows-1258" },
    { "x-euc-jp", u"EUC-JP" },
    { "x-gbk", u"GBK" },
    { "x-mac-cyrillic", u"x-mac-cyrillic" },
    { "x-mac-roman", u"macintosh" },
    { "x-mac-ukrainian", u"x-mac-cyrillic" },
    { "x-sjis", u"Shift_JIS" },
    { "x-unicode20utf8", u"UTF-8" },
    { "x-user-defined", u"x-user-defined" },
    { "x-x-big5", u"Big5" },
});

constexpr bool isSorted()
{
    for (size_t i = 1; i < labels.size(); ++i) {
        if (!(labels[i - 1].label < labels[i].label))
            return false;
    }
    return true;
}
static_assert(isSorted(), "the label table is searched by bisection");

bool isLabelSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

} // namespace

std::optional<std::u16string> textEncodingForLabel(std::u16string_view label)
{
    while (!label.empty() && isLabelSpace(label.front()))
        label.remove_prefix(1);
    while (!label.empty() && isLabelSpace(label.back()))
        label.remove_suffix(1);
    if (label.empty() || label.size() > 32)
        return std::nullopt;
    std::string key;
    for (char16_t c : label) {
        if (c >= 0x80)
            return std::nullopt;
        key += static_cast<char>(c >= u'A' && c <= u'Z' ? c + 32 : c);
    }
    auto found = std::lower_bound(labels.begin(), labels.end(), key,
                                  [](const Label& entry, const std::string& wanted) { return entry.label < wanted; });
    if (found == labels.end() || found->label != key)
        return std::nullopt;
    return std::u16string(found->encoding);
}

bool isUTF16Encoding(std::u16string_view canonicalName)
{
    return canonicalName == u"UTF-16LE" || canonicalName == u"UTF-16BE";
}

} // namespace brevanton
