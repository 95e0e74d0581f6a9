// TabView: shows one of its tabs, each a view named by an identifier.
#pragma once

#include "platform/views/View.h"

#include <string>
#include <vector>

namespace brevanton {

class TabView : public View {
public:
    explicit TabView(Rect frame = {}) : View(frame) {}

    // Adds a tab showing `view` (sized to the tab view); the first tab added is selected.
    void addTabViewItem(std::u16string identifier, const std::shared_ptr<View>& view);
    std::vector<std::u16string> tabViewItemIdentifiers() const;
    // Nothing changes for an identifier no tab has.
    void selectTabViewItemWithIdentifier(std::u16string_view identifier);
    // The empty string while there are no tabs.
    const std::u16string& selectedTabViewItemIdentifier() const { return m_selectedIdentifier; }

private:
    struct Item {
        std::u16string identifier;
        std::shared_ptr<View> view;
    };
    std::vector<Item> m_items;
    std::u16string m_selectedIdentifier;
};

} // namespace brevanton
