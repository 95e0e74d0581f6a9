#include "platform/views/Font.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(Font, DeterministicMetrics)
{
    auto menlo = Font::fontWithName(u"Menlo", 18);
    EXPECT_TRUE(menlo->isFixedPitch());
    EXPECT_DOUBLE_EQ(menlo->widthOfString(u"X"), 18 * 0.6);
    // An astral character is one glyph.
    EXPECT_DOUBLE_EQ(menlo->widthOfString(u"a\U0001F600"), 2 * 18 * 0.6);
    auto larger = Font::fontWithDescriptor(menlo->fontDescriptor(), 24);
    EXPECT_EQ(larger->familyName(), u"Menlo");
    EXPECT_EQ(larger->pointSize(), 24);
    EXPECT_EQ(Font::fontWithDescriptor(FontDescriptor(u"Helvetica", 0), 0)->pointSize(), 12);
    auto proportional = Font::fontWithName(u"Helvetica", 10);
    EXPECT_FALSE(proportional->isFixedPitch());
    EXPECT_LT(proportional->widthOfString(u"iii"), proportional->widthOfString(u"MMM"));
    EXPECT_EQ(ParagraphStyle(43.2).defaultTabInterval(), 43.2);
}
