#include "views/VornickImageExtensions.h"

#include "platform/foundation/FileUtilities.h"

#include <gtest/gtest.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

using namespace brevanton;

namespace {

std::vector<uint8_t> solid(long width, long height, uint32_t rgba)
{
    std::vector<uint8_t> pixels;
    for (long i = 0; i < width * height; ++i) {
        for (int shift : { 24, 16, 8, 0 })
            pixels.push_back(uint8_t(rgba >> shift));
    }
    return pixels;
}

} // namespace

TEST(VornickImageExtensions, PropertiesOfImageFiles)
{
    std::string folder = createTemporaryDirectory("image-properties").value();
    std::string png = folder + "/picture.png";
    auto pixels = solid(3, 2, 0xff000080);
    ASSERT_TRUE(stbi_write_png(png.c_str(), 3, 2, 4, pixels.data(), 12));
    auto properties = vornick_propertiesOfImageWithFileURL(URL::fileURLWithPath(png));
    ASSERT_TRUE(properties);
    EXPECT_EQ(properties->at(u"pixelsWide").integerValue(), 3);
    EXPECT_EQ(properties->at(u"pixelsHigh").integerValue(), 2);
    EXPECT_EQ(properties->size(), 2u);

    ASSERT_TRUE(writeFileAtomically(folder + "/notes.png", "not an image"));
    EXPECT_FALSE(vornick_propertiesOfImageWithFileURL(URL::fileURLWithPath(folder + "/notes.png")));
    EXPECT_FALSE(vornick_propertiesOfImageWithFileURL(URL::fileURLWithPath(folder + "/missing.png")));
    EXPECT_FALSE(vornick_propertiesOfImageWithFileURL(*URL::create(u"http://example.com/picture.png")));

    auto image = Image::imageWithContentsOfFile(png);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->representations()[0]->pixelAt(2, 1), 0xff000080u);
    EXPECT_TRUE(removeItem(folder));
}

TEST(VornickImageExtensions, InferredDimensionsNeedBothToGrow)
{
    Image image;
    std::pair<long, long> inferred { -1, -1 };
    auto remember = [&](long width, long height) { inferred = { width, height }; };
    vornick_inferPixelDimensionsForWebAndInvoke(image, remember);
    EXPECT_EQ(inferred, (std::pair<long, long> { 0, 0 }));
    image.addRepresentation(std::make_shared<ImageRep>(100, 200, false));
    image.addRepresentation(std::make_shared<ImageRep>(200, 100, false));
    vornick_inferPixelDimensionsForWebAndInvoke(image, remember);
    EXPECT_EQ(inferred, (std::pair<long, long> { 100, 200 }));
    image.addRepresentation(std::make_shared<ImageRep>(100, 200, false));
    image.addRepresentation(std::make_shared<ImageRep>(300, 300, false));
    vornick_inferPixelDimensionsForWebAndInvoke(image, remember);
    EXPECT_EQ(inferred, (std::pair<long, long> { 300, 300 }));
}

TEST(VornickImageExtensions, ResamplingDrawsTheBestRepresentation)
{
    Image image;
    image.addRepresentation(std::make_shared<ImageRep>(2, 2, false, solid(2, 2, 0x00ff00ff)));
    image.addRepresentation(std::make_shared<ImageRep>(8, 8, false, solid(8, 8, 0x0000ffff)));
    // The smallest representation that covers the target is drawn.
    auto small = vornick_resampledToPixelsWide(image, 2, 1);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->pixelsWide(), 2);
    EXPECT_EQ(small->pixelsHigh(), 1);
    EXPECT_EQ(small->bitsPerSample(), 8);
    EXPECT_EQ(small->samplesPerPixel(), 4);
    EXPECT_TRUE(small->hasAlpha());
    EXPECT_EQ(small->pixelAt(1, 0), 0x00ff00ffu);
    auto large = vornick_resampledToPixelsWide(image, 5, 6);
    EXPECT_EQ(large->pixelAt(4, 5), 0x0000ffffu);

    EXPECT_EQ(vornick_resampledToPixelsWide(image, 0, 4), nullptr);
    // Nothing to draw leaves the bitmap transparent.
    Image empty;
    auto blank = vornick_resampledToPixelsWide(empty, 3, 3);
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->pixelAt(1, 1), 0u);
}
