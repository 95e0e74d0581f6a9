#include "platform/web/WebBackForwardList.h"

namespace brevanton {

void WebBackForwardList::addItem(std::shared_ptr<WebHistoryItem> item)
{
    if (!item || m_capacity == 0)
        return;
    if (!m_items.empty())
        m_items.resize(m_current + 1);
    m_items.push_back(std::move(item));
    m_current = m_items.size() - 1;
    trimToCapacity();
}

void WebBackForwardList::removeAllItems()
{
    m_items.clear();
    m_current = 0;
}

bool WebBackForwardList::goBack()
{
    if (!canGoBack())
        return false;
    --m_current;
    return true;
}

bool WebBackForwardList::goForward()
{
    if (!canGoForward())
        return false;
    ++m_current;
    return true;
}

std::shared_ptr<WebHistoryItem> WebBackForwardList::itemAtIndex(long distance) const
{
    if (m_items.empty())
        return nullptr;
    long index = static_cast<long>(m_current) + distance;
    if (index < 0 || index >= static_cast<long>(m_items.size()))
        return nullptr;
    return m_items[static_cast<size_t>(index)];
}

std::shared_ptr<WebHistoryItem> WebBackForwardList::backItem() const
{
    return itemAtIndex(-1);
}

std::shared_ptr<WebHistoryItem> WebBackForwardList::currentItem() const
{
    return itemAtIndex(0);
}

std::shared_ptr<WebHistoryItem> WebBackForwardList::forwardItem() const
{
    return itemAtIndex(1);
}

void WebBackForwardList::setCapacity(size_t capacity)
{
    m_capacity = capacity;
    if (m_capacity == 0)
        removeAllItems();
    trimToCapacity();
}

void WebBackForwardList::trimToCapacity()
{
    if (m_items.size() <= m_capacity)
        return;
    size_t excess = m_items.size() - m_capacity;
    // The oldest go first; the current item stays as long as it can.
    m_items.erase(m_items.begin(), m_items.begin() + static_cast<std::ptrdiff_t>(excess));
    m_current = m_current >= excess ? m_current - excess : 0;
}

} // namespace brevanton
