#include "blog/VornickComponentFileNames.h"

#include "platform/foundation/Text.h"

#include <sys/stat.h>

namespace brevanton {

namespace {

bool takenOnDisk(const std::optional<URL>& folder, const std::u16string& name)
{
    if (!folder)
        return false;
    auto path = folder->URLByAppendingPathComponent(name, false).fileSystemPath();
    if (!path)
        return false;
    struct stat status;
    // Anything but "no such file" (a permission error too) counts as taken.
    return lstat(path->c_str(), &status) == 0 || errno != ENOENT;
}

} // namespace

std::u16string vornick_uniqueComponentFileName(std::u16string_view baseName, std::u16string_view extension,
                                               const std::optional<URL>& folder,
                                               const std::function<bool(const std::u16string&)>& takenInStore)
{
    // A folder that cannot be read, or a file where the folder should be,
    // answers "taken" for every name: past this many the store alone
    // decides, and the write that follows reports what the disk refuses.
    constexpr unsigned maximumDiskProbes = 1000;
    for (unsigned number = 1;; ++number) {
        std::u16string name(baseName);
        if (number > 1)
            name += u" " + toUTF16(std::to_string(number));
        if (!extension.empty())
            name += u"." + std::u16string(extension);
        if (!takenInStore(name) && (number > maximumDiskProbes || !takenOnDisk(folder, name)))
            return name;
    }
}

} // namespace brevanton
