#include "toolkit/VornickStringScanning.h"

#include "platform/foundation/Assertions.h"

#include <unicode/regex.h>

#include <memory>

namespace brevanton {

static bool isASCIILetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool vornick_enumerateExpressionsWithOptions(std::u16string_view string, unsigned,
                                             const VornickRangeEnumerationBlock& block)
{
    if (string.size() < 2)
        return true;
    size_t start = VornickNotFound;
    for (size_t i = 0; i < string.size(); ++i) {
        char16_t c = string[i];
        if (c == u'{') {
            start = i;
        } else if (c == u'}' && start != VornickNotFound) {
            bool stop = false;
            block(VornickMakeRange(start, i - start + 1), stop);
            if (stop)
                return false;
        } else if (!isASCIILetter(c)) {
            start = VornickNotFound;
        }
    }
    return true;
}

// The delimiters are looked at, not consumed, so that two wiki words with
// one character between them are both found.
static const icu::RegexPattern& wikiWordPattern()
{
    static const std::unique_ptr<icu::RegexPattern> pattern = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(
            icu::UnicodeString(u"(?<!\\p{L})((?:\\p{Lu}\\p{Ll}+){2,}+)(?!\\p{L})"), UREGEX_MULTILINE, status));
        BREVANTON_ASSERT(U_SUCCESS(status), "wiki word pattern compiles");
        return compiled;
    }();
    return *pattern;
}

bool vornick_enumerateWikiWordsWithOptions(std::u16string_view string, unsigned options,
                                           const VornickRangeEnumerationBlock& block)
{
    if (string.size() < 4)
        return true;
    icu::UnicodeString text(false, string.data(), static_cast<int32_t>(string.size()));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(wikiWordPattern().matcher(text, status));
    if (U_FAILURE(status))
        return true;
    while (matcher->find(status) && U_SUCCESS(status)) {
        size_t start = static_cast<size_t>(matcher->start(1, status));
        size_t end = static_cast<size_t>(matcher->end(1, status));
        if (!(options & VornickWikiWordIncludeEscaped) && start > 0 && string[start - 1] == u'/')
            continue;
        bool stop = false;
        block(VornickMakeRange(start, end - start), stop);
        if (stop)
            return false;
    }
    return true;
}

bool vornick_isWikiWord(std::u16string_view string)
{
    bool whole = false;
    vornick_enumerateWikiWordsWithOptions(string, VornickWikiWordIncludeEscaped, [&](VornickRange range, bool& stop) {
        whole = range.location == 0 && range.length == string.size();
        stop = true;
    });
    return whole;
}

std::vector<VornickRange> vornick_wikiWordRangesWithOptions(std::u16string_view string, unsigned options)
{
    std::vector<VornickRange> ranges;
    vornick_enumerateWikiWordsWithOptions(string, options, [&](VornickRange range, bool&) { ranges.push_back(range); });
    return ranges;
}

std::u16string vornick_stringByEscapingWikiWordsWithOptions(std::u16string_view string, unsigned options)
{
    std::u16string result(string);
    if (string.size() < 4)
        return result;
    auto ranges = vornick_wikiWordRangesWithOptions(string, options);
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
        result.insert(it->location, 1, u'/');
    return result;
}

} // namespace brevanton
