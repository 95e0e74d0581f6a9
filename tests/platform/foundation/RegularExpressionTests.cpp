#include "platform/foundation/RegularExpression.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

TEST(RegularExpression, MatchesReportEveryGroupInUTF16Offsets)
{
    auto expression = RegularExpression::create(u"(\\w+)=(\\d+)?;");
    ASSERT_TRUE(expression);
    EXPECT_EQ(expression->numberOfCaptureGroups(), 2u);
    std::u16string text = u"\U0001F600 a=1; b=; c=22;";
    std::vector<std::u16string> names;
    std::vector<std::optional<std::u16string>> numbers;
    EXPECT_TRUE(expression->enumerateMatches(text, [&](const RegularExpression::Match& match, bool&) {
        ASSERT_EQ(match.ranges.size(), 3u);
        names.emplace_back(*match.group(text, 1));
        auto number = match.group(text, 2);
        numbers.push_back(number ? std::optional<std::u16string>(*number) : std::nullopt);
    }));
    EXPECT_EQ(names, (std::vector<std::u16string> { u"a", u"b", u"c" }));
    EXPECT_EQ(numbers, (std::vector<std::optional<std::u16string>> { u"1", std::nullopt, u"22" }))
        << "a group that took no part has no text";
    // Offsets count UTF-16 units: the emoji is two.
    auto first = expression->firstMatch(text);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->ranges[0]->start, 3u);

    // Stopping ends the walk after the current match.
    int seen = 0;
    EXPECT_FALSE(expression->enumerateMatches(text, [&](const RegularExpression::Match&, bool& stop) { stop = ++seen == 2; }));
    EXPECT_EQ(seen, 2);
}

TEST(RegularExpression, OptionsBadPatternsAndCopies)
{
    EXPECT_FALSE(RegularExpression::create(u"wp")->hasMatch(u"WP-block"));
    EXPECT_TRUE(RegularExpression::create(u"wp", RegularExpression::CaseInsensitive)->hasMatch(u"WP-block"));
    EXPECT_TRUE(RegularExpression::create(u"a.b", RegularExpression::IgnoreMetacharacters)->hasMatch(u"xa.b"));
    EXPECT_FALSE(RegularExpression::create(u"a.b", RegularExpression::IgnoreMetacharacters)->hasMatch(u"axb"));
    EXPECT_TRUE(RegularExpression::create(u"^b", RegularExpression::AnchorsMatchLines)->hasMatch(u"a\nb"));

    std::string reason;
    EXPECT_FALSE(RegularExpression::create(u"(unclosed", 0, &reason));
    EXPECT_FALSE(reason.empty());

    auto original = RegularExpression::create(u"x+");
    ASSERT_TRUE(original);
    RegularExpression copy = *original;
    original.reset();
    EXPECT_EQ(copy.pattern(), u"x+");
    EXPECT_TRUE(copy.hasMatch(u"axxb"));
}

} // namespace
} // namespace brevanton
