#include "documents/VornickProjectIndex.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/PersistentStore.h"
#include "platform/store/SQLiteDatabase.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"

#include <cstdio>
#include <sqlite3.h>

namespace brevanton {

namespace {

std::string markerPath(const std::string& indexPath)
{
    return indexPath + ".indexing";
}

// Whether opening failed because the file is no store, or a damaged one;
// not when it is only out of reach now (busy, no access, a full disk).
bool unreadable(const Error& error)
{
    if (!error.is(PersistentStoreErrorDomain, PersistentStoreOpenError))
        return false;
    const Error* cause = error.underlyingError();
    if (!cause || cause->isEmpty())
        return true;
    int64_t primary = cause->code() & 0xFF;
    return cause->domain() == SQLiteErrorDomain && (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_FORMAT);
}

} // namespace

std::string VornickProjectIndex::indexFilePathForProjectIdentifier(const UUID& identifier)
{
    return xdgFolder(XDGFolder::Data) + "/" + ApplicationFolderName + "/" + toUTF8(identifier.UUIDString()) + "."
        + toUTF8(FilenameExtension);
}

std::shared_ptr<VornickProjectIndex> VornickProjectIndex::createForProjectIdentifier(
    const UUID& identifier, std::shared_ptr<const ManagedObjectModel> model, Error* outError)
{
    if (!applicationFolder(XDGFolder::Data, true, outError))
        return nullptr;
    std::string path = indexFilePathForProjectIdentifier(identifier);
    std::string marker = markerPath(path);
    bool isNew = !fileExists(path);
    Error error;
    std::u16string notice;
    if (!isNew && fileExists(marker)) {
        VornickGeneralLog("-[VornickProjectIndex createForProjectIdentifier] The first indexing into {} did not finish; "
                          "erasing it to index the project's files again",
                          path);
        if (!PersistentStore::destroy(path, &error)) {
            if (outError)
                *outError = error;
            return nullptr;
        }
        isNew = true;
    }

    // The marker is on disk before a new file is: a first filling writes
    // the file without syncing it, and only the marker tells a file a crash
    // left half written from a whole one.
    auto openStore = [&](bool firstFilling) -> std::shared_ptr<PersistentStore> {
        if (firstFilling && !fileExists(marker) && !writeFileAtomically(marker, "", &error))
            return nullptr;
        PersistentStoreOptions options;
        options.firstFilling = firstFilling;
        return PersistentStore::open(path, model, &error, options);
    };
    auto store = openStore(isNew);
    if (!store && error.is(PersistentStoreErrorDomain, PersistentStoreIncompatibleModelError)) {
        VornickGeneralLog("-[VornickProjectIndex createForProjectIdentifier] The index {} was written by an incompatible "
                          "model; erasing it to index the project's files again",
                          path);
        if (!PersistentStore::destroy(path, &error)) {
            if (outError)
                *outError = error;
            return nullptr;
        }
        isNew = true;
        store = openStore(true);
    }
    if (!store && unreadable(error) && fileExists(path)) {
        // The files are the truth: an index that cannot be read is set aside
        // (for a look at what went wrong) and built anew from them.
        std::string setAside = path + ".unreadable";
        Error moveError;
        (void)PersistentStore::destroy(setAside, nullptr);
        if (::rename(path.c_str(), setAside.c_str()) == 0 && PersistentStore::destroy(path, &moveError)) {
            notice = u"The project index \u201C" + toUTF16(path) + u"\u201D could not be read ("
                + error.localizedDescription() + u"); it was set aside as \u201C" + toUTF16(setAside)
                + u"\u201D and is built again from the project\u2019s files.";
            VornickGeneralLog(notice);
            isNew = true;
            store = openStore(true);
        }
    }
    if (!store) {
        if (outError) {
            *outError = Error(VornickErrorDomain, VornickProjectIndexError,
                              u"The project index \u201C" + toUTF16(path) + u"\u201D cannot be opened.");
            outError->userInfo()[Error::FilePathKey] = Value(toUTF16(path));
            outError->setUnderlyingError(error);
        }
        return nullptr;
    }
    auto context = ManagedObjectContext::create(std::move(store));
    auto index = std::shared_ptr<VornickProjectIndex>(new VornickProjectIndex(std::move(path), std::move(context), isNew));
    index->m_rebuildNotice = std::move(notice);
    return index;
}

VornickProjectIndex::VornickProjectIndex(std::string filePath, std::shared_ptr<ManagedObjectContext> context, bool isNew)
    : m_filePath(std::move(filePath))
    , m_context(std::move(context))
    , m_isNew(isNew)
{
}

VornickProjectIndex::~VornickProjectIndex() = default;

void VornickProjectIndex::noteFilled()
{
    if (!m_isNew)
        return;
    Error error;
    // What the filling wrote (unsynced), with the numbers given since the
    // last save, is on disk before the marker goes.
    if (!m_context->persistentStore()->finishFilling(&error)) {
        VornickGeneralLog("-[VornickProjectIndex noteFilled] Keeping {}: {}", markerPath(m_filePath), error.localizedDescription());
        return;
    }
    if (!removeItem(markerPath(m_filePath), &error))
        VornickGeneralLog("-[VornickProjectIndex noteFilled] Failed to remove {}: {}", markerPath(m_filePath),
                          error.localizedDescription());
    syncFolderOf(m_filePath);
    m_isNew = false;
}

bool VornickProjectIndex::commitEditingAndSave(Error* outError)
{
    m_context->processPendingChanges();
    if (!m_context->hasChanges())
        return true;
    return m_context->save(outError);
}

} // namespace brevanton
