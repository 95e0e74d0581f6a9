#include "toolkit/VornickStringExtensions.h"

#include "platform/foundation/HexDigits.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickWhitespaceSets.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <unicode/regex.h>
#include <unicode/utf16.h>

#include <cstdio>
#include <memory>

namespace brevanton {

std::vector<std::u16string> vornick_spaceSeparatedTokens(std::u16string_view string)
{
    std::vector<std::u16string> tokens;
    size_t i = 0;
    while (i < string.size()) {
        while (i < string.size() && vornick_isHTMLWhitespace(string[i]))
            ++i;
        size_t start = i;
        while (i < string.size() && !vornick_isHTMLWhitespace(string[i]))
            ++i;
        if (i > start)
            tokens.emplace_back(string.substr(start, i - start));
    }
    return tokens;
}

bool vornick_containsOnlyCharactersInSet(std::u16string_view string, const CharacterSet& set)
{
    size_t i = 0;
    while (i < string.size()) {
        char32_t c;
        U16_NEXT(string.data(), i, string.size(), c);
        if (!set.contains(c))
            return false;
    }
    return true;
}

VornickRange vornick_rangeOfCharacterRunFromSet(std::u16string_view string, const CharacterSet& set, unsigned options,
                                                VornickRange range)
{
    BREVANTON_ASSERT(range.location <= string.size() && range.length <= string.size() - range.location,
                     "range lies within the string");
    const char16_t* characters = string.data();
    const size_t start = range.location;
    const size_t end = range.end();
    const bool anchored = options & VornickAnchoredSearch;

    if (options & VornickBackwardsSearch) {
        size_t runEnd = end;
        while (runEnd > start) {
            size_t i = runEnd;
            char32_t c;
            U16_PREV(characters, start, i, c);
            if (set.contains(c))
                break;
            if (anchored)
                return {};
            runEnd = i;
        }
        if (runEnd == start)
            return {};
        size_t runStart = runEnd;
        while (runStart > start) {
            size_t i = runStart;
            char32_t c;
            U16_PREV(characters, start, i, c);
            if (!set.contains(c))
                break;
            runStart = i;
        }
        return VornickMakeRange(runStart, runEnd - runStart);
    }

    size_t runStart = start;
    while (runStart < end) {
        size_t i = runStart;
        char32_t c;
        U16_NEXT(characters, i, end, c);
        if (set.contains(c))
            break;
        if (anchored)
            return {};
        runStart = i;
    }
    if (runStart == end)
        return {};
    size_t runEnd = runStart;
    while (runEnd < end) {
        size_t i = runEnd;
        char32_t c;
        U16_NEXT(characters, i, end, c);
        if (!set.contains(c))
            break;
        runEnd = i;
    }
    return VornickMakeRange(runStart, runEnd - runStart);
}

std::u16string vornick_stringByReplacingRunsOfCharactersInSet(std::u16string_view string, const CharacterSet& set,
                                                              std::u16string_view replacement)
{
    std::u16string result;
    result.reserve(string.size());
    VornickRange searched = VornickMakeRange(0, string.size());
    while (searched.length) {
        VornickRange run = vornick_rangeOfCharacterRunFromSet(string, set, 0, searched);
        if (run.isNotFound())
            break;
        result.append(string.substr(searched.location, run.location - searched.location));
        result.append(replacement);
        searched = VornickMakeRange(run.end(), string.size() - run.end());
    }
    result.append(string.substr(searched.location));
    return result;
}

void vornick_replaceRunsOfCharactersInSet(std::u16string& string, const CharacterSet& set,
                                          std::u16string_view replacement)
{
    // Run by run from the end, so the ranges still to replace stay valid.
    size_t end = string.size();
    while (end) {
        VornickRange run = vornick_rangeOfCharacterRunFromSet(string, set, VornickBackwardsSearch,
                                                              VornickMakeRange(0, end));
        if (run.isNotFound())
            break;
        string.replace(run.location, run.length, replacement);
        end = run.location;
    }
}

std::u16string vornick_stringWithCharacter(char16_t character)
{
    return std::u16string(1, character);
}

static std::u16string formatCode(const char* format, unsigned code)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, code);
    return toUTF16(buffer);
}

std::u16string vornick_hexCodeStringForCharacter(char16_t character)
{
    return formatCode("%04X", character);
}

std::u16string vornick_unicodeHexCodeStringForCharacter(char16_t character)
{
    return formatCode("U+%04X", character);
}

