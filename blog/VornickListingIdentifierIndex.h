// VornickListingIdentifierIndex: what a listing of a blog's posts (or pages)
// knows by service identifier: the blog's local items holding each
// identifier, in the store's order, and the identifiers the listing has
// given so far. One open-addressed table of identifiers, the items chained
// from them.
//
// A listing reads the index in passes over thousands of entries: what a
// pass reads is kept apart from the rest, in arrays of its own (which
// identifier an item holds; when the listing gave each identifier), and a
// new listing forgets what the last one gave without a pass.
//
// The local items are kept from one listing to the next, with the change
// stamps of all the blog's posts when they were taken: a listing of a blog
// whose posts are as they were reuses them instead of going through every
// post again. The items refer to their posts weakly: the index keeps no post.
// Each keeps what the comparison reads of its post, beside the others.
#pragma once

#include "blog/VornickPostSyncFields.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace brevanton {

class ManagedObject;
class VornickBlog;
class VornickPublishedBlogPost;

class VornickListingIdentifierIndex {
public:
    // Forgets the items and the identifiers given.
    void reset();
    // Forgets the identifiers given, keeping the local items (a new listing).
    void forgetReceived();

    // Makes the local items those of the blog's posts (or pages), unless
    // they still are: none of the blog's posts was added, removed or
    // changed since they were taken (a post's change stamp says so).
    void takeLocalItemsOf(const VornickBlog&, bool pages);

    // Adds a local item with that identifier (empty: a post without one),
    // after those added before.
    void addLocalItem(std::u16string_view identifier, size_t order, const std::shared_ptr<VornickPublishedBlogPost>&);
    bool hasLocalItems() const { return m_itemCount != 0; }
    // Calls `visit(order, item)` for each local item with the identifier,
    // in the order added, without reaching its post (localPost(item) does).
    template<typename Visit> void forEachLocalItem(std::u16string_view identifier, Visit&& visit) const
    {
        int32_t key = find(identifier);
        for (int32_t item = key < 0 ? -1 : m_keys[key].firstItem; item >= 0; item = m_items[item].next)
            visit(m_items[item].order, static_cast<size_t>(item));
    }
    // Where an identifier came in the listing: 0 for the first it gave,
    // NotReceived for one it has not given.
    static constexpr size_t NotReceived = SIZE_MAX;
    // Calls `visit(item, hasIdentifier, receivedAs)` for every local item in
    // the order added, with where the listing gave its identifier (NotReceived
    // for an item without one), reading neither its post (localPost(item)
    // does) nor its identifier.
    template<typename Visit> void forEachLocalItemInOrder(Visit&& visit) const
    {
        for (size_t item = 0; item < m_itemCount; ++item) {
            int32_t key = m_itemKeys[item];
            visit(item, key >= 0, key < 0 ? NotReceived : receivedAs(key));
        }
    }
    // The item's post; null once it is gone.
    std::shared_ptr<VornickPublishedBlogPost> localPost(size_t item) const;
    // What the comparison reads of the item's post (`post`, which it holds),
    // read again only when the post changed since.
    const VornickPostSyncFields& syncFields(size_t item, const VornickPublishedBlogPost& post);
    // The item's post and its fields, without reaching the post, while no
    // object changed since the items were found current (nor the post since
    // its fields were read): it is the blog's, and its context holds it.
    // Null otherwise.
    VornickPublishedBlogPost* postKnownUnchanged(size_t item, const VornickPostSyncFields*& fields) const;
    // Whether the item's post (`post`) is unchanged since its fields were
    // read, when it was the blog's (it still is: leaving the blog changes it).
    bool unchangedSinceFieldsRead(size_t item, const VornickPublishedBlogPost& post) const;

    // Notes that the listing gave the identifier (after those it gave
    // before); false when it had given it already.
    bool noteReceived(std::u16string_view identifier);
    bool wasReceived(std::u16string_view identifier) const
    {
        int32_t key = find(identifier);
        return key >= 0 && receivedAs(key) != NotReceived;
    }
    size_t receivedCount() const { return m_receivedCount; }
    std::unordered_set<std::u16string> receivedIdentifiers() const;

private:
    struct Key {
        std::u16string identifier;
        int32_t firstItem { -1 };
        int32_t lastItem { -1 };
    };
    struct Item {
        size_t order { 0 };
        VornickPublishedBlogPost* post { nullptr };
        int32_t next { -1 };
        // The post's change stamp when the item was taken (or last found
        // current), and when `fields` were read (0: not yet).
        uint64_t takenStamp { 0 };
        uint64_t fieldsStamp { 0 };
        VornickPostSyncFields fields;
        std::weak_ptr<ManagedObject> object;
    };

    size_t receivedAs(int32_t key) const
    {
        uint64_t mark = m_receivedMarks[static_cast<size_t>(key)];
        return mark > m_listingBase ? static_cast<size_t>(mark - m_listingBase - 1) : NotReceived;
    }
    // Marks the key given by the listing, as the next one it gave.
    void markReceived(int32_t key) { m_receivedMarks[static_cast<size_t>(key)] = m_listingBase + 1 + m_receivedCount++; }
    int32_t find(std::u16string_view) const;
    int32_t findOrAdd(std::u16string_view);
    // The key after the one last found, when it has the identifier; -1 otherwise.
    int32_t nextKeyIfItIs(std::u16string_view) const;
    void rehash(size_t slotCount);
    // Whether the items are still those of the blog's posts.
    bool describesPostsOf(const VornickBlog&);
    void releaseLocalItems();

    // Only the first m_keyCount keys and m_itemCount items are in use; the
    // rest keep their storage for the next listing.
    std::vector<Key> m_keys;
    size_t m_keyCount { 0 };
    std::vector<Item> m_items;
    size_t m_itemCount { 0 };
    // Each item's key (-1: none), beside the items.
    std::vector<int32_t> m_itemKeys;
    // Each key's mark of when the listing gave it: one more than the base and
    // the number it gave before; at most the base when it has not given it.
    // A new listing starts from a base no mark is above.
    std::vector<uint64_t> m_receivedMarks;
    uint64_t m_listingBase { 0 };
    // Key numbers by identifier hash, -1 for a free slot; a power of two in size.
    std::vector<int32_t> m_slots;
    // The key after the one last found. A listing gives the identifiers in
    // about the order of the posts (imported in the order listed): trying
    // it first reads the keys in order, without the table.
    mutable size_t m_nextKey { 0 };
    size_t m_receivedCount { 0 };
    // What the items were taken from: the blog (the address alone, never
    // followed), whether of pages, the change stamps of all its posts in
    // order, and the next change stamp of any object when they were last
    // found current (none is taken while nothing changes).
    const void* m_takenFrom { nullptr };
    bool m_takenPages { false };
    std::vector<uint64_t> m_postStamps;
    uint64_t m_currentAsOf { 0 };
};

} // namespace brevanton
