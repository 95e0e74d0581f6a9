// VornickColorDescription: a colour as WordPress blocks name it: its hex
// value ("#" and six hexadecimal digits), and for a palette colour its CSS
// name (the palette slug) and display name. Immutable; held through
// shared pointers, so that a view can tell one description from another
// equal one.
//
// Two descriptions are equal when their hex strings are equal ignoring case;
// the names take no part.
#pragma once

#include "platform/foundation/Color.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class VornickColorDescription {
public:
    VornickColorDescription(std::u16string hexRGBString, std::optional<std::u16string> cssName = std::nullopt,
                            std::optional<std::u16string> displayName = std::nullopt);
    // The colour in sRGB (a grey has its value in every component), each
    // component scaled to 0-255, clamped and rounded to the nearest whole
    // value, as "#rrggbb" in lower case; no names.
    explicit VornickColorDescription(const Color&);

    static std::shared_ptr<const VornickColorDescription> create(std::u16string hexRGBString,
                                                                 std::optional<std::u16string> cssName = std::nullopt,
                                                                 std::optional<std::u16string> displayName = std::nullopt);
    static std::shared_ptr<const VornickColorDescription> createWithColor(const Color&);

    const std::u16string& hexRGBString() const { return m_hexRGBString; }
    const std::optional<std::u16string>& cssName() const { return m_cssName; }
    const std::optional<std::u16string>& displayName() const { return m_displayName; }
    // The opaque sRGB colour of a hex string of exactly "#" and three
    // hexadecimal pairs; nothing for any other string.
    const std::optional<Color>& color() const { return m_color; }

    // "{#cf2e2e vivid-red "Vivid red"}", the names only when present.
    std::u16string description() const;

    friend bool operator==(const VornickColorDescription&, const VornickColorDescription&);

private:
    std::u16string m_hexRGBString;
    std::optional<std::u16string> m_cssName;
    std::optional<std::u16string> m_displayName;
    std::optional<Color> m_color;
};

// Equality of two held descriptions: the same object, or equal hex strings;
// no description equals nothing, not even nothing.
bool vornick_colorDescriptionsEqual(const std::shared_ptr<const VornickColorDescription>&,
                                    const std::shared_ptr<const VornickColorDescription>&);

} // namespace brevanton
