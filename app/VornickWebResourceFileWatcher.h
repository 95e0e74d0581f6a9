// VornickWebResourceFileWatcher: a file watcher on the file of a resource a
// page loaded, remembering that load, so that the editor can reload the
// page's style sheets and images when they change on disk.
#pragma once

#include "toolkit/VornickFileWatcher.h"

#include <memory>
#include <mutex>

namespace brevanton {

class VornickResourceLoadAttempt;

class VornickWebResourceFileWatcher final : public VornickFileWatcher {
public:
    // Watches the attempt's URL (which must be a file URL; otherwise null).
    // `attempt`, `block` and `queue` are required; `queue` must outlive the watcher.
    static std::shared_ptr<VornickWebResourceFileWatcher> create(std::shared_ptr<VornickResourceLoadAttempt> attempt,
                                                                 Block block, OperationQueue* queue);

    std::shared_ptr<VornickResourceLoadAttempt> resourceLoadAttempt() const;
    void setResourceLoadAttempt(std::shared_ptr<VornickResourceLoadAttempt>);

protected:
    const char* className() const override { return "VornickWebResourceFileWatcher"; }

private:
    VornickWebResourceFileWatcher(std::shared_ptr<VornickResourceLoadAttempt>, Block, OperationQueue*);

    mutable std::mutex m_attemptMutex;
    std::shared_ptr<VornickResourceLoadAttempt> m_resourceLoadAttempt;
};

} // namespace brevanton
