#include "html/VornickImageCandidateDescriptor.h"

#include "platform/foundation/Text.h"

#include <cmath>
#include <fmt/format.h>

namespace brevanton {

VornickImageCandidateDescriptor::VornickImageCandidateDescriptor(std::u16string relativeURLString, std::u16string sizeDescriptorString)
    : m_relativeURLString(std::move(relativeURLString)), m_sizeDescriptorString(std::move(sizeDescriptorString))
{
    parseSizeDescriptorString();
}

void VornickImageCandidateDescriptor::setSizeDescriptorString(std::u16string string)
{
    if (string == m_sizeDescriptorString)
        return;
    m_sizeDescriptorString = std::move(string);
    parseSizeDescriptorString();
}

std::u16string VornickImageCandidateDescriptor::sizeDescriptorKindString() const
{
    switch (m_sizeDescriptorKind) {
    case VornickImageCandidateSizeDescriptorKind::Density: return u"x";
    case VornickImageCandidateSizeDescriptorKind::Width: return u"w";
    default: return u"?";
    }
}

std::u16string VornickImageCandidateDescriptor::description() const
{
    return m_relativeURLString + u" " + toUTF16(fmt::format("{}", m_sizeDescriptorValue)) + sizeDescriptorKindString() + u" (\""
        + m_sizeDescriptorString + u"\")";
}

void VornickImageCandidateDescriptor::parseSizeDescriptorString()
{
    const std::u16string& d = m_sizeDescriptorString;
    if (d.size() < 2)
        return;
    char16_t unit = d.back();
    if (unit != u'x' && unit != u'w')
        return;
    std::u16string_view number(d.data(), d.size() - 1);
    // Digits, with at most one decimal point among them for a density.
    double value = 0;
    double scale = 0;
    size_t digits = 0;
    for (char16_t c : number) {
        if (c >= u'0' && c <= u'9') {
            ++digits;
            if (scale) {
                value += (c - u'0') * scale;
                scale /= 10;
            } else
                value = value * 10 + (c - u'0');
        } else if (c == u'.' && !scale && unit == u'x')
            scale = 0.1;
        else
            return;
    }
    if (!digits || number.back() == u'.' || number.front() == u'.')
        return;
    m_sizeDescriptorValue = value;
    m_sizeDescriptorKind = unit == u'x' ? VornickImageCandidateSizeDescriptorKind::Density : VornickImageCandidateSizeDescriptorKind::Width;
}

} // namespace brevanton
