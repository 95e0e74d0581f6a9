// PersistentStore: an SQLite file holding the objects of one model, opened in
// WAL mode with full synchronisation, so that a save that answered true
// survives a crash or power loss. The file records its identifier (a UUID
// that object URIs name) and the version of the model that wrote it.
//
// Opening a file written by an older model adds what the new model added
// (entities, attributes, relationships) in place. Any other difference makes
// opening fail with PersistentStoreIncompatibleModelError: the caller then
// removes the file (destroy) and builds it anew from its own sources.
//
// Contexts (ManagedObjectContext) read and write through the store; several
// may share it, from their own threads.
#pragma once

#include "platform/store/ManagedObjectID.h"
#include "platform/store/ManagedObjectModel.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

inline constexpr const char* PersistentStoreErrorDomain = "PersistentStoreErrorDomain";
// The file cannot be opened or read as a store (not a database, corrupt, no access).
inline constexpr int64_t PersistentStoreOpenError = 1;
// The file was written by a model this one cannot migrate in place.
inline constexpr int64_t PersistentStoreIncompatibleModelError = 2;
// Writing a save failed; the file is as it was and the changes are still in the context.
inline constexpr int64_t PersistentStoreSaveError = 3;
// A fetch names a key path the entity does not have, or reading failed.
inline constexpr int64_t PersistentStoreFetchError = 4;
// Predicate text that does not parse.
inline constexpr int64_t PredicateFormatError = 5;

struct PersistentStoreOptions {
    // The SQLite VFS to open the file through; empty: the default one.
    std::string vfsName;
    // A first filling of a new file, which its owner erases when it finds
    // it after a crash before finishFilling (a marker of its own says so):
    // until then nothing the store writes is synced to disk, a new file is
    // written without the log (its rollback journal in memory), and object
    // numbers are recorded by the saves rather than in blocks before they
    // are given. Opening an existing file this way is allowed but gains
    // nothing.
    bool firstFilling { false };
};

class PersistentStore {
public:
    // Opens (creating when missing) the store at `path` (UTF-8). Null with
    // an Error of PersistentStoreErrorDomain on failure.
    [[nodiscard]] static std::shared_ptr<PersistentStore> open(const std::string& path,
                                                               std::shared_ptr<const ManagedObjectModel> model,
                                                               Error* outError,
                                                               const PersistentStoreOptions& options = {});
    // Removes a store file with its journal companions ("-wal", "-shm").
    // True when none of them is left.
    [[nodiscard]] static bool destroy(const std::string& path, Error* outError);

    ~PersistentStore();
    PersistentStore(const PersistentStore&) = delete;
    PersistentStore& operator=(const PersistentStore&) = delete;

    const std::u16string& identifier() const;
    const std::string& path() const;
    const ManagedObjectModel& model() const;
    // Whether opening added entities or properties of a newer model.
    bool migrated() const;

    // Object numbers are recorded as used in the file, in blocks, before
    // they are given, so that none comes back after a crash (a transaction
    // of its own, synced, per block). During a first filling
    // (PersistentStoreOptions::firstFilling) each save records the highest
    // number given with its changes instead, and nothing is synced.
    //
    // finishFilling ends a first filling: it records the numbers given
    // since the last save, turns the log on and syncs the file and its
    // log, so that all the store wrote is on disk when it answers true;
    // from then on every commit is synced and numbers are recorded before
    // they are given.
    // False with the error when that fails: the file is not to be trusted
    // (its owner keeps its marker); the store goes on as after a success.
    // True at once for a store opened otherwise.
    [[nodiscard]] bool finishFilling(Error* outError);

    // The id a URI names, when it is an object URI of this store and of an
    // entity of its model (whether the object exists is the context's
    // question); none otherwise.
    std::optional<ManagedObjectID> managedObjectIDForURIRepresentation(const URL&) const;

    struct Private;

private:
    PersistentStore();
    friend class ManagedObjectContext;
    friend class PersistentStoreTestPeer;
    std::unique_ptr<Private> m_private;
};

} // namespace brevanton
