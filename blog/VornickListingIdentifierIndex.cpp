#include "blog/VornickListingIdentifierIndex.h"

#include "blog/VornickBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "platform/store/ManagedObject.h"

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

void VornickListingIdentifierIndex::forgetReceived()
{
    // Every mark is now at most the base.
    m_listingBase += m_receivedCount;
    m_receivedCount = 0;
}

void VornickListingIdentifierIndex::releaseLocalItems()
{
    for (size_t item = 0; item < m_itemCount; ++item)
        m_items[item].object.reset();
    m_itemCount = 0;
    for (size_t key = 0; key < m_keyCount; ++key)
        m_keys[key].firstItem = m_keys[key].lastItem = -1;
    m_takenFrom = nullptr;
    m_postStamps.clear();
}

bool VornickListingIdentifierIndex::describesPostsOf(const VornickBlog& blog)
{
    if (m_takenFrom != &blog)
        return false;
    // Nothing changed anywhere since the items were last found current.
    if (ManagedObject::nextChangeStamp() == m_currentAsOf)
        return true;
    // The same posts, each unchanged: the same stamps in the same order (no
    // two states of any objects share a stamp). Only the stamps are read.
    size_t position = 0;
    bool same = true;
    blog.forEachObjectForKey(u"posts", [&](ManagedObject& post) {
        same = same && position < m_postStamps.size() && m_postStamps[position] == post.changeStamp();
        ++position;
    });
    if (!same || position != m_postStamps.size())
        return false;
    m_currentAsOf = ManagedObject::nextChangeStamp();
    return true;
}

void VornickListingIdentifierIndex::takeLocalItemsOf(const VornickBlog& blog, bool pages)
{
    if (m_takenPages == pages && describesPostsOf(blog))
        return;
    // Afresh, but for what this listing gave (each where it gave it): an
    // identifier neither held by a post nor given keeps no key.
    std::vector<std::pair<size_t, std::u16string>> received;
    received.reserve(m_receivedCount);
    for (size_t key = 0; key < m_keyCount; ++key) {
        if (size_t position = receivedAs(static_cast<int32_t>(key)); position != NotReceived)
            received.emplace_back(position, std::move(m_keys[key].identifier));
    }
    size_t receivedCount = m_receivedCount;
    reset();
    for (auto& [position, identifier] : received)
        m_receivedMarks[static_cast<size_t>(findOrAdd(identifier))] = m_listingBase + 1 + position;
    m_receivedCount = receivedCount;
    m_takenFrom = &blog;
    m_takenPages = pages;
    blog.forEachObjectForKey(u"posts", [&](ManagedObject& post) { m_postStamps.push_back(post.changeStamp()); });
    size_t order = 0;
    blog.forEachPostOrPage(pages, [&](VornickBlogPost& item) {
        auto& post = entityCast<VornickPublishedBlogPost>(item);
        const Value& identifier = post.ManagedObject::valueReferenceForKey(u"identifierUsedByBlogService");
        addLocalItem(identifier.isString() ? std::u16string_view(identifier.string()) : std::u16string_view(), order,
            std::shared_ptr<VornickPublishedBlogPost>(post.shared_from_this(), &post));
        ++order;
    });
    m_currentAsOf = ManagedObject::nextChangeStamp();
}

const VornickPostSyncFields& VornickListingIdentifierIndex::syncFields(size_t item, const VornickPublishedBlogPost& post)
{
    Item& entry = m_items[item];
    if (entry.fieldsStamp != post.changeStamp()) {
        entry.fields = VornickPostSyncFields::of(post);
        entry.fieldsStamp = post.changeStamp();
    }
    return entry.fields;
}

VornickPublishedBlogPost* VornickListingIdentifierIndex::postKnownUnchanged(size_t item, const VornickPostSyncFields*& fields) const
{
    const Item& entry = m_items[item];
    if (ManagedObject::nextChangeStamp() != m_currentAsOf || entry.fieldsStamp != entry.takenStamp)
        return nullptr;
    fields = &entry.fields;
    return entry.post;
}

