#include "platform/foundation/RegularExpression.h"

#include <unicode/regex.h>

namespace brevanton {

struct RegularExpression::Implementation {
    std::u16string pattern;
    std::unique_ptr<icu::RegexPattern> compiled;
};

namespace {

uint32_t icuFlags(uint32_t options)
{
    uint32_t flags = 0;
    if (options & RegularExpression::CaseInsensitive)
        flags |= UREGEX_CASE_INSENSITIVE;
    if (options & RegularExpression::AllowCommentsAndWhitespace)
        flags |= UREGEX_COMMENTS;
    if (options & RegularExpression::IgnoreMetacharacters)
        flags |= UREGEX_LITERAL;
    if (options & RegularExpression::DotMatchesLineSeparators)
        flags |= UREGEX_DOTALL;
    if (options & RegularExpression::AnchorsMatchLines)
        flags |= UREGEX_MULTILINE;
    if (options & RegularExpression::UseUnixLineSeparators)
        flags |= UREGEX_UNIX_LINES;
    if (options & RegularExpression::UseUnicodeWordBoundaries)
        flags |= UREGEX_UWORD;
    return flags;
}

} // namespace

std::optional<std::u16string_view> RegularExpression::Match::group(std::u16string_view string, size_t index) const
{
    if (index >= ranges.size() || !ranges[index] || ranges[index]->end > string.size())
        return std::nullopt;
    return string.substr(ranges[index]->start, ranges[index]->end - ranges[index]->start);
}

RegularExpression::RegularExpression(std::shared_ptr<const Implementation> implementation)
    : m_implementation(std::move(implementation))
{
}

std::optional<RegularExpression> RegularExpression::create(std::u16string_view pattern, uint32_t options, std::string* errorName)
{
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    auto implementation = std::make_shared<Implementation>();
    implementation->pattern = std::u16string(pattern);
    implementation->compiled.reset(icu::RegexPattern::compile(
        icu::UnicodeString(pattern.data(), static_cast<int32_t>(pattern.size())), icuFlags(options), parseError, status));
    if (U_FAILURE(status) || !implementation->compiled) {
        if (errorName)
            *errorName = u_errorName(status);
        return std::nullopt;
    }
    return RegularExpression(std::move(implementation));
}

const std::u16string& RegularExpression::pattern() const
{
    return m_implementation->pattern;
}

size_t RegularExpression::numberOfCaptureGroups() const
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(m_implementation->compiled->matcher(status));
    return U_SUCCESS(status) && matcher ? static_cast<size_t>(matcher->groupCount()) : 0;
}

bool RegularExpression::enumerateMatches(std::u16string_view string,
                                         const std::function<void(const Match&, bool& stop)>& block) const
{
    UErrorCode status = U_ZERO_ERROR;
    // The matcher reads the caller's characters in place.
    icu::UnicodeString text(false, string.data(), static_cast<int32_t>(string.size()));
    std::unique_ptr<icu::RegexMatcher> matcher(m_implementation->compiled->matcher(text, status));
    if (U_FAILURE(status) || !matcher)
        return true;
    while (matcher->find(status) && U_SUCCESS(status)) {
        Match match;
        int32_t groups = matcher->groupCount();
        match.ranges.reserve(static_cast<size_t>(groups) + 1);
        for (int32_t group = 0; group <= groups; ++group) {
            int32_t start = matcher->start(group, status);
            int32_t end = matcher->end(group, status);
            if (U_FAILURE(status))
                return true;
            if (start < 0)
                match.ranges.emplace_back(std::nullopt);
            else
                match.ranges.emplace_back(Match::Range { static_cast<size_t>(start), static_cast<size_t>(end) });
        }
        bool stop = false;
        block(match, stop);
        if (stop)
            return false;
    }
    return true;
}

std::optional<RegularExpression::Match> RegularExpression::firstMatch(std::u16string_view string) const
{
    std::optional<Match> first;
    enumerateMatches(string, [&](const Match& match, bool& stop) {
        first = match;
        stop = true;
    });
    return first;
}

} // namespace brevanton
