// VornickFileSnapshot: what a file looked like when it was read: its size,
// modification time and identity (device and inode), so that a later change
// or replacement of the file can be noticed.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/URL.h"

#include <cstdint>
#include <memory>

namespace brevanton {

class VornickFileSnapshot {
public:
    // A snapshot of the file at `url` with no parent snapshot. A URL that
    // names no file gives a snapshot whose exists() is false.
    static std::shared_ptr<VornickFileSnapshot> createAsStandaloneSnapshotOfURL(const URL& url);

    const URL& fileURL() const { return m_url; }
    bool exists() const { return m_exists; }
    bool isDirectory() const { return m_isDirectory; }
    uint64_t size() const { return m_size; }
    Date modificationDate() const { return m_modificationDate; }
    const FileIdentity& identity() const { return m_identity; }
    uint64_t inode() const { return static_cast<uint64_t>(m_identity.inode); }
    const std::shared_ptr<VornickFileSnapshot>& parent() const { return m_parent; }

    // True when both snapshots saw the same file (identity) with the same
    // size and modification time.
    bool isEqualToSnapshot(const VornickFileSnapshot&) const;

private:
    explicit VornickFileSnapshot(const URL& url) : m_url(url) {}

    URL m_url;
    bool m_exists { false };
    bool m_isDirectory { false };
    uint64_t m_size { 0 };
    Date m_modificationDate;
    FileIdentity m_identity;
    std::shared_ptr<VornickFileSnapshot> m_parent;
};

} // namespace brevanton
