#include "views/VornickCharacterEncodingsMenu.h"

#include "platform/views/Menu.h"

namespace brevanton {

std::shared_ptr<Menu> VornickBuildCharacterEncodingsMenu()
{
    auto menu = Menu::create(u"Character Encodings");
    for (uint32_t coreEncoding : VornickCharacterEncodingsMenuTable) {
        if (coreEncoding == VornickCharacterEncodingsMenuSeparator) {
            menu->addItem(MenuItem::separatorItem());
            continue;
        }
        VornickStringEncoding encoding = VornickStringEncodingForCoreEncoding(coreEncoding);
        auto name = encoding ? VornickLocalizedNameOfStringEncoding(encoding) : std::nullopt;
        if (!name)
            continue;
        auto item = MenuItem::create(std::move(*name), {}, u"");
        item->setTag(static_cast<long>(encoding));
        menu->addItem(item);
    }
    return menu;
}

} // namespace brevanton
