// VornickFileSnapshot: what a file looked like when it was read: its size,
// modification time and identity (device and inode), so that a later change
// or replacement of the file can be noticed. A snapshot of a folder tree also
// holds a snapshot of everything inside the folder, as it was when the tree
// was walked: its names and kinds. The folder's entry tells a regular
// file's kind, so the tree walk does not look at the file itself; its size,
// time and identity are read the first time they are asked for. The walk
// keeps each entry's path and makes its URL only when it is asked for.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/URL.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
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
    // the file open for reading) at `url`, whose file-system path is `path`.
    static std::shared_ptr<VornickFileSnapshot> createWithStatus(const URL& url, std::string path, const struct ::stat& status);

    const URL& fileURL() const;
    // The file-system path (UTF-8, no trailing "/"); empty when the URL names
    // no local file.
    const std::string& fileSystemPath() const { return m_path; }
    // The last component of the path: a tree entry's name in its folder.
    std::string_view name() const;
    // Whether fileURL().pathExtension() is `extension`, told from the name
    // when the extension is made of ASCII letters and digits.
    bool hasPathExtension(std::u16string_view extension) const;
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
    URL resolvedURL() const { return fileURL().absoluteURL(); }

    // True when both snapshots saw the same file (identity) with the same
    // size and modification time.
    bool isEqualToSnapshot(const VornickFileSnapshot&) const;

private:
    VornickFileSnapshot(const URL& url, std::string path);
    // A tree entry, its URL made from the path when asked for.
    explicit VornickFileSnapshot(std::string path) : m_path(std::move(path)) {}
    void readStatus(bool followLinkedFolders);
    void takeStatus(const struct ::stat&);
    // Reads the status of a file found by the tree walk, once.
    void readDeferredStatus() const;
    void addChildSnapshots(const std::shared_ptr<VornickFileSnapshot>& self);
    // The name as lastPathComponent() of the URL gives it, made without the
    // URL when the name is ASCII.
    std::u16string decodedName() const;

    // Set at once for a snapshot made from a URL; made from the path for a
    // tree entry, once (m_urlMade says it is there).
    mutable std::optional<URL> m_url;
    mutable std::atomic<bool> m_urlMade { false };
    bool m_urlFromPath { false };
    std::string m_path;
    bool m_exists { false };
    bool m_isDirectory { false };
    bool m_isSymbolicLink { false };
    uint64_t m_size { 0 };
    Date m_modificationDate;
    FileIdentity m_identity;
    // Set for a file whose status waits for the first question about it.
    bool m_statusDeferred { false };
    mutable std::atomic<bool> m_deferredStatusRead { false };
    std::weak_ptr<VornickFileSnapshot> m_parent;
    std::vector<std::shared_ptr<VornickFileSnapshot>> m_children;
};

} // namespace brevanton
