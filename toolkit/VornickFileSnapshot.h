// VornickFileSnapshot: what a file looked like when it was read: its size,
// modification time and identity (device and inode), so that a later change
// or replacement of the file can be noticed. A snapshot of a folder tree also
// holds a snapshot of everything inside the folder, as it was when the tree
// was walked: its names and kinds. The folder's entry tells a regular
// file's kind, so the tree walk does not look at the file itself; its size,
// time and identity are read the first time they are asked for.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/URL.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace brevanton {

class VornickFileSnapshot {
public:
    // A snapshot of the file at `url` with no parent and no child snapshots.
    // A URL that names no file gives a snapshot whose exists() is false.
    static std::shared_ptr<VornickFileSnapshot> createAsStandaloneSnapshotOfURL(const URL& url);
    // A snapshot of the file or folder at `url` and, for a folder, of all it
    // holds, children sorted by name. Symbolic links inside the tree are
    // snapshots of what they point to, but linked folders are not entered
    // (a link may lead back up the tree).
    static std::shared_ptr<VornickFileSnapshot> createSnapshotOfTreeAtURL(const URL& url);
    // A standalone snapshot from a status taken of the file (the fstat of
    // the file open for reading).
    static std::shared_ptr<VornickFileSnapshot> createWithStatus(const URL& url, const struct ::stat& status);

    const URL& fileURL() const { return m_url; }
    bool exists() const { return m_exists; }
    bool isDirectory() const { return m_isDirectory; }
    uint64_t size() const;
    Date modificationDate() const;
    const FileIdentity& identity() const;
    uint64_t inode() const { return static_cast<uint64_t>(identity().inode); }
    // The snapshot of the folder holding this one in a tree; null at the top.
    std::shared_ptr<VornickFileSnapshot> parent() const { return m_parent.lock(); }

    // The snapshots of a folder's entries, sorted by name; empty for a file
    // and for a standalone snapshot.
    const std::vector<std::shared_ptr<VornickFileSnapshot>>& allChildSnapshots() const { return m_children; }
    // The snapshot below this folder at a relative path ("posts",
    // "posts/", "media/a.jpg"); null when there is none.
    std::shared_ptr<VornickFileSnapshot> childWithRelativeURLString(std::u16string_view relativeURLString) const;
    // The URL relative to the parent folder's (the entry's name, with a
    // trailing "/" for a folder); the whole URL at the top of a tree.
    URL relativeURL() const;
    // The absolute file URL.
    URL resolvedURL() const { return m_url.absoluteURL(); }

    // True when both snapshots saw the same file (identity) with the same
    // size and modification time.
    bool isEqualToSnapshot(const VornickFileSnapshot&) const;

private:
    explicit VornickFileSnapshot(const URL& url) : m_url(url) {}
    void readStatus(bool followLinkedFolders);
    void takeStatus(const struct ::stat&);
    // Reads the status of a file found by the tree walk, once.
    void readDeferredStatus() const;
    void addChildSnapshots(const std::shared_ptr<VornickFileSnapshot>& self);

    URL m_url;
    bool m_exists { false };
    bool m_isDirectory { false };
    bool m_isSymbolicLink { false };
    uint64_t m_size { 0 };
    Date m_modificationDate;
    FileIdentity m_identity;
    // Set for a file whose status waits for the first question about it.
    bool m_statusDeferred { false };
    mutable std::once_flag m_deferredStatusRead;
    std::weak_ptr<VornickFileSnapshot> m_parent;
    std::vector<std::shared_ptr<VornickFileSnapshot>> m_children;
};

} // namespace brevanton
