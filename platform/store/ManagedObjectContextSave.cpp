// Saving a context: every change in one transaction, all or nothing.
#include "platform/store/ManagedObjectContext.h"

#include "platform/store/ManagedObjectContextInternals.h"
#include "platform/store/StoreObjectAccess.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"

#include <unordered_map>

namespace brevanton {

namespace {

// Writes the changes of one save inside its transaction. Updates and
// deletions are written as they come; inserted rows, and the rows of join
// tables, are gathered and written last, several rows a statement.
class SaveWriter {
public:
    SaveWriter(PersistentStore::Private& store, Error* outError)
        : m_store(store)
        , m_outError(outError)
        , m_insertedObjects(store.tables.size())
        , m_joinRows(store.tables.size())
    {
    }

    [[nodiscard]] bool write(const std::map<int64_t, std::shared_ptr<ManagedObject>>& changed)
    {
        for (auto& [number, object] : changed) {
            if (!writeChange(*object))
                return false;
        }
        for (size_t entity = 0; entity < m_insertedObjects.size(); ++entity) {
            if (!m_insertedObjects[entity].empty() && !insertObjects(m_store.tables[entity], m_insertedObjects[entity]))
                return false;
        }
        for (size_t entity = 0; entity < m_joinRows.size(); ++entity) {
            for (auto& [relationship, rows] : m_joinRows[entity]) {
                if (!insertJoinRows(m_store.tables[entity].joinInsertRows[relationship], rows))
                    return false;
            }
        }
        return true;
    }

private:
    // The database's statement for the text, looked up once a save by the
    // text's address (the store's statements are long and alike). Each run
    // resets it and clears its bindings.
    SQLiteStatement* statement(const std::string& sql)
    {
        auto [found, added] = m_statements.try_emplace(&sql, nullptr);
        if (added)
            found->second = m_store.database.cachedStatement(sql, m_outError);
        return found->second;
    }

    bool run(SQLiteStatement* statement) { return statement && statement->execute(m_outError); }

    // Binds the object's row from parameter `first` on: its number (unless
    // `withNumber` is false), its attributes, its to-one relationships. The
    // statement comes with its parameters cleared (NULL), so a null value or
    // an empty relationship is left as it is.
    static void bindRow(SQLiteStatement& statement, const EntityTable& table, const ManagedObject& object, int first, bool withNumber)
    {
        const EntityDescription& entity = object.entity();
        int parameter = first;
        if (withNumber)
            statement.bindInteger(parameter++, StoreObjectAccess::number(object));
        for (size_t i = 0; i < entity.attributes().size(); ++i, ++parameter) {
            const Value& value = StoreObjectAccess::attribute(object, static_cast<int>(i));
            if (!value.isNull())
                bindAttributeValue(statement, parameter, entity.attributes()[i].type, value);
        }
        for (int index : table.toOneRelationships) {
            if (int64_t destination = StoreObjectAccess::toOneNumber(object, index))
                statement.bindInteger(parameter, destination);
            ++parameter;
        }
    }

    bool writeChange(const ManagedObject& object)
    {
        const EntityDescription& entity = object.entity();
        const EntityTable& table = m_store.table(entity);
        int64_t number = StoreObjectAccess::number(object);
        if (object.isDeleted()) {
            SQLiteStatement* remove = statement(table.remove);
            if (!remove)
                return false;
            remove->bindInteger(1, number);
            if (!run(remove))
                return false;
            for (size_t i = 0; i < entity.relationships().size(); ++i) {
                if (table.storage[i] == RelationshipStorage::JoinTableOwner && !removeJoinRows(table.joinTables[i], "owner", number))
                    return false;
                if (table.storage[i] == RelationshipStorage::JoinTableOther && !removeJoinRows(table.joinTables[i], "other", number))
                    return false;
            }
            return true;
        }
        bool inserted = object.isInserted();
        if (inserted) {
            m_insertedObjects[entity.index()].push_back(&object);
        } else if (!table.update.empty()) {
            SQLiteStatement* update = statement(table.update);
            if (!update)
                return false;
            bindRow(*update, table, object, 1, false);
            update->bindInteger(static_cast<int>(entity.attributes().size() + table.toOneRelationships.size() + 1), number);
            if (!run(update))
                return false;
        }
        for (size_t i = 0; i < entity.relationships().size(); ++i) {
            // Relationships never loaded are as the file has them.
            const std::vector<int64_t>* others = table.storage[i] == RelationshipStorage::JoinTableOwner
                ? StoreObjectAccess::loadedToManyNumbers(object, static_cast<int>(i))
                : nullptr;
            if (!others)
                continue;
            if (!inserted && !removeJoinRows(table.joinTables[i], "owner", number))
                return false;
            auto& rows = m_joinRows[entity.index()][i];
            for (int64_t other : *others)
                rows.emplace_back(number, other);
        }
        return true;
    }

