#include "html/VornickWordPressBlockComment.h"
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
