#include "app/VornickWebResourceFileWatcher.h"

#include "app/VornickResourceLoadAttempt.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

std::shared_ptr<VornickWebResourceFileWatcher> VornickWebResourceFileWatcher::create(
    std::shared_ptr<VornickResourceLoadAttempt> attempt, Block block, OperationQueue* queue)
{
    BREVANTON_ASSERT(attempt, "resourceLoadAttempt");
    BREVANTON_ASSERT(block, "newBlock");
    BREVANTON_ASSERT(queue, "newQueue");
    const auto& url = attempt->url();
    if (!url.isFileURL() || !url.fileSystemPath())
        return nullptr;
    auto watcher = std::shared_ptr<VornickWebResourceFileWatcher>(
        new VornickWebResourceFileWatcher(std::move(attempt), std::move(block), queue));
    watcher->start();
    return watcher;
}

VornickWebResourceFileWatcher::VornickWebResourceFileWatcher(std::shared_ptr<VornickResourceLoadAttempt> attempt,
                                                             Block block, OperationQueue* queue)
    : VornickFileWatcher(attempt->url(), std::move(block), queue)
    , m_resourceLoadAttempt(std::move(attempt))
{
}

std::shared_ptr<VornickResourceLoadAttempt> VornickWebResourceFileWatcher::resourceLoadAttempt() const
{
    std::lock_guard lock(m_attemptMutex);
    return m_resourceLoadAttempt;
}

void VornickWebResourceFileWatcher::setResourceLoadAttempt(std::shared_ptr<VornickResourceLoadAttempt> attempt)
{
    std::lock_guard lock(m_attemptMutex);
    m_resourceLoadAttempt = std::move(attempt);
}

} // namespace brevanton