bool VornickListingIdentifierIndex::unchangedSinceFieldsRead(size_t item, const VornickPublishedBlogPost& post) const
{
    return m_items[item].fieldsStamp == post.changeStamp();
}

std::shared_ptr<VornickPublishedBlogPost> VornickListingIdentifierIndex::localPost(size_t item) const
{
    auto object = m_items[item].object.lock();
    return object ? std::shared_ptr<VornickPublishedBlogPost>(std::move(object), m_items[item].post) : nullptr;
}

int32_t VornickListingIdentifierIndex::nextKeyIfItIs(std::u16string_view identifier) const
{
    if (m_nextKey >= m_keyCount || m_keys[m_nextKey].identifier != identifier)
        return -1;
    return static_cast<int32_t>(m_nextKey++);
}

int32_t VornickListingIdentifierIndex::find(std::u16string_view identifier) const
{
    if (int32_t next = nextKeyIfItIs(identifier); next >= 0)
        return next;
    if (m_slots.empty())
        return -1;
    size_t mask = m_slots.size() - 1;
    for (size_t slot = std::hash<std::u16string_view> {}(identifier) & mask;; slot = (slot + 1) & mask) {
        int32_t key = m_slots[slot];
        if (key < 0 || m_keys[key].identifier == identifier) {
            if (key >= 0)
                m_nextKey = static_cast<size_t>(key) + 1;
            return key;
        }
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
    if (int32_t next = nextKeyIfItIs(identifier); next >= 0)
        return next;
    // At most half the slots are taken, so that probes stay short.
    if ((m_keyCount + 1) * 2 > m_slots.size())
        rehash(std::max<size_t>(64, m_slots.size() * 2));
    size_t mask = m_slots.size() - 1;
    size_t slot = std::hash<std::u16string_view> {}(identifier) & mask;
    for (; m_slots[slot] >= 0; slot = (slot + 1) & mask) {
        if (m_keys[m_slots[slot]].identifier == identifier) {
            m_nextKey = static_cast<size_t>(m_slots[slot]) + 1;
            return m_slots[slot];
        }
    }
    if (m_keyCount == m_keys.size()) {
        m_keys.emplace_back();
        m_receivedMarks.emplace_back();
    }
    Key& key = m_keys[m_keyCount];
    key.identifier.assign(identifier);
    key.firstItem = key.lastItem = -1;
    m_receivedMarks[m_keyCount] = 0;
    m_slots[slot] = static_cast<int32_t>(m_keyCount);
    m_nextKey = m_keyCount + 1;
    return static_cast<int32_t>(m_keyCount++);
}

void VornickListingIdentifierIndex::addLocalItem(std::u16string_view identifier, size_t order,
    const std::shared_ptr<VornickPublishedBlogPost>& post)
{
    int32_t key = identifier.empty() ? -1 : findOrAdd(identifier);
    if (m_itemCount == m_items.size()) {
        m_items.emplace_back();
        m_itemKeys.emplace_back();
    }
    auto number = static_cast<int32_t>(m_itemCount++);
    Item& item = m_items[number];
    item.order = order;
    item.object = post;
    item.post = post.get();
    item.next = -1;
    m_itemKeys[static_cast<size_t>(number)] = key;
    item.takenStamp = post ? post->changeStamp() : 0;
    item.fieldsStamp = 0;
    if (key < 0)
        return;
    Key& chain = m_keys[key];
    if (chain.lastItem >= 0)
        m_items[chain.lastItem].next = number;
    else
        chain.firstItem = number;
    chain.lastItem = number;
}

bool VornickListingIdentifierIndex::noteReceived(std::u16string_view identifier)
{
    int32_t key = findOrAdd(identifier);
    if (receivedAs(key) != NotReceived)
        return false;
    markReceived(key);
    return true;
}

std::unordered_set<std::u16string> VornickListingIdentifierIndex::receivedIdentifiers() const
{
    std::unordered_set<std::u16string> identifiers;
    for (size_t key = 0; key < m_keyCount; ++key) {
        if (receivedAs(static_cast<int32_t>(key)) != NotReceived)
            identifiers.insert(m_keys[key].identifier);
    }
    return identifiers;
}

} // namespace brevanton
