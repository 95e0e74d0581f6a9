#include "platform/foundation/AttributedString.h"
#include "platform/foundation/Color.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

TextAttributes colored(Color color)
{
    auto dictionary = std::make_shared<TextAttributeDictionary>();
    (*dictionary)[ForegroundColorAttributeName] = color;
    return dictionary;
}

std::string runsOf(const AttributedString& string)
{
    std::string result;
    for (auto& run : string.runs()) {
        auto* color = run.attributes && run.attributes->count(ForegroundColorAttributeName) ? std::any_cast<Color>(&run.attributes->at(ForegroundColorAttributeName)) : nullptr;
        result += "[" + std::to_string(run.location) + "+" + std::to_string(run.length) + " " + (color ? color->description() : "none") + "]";
    }
    return result;
}

} // namespace

TEST(AttributedString, RunsSplitAndMerge)
{
    auto red = colored(Color::sRGB(1, 0, 0));
    auto grey = colored(Color::genericGamma22White(0.5));
    AttributedString string(u"abcdefghij", grey);
    string.setAttributes(red, 2, 3);
    EXPECT_EQ(runsOf(string), "[0+2 Gray 0.5 1][2+3 sRGB 1 0 0 1][5+5 Gray 0.5 1]");
    size_t location = 0, length = 0;
    EXPECT_EQ(string.attributesAtIndex(4, &location, &length), red);
    EXPECT_EQ(location, 2u);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(string.attributeAtIndex<Color>(ForegroundColorAttributeName, 0)->whiteComponent(), 0.5);
    EXPECT_EQ(string.attributeAtIndex<double>(ForegroundColorAttributeName, 0), nullptr);
    EXPECT_EQ(string.attributesAtIndex(10), nullptr);

    // Covering several runs, and a range past the end, clamped.
    string.setAttributes(grey, 1, 5);
    EXPECT_EQ(runsOf(string), "[0+10 Gray 0.5 1]");
    string.setAttributes(red, 8, 100);
    EXPECT_EQ(runsOf(string), "[0+8 Gray 0.5 1][8+2 sRGB 1 0 0 1]");
    string.appendString(u"kl", red);
    string.appendString(u"", grey);
    EXPECT_EQ(runsOf(string), "[0+8 Gray 0.5 1][8+4 sRGB 1 0 0 1]");

    AttributedString built(u"xyz", { { 0, 1, red }, { 1, 1, red }, { 2, 1, grey } });
    EXPECT_EQ(runsOf(built), "[0+2 sRGB 1 0 0 1][2+1 Gray 0.5 1]");
    string.append(built);
    EXPECT_EQ(string.string(), u"abcdefghijklxyz");
    EXPECT_EQ(runsOf(string), "[0+8 Gray 0.5 1][8+6 sRGB 1 0 0 1][14+1 Gray 0.5 1]");
}

TEST(AttributedString, ReplacingCharactersKeepsTheRunsAroundThem)
{
    auto red = colored(Color::sRGB(1, 0, 0));
    auto grey = colored(Color::genericGamma22White(0.5));
    AttributedString string(u"abcdef", { { 0, 2, grey }, { 2, 2, red }, { 4, 2, grey } });

    // Across a run boundary: the replacement takes the first replaced character's run.
    string.replaceCharacters(1, 2, u"XYZW");
    EXPECT_EQ(string.string(), u"aXYZWdef");
    EXPECT_EQ(runsOf(string), "[0+5 Gray 0.5 1][5+1 sRGB 1 0 0 1][6+2 Gray 0.5 1]");

    // Deleting a whole run merges its neighbours.
    string.deleteCharacters(5, 1);
    EXPECT_EQ(string.string(), u"aXYZWef");
    EXPECT_EQ(runsOf(string), "[0+7 Gray 0.5 1]");

    // Insertions take the character before; at the start, the first character.
    string.setAttributes(red, 0, 1);
    string.replaceCharacters(1, 0, u"++");
    string.replaceCharacters(0, 0, u"<");
    string.replaceCharacters(100, 5, u">");
    EXPECT_EQ(string.string(), u"<a++XYZWef>");
    EXPECT_EQ(runsOf(string), "[0+4 sRGB 1 0 0 1][4+7 Gray 0.5 1]");

    // Deleting everything leaves no runs; inserting into nothing has no attributes.
    string.deleteCharacters(0, string.length());
    EXPECT_EQ(string.length(), 0u);
    EXPECT_TRUE(string.runs().empty());
    string.replaceCharacters(0, 0, u"new");
    EXPECT_EQ(runsOf(string), "[0+3 none]");
}

TEST(AttributedString, ReplacingWithinOneRunAndRunsTakenAsGiven)
{
    auto red = colored(Color::sRGB(1, 0, 0));
    auto grey = colored(Color::genericGamma22White(0.5));
    AttributedString string(u"abcdefgh", { { 0, 2, grey }, { 2, 4, red }, { 6, 2, grey } });

    // Inside one run the run grows or shrinks and the later runs move.
    string.replaceCharacters(3, 2, u"XYZ");
    EXPECT_EQ(string.string(), u"abcXYZfgh");
    EXPECT_EQ(runsOf(string), "[0+2 Gray 0.5 1][2+5 sRGB 1 0 0 1][7+2 Gray 0.5 1]");
    string.replaceCharacters(2, 5, u"r");
    EXPECT_EQ(runsOf(string), "[0+2 Gray 0.5 1][2+1 sRGB 1 0 0 1][3+2 Gray 0.5 1]");
    string.replaceCharacters(4, 1, u"end");
    EXPECT_EQ(string.string(), u"abrgend");
    EXPECT_EQ(runsOf(string), "[0+2 Gray 0.5 1][2+1 sRGB 1 0 0 1][3+4 Gray 0.5 1]");

    // Runs given with gaps, empty runs or alike neighbours are put right;
    // others are kept as they are.
    AttributedString uneven(u"abcd", { { 0, 1, red }, { 1, 0, grey }, { 1, 1, red }, { 2, 2, grey } });
    EXPECT_EQ(runsOf(uneven), "[0+2 sRGB 1 0 0 1][2+2 Gray 0.5 1]");
    AttributedString even(u"abcd", { { 0, 1, red }, { 1, 3, grey } });
    EXPECT_EQ(runsOf(even), "[0+1 sRGB 1 0 0 1][1+3 Gray 0.5 1]");

    even.transformRunAttributes([&](size_t index, const TextAttributes&) { return index ? red : grey; });
    EXPECT_EQ(runsOf(even), "[0+1 Gray 0.5 1][1+3 sRGB 1 0 0 1]");
}

TEST(AttributedString, SubstringsCarryTheirPartOfEachRun)
{
    auto red = colored(Color::sRGB(1, 0, 0));
    auto grey = colored(Color::genericGamma22White(0.5));
    AttributedString string(u"abcdefgh", { { 0, 3, grey }, { 3, 2, red }, { 5, 3, grey } });
    auto middle = string.attributedSubstring(2, 4);
    EXPECT_EQ(middle.string(), u"cdef");
    EXPECT_EQ(runsOf(middle), "[0+1 Gray 0.5 1][1+2 sRGB 1 0 0 1][3+1 Gray 0.5 1]");
    EXPECT_EQ(runsOf(string.attributedSubstring(6, 50)), "[0+2 Gray 0.5 1]");
    EXPECT_EQ(string.attributedSubstring(9, 2).length(), 0u);
}
