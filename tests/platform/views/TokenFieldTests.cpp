#include "platform/views/TokenField.h"

#include <gtest/gtest.h>

using namespace brevanton;

using Tokens = std::vector<std::u16string>;

TEST(TokenFieldTests, TheUsersTextBecomesTrimmedNonEmptyTokens)
{
    auto field = std::make_shared<TokenField>();
    EXPECT_EQ(field->tokensOfString(u" tag , category,,\tx y ,"), (Tokens { u"tag", u"category", u"x y" }));
    EXPECT_EQ(field->tokensOfString(u""), Tokens {});
    EXPECT_EQ(field->tokensOfString(u" , "), Tokens {});

    int actions = 0;
    auto target = std::make_shared<View>();
    target->setActionHandler("edited:", [&](ActionSender*) { ++actions; });
    field->setTarget(target);
    field->setAction("edited:");
    field->editTextAsUser(u"a, b");
    EXPECT_TRUE(field->objectValue().isArray());
    EXPECT_EQ(field->tokens(), (Tokens { u"a", u"b" }));
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(field->attributedStringValue().string(), u"a, b") << "the text stays as typed";
}

TEST(TokenFieldTests, SetTokensShowsThemJoined)
{
    auto field = std::make_shared<TokenField>();
    EXPECT_TRUE(field->objectValue().isArray());
    field->setTokens({ u"tag", u"category" });
    EXPECT_EQ(field->attributedStringValue().string(), u"tag,category");
    EXPECT_EQ(field->tokens(), (Tokens { u"tag", u"category" }));
    field->setTokens({});
    EXPECT_EQ(field->attributedStringValue().string(), u"");
    EXPECT_TRUE(field->objectValue().isArray());
    field->setStringValue(u"not tokens");
    EXPECT_EQ(field->tokens(), Tokens {}) << "a value that is no array holds no tokens";
}
