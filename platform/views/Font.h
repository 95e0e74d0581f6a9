// Fonts without a window server: a font descriptor (family, point size,
// weight, slant) and a font whose metrics come from the current
// `FontMetricsProvider` (FontMetrics.h). The default provider is
// deterministic, so that layout and tab widths are the same on every machine:
// every glyph of a fixed-pitch family advances by 0.6 em; other families use
// a small per-character width table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace brevanton {

// Whose deterministic metrics a descriptor gets from the default provider:
// the view layer's own fonts (a per-character table) or the text of a page
// laid out by the web view (every character advances half an em, lines are
// 1.25 em). Providers that measure real fonts treat both alike.
enum class FontMetricsRole : uint8_t { Interface, Page };

class FontDescriptor {
public:
    static constexpr int normalWeight = 400;
    static constexpr int boldWeight = 700;

    FontDescriptor() = default;
    FontDescriptor(std::u16string familyName, double pointSize) : m_familyName(std::move(familyName)), m_pointSize(pointSize) {}

    // A family name, or for page text the computed CSS family list as written
    // ("Georgia, serif"); providers pick the first family they know.
    const std::u16string& familyName() const { return m_familyName; }
    double pointSize() const { return m_pointSize; }
    FontDescriptor withPointSize(double pointSize) const
    {
        FontDescriptor copy = *this;
        copy.m_pointSize = pointSize;
        return copy;
    }
    // CSS weights, 100 to 900.
    int weight() const { return m_weight; }
    bool isBold() const { return m_weight >= 600; }
    bool isItalic() const { return m_italic; }
    FontMetricsRole metricsRole() const { return m_role; }
    FontDescriptor withWeight(int weight) const
    {
        FontDescriptor copy = *this;
        copy.m_weight = weight;
        return copy;
    }
    FontDescriptor withItalic(bool italic) const
    {
        FontDescriptor copy = *this;
        copy.m_italic = italic;
        return copy;
    }
    FontDescriptor withMetricsRole(FontMetricsRole role) const
    {
        FontDescriptor copy = *this;
        copy.m_role = role;
        return copy;
    }

    friend bool operator==(const FontDescriptor&, const FontDescriptor&) = default;

private:
    std::u16string m_familyName;
    double m_pointSize { 0 };
    int m_weight { normalWeight };
    bool m_italic { false };
    FontMetricsRole m_role { FontMetricsRole::Interface };
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
    double ascender() const;
    // Negative: below the baseline.
    double descender() const;
    double lineHeight() const;

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
