#include "views/VornickMenuExtensions.h"

#include "toolkit/VornickClassNames.h"
#include "platform/foundation/Text.h"

#include <fmt/format.h>

namespace brevanton {

void vornick_setSelectedItem(Menu& menu, const MenuItem* selected)
{
    for (auto& item : menu.items())
        item->setState(item.get() == selected ? OnState : OffState);
}

void vornick_setSelectedItemIndex(Menu& menu, long index)
{
    vornick_setSelectedItem(menu, menu.itemAtIndex(index).get());
}

static std::string pointer(const void* address)
{
    return fmt::format("{}", fmt::ptr(address));
}

std::string vornick_splatWithDepth(const MenuItem& item, unsigned depth)
{
    std::string text = std::string(depth, '\t') + fmt::format("{}({}) ", VornickClassName(&item), pointer(&item));
    if (item.isSeparatorItem())
        return text + "----";
    auto target = item.target();
    text += fmt::format("title=\"{}\" action={} target={}({})", toUTF8(item.title()),
                        item.action().empty() ? "(null)" : item.action(), VornickClassName(target.get()), pointer(target.get()));
    if (auto submenu = item.submenu())
        text += " submenu=" + vornick_splatWithDepth(*submenu, depth);
    return text;
}

std::string vornick_splat(const MenuItem& item)
{
    return vornick_splatWithDepth(item, 0);
}

std::string vornick_splatWithDepth(const Menu& menu, unsigned depth)
{
    std::string text = fmt::format("{}({}) title=\"{}\" {{", VornickClassName(&menu), pointer(&menu), toUTF8(menu.title()));
    for (auto& item : menu.items())
        text += "\n" + vornick_splatWithDepth(*item, depth + 1);
    text += "\n" + std::string(depth, '\t') + "}";
    return text;
}

std::string vornick_splat(const Menu& menu)
{
    return vornick_splatWithDepth(menu, 0);
}

} // namespace brevanton
