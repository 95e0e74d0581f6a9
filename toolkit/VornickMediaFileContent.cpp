#include "toolkit/VornickMediaFileContent.h"

#include <array>

namespace brevanton {

namespace {

bool startsWith(std::string_view bytes, std::string_view prefix, size_t at = 0)
{
    return bytes.size() >= at + prefix.size() && bytes.compare(at, prefix.size(), prefix) == 0;
}

// The ISO base media file's brand ("ftyp" at offset 4, the brand after it).
VornickMediaContentKind kindOfISOBrand(std::string_view brand)
{
    constexpr std::array<std::string_view, 6> images { "avif", "avis", "heic", "heix", "mif1", "msf1" };
    constexpr std::array<std::string_view, 3> audio { "M4A ", "M4B ", "F4A " };
    for (auto name : images) {
        if (brand == name)
            return VornickMediaContentKind::Image;
    }
    for (auto name : audio) {
        if (brand == name)
            return VornickMediaContentKind::Audio;
    }
    // Every other brand (isom, mp41, mp42, qt, 3gp4, M4V, dash, ...) is a film.
    return VornickMediaContentKind::Video;
}

} // namespace

VornickMediaContentKind vornick_mediaContentKindOfPrefix(std::string_view bytes)
{
    using Kind = VornickMediaContentKind;
    if (startsWith(bytes, "\x89PNG\r\n\x1a\n") || startsWith(bytes, "\xff\xd8\xff") || startsWith(bytes, "GIF87a")
        || startsWith(bytes, "GIF89a") || startsWith(bytes, std::string_view("II*\0", 4)) || startsWith(bytes, std::string_view("MM\0*", 4))
        || startsWith(bytes, std::string_view("\0\0\1\0", 4))
        || (startsWith(bytes, "BM") && startsWith(bytes, std::string_view("\0\0\0\0", 4), 6)))
        return Kind::Image;
    if (startsWith(bytes, "RIFF") && bytes.size() >= 12) {
        if (startsWith(bytes, "WEBP", 8))
            return Kind::Image;
        if (startsWith(bytes, "WAVE", 8))
            return Kind::Audio;
        if (startsWith(bytes, "AVI ", 8))
            return Kind::Video;
        return Kind::None;
    }
    if (startsWith(bytes, "ftyp", 4) && bytes.size() >= 12)
        return kindOfISOBrand(bytes.substr(8, 4));
    // QuickTime files may begin with another atom.
    for (std::string_view atom : { "moov", "mdat", "wide", "free" }) {
        if (startsWith(bytes, atom, 4))
            return Kind::Video;
    }
    if (startsWith(bytes, "\x1a\x45\xdf\xa3"))
        return Kind::Video;
    if (startsWith(bytes, "ID3") || startsWith(bytes, "OggS") || startsWith(bytes, "fLaC"))
        return Kind::Audio;
    // An MPEG audio frame: eleven sync bits, a layer; AAC's ADTS: twelve sync bits, layer 0.
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xff && (static_cast<unsigned char>(bytes[1]) & 0xe0) == 0xe0
        && (static_cast<unsigned char>(bytes[1]) & 0x06) != 0)
        return Kind::Audio;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xff && (static_cast<unsigned char>(bytes[1]) & 0xf6) == 0xf0)
        return Kind::Audio;
    return Kind::None;
}

} // namespace brevanton
