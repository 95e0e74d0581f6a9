#include "tests/platform/store/FaultyFileSystem.h"

#include <sqlite3.h>

#include <cstring>
#include <mutex>

namespace brevanton {

namespace {

std::atomic<InjectedFault> currentFault { InjectedFault::None };
std::atomic<int> failureCount { 0 };
sqlite3_vfs* realVFS = nullptr;
sqlite3_vfs faultyVFS;

struct FaultyFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* real(sqlite3_file* file)
{
    return reinterpret_cast<FaultyFile*>(file)->real;
}

int faultyClose(sqlite3_file* file)
{
    sqlite3_file* inner = real(file);
    int result = inner->pMethods ? inner->pMethods->xClose(inner) : SQLITE_OK;
    return result;
}

int faultyRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    return real(file)->pMethods->xRead(real(file), buffer, amount, offset);
}

int faultyWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
{
    InjectedFault fault = currentFault.load();
    if (fault == InjectedFault::WriteError || fault == InjectedFault::DiskFull) {
        ++failureCount;
        return fault == InjectedFault::DiskFull ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    }
    return real(file)->pMethods->xWrite(real(file), buffer, amount, offset);
}

int faultyTruncate(sqlite3_file* file, sqlite3_int64 size)
{
    return real(file)->pMethods->xTruncate(real(file), size);
}

int faultySync(sqlite3_file* file, int flags)
{
    if (currentFault.load() == InjectedFault::SyncError) {
        ++failureCount;
        return SQLITE_IOERR_FSYNC;
    }
    return real(file)->pMethods->xSync(real(file), flags);
}

int faultyFileSize(sqlite3_file* file, sqlite3_int64* size) { return real(file)->pMethods->xFileSize(real(file), size); }
int faultyLock(sqlite3_file* file, int lock) { return real(file)->pMethods->xLock(real(file), lock); }
int faultyUnlock(sqlite3_file* file, int lock) { return real(file)->pMethods->xUnlock(real(file), lock); }
int faultyCheckReservedLock(sqlite3_file* file, int* out) { return real(file)->pMethods->xCheckReservedLock(real(file), out); }
int faultyFileControl(sqlite3_file* file, int op, void* argument) { return real(file)->pMethods->xFileControl(real(file), op, argument); }
int faultySectorSize(sqlite3_file* file) { return real(file)->pMethods->xSectorSize(real(file)); }
int faultyDeviceCharacteristics(sqlite3_file* file) { return real(file)->pMethods->xDeviceCharacteristics(real(file)); }
int faultyShmMap(sqlite3_file* file, int page, int size, int extend, void volatile** out)
{
    return real(file)->pMethods->xShmMap(real(file), page, size, extend, out);
}
int faultyShmLock(sqlite3_file* file, int offset, int count, int flags) { return real(file)->pMethods->xShmLock(real(file), offset, count, flags); }
void faultyShmBarrier(sqlite3_file* file) { real(file)->pMethods->xShmBarrier(real(file)); }
int faultyShmUnmap(sqlite3_file* file, int deleteFlag) { return real(file)->pMethods->xShmUnmap(real(file), deleteFlag); }

const sqlite3_io_methods faultyMethods = {
    2, faultyClose, faultyRead, faultyWrite, faultyTruncate, faultySync, faultyFileSize, faultyLock, faultyUnlock,
    faultyCheckReservedLock, faultyFileControl, faultySectorSize, faultyDeviceCharacteristics, faultyShmMap, faultyShmLock,
    faultyShmBarrier, faultyShmUnmap, nullptr, nullptr,
};

int faultyOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* wrapper = reinterpret_cast<FaultyFile*>(file);
    wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
    std::memset(wrapper->real, 0, realVFS->szOsFile);
    wrapper->base.pMethods = nullptr;
    int result = realVFS->xOpen(realVFS, name, wrapper->real, flags, outFlags);
    if (wrapper->real->pMethods)
        wrapper->base.pMethods = &faultyMethods;
    return result;
}

int faultyDelete(sqlite3_vfs*, const char* name, int syncDirectory) { return realVFS->xDelete(realVFS, name, syncDirectory); }
int faultyAccess(sqlite3_vfs*, const char* name, int flags, int* out) { return realVFS->xAccess(realVFS, name, flags, out); }
int faultyFullPathname(sqlite3_vfs*, const char* name, int size, char* out) { return realVFS->xFullPathname(realVFS, name, size, out); }
void* faultyDlOpen(sqlite3_vfs*, const char* name) { return realVFS->xDlOpen(realVFS, name); }
void faultyDlError(sqlite3_vfs*, int size, char* out) { realVFS->xDlError(realVFS, size, out); }
void (*faultyDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) { return realVFS->xDlSym(realVFS, handle, symbol); }
void faultyDlClose(sqlite3_vfs*, void* handle) { realVFS->xDlClose(realVFS, handle); }
int faultyRandomness(sqlite3_vfs*, int size, char* out) { return realVFS->xRandomness(realVFS, size, out); }
int faultySleep(sqlite3_vfs*, int microseconds) { return realVFS->xSleep(realVFS, microseconds); }
int faultyCurrentTime(sqlite3_vfs*, double* out) { return realVFS->xCurrentTime(realVFS, out); }
int faultyGetLastError(sqlite3_vfs*, int size, char* out) { return realVFS->xGetLastError ? realVFS->xGetLastError(realVFS, size, out) : 0; }
int faultyCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) { return realVFS->xCurrentTimeInt64(realVFS, out); }

} // namespace

const char* FaultyFileSystem::name()
{
    static std::once_flag once;
    std::call_once(once, [] {
        realVFS = sqlite3_vfs_find(nullptr);
        faultyVFS = sqlite3_vfs {};
        faultyVFS.iVersion = 2;
        faultyVFS.szOsFile = static_cast<int>(sizeof(FaultyFile)) + realVFS->szOsFile;
        faultyVFS.mxPathname = realVFS->mxPathname;
        faultyVFS.zName = "brevanton-faulty";
        faultyVFS.xOpen = faultyOpen;
        faultyVFS.xDelete = faultyDelete;
        faultyVFS.xAccess = faultyAccess;
        faultyVFS.xFullPathname = faultyFullPathname;
        faultyVFS.xDlOpen = faultyDlOpen;
        faultyVFS.xDlError = faultyDlError;
        faultyVFS.xDlSym = faultyDlSym;
        faultyVFS.xDlClose = faultyDlClose;
        faultyVFS.xRandomness = faultyRandomness;
        faultyVFS.xSleep = faultySleep;
        faultyVFS.xCurrentTime = faultyCurrentTime;
        faultyVFS.xGetLastError = faultyGetLastError;
        faultyVFS.xCurrentTimeInt64 = faultyCurrentTimeInt64;
        sqlite3_vfs_register(&faultyVFS, 0);
    });
    return faultyVFS.zName;
}

void FaultyFileSystem::inject(InjectedFault fault)
{
    failureCount = 0;
    currentFault = fault;
}

int FaultyFileSystem::failures()
{
    return failureCount.load();
}

} // namespace brevanton
