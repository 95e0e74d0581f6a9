#include "toolkit/VornickCompletionSet.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>

using namespace brevanton;

namespace {

std::vector<std::string> ranked(const VornickCompletionSet& set, std::u16string_view search)
{
    std::vector<std::string> names;
    for (const auto& match : set.rankedMatchesForSearchString(search))
        names.push_back(toUTF8(match.completionString()));
    return names;
}

VornickCompletionSet setOf(std::initializer_list<const char16_t*> strings, bool camelCaps = false, bool lengthBasedGaps = true)
{
    VornickCompletionSet set;
    set.setFavorsCamelCaps(camelCaps);
    set.setUsesLengthBasedGapPenalty(lengthBasedGaps);
    int index = 0;
    for (const auto* string : strings)
        set.addCompletionString(string, index++);
    return set;
}

TEST(VornickCompletionSet, RanksAsDocumented)
{
    struct Case {
        const char* why;
        std::initializer_list<const char16_t*> candidates;
        const char16_t* search;
        std::vector<std::string> expected;
        bool camelCaps = false;
    };
    const Case cases[] = {
        { "word starts beat letters inside a word", { u"blockquote", u"bdo", u"Big Quote" }, u"bq", { "Big Quote", "blockquote" } },
        { "a run of consecutive letters beats a scattered one", { u"table", u"tbody", u"tab" }, u"tab", { "tab", "table" } },
        { "a prefix beats the same letters later; a tie goes to the shorter", { u"blink", u"link", u"li" }, u"li", { "li", "link", "blink" } },
        { "case is ignored, Unicode too", { u"\u00DCberschrift", u"BLOCKQUOTE" }, u"\u00FCber", { "\u00DCberschrift" } },
        { "letters out of order are no match", { u"abc", u"cab" }, u"ba", {} },
        { "a short gap costs less than a long one", { u"axxxxxxxxb", u"axb" }, u"ab", { "axb", "axxxxxxxxb" } },
        { "fewer letters skipped before the first match win", { u"aaaaab", u"ab" }, u"b", { "ab", "aaaaab" } },
        { "a separator starts a word", { u"pullquote", u"pull-quote" }, u"pq", { "pull-quote", "pullquote" } },
        { "the case typed counts for a little", { u"Em", u"em" }, u"em", { "em", "Em" } },
        { "equal scores and lengths keep the order added", { u"h2", u"h3", u"h1" }, u"h", { "h2", "h3", "h1" } },
        { "camel caps start words when favoured", { u"foobar", u"fooBar" }, u"b", { "fooBar", "foobar" }, true },
        { "not favoured, a hump is a plain letter", { u"foobar", u"fooBar" }, u"b", { "foobar", "fooBar" }, false },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.why);
        auto set = setOf(test.candidates, test.camelCaps);
        EXPECT_EQ(ranked(set, test.search), test.expected);
    }
}

TEST(VornickCompletionSet, TheLengthOfAGapCountsOnlyWhenAsked)
{
    // Counted, the eight letters skipped in the long string cost more than the
    // four skipped before the match in the last one; not counted, every gap
    // costs the same and the long string ties with "axb".
    auto counted = setOf({ u"axb", u"axxxxxxxxb", u"xxxxab" }, false, true);
    EXPECT_EQ(ranked(counted, u"ab"), (std::vector<std::string> { "axb", "xxxxab", "axxxxxxxxb" }));
    auto flat = setOf({ u"axb", u"axxxxxxxxb", u"xxxxab" }, false, false);
    EXPECT_EQ(ranked(flat, u"ab"), (std::vector<std::string> { "axb", "axxxxxxxxb", "xxxxab" }));
    auto matches = flat.rankedMatchesForSearchString(u"ab");
    EXPECT_EQ(matches[0].matchStrength(), matches[1].matchStrength());
}

