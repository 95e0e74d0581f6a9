#include "html/VornickImageCandidateDescriptor.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(ImageCandidateDescriptor, ParsesWidthsAndDensities)
{
    VornickImageCandidateDescriptor width(u"a.png", u"640w");
    EXPECT_EQ(width.sizeDescriptorValue(), 640);
    EXPECT_EQ(width.sizeDescriptorKind(), VornickImageCandidateSizeDescriptorKind::Width);
    EXPECT_EQ(width.description(), u"a.png 640w (\"640w\")");

    VornickImageCandidateDescriptor density(u"b.png", u"1.5x");
    EXPECT_EQ(density.sizeDescriptorValue(), 1.5);
    EXPECT_EQ(density.sizeDescriptorKind(), VornickImageCandidateSizeDescriptorKind::Density);
    EXPECT_EQ(density.sizeDescriptorKindString(), u"x");

    for (std::u16string bad : { u"", u"x", u"1.5w", u".5x", u"2.x", u"1.2.3x", u"abcw", u"12" }) {
        VornickImageCandidateDescriptor d(u"c.png", bad);
        EXPECT_EQ(d.sizeDescriptorKind(), VornickImageCandidateSizeDescriptorKind::None);
        EXPECT_EQ(d.sizeDescriptorValue(), 0);
        EXPECT_EQ(d.sizeDescriptorKindString(), u"?");
    }

    // A descriptor that does not qualify keeps the earlier value and kind.
    density.setSizeDescriptorString(u"big");
    EXPECT_EQ(density.sizeDescriptorValue(), 1.5);
    EXPECT_EQ(density.sizeDescriptorString(), u"big");
    density.setSizeDescriptorString(u"2x");
    EXPECT_EQ(density.sizeDescriptorValue(), 2);
}
