// VornickFileManager: the program's shared file manager, which finds the
// standard folders. On this system the user's folders are the XDG base
// folders: application support is $XDG_DATA_HOME, caches $XDG_CACHE_HOME.
// Callers add the folder named by the bundle identifier themselves.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

#include <optional>

namespace brevanton {

enum class VornickSearchPathDirectory {
    ApplicationSupportDirectory,
    CachesDirectory,
};

enum VornickSearchPathDomainMask : unsigned {
    VornickUserDomainMask = 1,
};

class VornickFileManager {
public:
    static VornickFileManager& defaultManager();

    // The folder's URL (a directory URL), made with its parents when `create`;
    // nothing with an error when it cannot be made or the domain has no such
    // folder. `appropriateForURL` is not used by these folders.
    [[nodiscard]] std::optional<URL> URLForDirectory(VornickSearchPathDirectory, unsigned domainMask, const URL* appropriateForURL,
                                       bool create, Error* outError = nullptr);

private:
    VornickFileManager() = default;
};

} // namespace brevanton
