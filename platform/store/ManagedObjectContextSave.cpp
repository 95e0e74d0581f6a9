// Saving a context: every change in one transaction, all or nothing.
#include "platform/store/ManagedObjectContext.h"

#include "platform/store/ManagedObjectContextInternals.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"

namespace brevanton {

static bool bindRow(SQLiteStatement& statement, const PersistentStore::Private& store, const ManagedObject& object,
                    const std::vector<Value>& attributes, const std::vector<int64_t>& toOne, int first)
{
    const EntityDescription& entity = object.entity();
    int parameter = first;
    for (size_t i = 0; i < entity.attributes().size(); ++i)
        bindAttributeValue(statement, parameter++, entity.attributes()[i].type, attributes[i]);
    for (int index : store.table(entity).toOneRelationships) {
        if (toOne[index])
            statement.bindInteger(parameter++, toOne[index]);
        else
            statement.bindNull(parameter++);
    }
    return true;
}

struct SaveWriter {
    PersistentStore::Private& store;
    Error* outError;

    SQLiteStatement* statement(const std::string& sql) { return store.database.cachedStatement(sql, outError); }

    bool run(SQLiteStatement* statement)
    {
        return statement && statement->execute(outError);
    }

    bool writeRow(const ManagedObject& object, bool insert, const std::vector<Value>& attributes, const std::vector<int64_t>& toOne)
    {
        const EntityTable& table = store.table(object.entity());
        int64_t number = object.objectID().number();
        if (insert) {
            SQLiteStatement* insertStatement = statement(table.insert);
            if (!insertStatement)
                return false;
            insertStatement->bindInteger(1, number);
            bindRow(*insertStatement, store, object, attributes, toOne, 2);
            return run(insertStatement);
        }
        if (table.update.empty())
            return true;
        SQLiteStatement* updateStatement = statement(table.update);
        if (!updateStatement)
            return false;
        bindRow(*updateStatement, store, object, attributes, toOne, 1);
        updateStatement->bindInteger(static_cast<int>(object.entity().attributes().size() + table.toOneRelationships.size() + 1), number);
        return run(updateStatement);
    }

    bool removeJoinRows(const std::string& joinTable, const char* column, int64_t number)
    {
        SQLiteStatement* remove = statement("DELETE FROM " + quotedSQLIdentifier(toUTF16(joinTable)) + " WHERE " + column + " = ?");
        if (!remove)
            return false;
        remove->bindInteger(1, number);
        return run(remove);
    }

    bool writeJoinRows(const std::string& joinTable, int64_t owner, const std::vector<int64_t>& others, bool inserted)
    {
        if (!inserted && !removeJoinRows(joinTable, "owner", owner))
            return false;
        SQLiteStatement* insert = statement("INSERT INTO " + quotedSQLIdentifier(toUTF16(joinTable)) + " (owner, other) VALUES (?, ?)");
        if (!insert)
            return false;
        for (int64_t other : others) {
            insert->bindInteger(1, owner);
            insert->bindInteger(2, other);
            if (!run(insert))
                return false;
        }
        return true;
    }
};

bool ManagedObjectContext::save(Error* outError)
{
    assertOwnThread();
    Private& d = *m_private;
    d.noticeOtherSaves();
    processPendingChanges();
    if (d.changed.empty())
        return true;

    // Objects may still change their own values before they are written.
    for (auto& [number, object] : std::map(d.changed)) {
        if (object->m_state == ManagedObject::State::Inserted || object->m_state == ManagedObject::State::Updated)
            object->willSave();
    }
    processPendingChanges();

    PersistentStore::Private& store = *d.store;
    Error error;
    {
        std::lock_guard lock(store.mutex);
        SaveWriter writer { store, &error };
        SQLiteTransaction transaction(store.database, &error);
        bool written = transaction.began();
        for (auto& [number, object] : d.changed) {
            if (!written)
                break;
            const EntityDescription& entity = *object->m_entity;
            const EntityTable& table = store.table(entity);
            if (object->m_state == ManagedObject::State::Deleted) {
                SQLiteStatement* remove = writer.statement(table.remove);
                written = remove != nullptr;
                if (written) {
                    remove->bindInteger(1, number);
                    written = writer.run(remove);
                }
                for (size_t i = 0; written && i < entity.relationships().size(); ++i) {
                    if (table.storage[i] == RelationshipStorage::JoinTableOwner)
                        written = writer.removeJoinRows(table.joinTables[i], "owner", number);
                    else if (table.storage[i] == RelationshipStorage::JoinTableOther)
                        written = writer.removeJoinRows(table.joinTables[i], "other", number);
                }
                continue;
            }
            std::vector<int64_t> toOne;
            for (auto& relationship : object->m_relationships)
                toOne.push_back(relationship.toOne);
            written = writer.writeRow(*object, object->m_state == ManagedObject::State::Inserted, object->m_attributes, toOne);
            for (size_t i = 0; written && i < entity.relationships().size(); ++i) {
                if (table.storage[i] == RelationshipStorage::JoinTableOwner && object->m_relationships[i].loaded)
                    written = writer.writeJoinRows(table.joinTables[i], number, object->m_relationships[i].toMany,
                                                   object->m_state == ManagedObject::State::Inserted);
            }
        }
        if (written)
            written = store.recordNextNumber(store.nextNumber, &error);
        if (!written || !transaction.commit(&error)) {
            Error saveError(PersistentStoreErrorDomain, PersistentStoreSaveError,
                            toUTF16("The changes could not be saved to " + store.path + ": " + toUTF8(error.localizedDescription())));
            saveError.setUnderlyingError(error);
            return setError(outError, std::move(saveError));
        }
        store.reservedEnd = std::max(store.reservedEnd, store.nextNumber);
        ++store.saveGeneration;
        d.knownGeneration = store.saveGeneration.load();
    }

    ManagedObjects inserted, updated, deleted;
    auto changed = std::move(d.changed);
    d.changed.clear();
    for (auto& [number, object] : changed) {
        switch (object->m_state) {
        case ManagedObject::State::Inserted:
            inserted.push_back(object);
            break;
        case ManagedObject::State::Updated:
            updated.push_back(object);
            break;
        case ManagedObject::State::Deleted:
            deleted.push_back(object);
            d.unregister(*object);
            continue;
        case ManagedObject::State::Unchanged:
            break;
        }
        object->m_state = ManagedObject::State::Unchanged;
        object->m_committed.reset();
    }
    Notification notification;
    notification.name = ManagedObjectContextDidSaveNotification;
    notification.object = this;
    notification.userObjects[InsertedObjectsKey] = std::move(inserted);
    notification.userObjects[UpdatedObjectsKey] = std::move(updated);
    notification.userObjects[DeletedObjectsKey] = std::move(deleted);
    d.center->post(notification);
    return true;
}

} // namespace brevanton
