#include "toolkit/VornickComposedCharacterSequences.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// Each text is a run of user-perceived characters written one after another.
struct Sample {
    const char* name;
    std::vector<std::u16string> characters;
};

const std::vector<Sample>& samples()
{
    static const std::vector<Sample> list {
        { "plain letters", { u"a", u"b" } },
        { "combining marks", { u"e\u0301", u"x", u"a\u0308\u0304" } },
        { "surrogate pair", { u"\U0001D11E", u"z" } },
        { "skin tone modifier", { u"\U0001F44D\U0001F3FD", u"!" } },
        { "zero-width joiner family", { u"a", u"\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466", u"b" } },
        { "flags", { u"\U0001F1EB\U0001F1F7", u"\U0001F1E9\U0001F1EA" } },
        { "keycap", { u"1\uFE0F\u20E3", u"2" } },
        { "CR LF", { u"x", u"\r\n", u"y", u"\n", u"\r" } },
        { "Hangul jamo", { u"\u1100\u1161\u11A8", u"\uAC00" } },
        { "Devanagari", { u"\u0915\u093F", u" " } },
    };
    return list;
}

TEST(VornickComposedCharacterSequencesTest, EveryCodeUnitBelongsToItsWholeCharacter)
{
    for (auto& sample : samples()) {
        std::u16string text;
        for (auto& character : sample.characters)
            text += character;
        size_t start = 0;
        for (auto& character : sample.characters) {
            VornickRange whole { start, character.size() };
            for (size_t i = start; i < whole.end(); ++i)
                EXPECT_EQ(vornick_rangeOfComposedCharacterSequenceAtIndex(text, i), whole) << sample.name << " at " << i;
            // Backspace from the end of the character takes all of it, an arrow
            // from its start steps over all of it.
            EXPECT_EQ(vornick_rangeOfComposedCharacterSequenceBeforeIndex(text, whole.end()), whole) << sample.name;
            EXPECT_EQ(vornick_rangeOfComposedCharacterSequenceAfterIndex(text, start), whole) << sample.name;
            start = whole.end();
        }
    }
}

TEST(VornickComposedCharacterSequencesTest, EndsAndIndicesInsideACharacter)
{
    std::u16string text = u"e\u0301\U0001F44D\U0001F3FD";
    EXPECT_TRUE(vornick_rangeOfComposedCharacterSequenceBeforeIndex(text, 0).isNotFound());
    EXPECT_TRUE(vornick_rangeOfComposedCharacterSequenceAfterIndex(text, text.size()).isNotFound());
    EXPECT_TRUE(vornick_rangeOfComposedCharacterSequenceBeforeIndex(u"", 0).isNotFound());
    EXPECT_TRUE(vornick_rangeOfComposedCharacterSequenceAfterIndex(u"", 0).isNotFound());

    // From inside a character (a DOM offset may fall there), the ranges reach
    // its own boundary and no further.
    EXPECT_EQ(vornick_rangeOfComposedCharacterSequenceBeforeIndex(text, 1), VornickMakeRange(0, 1));
    EXPECT_EQ(vornick_rangeOfComposedCharacterSequenceAfterIndex(text, 1), VornickMakeRange(1, 1));
    EXPECT_EQ(vornick_rangeOfComposedCharacterSequenceAfterIndex(text, 3), VornickMakeRange(3, 3));

    EXPECT_THROW(vornick_rangeOfComposedCharacterSequenceAtIndex(text, text.size()), InternalInconsistencyException);
    EXPECT_THROW(vornick_rangeOfComposedCharacterSequenceBeforeIndex(text, text.size() + 1), InternalInconsistencyException);
}

} // namespace
