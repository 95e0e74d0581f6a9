#include "blog/VornickListingIdentifierIndex.h"

#include "blog/VornickPublishedBlogPost.h"

#include <algorithm>
#include <functional>

namespace brevanton {

void VornickListingIdentifierIndex::reset()
{
    releaseLocalItems();
    m_keyCount = 0;
    m_receivedCount = 0;
    std::fill(m_slots.begin(), m_slots.end(), -1);
}

void VornickListingIdentifierIndex::releaseLocalItems()
{
    for (size_t item = 0; item < m_itemCount; ++item)
        m_items[item].post.reset();
    m_itemCount = 0;
    for (size_t key = 0; key < m_keyCount; ++key)
        m_keys[key].firstItem = m_keys[key].lastItem = -1;
}

int32_t VornickListingIdentifierIndex::find(std::u16string_view identifier) const
{
    if (m_slots.empty())
        return -1;
    size_t mask = m_slots.size() - 1;
    for (size_t slot = std::hash<std::u16string_view> {}(identifier) & mask;; slot = (slot + 1) & mask) {
        int32_t key = m_slots[slot];
        if (key < 0 || m_keys[key].identifier == identifier)
            return key;
    }
}

void VornickListingIdentifierIndex::rehash(size_t slotCount)
{
    m_slots.assign(slotCount, -1);
    size_t mask = slotCount - 1;
    for (size_t key = 0; key < m_keyCount; ++key) {
        size_t slot = std::hash<std::u16string_view> {}(m_keys[key].identifier) & mask;
        while (m_slots[slot] >= 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = static_cast<int32_t>(key);
    }
}

int32_t VornickListingIdentifierIndex::findOrAdd(std::u16string_view identifier)
{
    // At most half the slots are taken, so that probes stay short.
    if ((m_keyCount + 1) * 2 > m_slots.size())
        rehash(std::max<size_t>(64, m_slots.size() * 2));
    size_t mask = m_slots.size() - 1;
    size_t slot = std::hash<std::u16string_view> {}(identifier) & mask;
    for (; m_slots[slot] >= 0; slot = (slot + 1) & mask) {
        if (m_keys[m_slots[slot]].identifier == identifier)
            return m_slots[slot];
    }
    if (m_keyCount == m_keys.size())
        m_keys.emplace_back();
    Key& key = m_keys[m_keyCount];
    key.identifier.assign(identifier);
    key.firstItem = key.lastItem = -1;
    key.received = false;
    m_slots[slot] = static_cast<int32_t>(m_keyCount);
    return static_cast<int32_t>(m_keyCount++);
}

void VornickListingIdentifierIndex::addLocalItem(std::u16string_view identifier, size_t order, std::shared_ptr<VornickPublishedBlogPost> post)
{
    Key& key = m_keys[findOrAdd(identifier)];
    if (m_itemCount == m_items.size())
        m_items.emplace_back();
    auto number = static_cast<int32_t>(m_itemCount++);
    Item& item = m_items[number];
    item.order = order;
    item.post = std::move(post);
    item.next = -1;
    if (key.lastItem >= 0)
        m_items[key.lastItem].next = number;
    else
        key.firstItem = number;
    key.lastItem = number;
}

bool VornickListingIdentifierIndex::noteReceived(std::u16string_view identifier)
{
    Key& key = m_keys[findOrAdd(identifier)];
    if (key.received)
        return false;
    key.received = true;
    ++m_receivedCount;
    return true;
}

std::unordered_set<std::u16string> VornickListingIdentifierIndex::receivedIdentifiers() const
{
    std::unordered_set<std::u16string> identifiers;
    for (size_t key = 0; key < m_keyCount; ++key) {
        if (m_keys[key].received)
            identifiers.insert(m_keys[key].identifier);
    }
    return identifiers;
}

} // namespace brevanton
