#include "ui/VornickColorDescriptionList.h"

namespace brevanton {

const VornickColorDescriptionList& VornickColorDescriptionList::wordPressTextAndBackgroundColors()
{
    static const VornickColorDescriptionList list = [] {
        VornickColorDescriptionList palette;
        palette.addColorDescriptionWithHexRGBString(u"#000000", u"black", u"Black");
        palette.addColorDescriptionWithHexRGBString(u"#abb8c3", u"cyan-bluish-gray", u"Cyan bluish gray");
        palette.addColorDescriptionWithHexRGBString(u"#ffffff", u"white", u"White");
        palette.addColorDescriptionWithHexRGBString(u"#f78da7", u"pale-pink", u"Pale pink");
        palette.addColorDescriptionWithHexRGBString(u"#cf2e2e", u"vivid-red", u"Vivid red");
        palette.addColorDescriptionWithHexRGBString(u"#ff6900", u"luminous-vivid-orange", u"Luminous vivid orange");
        palette.addColorDescriptionWithHexRGBString(u"#fcb900", u"luminous-vivid-amber", u"Luminous vivid amber");
        palette.addColorDescriptionWithHexRGBString(u"#7bdcb5", u"light-green-cyan", u"Light green cyan");
        palette.addColorDescriptionWithHexRGBString(u"#00d084", u"vivid-green-cyan", u"Vivid green cyan");
        palette.addColorDescriptionWithHexRGBString(u"#8ed1fc", u"pale-cyan-blue", u"Pale cyan blue");
        palette.addColorDescriptionWithHexRGBString(u"#0693e3", u"vivid-cyan-blue", u"Vivid cyan blue");
        palette.addColorDescriptionWithHexRGBString(u"#9b51e0", u"vivid-purple", u"Vivid purple");
        return palette;
    }();
    return list;
}

void VornickColorDescriptionList::addColorDescription(Description description)
{
    if (!description)
        return;
    if (description->cssName())
        m_descriptionsByCSSName.insert_or_assign(*description->cssName(), description);
    m_descriptions.push_back(std::move(description));
}

void VornickColorDescriptionList::addColorDescriptionWithHexRGBString(std::u16string hexRGBString, std::optional<std::u16string> cssName,
                                                                      std::optional<std::u16string> displayName)
{
    addColorDescription(VornickColorDescription::create(std::move(hexRGBString), std::move(cssName), std::move(displayName)));
}

VornickColorDescriptionList::Description VornickColorDescriptionList::colorDescriptionWithCSSName(std::u16string_view name) const
{
    auto found = m_descriptionsByCSSName.find(name);
    return found == m_descriptionsByCSSName.end() ? nullptr : found->second;
}

} // namespace brevanton
