#include "toolkit/VornickLineIndex.h"

#include <gtest/gtest.h>

#include <random>

namespace brevanton {
namespace {

std::vector<size_t> startsOf(const std::u16string& text)
{
    auto index = VornickLineIndex::createByIndexingString(text, 1, 1, 4);
    return index ? index->startOffsetsByLine() : std::vector<size_t> {};
}

VornickNewlineConvention conventionOf(const std::u16string& text)
{
    return VornickLineIndex::createByIndexingString(text, 1, 1, 4)->newlineConvention();
}

TEST(VornickLineIndex, LineStartsAndConventionOfUniformText)
{
    EXPECT_EQ(startsOf(u"a\r\nb\r\n"), (std::vector<size_t> { 0, 3, 6 }));
    EXPECT_EQ(conventionOf(u"a\r\nb\r\n"), VornickNewlineConvention::CRLF);
    EXPECT_EQ(startsOf(u"a\nb\nc"), (std::vector<size_t> { 0, 2, 4 }));
    EXPECT_EQ(conventionOf(u"a\nb"), VornickNewlineConvention::LF);
    EXPECT_EQ(startsOf(u"a\rb\r"), (std::vector<size_t> { 0, 2, 4 }));
    EXPECT_EQ(conventionOf(u"a\rb"), VornickNewlineConvention::CR);
    EXPECT_EQ(startsOf(u"no breaks"), (std::vector<size_t> { 0 }));
    EXPECT_EQ(conventionOf(u"no breaks"), VornickNewlineConvention::Unknown);
    EXPECT_EQ(startsOf(u"\n\n"), (std::vector<size_t> { 0, 1, 2 }));
}

TEST(VornickLineIndex, EmptyTextGivesNoIndex)
{
    EXPECT_EQ(VornickLineIndex::createByIndexingString(std::u16string(), 1, 1, 4), nullptr);
    EXPECT_EQ(VornickLineIndex::createByIndexingString(std::shared_ptr<const std::u16string>(), 1, 1, 4),
              nullptr);
}

// Mixed endings count each CR LF, lone CR and lone LF as one break, as tidy
// counts lines; the convention is that of the first break.
TEST(VornickLineIndex, MixedLineEndingsCountLikeTidy)
{
    std::u16string text = u"a\nb\rc\r\nd\n\re";
    EXPECT_EQ(startsOf(text), (std::vector<size_t> { 0, 2, 4, 7, 9, 10 }));
    EXPECT_EQ(conventionOf(text), VornickNewlineConvention::LF);
    EXPECT_EQ(conventionOf(u"x\r\ny\nz"), VornickNewlineConvention::CRLF);
    EXPECT_EQ(startsOf(u"x\r\ny\nz"), (std::vector<size_t> { 0, 3, 5 }));
    EXPECT_EQ(conventionOf(u"x\ry\r\nz"), VornickNewlineConvention::CR);
    EXPECT_EQ(startsOf(u"x\ry\r\nz"), (std::vector<size_t> { 0, 2, 5 }));

    // Tidy reports line 4 column 1 for the "d": the index must land on it.
    auto index = VornickLineIndex::createByIndexingString(text, 1, 1, 4);
    EXPECT_EQ(text[index->offsetForLine(4, 1)], u'd');
    EXPECT_EQ(text[index->offsetForLine(6, 1)], u'e');
}

// Breaks in every position of the vector blocks, and CR LF pairs split
// across two blocks, give the same starts as a plain walk.
TEST(VornickLineIndex, BreaksAcrossBlockBoundaries)
{
    for (size_t position = 0; position < 20; ++position) {
        std::u16string text(24, u'x');
        text[position] = u'\r';
        text[position + 1] = u'\n';
        text[position + 3] = u'\r';
        EXPECT_EQ(startsOf(text), (std::vector<size_t> { 0, position + 2, position + 4 }))
            << "pair at " << position;
    }
}

TEST(VornickLineIndex, OffsetForLineAndColumn)
{
    std::u16string text = u"x\n\tyz\nlast";
    auto index = VornickLineIndex::createByIndexingString(text, 1, 1, 4);
    EXPECT_EQ(index->offsetForLine(2, 5), 3u); // the tab fills columns 1 to 4
    EXPECT_EQ(index->offsetForLine(2, 6), 4u);
    EXPECT_EQ(index->offsetForLine(1, 1), 0u);
    EXPECT_EQ(index->offsetForLine(3, 1), 6u);
    EXPECT_EQ(index->offsetForLine(0, 1), VornickNotFound);
    EXPECT_EQ(index->offsetForLine(4, 1), VornickNotFound);
    // A column past the end of its line runs on into the next line.
    EXPECT_EQ(index->offsetForLine(1, 3), 2u);
    // Never past the end of the text.
    EXPECT_EQ(index->offsetForLine(3, 99), text.size());
    // Numbers beyond the signed range do not wrap around: a huge column walks
    // to the end of the text, a huge line is past the last one.
    auto zeroBasedIndex = VornickLineIndex::createByIndexingString(text, 0, 0, 4);
    EXPECT_EQ(zeroBasedIndex->offsetForLine(0, uint64_t(1) << 63), text.size());
    EXPECT_EQ(zeroBasedIndex->offsetForLine(uint64_t(1) << 63, 0), VornickNotFound);
    EXPECT_EQ(index->offsetForLine(UINT64_MAX, UINT64_MAX), VornickNotFound);

    auto zeroBased = VornickLineIndex::createByIndexingString(text, 0, 0, 8);
    EXPECT_EQ(zeroBased->offsetForLine(1, 8), 3u);
    EXPECT_EQ(zeroBased->offsetForLine(2, 2), 8u);

    // A tab after some characters moves to the next stop, not a full width.
    auto stops = VornickLineIndex::createByIndexingString(std::u16string(u"ab\tc"), 1, 1, 4);
    EXPECT_EQ(stops->offsetForLine(1, 5), 3u);
}

} // namespace
TEST(VornickLineIndex, SplicesGiveTheIndexOfTheNewText)
{
    auto spliced = [](std::u16string text, const VornickTextSplices& splices, const std::vector<std::u16string>& replacements) {
        auto before = VornickLineIndex::createByIndexingString(text, 1, 1, 4);
        for (size_t i = splices.size(); i-- > 0;)
            text.replace(splices[i].range.location, splices[i].range.length, replacements[i]);
        auto after = VornickLineIndex::createByApplyingSplices(*before, std::make_shared<const std::u16string>(text), splices);
        auto fresh = VornickLineIndex::createByIndexingString(text, 1, 1, 4);
        return after->startOffsetsByLine() == fresh->startOffsetsByLine() && after->newlineConvention() == fresh->newlineConvention()
            && after->string() == text;
    };
    // A CR and an LF that meet at a splice's edge become one break, and part.
    EXPECT_TRUE(spliced(u"ab\rcd", { { { 3, 1 }, 1 } }, { u"\n" }));
    EXPECT_TRUE(spliced(u"ab\r\ncd", { { { 3, 1 }, 1 } }, { u"x" }));
    EXPECT_TRUE(spliced(u"ab\ncd", { { { 0, 2 }, 1 } }, { u"\r" }));
    EXPECT_TRUE(spliced(u"a\nb\nc", { { { 0, 1 }, 3 }, { { 2, 1 }, 0 } }, { u"x\r\n", u"" }));
    // The first break decides the convention.
    EXPECT_TRUE(spliced(u"a\nb\r\nc", { { { 1, 1 }, 2 } }, { u"\r\n" }));

    // Random texts of line breaks and letters, random splices.
    std::mt19937 random(7);
    const char16_t alphabet[] = { u'a', u'\r', u'\n', u'b' };
    auto randomText = [&](size_t length) {
        std::u16string text;
        for (size_t i = 0; i < length; ++i)
            text += alphabet[random() % 4];
        return text;
    };
    for (unsigned round = 0; round < 2000; ++round) {
        std::u16string text = randomText(1 + random() % 12);
        VornickTextSplices splices;
        std::vector<std::u16string> replacements;
        size_t at = 0;
        while (at < text.size() && random() % 3) {
            size_t location = at + random() % (text.size() - at);
            size_t length = 1 + random() % std::min<size_t>(3, text.size() - location);
            replacements.push_back(randomText(random() % 4));
            splices.push_back({ { location, length }, replacements.back().size() });
            at = location + length;
        }
        std::u16string result = text;
        for (size_t i = splices.size(); i-- > 0;)
            result.replace(splices[i].range.location, splices[i].range.length, replacements[i]);
        if (result.empty())
            continue;
        ASSERT_TRUE(spliced(text, splices, replacements)) << "round " << round << " of seed 7";
    }
}

} // namespace brevanton
