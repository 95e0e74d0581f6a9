// One image candidate of a srcset attribute: a URL and an optional size
// descriptor, either a width ("640w") or a pixel density ("2x", "1.5x").
#pragma once

#include <cstdint>
#include <string>

namespace brevanton {

enum class VornickImageCandidateSizeDescriptorKind : int32_t {
    None = 0,
    Density = 1,
    Width = 2,
};

class VornickImageCandidateDescriptor {
public:
    VornickImageCandidateDescriptor(std::u16string relativeURLString, std::u16string sizeDescriptorString);

    const std::u16string& relativeURLString() const { return m_relativeURLString; }
    void setRelativeURLString(std::u16string string) { m_relativeURLString = std::move(string); }
    const std::u16string& sizeDescriptorString() const { return m_sizeDescriptorString; }
    // A different descriptor is parsed.
    void setSizeDescriptorString(std::u16string);
    // A width is a whole number; a density may have a fraction ("1.5x").
    double sizeDescriptorValue() const { return m_sizeDescriptorValue; }
    void setSizeDescriptorValue(double value) { m_sizeDescriptorValue = value; }
    VornickImageCandidateSizeDescriptorKind sizeDescriptorKind() const { return m_sizeDescriptorKind; }
    void setSizeDescriptorKind(VornickImageCandidateSizeDescriptorKind kind) { m_sizeDescriptorKind = kind; }

    // "x", "w" or "?".
    std::u16string sizeDescriptorKindString() const;
    // url 640w ("640w")
    std::u16string description() const;
    // A descriptor that does not qualify leaves value and kind as they were.
    void parseSizeDescriptorString();

private:
    std::u16string m_relativeURLString;
    std::u16string m_sizeDescriptorString;
    double m_sizeDescriptorValue { 0 };
    VornickImageCandidateSizeDescriptorKind m_sizeDescriptorKind { VornickImageCandidateSizeDescriptorKind::None };
};

} // namespace brevanton