std::u16string vornick_charactersAsUnicodeHexCodesSeparatedByString(std::u16string_view string,
                                                                    std::u16string_view separator)
{
    std::u16string result;
    for (size_t i = 0; i < string.size() && string[i]; ++i) {
        if (i)
            result.append(separator);
        result.append(vornick_unicodeHexCodeStringForCharacter(string[i]));
    }
    return result;
}

std::optional<uint64_t> vornick_hexIntegerValue(std::u16string_view string)
{
    if (string.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char16_t c : string) {
        int digit = hexDigitValue(c);
        if (digit < 0 || value > (UINT64_MAX >> 4))
            return std::nullopt;
        value = (value << 4) | static_cast<unsigned>(digit);
    }
    return value;
}

bool vornick_isReturnOrEnterKey(std::u16string_view string)
{
    return string.size() == 1 && (string[0] == u'\r' || string[0] == u'\u0003');
}

bool vornick_withCharactersDo(std::u16string_view string,
                              const std::function<bool(const char16_t* characters, size_t length)>& body)
{
    if (string.empty())
        return false;
    std::u16string buffer(string); // std::u16string keeps a U+0000 after its characters
    return body(buffer.c_str(), buffer.size());
}

void vornick_logCharacterCodes(std::u16string_view string)
{
    for (char16_t c : string) {
        std::u16string line = u"0x" + vornick_hexCodeStringForCharacter(c) + u" ";
        line.push_back(c);
        VornickLog::generalLog().log(std::u16string_view(line));
    }
}

std::u16string vornick_stringByReplacingSpecialCharactersWithMarkdownSmartyPantsShorthand(std::u16string_view string)
{
    std::u16string result;
    result.reserve(string.size());
    for (char16_t c : string) {
        switch (c) {
        case u'\u2014':
            result.append(u"--");
            break;
        case u'\u2013':
            result.push_back(u'-');
            break;
        case u'\u2018':
        case u'\u2019':
            result.push_back(u'\'');
            break;
        case u'\u201C':
        case u'\u201D':
            result.push_back(u'"');
            break;
        case u'\u2026':
            result.append(u"...");
            break;
        default:
            result.push_back(c);
        }
    }
    return result;
}

std::u16string vornick_stringByRevertingTypographicSubstitutions(std::u16string_view string)
{
    std::u16string result(string);
    for (char16_t& c : result) {
        switch (c) {
        case u'\u2018':
        case u'\u2019':
        case u'\u201B':
        case u'\u201A':
        case u'\u2032':
        case u'\u2039':
        case u'\u203A':
            c = u'\'';
            break;
        case u'\u201C':
        case u'\u201D':
        case u'\u201F':
        case u'\u201E':
        case u'\u2033':
        case u'\u00AB':
        case u'\u00BB':
            c = u'"';
            break;
        default:
            break;
        }
    }
    return result;
}

std::u16string vornick_stringByTrimmingHTMLAttributeQuotes(std::u16string_view string)
{
    if (string.size() >= 2 && (string.front() == u'\'' || string.front() == u'"') && string.back() == string.front())
        return std::u16string(string.substr(1, string.size() - 2));
    return std::u16string(string);
}

static void appendPercentEscapes(std::u16string& result, std::u16string_view text,
                                 const std::function<bool(unsigned char)>& leaveAlone)
{
    static const char16_t hexDigits[] = u"0123456789ABCDEF";
    for (unsigned char byte : toUTF8(text)) {
        if (leaveAlone(byte)) {
            result.push_back(byte);
        } else {
            result.push_back(u'%');
            result.push_back(hexDigits[byte >> 4]);
            result.push_back(hexDigits[byte & 0xF]);
        }
    }
}

