#include "publishing/VornickAttachmentPointSelectorGrammar.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickAttachmentPointSelectorGrammarTests, ValuesAreLettersNumbersAndPunctuationLessTheLanguagesOwn)
{
    for (const char16_t* value : { u"entry-title", u"wp-block-post_title", u"tag", u"caf\u00e9", u"\u65e5\u672c", u"a.b", u"x(1)", u"\U0001D400" })
        EXPECT_TRUE(vornick_isValidSelectorValue(value)) << std::u16string(value).size();
    for (const char16_t* value : { u"", u"a b", u"a,b", u"!a", u"a:b", u"{a}", u"[a]", u"a\"", u"a'", u"a\tb", u"a+b", u"a<b", u"\U0001F600" })
        EXPECT_FALSE(vornick_isValidSelectorValue(value)) << std::u16string(value).size();
}

TEST(VornickAttachmentPointSelectorGrammarTests, AttributeNamesAreHTMLNamesWithoutBlanksOrTheLanguagesOwn)
{
    for (const char16_t* name : { u"class", u"rel", u"data-x", u"aria-label", u"x+y", u"caf\u00e9" })
        EXPECT_TRUE(vornick_isValidSelectorAttributeName(name));
    for (const char16_t* name : { u"", u"data x", u"a=b", u"a/b", u"a>b", u"a:b", u"a,b", u"!a", u"a{", u"a]", u"a\"", u"a'", u"a\u00a0b", u"a\u200bb" })
        EXPECT_FALSE(vornick_isValidSelectorAttributeName(name)) << std::u16string(name).size();
}