    bool removeJoinRows(const std::string& joinTable, const char* column, int64_t number)
    {
        SQLiteStatement* remove
            = m_store.database.cachedStatement("DELETE FROM " + quotedSQLIdentifier(toUTF16(joinTable)) + " WHERE " + column + " = ?", m_outError);
        if (!remove)
            return false;
        remove->bindInteger(1, number);
        return run(remove);
    }

    // Writes `count` rows through the statements of `insertion`, largest
    // first; `bind` binds one row from a parameter on.
    template<typename BindRow>
    bool insertRows(const RowInsertion& insertion, size_t count, const BindRow& bind)
    {
        size_t next = 0;
        for (auto& [rows, sql] : insertion.statements) {
            while (count - next >= rows) {
                SQLiteStatement* insert = statement(sql);
                if (!insert)
                    return false;
                for (size_t row = 0; row < rows; ++row)
                    bind(*insert, next + row, static_cast<int>(row * insertion.columns + 1));
                if (!run(insert))
                    return false;
                next += rows;
            }
        }
        return true;
    }

    bool insertObjects(const EntityTable& table, const std::vector<const ManagedObject*>& objects)
    {
        return insertRows(table.insertRows, objects.size(), [&](SQLiteStatement& insert, size_t index, int first) {
            bindRow(insert, table, *objects[index], first, true);
        });
    }

    bool insertJoinRows(const RowInsertion& insertion, const std::vector<std::pair<int64_t, int64_t>>& rows)
    {
        return insertRows(insertion, rows.size(), [&](SQLiteStatement& insert, size_t index, int first) {
            insert.bindInteger(first, rows[index].first);
            insert.bindInteger(first + 1, rows[index].second);
        });
    }

    PersistentStore::Private& m_store;
    Error* m_outError;
    // By entity index: the objects to insert, in number order.
    std::vector<std::vector<const ManagedObject*>> m_insertedObjects;
    // By entity index, then relationship index: (owner, other) rows, in order.
    std::vector<std::map<size_t, std::vector<std::pair<int64_t, int64_t>>>> m_joinRows;
    std::unordered_map<const std::string*, SQLiteStatement*> m_statements;
};

} // namespace

bool ManagedObjectContext::save(Error* outError)
{
    assertOwnThread();
    Private& d = *m_private;
    d.noticeOtherSaves();
    processPendingChanges();
    if (d.changed.empty())
        return true;

    // Objects may still change their own values before they are written
    // (and those of others: the map may change meanwhile).
    auto willBeWritten = [](const ManagedObject& object) {
        return object.m_state == ManagedObject::State::Inserted || object.m_state == ManagedObject::State::Updated;
    };
    ManagedObjects saving;
    saving.reserve(d.changed.size());
    for (auto& [number, object] : d.changed) {
        if (willBeWritten(*object))
            saving.push_back(object);
    }
    for (auto& object : saving) {
        if (willBeWritten(*object))
            object->willSave();
    }
    processPendingChanges();

    PersistentStore::Private& store = *d.store;
    Error error;
    {
        std::lock_guard lock(store.mutex);
        SQLiteTransaction transaction(store.database, &error);
        bool written = transaction.began() && SaveWriter(store, &error).write(d.changed) && store.recordNextNumber(store.nextNumber, &error);
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
    // The map goes with this pass: its objects move to the notification's lists.
    for (auto& [number, object] : changed) {
        ManagedObject& saved = *object;
        switch (saved.m_state) {
        case ManagedObject::State::Inserted:
            inserted.push_back(std::move(object));
            break;
        case ManagedObject::State::Updated:
            updated.push_back(std::move(object));
            break;
        case ManagedObject::State::Deleted:
            deleted.push_back(std::move(object));
            d.unregister(saved);
            continue;
        case ManagedObject::State::Unchanged:
            break;
        }
        saved.m_state = ManagedObject::State::Unchanged;
        saved.m_committed.reset();
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