static bool isASCIIAlphanumeric(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::u16string vornick_stringByAddingPercentEscapes(std::u16string_view string)
{
    std::u16string result;
    result.reserve(string.size());
    appendPercentEscapes(result, string, [](unsigned char c) {
        return isASCIIAlphanumeric(c) || (c && std::u16string_view(u"-._~!$&'()*+,;=/?@").find(c) != std::u16string_view::npos);
    });
    return result;
}

std::u16string vornick_stringByEscapingFormNameOrValue(std::u16string_view string)
{
    std::u16string result;
    result.reserve(string.size() + string.size() / 4);
    auto leaveAlone = [](unsigned char c) {
        return isASCIIAlphanumeric(c) || c == '*' || c == '-' || c == '.' || c == '_';
    };
    size_t i = 0;
    while (i < string.size()) {
        char16_t c = string[i];
        if (c == u'\r' || c == u'\n') {
            // CR LF, a lone CR and a lone LF are each one line break.
            result.append(u"%0D%0A");
            i += (c == u'\r' && i + 1 < string.size() && string[i + 1] == u'\n') ? 2 : 1;
            continue;
        }
        if (c == u' ') {
            result.push_back(u'+');
            ++i;
            continue;
        }
        size_t end = i;
        while (end < string.size() && string[end] != u'\r' && string[end] != u'\n' && string[end] != u' ')
            ++end;
        appendPercentEscapes(result, string.substr(i, end - i), leaveAlone);
        i = end;
    }
    return result;
}

VornickRange vornick_rangeOfHTMLEntityEscapeContainingLocation(std::u16string_view string, size_t location)
{
    if (location == 0 || location >= string.size())
        return {};
    size_t ampersand = string.rfind(u'&', location - 1);
    if (ampersand == std::u16string_view::npos)
        return {};
    size_t semicolon = string.find(u';', ampersand);
    if (semicolon == std::u16string_view::npos || semicolon < location)
        return {};
    return VornickMakeRange(ampersand, semicolon - ampersand + 1);
}

std::u16string vornick_stringByTruncatingToMaxLength(std::u16string_view string, size_t maxLength,
                                                     std::u16string_view placeholder)
{
    if (string.size() <= maxLength || placeholder.size() > maxLength)
        return std::u16string(string);
    size_t available = maxLength - placeholder.size();
    size_t headLength = available / 2;
    if (headLength && isHighSurrogate(string[headLength - 1]) && isLowSurrogate(string[headLength]))
        --headLength;
    size_t tailLength = available - headLength;
    size_t tailStart = string.size() - tailLength;
    if (tailLength && isLowSurrogate(string[tailStart]) && isHighSurrogate(string[tailStart - 1]))
        ++tailStart;

    std::u16string result;
    result.reserve(maxLength);
    result.append(string.substr(0, headLength));
    result.append(placeholder);
    result.append(string.substr(tailStart));
    return result;
}

std::u16string vornick_safeFileNameFromString(std::u16string_view string)
{
    auto isTrimmed = [](char16_t c) { return vornick_isInWhitespaceSet(c, VornickPlatformWhitespaceAndNewline); };
    size_t start = 0;
    size_t end = string.size();
    while (start < end && isTrimmed(string[start]))
        ++start;
    while (end > start && isTrimmed(string[end - 1]))
        --end;
    std::u16string result(string.substr(start, end - start));
    for (char16_t& c : result) {
        if (c == u'/')
            c = u'_';
    }
    return result;
}

size_t VornickScaleFactorFromFilename(std::u16string_view filename)
{
    if (filename.size() < 4)
        return VornickNotFound;
    static const std::unique_ptr<icu::RegexPattern> pattern = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexPattern> compiled(
            icu::RegexPattern::compile(icu::UnicodeString(u"@([0-9]+)x\\.[^./]+$"), 0, status));
        BREVANTON_ASSERT(U_SUCCESS(status), "scale factor pattern compiles");
        return compiled;
    }();
    icu::UnicodeString text(false, filename.data(), static_cast<int32_t>(filename.size()));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(text, status));
    if (U_FAILURE(status) || !matcher->find(status))
        return VornickNotFound;
    icu::UnicodeString digits = matcher->group(1, status);
    size_t value = 0;
    for (int32_t i = 0; i < digits.length(); ++i) {
        if (value > VornickNotFound / 10 - 1)
            return VornickNotFound;
        value = value * 10 + static_cast<size_t>(digits[i] - u'0');
    }
    return value;
}

void vornick_mapCharactersUsingReplacements(std::u16string& string,
                                            std::span<const std::pair<char16_t, char16_t>> replacements)
{
    for (char16_t& c : string) {
        for (const auto& [from, to] : replacements) {
            if (c == from) {
                c = to;
                break;
            }
        }
    }
}

void vornick_replaceOccurrencesOfCharacter(std::u16string& string, char16_t character, char16_t replacement)
{
    std::pair<char16_t, char16_t> pair { character, replacement };
    vornick_mapCharactersUsingReplacements(string, std::span(&pair, 1));
}

} // namespace brevanton
