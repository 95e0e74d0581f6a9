#include "platform/foundation/CharacterSet.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(CharacterSet, SetAlgebra)
{
    CharacterSet digits = CharacterSet::fromRanges({ { '0', '9' } });
    CharacterSet some = CharacterSet::fromCharacters(u"5a\U0001F600");
    EXPECT_TRUE(some.contains(U'\U0001F600'));
    EXPECT_FALSE(some.contains(0xD83D));

    CharacterSet both = digits.unionWith(some);
    for (char32_t c : { U'0', U'9', U'a', U'\U0001F600' })
        EXPECT_TRUE(both.contains(c));
    EXPECT_FALSE(both.contains(U'b'));

    CharacterSet withoutFive = digits.subtracting(some);
    EXPECT_TRUE(withoutFive.contains(U'4'));
    EXPECT_FALSE(withoutFive.contains(U'5'));
    EXPECT_EQ(withoutFive.ranges().size(), 2u);

    CharacterSet inverse = digits.inverted();
    EXPECT_FALSE(inverse.contains(U'3'));
    EXPECT_TRUE(inverse.contains(0));
    EXPECT_TRUE(inverse.contains(0x10FFFF));
    EXPECT_EQ(inverse.inverted(), digits);
    EXPECT_TRUE(CharacterSet().inverted().contains(0x10FFFF));

    // Adjacent and overlapping ranges merge.
    EXPECT_EQ(CharacterSet::fromRanges({ { 'd', 'f' }, { 'a', 'c' }, { 'b', 'e' } }).ranges().size(), 1u);
    EXPECT_EQ(CharacterSet::fromPattern(u"[a-z]"), CharacterSet::fromRanges({ { 'a', 'z' } }));
}

TEST(CharacterSet, PredefinedSets)
{
    EXPECT_TRUE(CharacterSet::whitespace().contains(U' '));
    EXPECT_TRUE(CharacterSet::whitespace().contains(U'\t'));
    EXPECT_TRUE(CharacterSet::whitespace().contains(0x00A0));
    EXPECT_FALSE(CharacterSet::whitespace().contains(U'\n'));
    EXPECT_TRUE(CharacterSet::whitespaceAndNewlines().contains(U'\n'));
    EXPECT_TRUE(CharacterSet::whitespaceAndNewlines().contains(0x2028));
    EXPECT_TRUE(CharacterSet::newlines().contains(U'\r'));
    EXPECT_FALSE(CharacterSet::newlines().contains(U' '));
    EXPECT_TRUE(CharacterSet::decimalDigits().contains(0x0663)); // ARABIC-INDIC DIGIT THREE
    EXPECT_FALSE(CharacterSet::decimalDigits().contains(U'a'));
    EXPECT_TRUE(CharacterSet::letters().contains(0x00E9));
    EXPECT_TRUE(CharacterSet::letters().contains(0x0301)); // combining marks count as letters
    EXPECT_TRUE(CharacterSet::alphanumerics().contains(U'7'));
    EXPECT_FALSE(CharacterSet::alphanumerics().contains(U'_'));
    EXPECT_TRUE(CharacterSet::punctuation().contains(U'_'));
    EXPECT_TRUE(CharacterSet::punctuation().contains(0x201C));
}

TEST(CharacterSet, URLComponentSetsFollowRFC3986)
{
    auto allows = [](const CharacterSet& set, std::u16string_view characters) {
        for (char16_t c : characters) {
            if (!set.contains(c))
                return false;
        }
        return true;
    };
    auto refuses = [](const CharacterSet& set, std::u16string_view characters) {
        for (char16_t c : characters) {
            if (set.contains(c))
                return false;
        }
        return true;
    };
    const std::u16string_view alwaysEscaped = u" \"%<>\\^`{|}\u00e9\x7f";
    for (auto* set : { &CharacterSet::urlUserAllowed(), &CharacterSet::urlPasswordAllowed(),
                       &CharacterSet::urlHostAllowed(), &CharacterSet::urlPathAllowed(),
                       &CharacterSet::urlQueryAllowed(), &CharacterSet::urlFragmentAllowed() }) {
        EXPECT_TRUE(allows(*set, u"aZ09-._~!$&'()*+,="));
        EXPECT_TRUE(refuses(*set, alwaysEscaped));
        EXPECT_FALSE(set->contains(U'#'));
    }
    EXPECT_TRUE(refuses(CharacterSet::urlUserAllowed(), u":@/?"));
    EXPECT_TRUE(allows(CharacterSet::urlPasswordAllowed(), u":"));
    EXPECT_TRUE(refuses(CharacterSet::urlPasswordAllowed(), u"@/?"));
    EXPECT_TRUE(allows(CharacterSet::urlHostAllowed(), u"[]:"));
    EXPECT_TRUE(refuses(CharacterSet::urlHostAllowed(), u"@/?"));
    EXPECT_TRUE(allows(CharacterSet::urlPathAllowed(), u"/:@;"));
    EXPECT_TRUE(refuses(CharacterSet::urlPathAllowed(), u"?"));
    EXPECT_TRUE(refuses(CharacterSet::urlPathSegmentAllowed(), u"/?#;"));
    EXPECT_TRUE(allows(CharacterSet::urlQueryAllowed(), u"/?:@"));
    EXPECT_TRUE(allows(CharacterSet::urlFragmentAllowed(), u"/?:@"));
}
