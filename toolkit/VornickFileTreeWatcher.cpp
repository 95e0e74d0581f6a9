#include "toolkit/VornickFileTreeWatcher.h"

#include <mutex>

namespace brevanton {

namespace {

std::mutex& hooksMutex()
{
    static std::mutex mutex;
    return mutex;
}

VornickFileTreeWatcher::Maker& maker()
{
    static VornickFileTreeWatcher::Maker* maker = new VornickFileTreeWatcher::Maker;
    return *maker;
}

std::shared_ptr<VornickKnownFileURLsUpdater>& sharedUpdater()
{
    static auto* updater = new std::shared_ptr<VornickKnownFileURLsUpdater>;
    return *updater;
}

} // namespace

std::shared_ptr<VornickFileTreeWatcher> VornickFileTreeWatcher::createToWatchFileTreeAtURL(const URL& folderURL,
                                                                                        uint64_t resumingFromFSEventID)
{
    Maker make;
    {
        std::lock_guard lock(hooksMutex());
        make = maker();
    }
    return make ? make(folderURL, resumingFromFSEventID) : nullptr;
}

void VornickFileTreeWatcher::setMaker(Maker newMaker)
{
    std::lock_guard lock(hooksMutex());
    maker() = std::move(newMaker);
}

std::shared_ptr<VornickKnownFileURLsUpdater> VornickKnownFileURLsUpdater::shared()
{
    std::lock_guard lock(hooksMutex());
    return sharedUpdater();
}

void VornickKnownFileURLsUpdater::setShared(std::shared_ptr<VornickKnownFileURLsUpdater> updater)
{
    std::lock_guard lock(hooksMutex());
    sharedUpdater() = std::move(updater);
}

} // namespace brevanton
