#include "platform/views/ImagePixelSize.h"

#include "platform/foundation/FileReading.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <unistd.h>

namespace brevanton {

namespace {

// Where the header is read from: the bytes of a file or of memory.
class HeaderSource {
public:
    virtual ~HeaderSource() = default;
    // Answers how many bytes it read: fewer than asked at the end.
    virtual size_t read(unsigned char* into, size_t count) = 0;
    virtual void skip(size_t count) = 0;
    virtual void seek(size_t position) = 0;
    virtual bool atEnd() = 0;

    bool readExactly(unsigned char* into, size_t count) { return read(into, count) == count; }
};

class MemorySource final : public HeaderSource {
public:
    explicit MemorySource(const Data& data) : m_data(data) {}
    size_t read(unsigned char* into, size_t count) override
    {
        size_t available = std::min(count, m_data.size() - m_position);
        std::copy_n(m_data.data() + m_position, available, into);
        m_position += available;
        return available;
    }
    void skip(size_t count) override { m_position += std::min(count, m_data.size() - m_position); }
    void seek(size_t position) override { m_position = std::min(position, m_data.size()); }
    bool atEnd() override { return m_position == m_data.size(); }

private:
    const Data& m_data;
    size_t m_position { 0 };
};

// An image file opened by the policy every file read meets, read at need.
class FileSource final : public HeaderSource {
public:
    explicit FileSource(ReadableFile& file) : m_file(file) {}
    size_t read(unsigned char* into, size_t count) override
    {
        size_t done = 0;
        while (done < count) {
            ssize_t got = m_file.read(into + done, count - done);
            if (got <= 0)
                break;
            done += static_cast<size_t>(got);
        }
        return done;
    }
    void skip(size_t count) override { ::lseek(m_file.descriptor(), static_cast<off_t>(count), SEEK_CUR); }
    void seek(size_t position) override { ::lseek(m_file.descriptor(), static_cast<off_t>(position), SEEK_SET); }
    bool atEnd() override { return ::lseek(m_file.descriptor(), 0, SEEK_CUR) >= m_file.status().st_size; }

private:
    ReadableFile& m_file;
};

using Bytes = std::array<unsigned char, 30>;

uint32_t bigEndian16(const unsigned char* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t bigEndian32(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t littleEndian16(const unsigned char* p) { return uint32_t(p[1]) << 8 | p[0]; }
uint32_t littleEndian24(const unsigned char* p) { return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

std::optional<ImagePixelSize> sized(uint32_t wide, uint32_t high)
{
    if (!wide || !high)
        return std::nullopt;
    return ImagePixelSize { static_cast<long>(wide), static_cast<long>(high) };
}

// PNG: the signature, then the IHDR chunk with width and height.
std::optional<ImagePixelSize> pngSize(const Bytes& header, size_t available)
{
    if (available < 24 || std::string_view(reinterpret_cast<const char*>(&header[12]), 4) != "IHDR")
        return std::nullopt;
    uint32_t wide = bigEndian32(&header[16]), high = bigEndian32(&header[20]);
    if (wide > 0x7FFFFFFF || high > 0x7FFFFFFF)
        return std::nullopt;
    return sized(wide, high);
}

// GIF: the logical screen size of the header.
std::optional<ImagePixelSize> gifSize(const Bytes& header, size_t available)
{
    if (available < 10)
        return std::nullopt;
    return sized(littleEndian16(&header[6]), littleEndian16(&header[8]));
}

// WebP: RIFF container with a VP8 (lossy), VP8L (lossless) or VP8X (extended) first chunk.
std::optional<ImagePixelSize> webpSize(const Bytes& header, size_t available)
{
    if (available < 30)
        return std::nullopt;
    std::string_view chunk(reinterpret_cast<const char*>(&header[12]), 4);
    const unsigned char* data = &header[20];
    if (chunk == "VP8 ") {
        // Frame tag (3 bytes), start code 9D 01 2A, then 14-bit width and height.
        if (data[3] != 0x9D || data[4] != 0x01 || data[5] != 0x2A)
            return std::nullopt;
        return sized(littleEndian16(&data[6]) & 0x3FFF, littleEndian16(&data[8]) & 0x3FFF);
    }
    if (chunk == "VP8L") {
        if (data[0] != 0x2F)
            return std::nullopt;
        uint32_t bits = uint32_t(data[1]) | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16 | uint32_t(data[4]) << 24;
        return sized((bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1);
    }
    if (chunk == "VP8X")
        return sized(littleEndian24(&data[4]) + 1, littleEndian24(&data[7]) + 1);
    return std::nullopt;
}

// JPEG: walks the marker segments up to the first start-of-frame.
std::optional<ImagePixelSize> jpegSize(HeaderSource& source)
{
    source.seek(2);
    for (int segments = 0; segments < 100000; ++segments) {
        unsigned char marker[2];
        if (!source.readExactly(marker, 2) || marker[0] != 0xFF)
            return std::nullopt;
        // Fill bytes before a marker.
        while (marker[1] == 0xFF) {
            if (!source.readExactly(&marker[1], 1))
                return std::nullopt;
        }
        unsigned char code = marker[1];
        if (code == 0xD8 || code == 0x01 || (code >= 0xD0 && code <= 0xD7))
            continue;
        if (code == 0xD9 || code == 0xDA)
            return std::nullopt;
        unsigned char lengthBytes[2];
        if (!source.readExactly(lengthBytes, 2))
            return std::nullopt;
        uint32_t length = bigEndian16(lengthBytes);
        if (length < 2)
            return std::nullopt;
        bool startOfFrame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (startOfFrame) {
            unsigned char frame[5];
            if (length < 7 || !source.readExactly(frame, 5))
                return std::nullopt;
            return sized(bigEndian16(&frame[3]), bigEndian16(&frame[1]));
        }
        source.skip(length - 2);
    }
    return std::nullopt;
}

// The other formats, through the decoder's own header reading.
std::optional<ImagePixelSize> decoderSize(HeaderSource& source)
{
    static const stbi_io_callbacks callbacks {
        [](void* user, char* into, int size) {
            return static_cast<int>(static_cast<HeaderSource*>(user)->read(reinterpret_cast<unsigned char*>(into), static_cast<size_t>(size)));
        },
        [](void* user, int count) {
            // The decoder asks only to skip forwards.
            if (count > 0)
                static_cast<HeaderSource*>(user)->skip(static_cast<size_t>(count));
        },
        [](void* user) { return static_cast<HeaderSource*>(user)->atEnd() ? 1 : 0; },
    };
    source.seek(0);
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_callbacks(&callbacks, &source, &width, &height, &channels) || width <= 0 || height <= 0)
        return std::nullopt;
    return ImagePixelSize { width, height };
}

std::optional<ImagePixelSize> imagePixelSize(HeaderSource& source)
{
    Bytes header {};
    size_t available = source.read(header.data(), header.size());
    auto starts = [&](std::string_view prefix, size_t at = 0) {
        return available >= at + prefix.size()
            && std::string_view(reinterpret_cast<const char*>(&header[at]), prefix.size()) == prefix;
    };
    if (starts(std::string_view("\x89PNG\r\n\x1A\n", 8)))
        return pngSize(header, available);
    if (starts("GIF87a") || starts("GIF89a"))
        return gifSize(header, available);
    if (starts("RIFF") && starts("WEBP", 8))
        return webpSize(header, available);
    if (starts("\xFF\xD8\xFF"))
        return jpegSize(source);
    return decoderSize(source);
}

} // namespace

std::optional<ImagePixelSize> imagePixelSizeOfData(const Data& data)
{
    MemorySource source(data);
    return imagePixelSize(source);
}

std::optional<ImagePixelSize> imagePixelSizeOfFile(const std::string& path)
{
    auto file = ReadableFile::open(path, FileReadKind::Image, nullptr);
    if (!file)
        return std::nullopt;
    FileSource source(*file);
    return imagePixelSize(source);
}

} // namespace brevanton
