// VornickProjectLock: one program at a time holds a project's folder, so
// that two never sync one account, nor write its files and index, at once.
// The hold is an advisory lock (flock) on the file ".brevanton-project.lock"
// in the folder, taken when the project opens and kept while it is open; it
// goes with the process, also a killed one. Projects of one process share
// the hold of a folder. The file holds the holder's process id, so that the
// program refused can say which one holds it.
#pragma once

#include "platform/foundation/Error.h"

#include <memory>
#include <string>

namespace brevanton {

inline constexpr char VornickProjectLockFileName[] = ".brevanton-project.lock";

class VornickProjectLock {
public:
    // The hold of the folder: this process's when it has one, else a new
    // one. Null with VornickAccountInUseError when another program holds
    // the folder, or with the file error when the lock file cannot be made.
    [[nodiscard]] static std::shared_ptr<VornickProjectLock> acquire(const std::string& folderPath, Error* outError);

    ~VornickProjectLock();
    VornickProjectLock(const VornickProjectLock&) = delete;
    VornickProjectLock& operator=(const VornickProjectLock&) = delete;

private:
    VornickProjectLock(std::string key, int fd);

    std::string m_key;
    int m_fd;
};

} // namespace brevanton
