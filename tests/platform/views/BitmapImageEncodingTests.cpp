#include "platform/views/BitmapImageEncoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

using namespace brevanton;

namespace {

// Gradients with a little texture, so that the JPEG quality shows in the
// file's size; the top-left pixel is fully transparent and the next one half.
ImageRep sampleImage(long width, long height, bool alpha)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(width * height * 4));
    for (long y = 0; y < height; ++y) {
        for (long x = 0; x < width; ++x) {
            uint8_t* pixel = &rgba[static_cast<size_t>((y * width + x) * 4)];
            pixel[0] = static_cast<uint8_t>(x * 255 / std::max(1L, width - 1));
            pixel[1] = static_cast<uint8_t>(y * 255 / std::max(1L, height - 1));
            pixel[2] = static_cast<uint8_t>(((x * 7) ^ (y * 13)) & 0xff);
            pixel[3] = 255;
        }
    }
    if (alpha) {
        rgba[3] = 0;
        rgba[7] = 128;
    }
    return ImageRep(width, height, alpha, std::move(rgba));
}

struct DecodedJPEG {
    unsigned width { 0 };
    unsigned height { 0 };
    bool progressive { false };
    std::vector<uint8_t> rgb;
};

DecodedJPEG decodeJPEG(const std::vector<uint8_t>& data)
{
    DecodedJPEG decoded;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    decoded.progressive = info.progressive_mode;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    decoded.width = info.output_width;
    decoded.height = info.output_height;
    decoded.rgb.resize(static_cast<size_t>(decoded.width) * decoded.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = decoded.rgb.data() + static_cast<size_t>(info.output_scanline) * decoded.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return decoded;
}

std::vector<uint8_t> encoded(const ImageRep& rep, BitmapImageFileType type, BitmapImageProperties properties = {})
{
    auto data = representationUsingType(rep, type, properties);
    EXPECT_TRUE(data);
    return data.value_or(std::vector<uint8_t> {});
}

} // namespace

TEST(BitmapImageEncoding, PNGReadsBackPixelForPixelWithItsAlpha)
{
    ImageRep rep = sampleImage(37, 21, true);
    auto data = encoded(rep, BitmapImageFileType::PNG);
    ASSERT_GT(data.size(), 8u);
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, data.data(), data.size()));
    EXPECT_EQ(image.width, 37u);
    EXPECT_EQ(image.height, 21u);
    EXPECT_TRUE(image.format & PNG_FORMAT_FLAG_ALPHA);
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(pixels, rep.bitmapData());

    // Without alpha the file has colour channels only.
    auto opaque = encoded(sampleImage(5, 4, false), BitmapImageFileType::PNG);
    png_image plain {};
    plain.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&plain, opaque.data(), opaque.size()));
    EXPECT_FALSE(plain.format & PNG_FORMAT_FLAG_ALPHA);
    png_image_free(&plain);
}

TEST(BitmapImageEncoding, JPEGQualityIsClampedAndProgressiveIsHonoured)
{
    ImageRep rep = sampleImage(96, 64, true);
    auto best = encoded(rep, BitmapImageFileType::JPEG, { 1.0, false });
    auto worst = encoded(rep, BitmapImageFileType::JPEG, { 0.0, false });
    EXPECT_LT(worst.size() * 2, best.size()) << "a lower quality makes a smaller file";
    EXPECT_EQ(encoded(rep, BitmapImageFileType::JPEG, { 7.5, false }), best) << "above 1 is 1";
    EXPECT_EQ(encoded(rep, BitmapImageFileType::JPEG, { -3.0, false }), worst) << "below 0 is 0";

    DecodedJPEG decoded = decodeJPEG(best);
    EXPECT_EQ(decoded.width, 96u);
    EXPECT_EQ(decoded.height, 64u);
    EXPECT_FALSE(decoded.progressive);
    // The fully transparent corner is white, not black; the smooth channels
    // elsewhere are near the source (the textured one is what JPEG loses).
    EXPECT_GT(decoded.rgb[0], 230);
    EXPECT_GT(decoded.rgb[1], 230);
    EXPECT_GT(decoded.rgb[2], 230);
    size_t far = 40 * 96 + 70;
    for (size_t channel = 0; channel < 2; ++channel)
        EXPECT_NEAR(decoded.rgb[far * 3 + channel], rep.bitmapData()[far * 4 + channel], 24) << "channel " << channel;

    auto progressive = encoded(rep, BitmapImageFileType::JPEG, { 0.9, true });
    EXPECT_TRUE(decodeJPEG(progressive).progressive);
    EXPECT_FALSE(decodeJPEG(encoded(rep, BitmapImageFileType::JPEG, { 0.9, false })).progressive);
}

TEST(BitmapImageEncoding, TIFFReadsBackPixelForPixel)
{
    ImageRep rep = sampleImage(19, 11, true);
    auto data = encoded(rep, BitmapImageFileType::TIFF);
    auto path = std::filesystem::temp_directory_path() / ("brevanton-tiff-" + std::to_string(getpid()) + ".tiff");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    ASSERT_TRUE(tiff);
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t samples = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    EXPECT_EQ(width, 19u);
    EXPECT_EQ(height, 11u);
    EXPECT_EQ(samples, 4);
    std::vector<uint8_t> rows(static_cast<size_t>(width) * 4);
    for (uint32_t row = 0; row < height; ++row) {
        ASSERT_EQ(TIFFReadScanline(tiff, rows.data(), row, 0), 1);
        EXPECT_TRUE(std::equal(rows.begin(), rows.end(), rep.bitmapData().begin() + static_cast<long>(row) * width * 4)) << "row " << row;
    }
    TIFFClose(tiff);
    std::filesystem::remove(path);
}

TEST(BitmapImageEncoding, RepresentationsWithoutPixelsEncodeToNothing)
{
    ImageRep drawn(10, 10, true);
    EXPECT_FALSE(representationUsingType(drawn, BitmapImageFileType::PNG));
    EXPECT_FALSE(representationUsingType(drawn, BitmapImageFileType::JPEG));
    EXPECT_FALSE(representationUsingType(drawn, BitmapImageFileType::TIFF));
}
