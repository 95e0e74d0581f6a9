#include "blog/VornickPostResourceReferences.h"

#include "blog/VornickPublishedBlogPost.h"
#include "html/VornickHTMLStringResourceReferenceFinder.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObject.h"

#include <algorithm>

namespace brevanton {

size_t VornickPostResourceReferences::slotOf(const VornickPublishedBlogPost* address) const
{
    // Objects are aligned: the low bits of an address say little, so the
    // address is mixed before it is masked.
    auto bits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(address));
    bits = (bits ^ (bits >> 29)) * 0x9E3779B97F4A7C15ull;
    size_t mask = m_slots.size() - 1;
    size_t slot = static_cast<size_t>(bits >> 32) & mask;
    while (m_slots[slot] >= 0 && m_entries[m_slots[slot]].address != address)
        slot = (slot + 1) & mask;
    return slot;
}

void VornickPostResourceReferences::rehash(size_t slotCount)
{
    m_slots.assign(slotCount, -1);
    for (size_t entry = 0; entry < m_entries.size(); ++entry)
        m_slots[slotOf(m_entries[entry].address)] = static_cast<int32_t>(entry);
}

const std::vector<URL>& VornickPostResourceReferences::URLsReferencedByPost(const VornickPublishedBlogPost& post)
{
    size_t number = m_nextEntry;
    if (number >= m_entries.size() || m_entries[number].address != &post) {
        if ((m_entries.size() + 1) * 2 > m_slots.size())
            rehash(std::max<size_t>(64, m_slots.size() * 2));
        size_t slot = slotOf(&post);
        if (m_slots[slot] < 0) {
            m_slots[slot] = static_cast<int32_t>(m_entries.size());
            m_entries.push_back({ &post, 0, 0, {}, {} });
        }
        number = static_cast<size_t>(m_slots[slot]);
    }
    m_nextEntry = number + 1;
    Entry& entry = m_entries[number];
    entry.round = m_round;
    // No two objects share a stamp: another post at the address of one that
    // is gone has one of its own.
    if (entry.changeStamp == post.changeStamp())
        return entry.urls;
    entry.post = post.weak_from_this();
    entry.changeStamp = post.changeStamp();
    entry.urls.clear();
    const Value& type = post.valueReferenceForKey(u"sourceContentType");
    const Value& html = post.valueReferenceForKey(u"sourceContentString");
    if (type.isString() && equalsIgnoringASCIICase(type.string(), u"html") && html.isString() && !html.string().empty()) {
        auto found = VornickHTMLStringResourceReferenceFinder::URLsReferencedInHTMLString(html.string(), std::nullopt);
        entry.urls.assign(found.begin(), found.end());
    }
    ++m_scanCount;
    return entry.urls;
}

void VornickPostResourceReferences::forgetGonePosts()
{
    // Only the posts not asked for this round are looked at: a sync asks for
    // nearly all, and their objects are not touched again.
    uint64_t round = m_round++;
    if (std::erase_if(m_entries, [round](const Entry& entry) { return entry.round != round && entry.post.expired(); }))
        rehash(m_slots.size());
}

const std::vector<URL>* VornickPostResourceReferences::URLsOfLastPassIfCurrent(const std::shared_ptr<const ManagedObject>& blog) const
{
    // A blog that is gone leaves the weak pointer expired: another at its
    // address is not taken for it.
    if (!blog || ManagedObject::nextChangeStamp() != m_passCurrentAsOf || m_passBlog.lock() != blog)
        return nullptr;
    return &m_passURLs;
}

void VornickPostResourceReferences::notePassOver(const std::shared_ptr<const ManagedObject>& blog, std::vector<URL> urls)
{
    m_passBlog = blog;
    m_passURLs = std::move(urls);
    m_passCurrentAsOf = ManagedObject::nextChangeStamp();
}

} // namespace brevanton
