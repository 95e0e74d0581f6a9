// VornickListingIdentifierIndex: what a running listing of a blog's posts (or
// pages) knows by service identifier: the blog's local items holding each
// identifier, in the store's order, and the identifiers the listing has
// given so far. Its storage outlives a listing, so that listing a blog the
// size of the last one allocates nothing: one open-addressed table of
// identifiers, the items chained from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace brevanton {

class VornickPublishedBlogPost;

class VornickListingIdentifierIndex {
public:
    // Forgets the items and the identifiers given (a new listing).
    void reset();
    // Forgets the local items alone, keeping what the listing gave.
    void releaseLocalItems();

    // Adds a local item with that identifier (not empty), after those added before.
    void addLocalItem(std::u16string_view identifier, size_t order, std::shared_ptr<VornickPublishedBlogPost>);
    bool hasLocalItems() const { return m_itemCount != 0; }
    // Calls `visit(order, post)` for each local item with the identifier, in the order added.
    template<typename Visit> void forEachLocalItem(std::u16string_view identifier, Visit&& visit) const
    {
        int32_t key = find(identifier);
        for (int32_t item = key < 0 ? -1 : m_keys[key].firstItem; item >= 0; item = m_items[item].next)
            visit(m_items[item].order, m_items[item].post);
    }

    // Notes that the listing gave the identifier; false when it had given it already.
    bool noteReceived(std::u16string_view identifier);
    bool wasReceived(std::u16string_view identifier) const
    {
        int32_t key = find(identifier);
        return key >= 0 && m_keys[key].received;
    }
    size_t receivedCount() const { return m_receivedCount; }
    std::unordered_set<std::u16string> receivedIdentifiers() const;

private:
    struct Key {
        std::u16string identifier;
        int32_t firstItem { -1 };
        int32_t lastItem { -1 };
        bool received { false };
    };
    struct Item {
        size_t order { 0 };
        std::shared_ptr<VornickPublishedBlogPost> post;
        int32_t next { -1 };
    };

    int32_t find(std::u16string_view) const;
    int32_t findOrAdd(std::u16string_view);
    void rehash(size_t slotCount);

    // Only the first m_keyCount keys and m_itemCount items are in use; the
    // rest keep their storage for the next listing.
    std::vector<Key> m_keys;
    size_t m_keyCount { 0 };
    std::vector<Item> m_items;
    size_t m_itemCount { 0 };
    // Key numbers by identifier hash, -1 for a free slot; a power of two in size.
    std::vector<int32_t> m_slots;
    size_t m_receivedCount { 0 };
};

} // namespace brevanton
