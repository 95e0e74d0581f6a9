// ManagedObjectContext: a scratch pad of objects over a persistent store. It
// holds one object per stored row (asking twice answers the same object),
// tracks inserted, updated and deleted objects, and writes them in one
// transaction on save, all or nothing; rollback discards them. Ids are
// permanent from insertion and never given again, not after a rollback or a
// crash.
//
// Fetches see the context's unsaved changes. The context posts
// ManagedObjectContextObjectsDidChangeNotification once per run-loop turn in
// which its objects changed (or when processPendingChanges is called), and
// ManagedObjectContextDidSaveNotification after a save; both carry the
// objects under the InsertedObjectsKey, UpdatedObjectsKey and
// DeletedObjectsKey user objects (ManagedObjects).
//
// A context is used only on the thread that made it: every operation, and
// every operation of its objects, asserts it.
#pragma once

#include "platform/store/FetchRequest.h"
#include "platform/store/ManagedObject.h"
#include "platform/store/PersistentStore.h"
#include "platform/foundation/Error.h"

#include <memory>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

namespace brevanton {

class NotificationCenter;

using ManagedObjects = std::vector<std::shared_ptr<ManagedObject>>;

inline constexpr const char* ManagedObjectContextObjectsDidChangeNotification = "ManagedObjectContextObjectsDidChangeNotification";
inline constexpr const char* ManagedObjectContextDidSaveNotification = "ManagedObjectContextDidSaveNotification";
inline constexpr const char* InsertedObjectsKey = "inserted";
inline constexpr const char* UpdatedObjectsKey = "updated";
inline constexpr const char* DeletedObjectsKey = "deleted";

class ManagedObjectContext : public std::enable_shared_from_this<ManagedObjectContext> {
public:
    // A context on the calling thread, posting to `center` (the default
    // center when null).
    static std::shared_ptr<ManagedObjectContext> create(std::shared_ptr<PersistentStore> store,
                                                        NotificationCenter* center = nullptr);
    ~ManagedObjectContext();
    ManagedObjectContext(const ManagedObjectContext&) = delete;
    ManagedObjectContext& operator=(const ManagedObjectContext&) = delete;

    const std::shared_ptr<PersistentStore>& persistentStore() const { return m_store; }
    const ManagedObjectModel& model() const;

    // A new object of the entity (asserted to exist), with its permanent id.
    std::shared_ptr<ManagedObject> insertNewObject(std::u16string_view entityName);
    // A new object of T's entity, as T.
    template<EntityClass T> std::shared_ptr<T> insertNewObject() { return entityCast<T>(insertNewObject(T::entityName)); }
    // Marks the object deleted and applies the delete rules of its
    // relationships. An object inserted since the last save just goes away.
    void deleteObject(const std::shared_ptr<ManagedObject>& object);

    // Writes every change in one transaction. On failure answers false with
    // an Error (PersistentStoreSaveError, the SQLite failure underlying),
    // leaves the file as it was and keeps the changes.
    [[nodiscard]] bool save(Error* outError);
    // Discards every change since the last save.
    void rollback();

    bool hasChanges() const;
    ManagedObjects insertedObjects() const;
    ManagedObjects updatedObjects() const;
    ManagedObjects deletedObjects() const;

    // The objects of the request's entity that match, with the unsaved
    // changes; none with an Error (PersistentStoreFetchError) when the
    // request names unknown keys or the store cannot be read.
    [[nodiscard]] std::optional<ManagedObjects> executeFetchRequest(const FetchRequest& request, Error* outError);
    // The same for a request of T's entity (asserted), as T.
    template<EntityClass T>
    [[nodiscard]] std::optional<std::vector<std::shared_ptr<T>>> executeFetchRequest(const FetchRequest& request, Error* outError);

    // The object of that id when it exists in this context or its store
    // (null for an id of another store, an unknown row or a deleted object).
    std::shared_ptr<ManagedObject> existingObjectWithID(const ManagedObjectID& objectID);

    // Posts the objects-did-change notification for the changes not yet
    // announced (the run loop does this at the end of each turn).
    void processPendingChanges();

    struct Private;

private:
    ManagedObjectContext(std::shared_ptr<PersistentStore> store, NotificationCenter* center);
    friend class ManagedObject;
    friend class StoreObjectAccess;
    friend class ManagedObjectContextTestPeer;

    void assertOwnThread() const;
    static void assertFetchOfEntity(const FetchRequest&, std::u16string_view entityName);

    std::shared_ptr<PersistentStore> m_store;
    std::thread::id m_thread;
    std::unique_ptr<Private> m_private;
};

template<EntityClass T>
std::optional<std::vector<std::shared_ptr<T>>> ManagedObjectContext::executeFetchRequest(const FetchRequest& request, Error* outError)
{
    assertFetchOfEntity(request, T::entityName);
    auto objects = executeFetchRequest(request, outError);
    if (!objects)
        return std::nullopt;
    return entityCast<T>(std::move(*objects));
}

} // namespace brevanton
