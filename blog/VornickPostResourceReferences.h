// VornickPostResourceReferences: the addresses of the resources each post's
// HTML content refers to, as found at the post's last scan. A post that has
// not changed since (its store change stamp is the one noted at the scan) is
// not scanned again, nor is its content read; any change of the post scans
// it anew. Each entry goes with its post. Main thread only, as the sync
// steps that ask.
//
// The entries lie in one array, found through an open-addressed table of
// their numbers by post address: a sync asks for every post of a blog, and a
// lookup then reads one entry, not a chain of nodes. The posts are asked for
// in the same order sync after sync: the entry after the last one found is
// tried first, so that such a sync reads the entries in order.
//
// What a whole pass over a blog's posts found is kept too: while no object
// of any context changed since the pass ended (ManagedObject's next change
// stamp has not moved), a pass over the same blog would find the same, and
// the posts are not visited. The blog is referred to weakly.
#pragma once

#include "platform/foundation/URL.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace brevanton {

class ManagedObject;
class VornickPublishedBlogPost;

class VornickPostResourceReferences {
public:
    // The addresses referenced in the post's content (its
    // sourceContentString) when its sourceContentType is HTML; none
    // otherwise. Valid until the next call.
    const std::vector<URL>& URLsReferencedByPost(const VornickPublishedBlogPost&);
    // Drops the entries of posts that no longer exist. (A post asked for
    // since the last call was alive then: its entry stays until the next.)
    void forgetGonePosts();
    // The addresses the posts of `blog` referred to at the last pass over
    // them (notePassOver), while that blog still exists and no object
    // changed since; null otherwise (a pass must visit the posts).
    const std::vector<URL>* URLsOfLastPassIfCurrent(const std::shared_ptr<const ManagedObject>& blog) const;
    // Keeps the addresses a pass over the posts of `blog` just found.
    void notePassOver(const std::shared_ptr<const ManagedObject>& blog, std::vector<URL> urls);
    // How many times content was scanned.
    size_t scanCount() const { return m_scanCount; }
    // How many posts have entries.
    size_t entryCount() const { return m_entries.size(); }

private:
    struct Entry {
        const VornickPublishedBlogPost* address { nullptr };
        uint64_t changeStamp { 0 };
        // The round of forgetGonePosts in which the post was last asked for.
        uint64_t round { 0 };
        std::weak_ptr<const ManagedObject> post;
        std::vector<URL> urls;
    };

    size_t slotOf(const VornickPublishedBlogPost*) const;
    void rehash(size_t slotCount);

    std::vector<Entry> m_entries;
    // Entry numbers by address hash, -1 for a free slot; a power of two in
    // size, at most half taken.
    std::vector<int32_t> m_slots;
    // The entry after the one last asked for.
    size_t m_nextEntry { 0 };
    uint64_t m_round { 1 };
    size_t m_scanCount { 0 };
    std::weak_ptr<const ManagedObject> m_passBlog;
    // ManagedObject::nextChangeStamp() when the last pass ended.
    uint64_t m_passCurrentAsOf { 0 };
    std::vector<URL> m_passURLs;
};

} // namespace brevanton
