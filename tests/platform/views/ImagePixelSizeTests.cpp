#include "platform/views/ImagePixelSize.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/views/Image.h"

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace brevanton;

namespace {

using Bytes = std::string;

Bytes be16(uint32_t v) { return { char(v >> 8), char(v & 0xFF) }; }
Bytes be32(uint32_t v) { return { char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF) }; }
Bytes le16(uint32_t v) { return { char(v & 0xFF), char(v >> 8) }; }
Bytes le24(uint32_t v) { return { char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF) }; }
Bytes le32(uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }

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

// A BMP of 24-bit pixels, whose header the decoder reads.
Bytes bmp(uint32_t wide, uint32_t high)
{
    uint32_t rowBytes = (wide * 3 + 3) / 4 * 4;
    Bytes pixels(rowBytes * high, '\0');
    return "BM" + le32(uint32_t(54 + pixels.size())) + le32(0) + le32(54) + le32(40) + le32(wide) + le32(high) + le16(1)
        + le16(24) + le32(0) + le32(uint32_t(pixels.size())) + le32(2835) + le32(2835) + le32(0) + le32(0) + pixels;
}

std::optional<ImagePixelSize> sizeOf(const Bytes& bytes)
{
    return imagePixelSizeOfData(Data(bytes.begin(), bytes.end()));
}

TEST(ImagePixelSize, ReadsTheSizeFromEachFormatsHeader)
{
    using Size = ImagePixelSize;
    EXPECT_EQ(sizeOf(png(640, 480)), (Size { 640, 480 }));
    EXPECT_EQ(sizeOf(gif(17, 300)), (Size { 17, 300 }));
    EXPECT_EQ(sizeOf(jpeg(1024, 768)), (Size { 1024, 768 })) << "segments before the frame are skipped";
    EXPECT_EQ(sizeOf(webpLossy(320, 200)), (Size { 320, 200 }));
    EXPECT_EQ(sizeOf(webpLossless(5000, 1)), (Size { 5000, 1 }));
    EXPECT_EQ(sizeOf(webpExtended(70000, 3)), (Size { 70000, 3 }));
    EXPECT_EQ(sizeOf(bmp(3, 5)), (Size { 3, 5 })) << "a format the decoder reads";
}

TEST(ImagePixelSize, AnswersNothingForUnknownTruncatedOrEmptyImages)
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
    EXPECT_FALSE(sizeOf(bmp(3, 5).substr(0, 16))) << "truncated header the decoder reads";
    EXPECT_FALSE(sizeOf(bmp(0, 5)));
}

TEST(ImagePixelSize, ReadsFilesAsTheirBytes)
{
    std::string folder = createTemporaryDirectory("image-pixel-size").value();
    using Size = ImagePixelSize;
    struct Case {
        const char* name;
        Bytes bytes;
        std::optional<Size> size;
    } cases[] = {
        { "photo.jpg", jpeg(1024, 768), Size { 1024, 768 } },
        { "icon.bmp", bmp(3, 5), Size { 3, 5 } },
        { "lossless.webp", webpLossless(5000, 1), Size { 5000, 1 } },
        { "cut.jpg", jpeg(10, 10).substr(0, 500), std::nullopt },
        { "notes.png", "not an image", std::nullopt },
    };
    for (const auto& each : cases) {
        ASSERT_TRUE(writeFileAtomically(folder + "/" + each.name, each.bytes));
        EXPECT_EQ(imagePixelSizeOfFile(folder + "/" + each.name), each.size) << each.name;
    }
    EXPECT_FALSE(imagePixelSizeOfFile(folder + "/missing.png"));
    EXPECT_TRUE(removeItem(folder));
}

// Whether `read` of the FIFO at `path` ends without a writer (within 20
// seconds, which a read that waits for one never does); if not, a writer is
// opened on the FIFO so that the reader ends and the test can.
bool endsAtOnce(const std::string& path, std::function<void()> read)
{
    std::promise<void> done;
    auto ended = done.get_future();
    std::thread reader([&] {
        read();
        done.set_value();
    });
    bool atOnce = ended.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    if (!atOnce) {
        int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    reader.join();
    return atOnce;
}

TEST(ImagePixelSize, APipeOrADeviceNamedAsAnImageIsNotWaitedFor)
{
    std::string folder = createTemporaryDirectory("image-pixel-size").value();
    std::string fifo = folder + "/pipe.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(endsAtOnce(fifo, [&] { EXPECT_FALSE(imagePixelSizeOfFile(fifo)); }));
    EXPECT_TRUE(endsAtOnce(fifo, [&] { EXPECT_FALSE(Image::imageWithContentsOfFile(fifo)); }));
    EXPECT_FALSE(imagePixelSizeOfFile("/dev/zero"));
    EXPECT_FALSE(Image::imageWithContentsOfFile("/dev/zero"));
    EXPECT_TRUE(removeItem(folder));
}

} // namespace
