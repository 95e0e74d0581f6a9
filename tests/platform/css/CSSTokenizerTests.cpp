#include "platform/css/CSSTokenizer.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::vector<CSSToken> significantTokens(std::u16string_view text)
{
    std::vector<CSSToken> result;
    for (auto& token : tokenizeCSS(text)) {
        if (token.type != CSSToken::Whitespace)
            result.push_back(token);
    }
    return result;
}

} // namespace

TEST(CSSTokenizer, NumbersDimensionsAndPercentages)
{
    auto tokens = significantTokens(u"12 -3.5em .5% +4px 1e2 10E-1x -x");
    ASSERT_EQ(tokens.size(), 7u);
    EXPECT_EQ(tokens[0].type, CSSToken::Number);
    EXPECT_TRUE(tokens[0].isInteger);
    EXPECT_EQ(tokens[1].type, CSSToken::Dimension);
    EXPECT_DOUBLE_EQ(tokens[1].number, -3.5);
    EXPECT_EQ(tokens[1].unit, u"em");
    EXPECT_EQ(tokens[2].type, CSSToken::Percentage);
    EXPECT_DOUBLE_EQ(tokens[2].number, 0.5);
    EXPECT_DOUBLE_EQ(tokens[3].number, 4);
    EXPECT_EQ(tokens[4].type, CSSToken::Number);
    EXPECT_DOUBLE_EQ(tokens[4].number, 100);
    EXPECT_FALSE(tokens[4].isInteger);
    EXPECT_EQ(tokens[5].type, CSSToken::Dimension);
    EXPECT_DOUBLE_EQ(tokens[5].number, 1);
    EXPECT_EQ(tokens[5].unit, u"x");
    EXPECT_EQ(tokens[6].type, CSSToken::Ident);
    EXPECT_EQ(tokens[6].value, u"-x");
}

TEST(CSSTokenizer, StringsURLsEscapesAndComments)
{
    auto tokens = significantTokens(u"/* a { } */ 'it\\'s' url( a b.png ) url(\"q.png\") \\31 0 \\e9t\\E9 #\\31x \"open\nx");
    ASSERT_GE(tokens.size(), 8u);
    EXPECT_EQ(tokens[0].type, CSSToken::String);
    EXPECT_EQ(tokens[0].value, u"it's");
    // Whitespace inside an unquoted url makes it bad, not an error.
    EXPECT_EQ(tokens[1].type, CSSToken::BadURL);
    // A quoted url is a function with a string argument.
    EXPECT_EQ(tokens[2].type, CSSToken::Function);
    EXPECT_EQ(tokens[2].value, u"url");
    EXPECT_EQ(tokens[3].type, CSSToken::String);
    EXPECT_EQ(tokens[3].value, u"q.png");
    EXPECT_EQ(tokens[4].type, CSSToken::RightParen);
    // "\31 " is "1"; the space ends the escape, not the identifier.
    EXPECT_EQ(tokens[5].type, CSSToken::Ident);
    EXPECT_EQ(tokens[5].value, u"10");
    EXPECT_EQ(tokens[6].value, u"\u00E9t\u00E9");
    EXPECT_EQ(tokens[7].type, CSSToken::Hash);
    EXPECT_EQ(tokens[7].value, u"1x");
    EXPECT_TRUE(tokens[7].hashIsIdentifier);
    EXPECT_EQ(tokens[8].type, CSSToken::BadString);
}

TEST(CSSTokenizer, UnterminatedInputEndsCleanly)
{
    for (std::u16string_view text : { u"/* open", u"'open", u"url(open", u"\\", u"#", u"@", u"-", u"a{b:c" })
        EXPECT_NO_THROW(tokenizeCSS(text)) << toUTF8(text);
    auto tokens = tokenizeCSS(u"url(open");
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].type, CSSToken::URL);
    EXPECT_EQ(tokens[0].value, u"open");
}
