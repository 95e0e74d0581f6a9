// WebBackForwardList: a history of visited items with a current one, as a
// browser keeps it. Adding an item drops the items ahead of the current one
// and makes the new item current; going back or forward moves the current
// item. The list keeps at most `capacity` items, dropping the oldest first.
#pragma once

#include "platform/foundation/Date.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class WebHistoryItem {
public:
    WebHistoryItem(std::u16string URLString, std::u16string title, Date lastVisitedTime)
        : m_URLString(std::move(URLString))
        , m_title(std::move(title))
        , m_lastVisitedTime(lastVisitedTime)
    {
    }
    const std::u16string& URLString() const { return m_URLString; }
    const std::u16string& title() const { return m_title; }
    Date lastVisitedTime() const { return m_lastVisitedTime; }

private:
    std::u16string m_URLString;
    std::u16string m_title;
    Date m_lastVisitedTime;
};

class WebBackForwardList {
public:
    void addItem(std::shared_ptr<WebHistoryItem>);
    // Forgets every item.
    void removeAllItems();
    bool canGoBack() const { return m_current > 0; }
    bool canGoForward() const { return m_current + 1 < m_items.size(); }
    // False (nothing moves) when there is nothing that way.
    bool goBack();
    bool goForward();
    // Null when there is none.
    std::shared_ptr<WebHistoryItem> backItem() const;
    std::shared_ptr<WebHistoryItem> currentItem() const;
    std::shared_ptr<WebHistoryItem> forwardItem() const;
    // The item `distance` steps from the current one (negative: back); null outside the list.
    std::shared_ptr<WebHistoryItem> itemAtIndex(long distance) const;
    size_t backListCount() const { return m_items.empty() ? 0 : m_current; }
    size_t forwardListCount() const { return m_items.empty() ? 0 : m_items.size() - m_current - 1; }
    size_t capacity() const { return m_capacity; }
    // A capacity of 0 keeps nothing.
    void setCapacity(size_t);

private:
    void trimToCapacity();

    std::vector<std::shared_ptr<WebHistoryItem>> m_items;
    size_t m_current { 0 };
    size_t m_capacity { 100 };
};

} // namespace brevanton
