// Color: a colour value in a named colour space: a grey in the generic
// gamma 2.2 grey space, or sRGB components; each component and the alpha
// run from 0 to 1.
#pragma once

#include <array>
#include <string>

namespace brevanton {

class Color {
public:
    enum class Space { GenericGamma22Gray, SRGB };

    Color() = default;
    static Color genericGamma22White(double white, double alpha = 1.0) { return Color(Space::GenericGamma22Gray, { white, white, white }, alpha); }
    static Color sRGB(double red, double green, double blue, double alpha = 1.0) { return Color(Space::SRGB, { red, green, blue }, alpha); }
    // Components given in 0 to 255.
    static Color sRGB255(double red, double green, double blue) { return sRGB(red / 255, green / 255, blue / 255); }

    // The standard named colours.
    static Color white() { return genericGamma22White(1); }
    static Color black() { return genericGamma22White(0); }
    static Color darkGray() { return genericGamma22White(1.0 / 3); }
    static Color purple() { return sRGB(0.5, 0, 0.5); }
    static Color green() { return sRGB(0, 1, 0); }
    static Color orange() { return sRGB(1, 0.5, 0); }
    static Color yellow() { return sRGB(1, 1, 0); }
    static Color magenta() { return sRGB(1, 0, 1); }
    static Color lightGray() { return genericGamma22White(2.0 / 3); }
    static Color gray() { return genericGamma22White(0.5); }
    // Fully transparent.
    static Color clear() { return genericGamma22White(0, 0); }

    // The same colour with another alpha.
    Color withAlphaComponent(double alpha) const { return Color(m_space, m_components, alpha); }

    Space space() const { return m_space; }
    // The grey value of a grey colour; the red component otherwise.
    double whiteComponent() const { return m_components[0]; }
    double redComponent() const { return m_components[0]; }
    double greenComponent() const { return m_components[1]; }
    double blueComponent() const { return m_components[2]; }
    double alphaComponent() const { return m_alpha; }

    // "sRGB 0 0.5 1 1" or "Gray 0.5 1".
    std::string description() const;

    friend bool operator==(const Color&, const Color&) = default;

private:
    Color(Space space, std::array<double, 3> components, double alpha) : m_space(space), m_components(components), m_alpha(alpha) {}

    Space m_space { Space::GenericGamma22Gray };
    std::array<double, 3> m_components { 0, 0, 0 };
    double m_alpha { 1 };
};

} // namespace brevanton
