#include "app/VornickImagePixelSize.h"

#include <array>
#include <fstream>

namespace brevanton {

namespace {

using Bytes = std::array<unsigned char, 30>;

uint32_t bigEndian16(const unsigned char* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t bigEndian32(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t littleEndian16(const unsigned char* p) { return uint32_t(p[1]) << 8 | p[0]; }
uint32_t littleEndian24(const unsigned char* p) { return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

std::optional<VornickImagePixelSize> sized(uint32_t wide, uint32_t high)
{
    if (!wide || !high)
        return std::nullopt;
    return VornickImagePixelSize { wide, high };
}

bool readExactly(std::istream& stream, unsigned char* into, size_t count)
{
    stream.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count));
    return static_cast<size_t>(stream.gcount()) == count;
}

// PNG: the signature, then the IHDR chunk with width and height.
std::optional<VornickImagePixelSize> pngSize(const Bytes& header, size_t available)
{
    if (available < 24 || std::string_view(reinterpret_cast<const char*>(&header[12]), 4) != "IHDR")
        return std::nullopt;
    uint32_t wide = bigEndian32(&header[16]), high = bigEndian32(&header[20]);
    if (wide > 0x7FFFFFFF || high > 0x7FFFFFFF)
        return std::nullopt;
    return sized(wide, high);
}

// GIF: the logical screen size of the header.
std::optional<VornickImagePixelSize> gifSize(const Bytes& header, size_t available)
{
    if (available < 10)
        return std::nullopt;
    return sized(littleEndian16(&header[6]), littleEndian16(&header[8]));
}

// WebP: RIFF container with a VP8 (lossy), VP8L (lossless) or VP8X (extended) first chunk.
std::optional<VornickImagePixelSize> webpSize(const Bytes& header, size_t available)
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
std::optional<VornickImagePixelSize> jpegSize(std::istream& stream)
{
    stream.clear();
    stream.seekg(2);
    for (int segments = 0; segments < 100000 && stream; ++segments) {
        unsigned char marker[2];
        if (!readExactly(stream, marker, 2) || marker[0] != 0xFF)
            return std::nullopt;
        // Fill bytes before a marker.
        while (marker[1] == 0xFF) {
            if (!readExactly(stream, &marker[1], 1))
                return std::nullopt;
        }
        unsigned char code = marker[1];
        if (code == 0xD8 || code == 0x01 || (code >= 0xD0 && code <= 0xD7))
            continue;
        if (code == 0xD9 || code == 0xDA)
            return std::nullopt;
        unsigned char lengthBytes[2];
        if (!readExactly(stream, lengthBytes, 2))
            return std::nullopt;
        uint32_t length = bigEndian16(lengthBytes);
        if (length < 2)
            return std::nullopt;
        bool startOfFrame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (startOfFrame) {
            unsigned char frame[5];
            if (length < 7 || !readExactly(stream, frame, 5))
                return std::nullopt;
            return sized(bigEndian16(&frame[3]), bigEndian16(&frame[1]));
        }
        stream.seekg(length - 2, std::ios::cur);
    }
    return std::nullopt;
}

} // namespace

std::optional<VornickImagePixelSize> vornick_imagePixelSizeFromStream(std::istream& stream)
{
    Bytes header {};
    stream.read(reinterpret_cast<char*>(header.data()), header.size());
    auto available = static_cast<size_t>(stream.gcount());
    static constexpr unsigned char pngSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    if (available >= 8 && std::equal(std::begin(pngSignature), std::end(pngSignature), header.begin()))
        return pngSize(header, available);
    if (available >= 6 && (std::string_view(reinterpret_cast<const char*>(header.data()), 6) == "GIF87a"
                           || std::string_view(reinterpret_cast<const char*>(header.data()), 6) == "GIF89a"))
        return gifSize(header, available);
    if (available >= 12 && std::string_view(reinterpret_cast<const char*>(header.data()), 4) == "RIFF"
        && std::string_view(reinterpret_cast<const char*>(&header[8]), 4) == "WEBP")
        return webpSize(header, available);
    if (available >= 3 && header[0] == 0xFF && header[1] == 0xD8 && header[2] == 0xFF)
        return jpegSize(stream);
    return std::nullopt;
}

std::optional<VornickImagePixelSize> vornick_imagePixelSizeOfFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
        return std::nullopt;
    return vornick_imagePixelSizeFromStream(stream);
}

} // namespace brevanton
