// An SQLite VFS over the default one whose writes and flushes fail on
// demand: stores opened through it (PersistentStoreOptions::vfsName) meet
// I/O errors and a full disk where tests choose.
#pragma once

#include "platform/store/PersistentStore.h"

#include <atomic>

namespace brevanton {

enum class InjectedFault {
    None,
    WriteError, // every write fails with an I/O error
    DiskFull,   // every write fails with a full disk
    SyncError,  // every flush to disk fails
};

struct FaultyFileSystem {
    // Registers the VFS once; answers its name.
    static const char* name();
    // Options that open a store through the VFS.
    static PersistentStoreOptions storeOptions()
    {
        PersistentStoreOptions options;
        options.vfsName = name();
        return options;
    }
    static void inject(InjectedFault);
    // Writes and flushes that failed since the last inject().
    static int failures();
};

} // namespace brevanton
