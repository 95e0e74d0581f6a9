#include "toolkit/VornickFileManager.h"

#include "platform/foundation/FileUtilities.h"

#include <cerrno>

namespace brevanton {

VornickFileManager& VornickFileManager::defaultManager()
{
    static VornickFileManager* manager = new VornickFileManager;
    return *manager;
}

std::optional<URL> VornickFileManager::URLForDirectory(VornickSearchPathDirectory directory, unsigned domainMask,
                                                       const URL*, bool create, Error* outError)
{
    if (!(domainMask & VornickUserDomainMask)) {
        setError(outError, Error(CocoaErrorDomain, 4, u"There is no such folder in that domain."));
        return std::nullopt;
    }
    std::string path;
    switch (directory) {
    case VornickSearchPathDirectory::ApplicationSupportDirectory:
        path = xdgFolder(XDGFolder::Data);
        break;
    case VornickSearchPathDirectory::CachesDirectory:
        path = xdgFolder(XDGFolder::Cache);
        break;
    }
    if (create && !createDirectory(path, true, outError, 0700))
        return std::nullopt;
    return URL::fileURLWithPath(path, true);
}

} // namespace brevanton
