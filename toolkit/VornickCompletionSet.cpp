#include "toolkit/VornickCompletionSet.h"

#include "platform/foundation/Assertions.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <climits>

namespace brevanton {

namespace {

constexpr int matchScore = 16;
constexpr int exactCaseBonus = 1;
constexpr int consecutiveBonus = 16;
constexpr int wordStartBonus = 24;
constexpr int camelCapBonus = 20;
constexpr int gapStartPenalty = 6;
constexpr int gapExtensionPenalty = 1;
constexpr int leadingGapPenaltyPerCharacter = 1;
constexpr int maximumLeadingGapPenalty = 12;
// The most one search character can score: matched in its case, right after
// the previous match and at a word start.
constexpr int bestScorePerCharacter = matchScore + exactCaseBonus + consecutiveBonus + wordStartBonus;
constexpr int none = INT_MIN / 4;

char16_t fold(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    if (c >= 0xD800 && c <= 0xDFFF)
        return c;
    auto folded = u_foldCase(c, U_FOLD_CASE_DEFAULT);
    return folded <= 0xFFFF ? static_cast<char16_t>(folded) : c;
}

bool isLetterOrDigit(char16_t c)
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    return u_isalnum(c);
}

int positionBonus(std::u16string_view string, size_t index, bool favorsCamelCaps)
{
    if (index == 0 || !isLetterOrDigit(string[index - 1]))
        return wordStartBonus;
    if (favorsCamelCaps && u_isupper(string[index]) && (u_islower(string[index - 1]) || u_isdigit(string[index - 1])))
        return camelCapBonus;
    return 0;
}

} // namespace

std::u16string VornickCompletionSet::caseFolded(std::u16string_view string)
{
    std::u16string folded(string);
    for (auto& c : folded)
        c = fold(c);
    return folded;
}

namespace {

// The score of the best placement of the folded `query` (typed as
// `searchString`) in `completionString`, whose folded form is `folded`; -1
// when there is none.
int scorePlacement(std::u16string_view completionString, std::u16string_view folded, std::u16string_view searchString,
                   std::u16string_view query, bool favorsCamelCaps, bool usesLengthBasedGapPenalty)
{
    size_t n = completionString.size();
    size_t m = query.size();
    if (m > n)
        return -1;

    // Each search character lies between the first place the greedy walk
    // from the left gives it and the last place the walk from the right does;
    // outside that window no placement exists.
    thread_local std::vector<size_t> earliest, latest;
    earliest.resize(m);
    latest.resize(m);
    size_t at = 0;
    for (size_t i = 0; i < m; ++i) {
        while (at < n && folded[at] != query[i])
            ++at;
        if (at == n)
            return -1;
        earliest[i] = at++;
    }
    at = n;
    for (size_t i = m; i-- > 0;) {
        do
            --at;
        while (folded[at] != query[i]);
        latest[i] = at;
    }

    auto characterScore = [&](size_t i, size_t j) {
        return matchScore + (searchString[i] == completionString[j] ? exactCaseBonus : 0) + positionBonus(completionString, j, favorsCamelCaps);
    };
    auto leadingPenalty = [&](size_t j) {
        return usesLengthBasedGapPenalty ? std::min<int>(static_cast<int>(j) * leadingGapPenaltyPerCharacter, maximumLeadingGapPenalty) : 0;
    };
    if (m == 1) {
        int result = none;
        for (size_t j = earliest[0]; j <= latest[0]; ++j) {
            if (folded[j] == query[0])
                result = std::max(result, characterScore(0, j) - leadingPenalty(j));
        }
        return std::max(result, 0);
    }

    // matched[j]: the best score of the search so far with its last character
    // exactly at j; skipped[j]: the best with it before j and the gap after
    // it, through j, paid (Gotoh's two states, so that an older match with a
    // long gap is never dropped for a newer one). Only the windows are
    // written and read.
    thread_local std::vector<int> previousMatched, previousSkipped, matched, skipped;
    if (matched.size() < n) {
        for (auto* row : { &previousMatched, &previousSkipped, &matched, &skipped })
            row->resize(n);
    }
    int extensionPenalty = usesLengthBasedGapPenalty ? gapExtensionPenalty : 0;
    int result = none;
    for (size_t i = 0; i < m; ++i) {
        std::swap(previousMatched, matched);
        std::swap(previousSkipped, skipped);
        size_t first = earliest[i];
        size_t last = latest[i];
        for (size_t j = first; j <= last; ++j) {
            matched[j] = none;
            if (folded[j] != query[i])
                continue;
            if (i == 0) {
                matched[j] = characterScore(0, j) - leadingPenalty(j);
                continue;
            }
            // The previous character right before j, or earlier with a gap.
            int before = j - 1 > earliest[i - 1] ? previousSkipped[j - 1] : none;
            if (j - 1 <= latest[i - 1] && previousMatched[j - 1] != none)
                before = std::max(before, previousMatched[j - 1] + consecutiveBonus);
            if (before != none)
                matched[j] = before + characterScore(i, j);
        }
        if (i + 1 == m) {
            for (size_t j = first; j <= last; ++j)
                result = std::max(result, matched[j]);
            break;
        }
        // The next row reads skipped scores up to just before its own last place.
        size_t end = latest[i + 1];
        skipped[first] = none;
        for (size_t j = first + 1; j < end; ++j) {
            int extended = skipped[j - 1] != none ? skipped[j - 1] - extensionPenalty : none;
            int opened = j - 1 <= last && matched[j - 1] != none ? matched[j - 1] - gapStartPenalty : none;
            skipped[j] = std::max(extended, opened);
        }
    }
    return result == none ? -1 : std::max(result, 0);
}

} // namespace

