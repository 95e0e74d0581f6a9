#include "html/VornickWordPressBlockMetadata.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickWordPressBlockComment, RecognisesTheThreeForms)
{
    auto opening = VornickWordPressBlockCommentFromCommentData(u" wp:paragraph {\"align\":\"center\"} ");
    EXPECT_EQ(opening.kind, VornickWordPressBlockCommentKind::Opening);
    EXPECT_EQ(opening.typeName, u"wp:paragraph");

    auto closing = VornickWordPressBlockCommentFromCommentData(u"\n/wp:core/group ");
    EXPECT_EQ(closing.kind, VornickWordPressBlockCommentKind::Closing);
    EXPECT_EQ(closing.typeName, u"wp:core/group");

    auto selfClosing = VornickWordPressBlockCommentFromCommentData(u" wp:spacer {\"height\":\"20px\"} /");
    EXPECT_EQ(selfClosing.kind, VornickWordPressBlockCommentKind::SelfClosing);
    EXPECT_EQ(selfClosing.typeName, u"wp:spacer");
    auto tight = VornickWordPressBlockCommentFromCommentData(u" wp:separator/");
    EXPECT_EQ(tight.kind, VornickWordPressBlockCommentKind::SelfClosing);
    EXPECT_EQ(tight.typeName, u"wp:separator");

    for (auto data : { u" just a comment ", u"", u" WP:paragraph ", u" /wp", u"wp" })
        EXPECT_EQ(VornickWordPressBlockCommentFromCommentData(data).kind, VornickWordPressBlockCommentKind::None) << toUTF8(data);
}

TEST(VornickWordPressBlockMetadata, ParsesTypeAndProperties)
{
    auto plain = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(u" wp:paragraph ");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->typeName(), u"wp:paragraph");
    EXPECT_FALSE(plain->properties());

    auto spacer = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(u" wp:spacer {\"height\":\"20px\"} /");
    ASSERT_TRUE(spacer);
    ASSERT_TRUE(spacer->properties());
    EXPECT_EQ(spacer->properties()->size(), 1u);
    EXPECT_EQ(spacer->stringForProperty(u"height"), u"20px");

    auto embed = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(
        u"wp:embed {\"url\":\"https://v.example/x\",\"id\":12,\"ratio\":1.5,\"on\":true,\"list\":[1]}");
    ASSERT_TRUE(embed);
    EXPECT_EQ(embed->stringForProperty(u"url"), u"https://v.example/x");
    EXPECT_EQ(embed->stringForProperty(u"id"), u"12");
    EXPECT_EQ(embed->stringForProperty(u"ratio"), u"1.5");
    EXPECT_EQ(embed->stringForProperty(u"on"), u"1");
    EXPECT_FALSE(embed->stringForProperty(u"list"));
    EXPECT_FALSE(embed->stringForProperty(u"missing"));

    EXPECT_FALSE(VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(u"   "));
    EXPECT_FALSE(VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(u" wp:x {\"a\": "));
    EXPECT_FALSE(VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(u" wp:x [1,2] "));
}

TEST(VornickWordPressBlockComment, NamesFollowTheServersGrammar)
{
    auto hyphenated = VornickWordPressBlockCommentFromCommentData(u" wp:media-text {\"a\":1} ");
    EXPECT_EQ(hyphenated.kind, VornickWordPressBlockCommentKind::Opening);
    EXPECT_EQ(hyphenated.typeName, u"wp:media-text");
    EXPECT_EQ(VornickWordPressBlockCommentFromCommentData(u" /wp:my_ns/image-compare ").typeName, u"wp:my_ns/image-compare");
    // Upper case, a digit first or a stray character after the name is no block comment.
    for (auto data : { u" wp:Paragraph ", u" wp:1col ", u" wp:para.graph ", u" wp:a/b/c ", u" wp:/x " })
        EXPECT_EQ(VornickWordPressBlockCommentFromCommentData(data).kind, VornickWordPressBlockCommentKind::None) << toUTF8(data);
}

TEST(VornickWordPressBlockMetadata, WritesKeysInAFixedOrderWithJSONBooleans)
{
    auto heading = VornickWordPressBlockMetadata(u"wp:heading", std::nullopt);
    heading.setNumber(Value(3), u"level");
    EXPECT_EQ(heading.encodedAsCommentText(), u" wp:heading {\"level\":3} ");
    heading.removeProperty(u"level");
    EXPECT_EQ(heading.encodedAsCommentText(), u" wp:heading ");

    auto image = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(
        u" wp:image {\"linkDestination\":\"none\",\"zeta\":[1,{\"b\":\"\",\"a\":2.5}],\"sizeSlug\":\"large\",\"id\":12,\"alt\":\"\","
        u"\"align\":\"wide\",\"ordered\":false} ");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->encodedAsCommentText(),
              u" wp:image {\"align\":\"wide\",\"id\":12,\"sizeSlug\":\"large\",\"linkDestination\":\"none\",\"ordered\":false,"
              u"\"zeta\":[1,{\"a\":2.5,\"b\":\"\"}]} ");
    EXPECT_EQ(image->numberForProperty(u"ordered"), Value(false));
    EXPECT_FALSE(image->numberForProperty(u"sizeSlug"));

    VornickWordPressBlockMetadata list(u"wp:list", std::nullopt);
    list.setString(u"", u"className");
    EXPECT_EQ(list.encodedAsCommentText(), u" wp:list ");
    list.setNumber(Value(true), u"ordered");
    list.setNumber(Value(2.0), u"width");
    EXPECT_EQ(list.encodedAsCommentText(), u" wp:list {\"width\":2.0,\"ordered\":true} ");

    auto spacer = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(u"wp:spacer/");
    ASSERT_TRUE(spacer);
    EXPECT_EQ(spacer->typeName(), u"wp:spacer");
    EXPECT_EQ(spacer->encodedAsSelfClosingCommentText(), u" wp:spacer /");
}

TEST(VornickWordPressBlockMetadata, StringsCannotEndTheCommentOrInjectMarkup)
{
    VornickWordPressBlockMetadata block(u"wp:paragraph", std::nullopt);
    block.setString(u"a-->b<script>&\"c\\\n\x01---", u"className");
    auto text = block.encodedAsCommentText();
    EXPECT_EQ(text, u" wp:paragraph {\"className\":\"a\\u002d\\u002d\\u003eb\\u003cscript\\u003e\\u0026\\u0022c\\\\\\n\\u0001"
                    u"\\u002d\\u002d-\"} ");
    auto reread = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(text);
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->stringForProperty(u"className"), u"a-->b<script>&\"c\\\n\x01---");
}
