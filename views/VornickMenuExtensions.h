// Operations on menus: check marks for one selected item, and log
// descriptions of menu trees.
#pragma once

#include "platform/views/Menu.h"

#include <string>

namespace brevanton {

// Turns the check mark on for the item and off for every other item.
void vornick_setSelectedItem(Menu&, const MenuItem* item);
// The same by index; an index outside the menu leaves every item off.
void vornick_setSelectedItemIndex(Menu&, long index);

// The menu tree, one line per menu and item, one tab of indentation per level:
// Menu(0x...) title="Edit" {
// 	MenuItem(0x...) title="Copy" action=copy: target=(null)(0x0)
// 	MenuItem(0x...) ----
// }
std::string vornick_splat(const Menu&);
std::string vornick_splatWithDepth(const Menu&, unsigned depth);
std::string vornick_splat(const MenuItem&);
std::string vornick_splatWithDepth(const MenuItem&, unsigned depth);

} // namespace brevanton
