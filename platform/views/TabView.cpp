#include "platform/views/TabView.h"

namespace brevanton {

void TabView::addTabViewItem(std::u16string identifier, const std::shared_ptr<View>& view)
{
    view->setFrame(Rect { {}, frame().size });
    addSubview(view);
    m_items.push_back({ std::move(identifier), view });
    if (m_items.size() == 1)
        selectTabViewItemWithIdentifier(m_items.front().identifier);
    else
        view->setHidden(true);
}

std::vector<std::u16string> TabView::tabViewItemIdentifiers() const
{
    std::vector<std::u16string> identifiers;
    for (const auto& item : m_items)
        identifiers.push_back(item.identifier);
    return identifiers;
}

void TabView::selectTabViewItemWithIdentifier(std::u16string_view identifier)
{
    bool found = false;
    for (const auto& item : m_items)
        found = found || item.identifier == identifier;
    if (!found)
        return;
    m_selectedIdentifier = identifier;
    for (const auto& item : m_items)
        item.view->setHidden(item.identifier != identifier);
}

} // namespace brevanton