TEST(VornickCompletionSet, StrengthsEmptySearchesAndObjects)
{
    VornickCompletionSet set;
    set.addCompletionString(u"blockquote", std::u16string(u"first"));
    set.addCompletionString(u"b", 2);
    set.addCompletionString(u"blockquote", std::u16string(u"replaced"));
    EXPECT_EQ(set.count(), 2u);
    EXPECT_EQ(std::any_cast<std::u16string>(set.objectForCompletionString(u"blockquote")), u"replaced");
    EXPECT_FALSE(set.objectForCompletionString(u"missing").has_value());

    // Strengths lie in (0, 1], strongest first.
    auto matches = set.rankedMatchesForSearchString(u"b");
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].completionString(), u"b");
    for (const auto& match : matches) {
        EXPECT_GT(match.matchStrength(), 0.0);
        EXPECT_LE(match.matchStrength(), 1.0);
        EXPECT_FALSE(match.disabled());
    }
    EXPECT_GE(matches[0].matchStrength(), matches[1].matchStrength());
    EXPECT_EQ(std::any_cast<std::u16string>(matches[1].object()), u"replaced");

    // The empty search gives everything in the order added, or nothing.
    auto all = set.rankedMatchesForSearchString(u"");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].completionString(), u"blockquote");
    set.setReturnsMatchesForEmptyString(false);
    EXPECT_TRUE(set.rankedMatchesForSearchString(u"").empty());

    EXPECT_THROW(set.addCompletionString(u"", 1), InternalInconsistencyException);
    EXPECT_THROW(set.addCompletionString(u"x", std::any()), InternalInconsistencyException);
    EXPECT_THROW((void)set.objectForCompletionString(u""), InternalInconsistencyException);
    set.removeAllObjects();
    EXPECT_TRUE(set.rankedMatchesForSearchString(u"b").empty());
    EXPECT_FALSE(set.objectForCompletionString(u"b").has_value());
}

} // namespace

namespace {

// The documented score of one placement, computed plainly.
int placementScore(std::u16string_view string, std::u16string_view search, const std::vector<size_t>& places, bool camelCaps,
                   bool lengthBasedGaps)
{
    auto isWordCharacter = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'); };
    int score = 0;
    for (size_t i = 0; i < places.size(); ++i) {
        size_t j = places[i];
        score += 16 + (string[j] == search[i] ? 1 : 0);
        if (j == 0 || !isWordCharacter(string[j - 1]))
            score += 24;
        else if (camelCaps && string[j] >= u'A' && string[j] <= u'Z' && !(string[j - 1] >= u'A' && string[j - 1] <= u'Z'))
            score += 20;
        if (i == 0)
            score -= lengthBasedGaps ? std::min<int>(static_cast<int>(j), 12) : 0;
        else if (j == places[i - 1] + 1)
            score += 16;
        else
            score -= lengthBasedGaps ? 6 + static_cast<int>(j - places[i - 1] - 2) : 6;
    }
    return score;
}

// The best score of all placements, at least 0; -1 when there is none.
int bestPlacementScore(std::u16string_view string, std::u16string_view search, bool camelCaps, bool lengthBasedGaps)
{
    int best = INT_MIN;
    std::vector<size_t> places;
    std::function<void(size_t)> place = [&](size_t from) {
        if (places.size() == search.size()) {
            best = std::max(best, placementScore(string, search, places, camelCaps, lengthBasedGaps));
            return;
        }
        for (size_t j = from; j < string.size(); ++j) {
            char16_t a = string[j] | 0x20;
            char16_t b = search[places.size()] | 0x20;
            if (a != b)
                continue;
            places.push_back(j);
            place(j + 1);
            places.pop_back();
        }
    };
    place(0);
    return best == INT_MIN ? -1 : std::max(best, 0);
}

TEST(VornickCompletionSet, TheScoreIsThatOfTheBestPlacement)
{
    std::mt19937 random(7);
    const char16_t alphabet[] = u"abAB-1";
    for (int round = 0; round < 3000; ++round) {
        std::u16string string;
        std::u16string search;
        for (size_t i = 1 + random() % 12; i > 0; --i)
            string += alphabet[random() % 6];
        for (size_t i = 1 + random() % 4; i > 0; --i)
            search += alphabet[random() % 6];
        bool camelCaps = random() % 2;
        bool lengthBasedGaps = random() % 2;
        int expected = bestPlacementScore(string, search, camelCaps, lengthBasedGaps);
        int actual = VornickCompletionSet::scoreForCompletionString(string, VornickCompletionSet::caseFolded(string), search, camelCaps,
                                                                   lengthBasedGaps);
        ASSERT_EQ(actual, expected) << toUTF8(string) << " / " << toUTF8(search) << " camel " << camelCaps << " gaps " << lengthBasedGaps;
    }
}

} // namespace
