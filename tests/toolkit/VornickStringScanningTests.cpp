#include "toolkit/VornickStringScanning.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using Ranges = std::vector<VornickRange>;

Ranges expressionsIn(std::u16string_view text)
{
    Ranges ranges;
    vornick_enumerateExpressionsWithOptions(text, 0, [&](VornickRange range, bool&) { ranges.push_back(range); });
    return ranges;
}

TEST(VornickStringScanning, Expressions)
{
    EXPECT_EQ(expressionsIn(u"a {name} b {x y} {}"), (Ranges { { 2, 6 }, { 17, 2 } }));
    EXPECT_EQ(expressionsIn(u"{ab}cd}"), (Ranges { { 0, 4 }, { 0, 7 } }));
    EXPECT_EQ(expressionsIn(u"{a1}"), Ranges {});
    EXPECT_EQ(expressionsIn(u"}"), Ranges {});

    int reported = 0;
    EXPECT_FALSE(vornick_enumerateExpressionsWithOptions(u"{a}{b}", 0, [&](VornickRange, bool& stop) {
        ++reported;
        stop = true;
    }));
    EXPECT_EQ(reported, 1);
}

TEST(VornickStringScanning, WikiWordsNextToEachOtherAreAllFound)
{
    EXPECT_EQ(vornick_wikiWordRangesWithOptions(u"FooBar BazQux", 0), (Ranges { { 0, 6 }, { 7, 6 } }));
    EXPECT_EQ(vornick_wikiWordRangesWithOptions(u"(FooBar)", 0), (Ranges { { 1, 6 } }));
    EXPECT_EQ(vornick_wikiWordRangesWithOptions(u"line\nFooBar\nBazQuxZed", 0), (Ranges { { 5, 6 }, { 12, 9 } }));
    // Letters touching either side, a single capitalised word, or capitals alone are no wiki words.
    EXPECT_EQ(vornick_wikiWordRangesWithOptions(u"xFooBar FooBarX Foo FOOBar", 0), Ranges {});
    // Letters of any script count.
    EXPECT_EQ(vornick_wikiWordRangesWithOptions(u"\u00C9t\u00E9Hiver", 0), (Ranges { { 0, 8 } }));
}

TEST(VornickStringScanning, EscapedWikiWords)
{
    EXPECT_EQ(vornick_wikiWordRangesWithOptions(u"/FooBar BazQux", 0), (Ranges { { 8, 6 } }));
    EXPECT_EQ(vornick_wikiWordRangesWithOptions(u"/FooBar BazQux", VornickWikiWordIncludeEscaped),
              (Ranges { { 1, 6 }, { 8, 6 } }));
    EXPECT_EQ(vornick_stringByEscapingWikiWordsWithOptions(u"FooBar BazQux", 0), u"/FooBar /BazQux");
    // Escaping twice does not escape again.
    EXPECT_EQ(vornick_stringByEscapingWikiWordsWithOptions(u"/FooBar BazQux", 0), u"/FooBar /BazQux");
    EXPECT_EQ(vornick_stringByEscapingWikiWordsWithOptions(u"Ab", 0), u"Ab");

    EXPECT_TRUE(vornick_isWikiWord(u"FooBar"));
    EXPECT_FALSE(vornick_isWikiWord(u"FooBar BazQux"));
    EXPECT_FALSE(vornick_isWikiWord(u" FooBar"));
    EXPECT_FALSE(vornick_isWikiWord(u"Foo"));
}

} // namespace
} // namespace brevanton
