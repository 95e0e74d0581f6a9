#include "app/VornickImagePixelSize.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace brevanton;

namespace {

using Bytes = std::string;

Bytes be16(uint32_t v) { return { char(v >> 8), char(v & 0xFF) }; }
Bytes be32(uint32_t v) { return { char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF) }; }
Bytes le16(uint32_t v) { return { char(v & 0xFF), char(v >> 8) }; }
Bytes le24(uint32_t v) { return { char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF) }; }

Bytes png(uint32_t wide, uint32_t high)
{
    return Bytes("\x89PNG\r\n\x1A\n", 8) + be32(13) + "IHDR" + be32(wide) + be32(high) + Bytes("\x08\x06\0\0\0", 5)
        + be32(0);
}

Bytes gif(uint32_t wide, uint32_t high) { return "GIF89a" + le16(wide) + le16(high) + Bytes("\0\0\0", 3); }

// SOI, an APP1 segment (as cameras write before the frame), a DQT, then SOF2.
Bytes jpeg(uint32_t wide, uint32_t high)
{
    Bytes exif = "Exif" + Bytes(1000, 'x');
    return Bytes("\xFF\xD8", 2) + "\xFF\xE1" + be16(uint32_t(exif.size() + 2)) + exif + "\xFF\xDB" + be16(4)
        + Bytes("\0\0", 2) + "\xFF\xFF\xC2" + be16(11) + "\x08" + be16(high) + be16(wide) + Bytes("\x01\x01\x11\x00", 4)
        + "\xFF\xD9";
}

Bytes riff(std::string_view chunk, const Bytes& payload)
{
    Bytes body = "WEBP" + Bytes(chunk) + le24(uint32_t(payload.size())) + Bytes(1, '\0') + payload;
    return "RIFF" + le24(uint32_t(body.size())) + Bytes(1, '\0') + body;
}

Bytes webpLossy(uint32_t wide, uint32_t high)
{
    return riff("VP8 ", Bytes("\x10\x02\x00\x9D\x01\x2A", 6) + le16(wide) + le16(high) + Bytes(8, '\0'));
}

Bytes webpLossless(uint32_t wide, uint32_t high)
{
    uint32_t bits = (wide - 1) | (high - 1) << 14;
    return riff("VP8L", Bytes("\x2F", 1) + le16(bits & 0xFFFF) + le16(bits >> 16) + Bytes(8, '\0'));
}

Bytes webpExtended(uint32_t wide, uint32_t high)
{
    return riff("VP8X", Bytes(4, '\0') + le24(wide - 1) + le24(high - 1) + Bytes(8, '\0'));
}

std::optional<VornickImagePixelSize> sizeOf(const Bytes& bytes)
{
    std::istringstream stream(bytes);
    return vornick_imagePixelSizeFromStream(stream);
}

TEST(VornickImagePixelSize, ReadsTheSizeFromEachFormatsHeader)
{
    using Size = VornickImagePixelSize;
    EXPECT_EQ(sizeOf(png(640, 480)), (Size { 640, 480 }));
    EXPECT_EQ(sizeOf(gif(17, 300)), (Size { 17, 300 }));
    EXPECT_EQ(sizeOf(jpeg(1024, 768)), (Size { 1024, 768 })) << "segments before the frame are skipped";
    EXPECT_EQ(sizeOf(webpLossy(320, 200)), (Size { 320, 200 }));
    EXPECT_EQ(sizeOf(webpLossless(5000, 1)), (Size { 5000, 1 }));
    EXPECT_EQ(sizeOf(webpExtended(70000, 3)), (Size { 70000, 3 }));
}

TEST(VornickImagePixelSize, AnswersNothingForUnknownTruncatedOrEmptyImages)
{
    EXPECT_FALSE(sizeOf(""));
    EXPECT_FALSE(sizeOf("<svg width='10' height='10'/>"));
    EXPECT_FALSE(sizeOf(png(640, 480).substr(0, 20))) << "truncated header";
    EXPECT_FALSE(sizeOf(png(0, 480))) << "zero width";
    EXPECT_FALSE(sizeOf(gif(10, 0)));
    auto cut = jpeg(10, 10);
    EXPECT_FALSE(sizeOf(cut.substr(0, 500))) << "ends inside a segment";
    EXPECT_FALSE(sizeOf(Bytes("\xFF\xD8\xFF\xDA", 4) + be16(2))) << "scan data before any frame";
    EXPECT_FALSE(sizeOf(riff("VP8 ", Bytes(20, '\0')))) << "lossy frame without its start code";
    EXPECT_FALSE(sizeOf(riff("ALPH", Bytes(20, '\0'))));
}

} // namespace
