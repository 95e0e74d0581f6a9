#include "platform/views/SystemFonts.h"

namespace brevanton {

static std::shared_ptr<const Font> fontOfRole(const char16_t* family, double pointSize, double standardSize)
{
    return Font::fontWithName(family, pointSize > 0 ? pointSize : standardSize);
}

std::shared_ptr<const Font> systemFontOfSize(double pointSize)
{
    return fontOfRole(u"System", pointSize, SystemFontSize);
}

std::shared_ptr<const Font> boldSystemFontOfSize(double pointSize)
{
    return fontOfRole(u"System Bold", pointSize, SystemFontSize);
}

std::shared_ptr<const Font> labelFontOfSize(double pointSize)
{
    return fontOfRole(u"System", pointSize, LabelFontSize);
}

std::shared_ptr<const Font> toolTipsFontOfSize(double pointSize)
{
    return fontOfRole(u"System", pointSize, ToolTipsFontSize);
}

} // namespace brevanton
