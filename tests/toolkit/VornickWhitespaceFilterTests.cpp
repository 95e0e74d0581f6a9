#include "toolkit/VornickWhitespaceFilter.h"

#include "platform/foundation/Assertions.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

constexpr char16_t S = u'\u23D8'; // a non-breaking-space substitute

std::u16string filter(std::u16string_view text, unsigned options, char16_t substitute = 0)
{
    return vornick_stringByFilteringWhitespaceWithOptions(text, options, substitute, nullptr);
}

TEST(VornickWhitespaceFilter, TrimsAndCollapsesByOptions)
{
    std::u16string text = u"  a  b  ";
    EXPECT_EQ(filter(text, 0), text);
    EXPECT_EQ(filter(text, 1), u"  a  b");
    EXPECT_EQ(filter(text, 2), u"a  b  ");
    EXPECT_EQ(filter(text, 3), u"a  b");
    EXPECT_EQ(filter(text, 4), u" a b ");
    EXPECT_EQ(filter(text, 7), u"a b");
    EXPECT_EQ(filter(u"", 7), u"");
    EXPECT_EQ(filter(u"ab", 7), u"ab");
    // Newlines, tabs, Unicode spaces and line separators are whitespace too.
    EXPECT_EQ(filter(u"\n\t a\u2003\u2028b\r\n", 7), u"a b");
}

TEST(VornickWhitespaceFilter, CollapsedRunsKeepNonBreakingSpacesAndSubstitutes)
{
    EXPECT_EQ(filter(u"a \u00A0 b  c", 4), u"a\u00A0b c");
    EXPECT_EQ(filter(u"a \u23D8\tb  c", 12, S), u"a\u23D8b c");
    // Each substitute of a run stays; the plain whitespace around them goes.
    EXPECT_EQ(filter(u"a\u23D8 \u23D8b", 4, S), u"a\u23D8\u23D8b");
    // Without a substitute given, the substitute character is an ordinary character.
    EXPECT_EQ(filter(u"a \u23D8 b", 4), u"a \u23D8 b");
}

TEST(VornickWhitespaceFilter, TrimmingWithSubstitutes)
{
    // Leading substitutes stay only with option 8.
    EXPECT_EQ(filter(u" \u23D8 a", 2, S), u"a");
    EXPECT_EQ(filter(u" \u23D8 a", 10, S), u"\u23D8a");
    EXPECT_EQ(filter(u"a \u23D8", 7, S), u"a");
    EXPECT_EQ(filter(u"a \u23D8", 15, S), u"a\u23D8");
    EXPECT_EQ(filter(u" \u23D8 ", 10, S), u"\u23D8");
    EXPECT_EQ(filter(u" \u23D8 ", 2, S), u"");
}

TEST(VornickWhitespaceFilter, TrackedOffsetFollowsItsCharacter)
{
    size_t offset = 4; // the "b" after the run " S\t"
    EXPECT_EQ(vornick_stringByFilteringWhitespaceWithOptions(u"a \u23D8\tb  c", 12, S, &offset), u"a\u23D8b c");
    EXPECT_EQ(offset, 2u);

    offset = 2;
    EXPECT_EQ(vornick_stringByFilteringWhitespaceWithOptions(u" \t\n", 2, 0, &offset), u"");
    EXPECT_EQ(offset, 0u);

    // Every non-whitespace character keeps its tracked offset, whatever the options.
    const std::u16string texts[] = { u"  a  b  ", u"x", u" \u00A0 x\ty\n\n z ", u"\u23D8 a \u23D8\u23D8 b \u23D8" };
    for (const auto& text : texts) {
        for (unsigned options : { 1u, 2u, 3u, 4u, 7u, 12u, 14u, 15u }) {
            std::u16string result = vornick_stringByFilteringWhitespaceWithOptions(text, options, S, nullptr);
            for (size_t i = 0; i < text.size(); ++i) {
                if (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\u00A0' || text[i] == S)
                    continue;
                size_t tracked = i;
                vornick_stringByFilteringWhitespaceWithOptions(text, options, S, &tracked);
                ASSERT_LT(tracked, result.size()) << "options " << options << " index " << i;
                EXPECT_EQ(result[tracked], text[i]) << "options " << options << " index " << i;
            }
        }
    }

    // A place in trimmed trailing whitespace ends up at the end of the result.
    offset = 7;
    EXPECT_EQ(vornick_stringByFilteringWhitespaceWithOptions(u"  a  b  ", 3, 0, &offset), u"a  b");
    EXPECT_EQ(offset, 4u);
    offset = 7;
    vornick_stringByFilteringWhitespaceWithOptions(u"  a  b  ", 7, 0, &offset);
    EXPECT_EQ(offset, 3u);
    // A place inside a collapsed run stays inside or just after its replacement.
    offset = 4;
    vornick_stringByFilteringWhitespaceWithOptions(u"  a  b  ", 4, 0, &offset);
    EXPECT_EQ(offset, 3u);
}

TEST(VornickWhitespaceFilter, WhitespaceTests)
{
    EXPECT_TRUE(vornick_containsOnlyHTMLWhitespace(u""));
    EXPECT_TRUE(vornick_containsOnlyHTMLWhitespace(u"\u00A0"));
    EXPECT_TRUE(vornick_containsOnlyHTMLWhitespace(u" \t\r\n\f\v\u0085\u2028\u2029\u3000"));
    EXPECT_FALSE(vornick_containsOnlyHTMLWhitespace(u" x "));
    EXPECT_FALSE(vornick_containsOnlyHTMLWhitespace(u"\u200B")); // zero width space is a format character
    EXPECT_FALSE(vornick_containsOnlyHTMLWhitespace(u" \u23D8"));
    EXPECT_TRUE(vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(u" \u23D8", S));
    EXPECT_FALSE(vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(u" \u2423", S));
    EXPECT_TRUE(vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(u"ab  cd", 0, VornickMakeRange(2, 2)));
    EXPECT_TRUE(vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(u"ab", 0, VornickMakeRange(2, 0)));
    EXPECT_FALSE(vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(u"ab  cd", 0, VornickMakeRange(1, 2)));
    EXPECT_THROW(vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(u"ab", 0, VornickMakeRange(1, 2)),
                 InternalInconsistencyException);
    EXPECT_THROW(vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(u"ab", 0, VornickMakeRange(VornickNotFound, 1)),
                 InternalInconsistencyException);
}

} // namespace
} // namespace brevanton