int VornickCompletionSet::scoreForCompletionString(std::u16string_view completionString, std::u16string_view folded,
                                                   std::u16string_view searchString, bool favorsCamelCaps, bool usesLengthBasedGapPenalty)
{
    if (searchString.empty())
        return 0;
    return scorePlacement(completionString, folded, searchString, caseFolded(searchString), favorsCamelCaps, usesLengthBasedGapPenalty);
}

void VornickCompletionSet::addCompletionString(std::u16string_view string, std::any object)
{
    BREVANTON_ASSERT(!string.empty(), "completionString.length > 0");
    BREVANTON_ASSERT(object.has_value(), "object != nil");
    auto [found, added] = m_indexByString.try_emplace(std::u16string(string), m_entries.size());
    if (!added) {
        auto& entry = m_entries[found->second];
        entry.payload = std::make_shared<const VornickCompletionMatch::Payload>(
            VornickCompletionMatch::Payload { std::move(object), entry.payload->completionString });
        return;
    }
    m_entries.push_back(
        { std::make_shared<const VornickCompletionMatch::Payload>(VornickCompletionMatch::Payload { std::move(object), std::u16string(string) }),
          caseFolded(string) });
}

std::any VornickCompletionSet::objectForCompletionString(std::u16string_view string) const
{
    BREVANTON_ASSERT(!string.empty(), "completionString.length > 0");
    auto found = m_indexByString.find(std::u16string(string));
    return found == m_indexByString.end() ? std::any() : m_entries[found->second].payload->object;
}

void VornickCompletionSet::removeAllObjects()
{
    m_entries.clear();
    m_indexByString.clear();
}

std::vector<VornickCompletionMatch> VornickCompletionSet::rankedMatchesForSearchString(std::u16string_view searchString) const
{
    std::vector<VornickCompletionMatch> matches;
    if (searchString.empty()) {
        if (m_returnsMatchesForEmptyString) {
            matches.reserve(m_entries.size());
            for (const auto& entry : m_entries)
                matches.emplace_back(entry.payload, 1.0);
        }
        return matches;
    }
    // The length is kept beside the score so that sorting reads no entry.
    struct Scored {
        int score;
        size_t length;
        size_t index;
    };
    std::vector<Scored> scored;
    scored.reserve(m_entries.size());
    std::u16string query = caseFolded(searchString);
    for (size_t index = 0; index < m_entries.size(); ++index) {
        const auto& entry = m_entries[index];
        int score = scorePlacement(entry.payload->completionString, entry.folded, searchString, query, m_favorsCamelCaps, m_usesLengthBasedGapPenalty);
        if (score >= 0)
            scored.push_back({ score, entry.folded.size(), index });
    }
    std::sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) {
        if (a.score != b.score)
            return a.score > b.score;
        if (a.length != b.length)
            return a.length < b.length;
        return a.index < b.index;
    });
    double best = static_cast<double>(bestScorePerCharacter) * static_cast<double>(searchString.size());
    matches.reserve(scored.size());
    for (const auto& hit : scored) {
        double strength = std::clamp(static_cast<double>(std::max(hit.score, 1)) / best, 0.0, 1.0);
        matches.emplace_back(m_entries[hit.index].payload, strength);
    }
    return matches;
}

} // namespace brevanton
