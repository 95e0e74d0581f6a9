#include "toolkit/VornickActiveEnduringFileReference.h"

#include "platform/foundation/Text.h"

#include <cstdio>

namespace brevanton {

std::shared_ptr<VornickActiveEnduringFileReference>
VornickActiveEnduringFileReference::activeEnduringFileReference(std::shared_ptr<VornickEnduringFileReference> reference)
{
    return std::make_shared<VornickActiveEnduringFileReference>(std::move(reference));
}

VornickActiveEnduringFileReference::VornickActiveEnduringFileReference(
    std::shared_ptr<VornickEnduringFileReference> reference)
    : m_enduringFileReference(std::move(reference))
{
}

VornickActiveEnduringFileReference::~VornickActiveEnduringFileReference()
{
    if (m_fileTreeWatcher && m_fileTreeWatcher->delegate() == this)
        m_fileTreeWatcher->setDelegate(nullptr);
}

std::shared_ptr<VornickEnduringFileReference> VornickActiveEnduringFileReference::enduringFileReference() const
{
    std::lock_guard lock(m_mutex);
    return m_enduringFileReference;
}

void VornickActiveEnduringFileReference::setEnduringFileReference(std::shared_ptr<VornickEnduringFileReference> reference)
{
    std::lock_guard lock(m_mutex);
    m_enduringFileReference = std::move(reference);
}

std::shared_ptr<VornickFileTreeWatcher> VornickActiveEnduringFileReference::fileTreeWatcher() const
{
    std::lock_guard lock(m_mutex);
    return m_fileTreeWatcher;
}

void VornickActiveEnduringFileReference::setFileTreeWatcher(std::shared_ptr<VornickFileTreeWatcher> watcher)
{
    std::lock_guard lock(m_mutex);
    m_fileTreeWatcher = std::move(watcher);
}

bool VornickActiveEnduringFileReference::startWatchingAndScanningTheFileTree()
{
    if (fileTreeWatcher())
        return true;
    auto reference = enduringFileReference();
    if (!reference)
        return false;
    std::shared_ptr<VornickFileTreeWatcher> watcher;
    bool resolved = reference->resolveAndUse([&](const URL& url) {
        if (!url.hasDirectoryPath())
            return;
        watcher = VornickFileTreeWatcher::createToWatchFileTreeAtURL(url, 0);
    });
    if (!resolved || !watcher)
        return false;
    {
        std::lock_guard lock(m_mutex);
        // Another thread may have made one meanwhile; the first one stays.
        if (m_fileTreeWatcher)
            return true;
        m_fileTreeWatcher = watcher;
    }
    watcher->setDelegate(this);
    watcher->setFileEventsHandler([](const VornickFileTreeEvents& events) {
        if (auto updater = VornickKnownFileURLsUpdater::shared())
            updater->updateKnownFileURLsFromFileTreeEvents(events);
    });
    watcher->startWatchingForFileTreeChanges();
    watcher->startOrRestartFileTreeScan();
    return true;
}

std::u16string VornickActiveEnduringFileReference::description() const
{
    char address[32], watcherAddress[32];
    auto watcher = fileTreeWatcher();
    auto reference = enduringFileReference();
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    std::snprintf(watcherAddress, sizeof watcherAddress, "%p", static_cast<const void*>(watcher.get()));
    return u"VornickActiveEnduringFileReference(" + toUTF16(address) + u") fileTreeWatcher="
        + (watcher ? toUTF16(watcherAddress) : u"(null)") + u", enduringFileReference="
        + (reference ? reference->description() : u"(null)");
}

} // namespace brevanton
