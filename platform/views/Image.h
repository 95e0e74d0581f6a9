// Image and ImageRep: an image is a set of representations of one picture
// at several pixel sizes. A bitmap representation holds 8-bit RGBA pixels
// (four samples per pixel, not planar, rows top to bottom); a representation
// without pixels stands for one that is drawn (such as a vector image).
#pragma once

#include "platform/views/Geometry.h"
#include "platform/views/GraphicsContext.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class ImageRep {
public:
    // A representation that is drawn, of that pixel size.
    ImageRep(long pixelsWide, long pixelsHigh, bool hasAlpha);
    // A bitmap; the pixels must be pixelsWide × pixelsHigh × 4 bytes (assertion).
    ImageRep(long pixelsWide, long pixelsHigh, bool hasAlpha, std::vector<uint8_t> rgba);

    long pixelsWide() const { return m_pixelsWide; }
    long pixelsHigh() const { return m_pixelsHigh; }
    bool hasAlpha() const { return m_hasAlpha; }
    bool isBitmap() const { return !m_pixels.empty(); }
    int bitsPerSample() const { return 8; }
    int samplesPerPixel() const { return 4; }
    const std::vector<uint8_t>& bitmapData() const { return m_pixels; }
    // The RGBA pixel at a column and row (top row 0).
    uint32_t pixelAt(long x, long y) const;

private:
    long m_pixelsWide;
    long m_pixelsHigh;
    bool m_hasAlpha;
    std::vector<uint8_t> m_pixels;
};

// The names of the platform's standard pictures (Image::imageNamed).
inline constexpr const char16_t* ImageNameUser = u"NSUser";
inline constexpr const char16_t* ImageNameStatusAvailable = u"NSStatusAvailable";
inline constexpr const char16_t* ImageNameStatusUnavailable = u"NSStatusUnavailable";
inline constexpr const char16_t* ImageNameShareTemplate = u"NSShareTemplate";

class Image {
public:
    Image() = default;
    explicit Image(Size size) : m_size(size) {}
    // Decodes an image file into one bitmap representation; null when the
    // file cannot be read or is not an image.
    static std::shared_ptr<Image> imageWithContentsOfFile(const std::string& path);

    // An image of the size whose content is what `drawing` draws into the
    // image's own context (the headless stand-in for its pixels).
    static std::shared_ptr<Image> imageWithSize(Size, const std::function<void(GraphicsContext&)>& drawing);
    // Named images: the platform's standard pictures (drawn in code) and
    // those the program registers. Each is made on first use and kept, so a
    // name always answers the same image; null for a name nobody registered.
    // Main thread only.
    static std::shared_ptr<Image> imageNamed(std::u16string_view name);
    // Registers the maker of a named image (replacing one of that name).
    using NamedImageMaker = std::function<std::shared_ptr<Image>()>;
    static void registerImageNamed(std::u16string name, NamedImageMaker);
    // The name an image was found under, or empty.
    const std::u16string& name() const { return m_name; }
    // A template image is a shape whose colour the control drawing it chooses.
    bool isTemplate() const { return m_template; }
    void setTemplate(bool isTemplate) { m_template = isTemplate; }

    // The commands a drawn or cached image holds; empty for a decoded one.
    const std::vector<DrawCommand>& drawing() const { return m_drawing; }

    // The point size: set, else the first representation's pixel size.
    Size size() const;
    void setSize(Size size) { m_size = size; }

    const std::vector<std::shared_ptr<ImageRep>>& representations() const { return m_representations; }
    void addRepresentation(std::shared_ptr<ImageRep>);
    // The representation to draw into a pixel area: the smallest that covers
    // it, else the largest; null without representations.
    std::shared_ptr<ImageRep> bestRepresentationForPixelSize(long pixelsWide, long pixelsHigh) const;

private:
    Size m_size;
    std::vector<std::shared_ptr<ImageRep>> m_representations;
    std::vector<DrawCommand> m_drawing;
    std::u16string m_name;
    bool m_template { false };
};

// Scales RGBA pixels to a new size (a box filter when shrinking); the
// source must hold width × height × 4 bytes.
std::vector<uint8_t> resizeRGBAPixels(const std::vector<uint8_t>& source, long width, long height, long newWidth, long newHeight);

} // namespace brevanton
