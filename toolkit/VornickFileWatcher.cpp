#include "toolkit/VornickFileWatcher.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Text.h"

#include <cstdio>

namespace brevanton {

std::shared_ptr<VornickFileWatcher> VornickFileWatcher::create(const URL& newFileURL, Block newBlock,
                                                               OperationQueue* newQueue)
{
    BREVANTON_ASSERT(newBlock, "newBlock");
    BREVANTON_ASSERT(newQueue, "newQueue");
    if (!newFileURL.isFileURL() || !newFileURL.fileSystemPath())
        return nullptr;
    auto watcher = std::shared_ptr<VornickFileWatcher>(new VornickFileWatcher(newFileURL, std::move(newBlock), newQueue));
    watcher->start();
    return watcher;
}

VornickFileWatcher::VornickFileWatcher(const URL& fileURL, Block block, OperationQueue* queue)
    : m_fileURL(fileURL)
    , m_block(std::move(block))
    , m_queue(queue)
{
}

VornickFileWatcher::~VornickFileWatcher()
{
    stopWatching();
}

void VornickFileWatcher::start()
{
    std::string path = *m_fileURL.fileSystemPath();
    // A file that is not there when the watch begins leaves the watcher inactive for good.
    if (!fileExists(path))
        return;
    // The source never calls after stopWatching() returned, and waits for a
    // call in progress on another thread; the destructor stops it first, so
    // `this` is alive for every call.
    auto source = FileWatcher::watch(path, *m_queue, [this](const FileWatcherEvent& event) {
        handleFileEvent(event);
    });
    std::lock_guard lock(m_mutex);
    m_source = std::move(source);
}

void VornickFileWatcher::handleFileEvent(const FileWatcherEvent& event)
{
    constexpr uint32_t reported = FileWatcherEvent::Modified | FileWatcherEvent::Removed | FileWatcherEvent::Replaced
        | FileWatcherEvent::Overflow;
    if (!(event.flags & reported))
        return;
    // A copy: the block may let go of the last reference to this watcher.
    Block block = m_block;
    block(*this);
}

void VornickFileWatcher::stopWatching()
{
    std::unique_ptr<FileWatcher> source;
    {
        std::lock_guard lock(m_mutex);
        source = std::move(m_source);
    }
    // Waits for a block running on another thread; safe from inside the block.
    if (source)
        source->stopWatching();
}

bool VornickFileWatcher::isActive() const
{
    std::lock_guard lock(m_mutex);
    return m_source && m_source->isActive();
}

std::u16string VornickFileWatcher::description() const
{
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return toUTF16(className()) + u"(" + toUTF16(address) + u") for " + m_fileURL.absoluteString() + u" ("
        + (isActive() ? u"watching" : u"INACTIVE!") + u")";
}

} // namespace brevanton
