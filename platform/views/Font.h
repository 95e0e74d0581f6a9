// Fonts without a window server: a font descriptor (family and point size)
// and a font with deterministic metrics, so that layout and tab widths are
// the same on every machine. Every glyph of a fixed-pitch family advances by
// 0.6 em; other families use a small per-character width table.
#pragma once

#include <memory>
#include <string>

namespace brevanton {

class FontDescriptor {
public:
    FontDescriptor() = default;
    FontDescriptor(std::u16string familyName, double pointSize) : m_familyName(std::move(familyName)), m_pointSize(pointSize) {}

    const std::u16string& familyName() const { return m_familyName; }
    double pointSize() const { return m_pointSize; }
    FontDescriptor withPointSize(double pointSize) const { return FontDescriptor(m_familyName, pointSize); }

    friend bool operator==(const FontDescriptor&, const FontDescriptor&) = default;

private:
    std::u16string m_familyName;
    double m_pointSize { 0 };
};

class Font {
public:
    // A font from a descriptor; a size of 0 or less means `pointSize`.
    static std::shared_ptr<const Font> fontWithDescriptor(const FontDescriptor&, double pointSize);
    static std::shared_ptr<const Font> fontWithName(std::u16string familyName, double pointSize);

    const FontDescriptor& fontDescriptor() const { return m_descriptor; }
    const std::u16string& familyName() const { return m_descriptor.familyName(); }
    double pointSize() const { return m_descriptor.pointSize(); }
    bool isFixedPitch() const;

    double advanceForCharacter(char32_t) const;
    // The sum of the advances of the string's characters.
    double widthOfString(std::u16string_view) const;
    double ascender() const { return pointSize() * 0.8; }
    double descender() const { return -pointSize() * 0.2; }
    double lineHeight() const { return pointSize() * 1.2; }

    explicit Font(FontDescriptor descriptor) : m_descriptor(std::move(descriptor)) {}

private:
    FontDescriptor m_descriptor;
};

// A paragraph's tab settings: explicit tab stops (none here) and the
// interval of the default tab stops.
class ParagraphStyle {
public:
    ParagraphStyle() = default;
    explicit ParagraphStyle(double defaultTabInterval) : m_defaultTabInterval(defaultTabInterval) {}
    double defaultTabInterval() const { return m_defaultTabInterval; }
    bool hasTabStops() const { return false; }

private:
    double m_defaultTabInterval { 28 };
};

} // namespace brevanton
