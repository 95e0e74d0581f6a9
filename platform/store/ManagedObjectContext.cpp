#include "platform/store/ManagedObjectContext.h"

#include "platform/store/ManagedObjectContextInternals.h"
#include "platform/store/PredicateSQL.h"
#include "platform/store/StoreObjectAccess.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <algorithm>

namespace brevanton {

ManagedObjectContext::ManagedObjectContext(std::shared_ptr<PersistentStore> store, NotificationCenter* center)
    : m_store(std::move(store))
    , m_thread(std::this_thread::get_id())
    , m_private(std::make_unique<Private>())
{
    Private& d = *m_private;
    d.context = this;
    d.center = center ? center : &NotificationCenter::defaultCenter();
    d.store = m_store->m_private.get();
    size_t entityCount = m_store->model().entities().size();
    d.registered.resize(entityCount);
    d.fullyLoaded.assign(entityCount, false);
    d.knownGeneration = d.store->saveGeneration.load();
}

std::shared_ptr<ManagedObjectContext> ManagedObjectContext::create(std::shared_ptr<PersistentStore> store, NotificationCenter* center)
{
    BREVANTON_ASSERT(store != nullptr, "A context needs a store");
    return std::shared_ptr<ManagedObjectContext>(new ManagedObjectContext(std::move(store), center));
}

ManagedObjectContext::~ManagedObjectContext()
{
    // Objects that outlive the context keep their values but leave it.
    for (auto& objects : m_private->registered) {
        for (auto& [number, object] : objects)
            object->m_context = nullptr;
    }
}

void ManagedObjectContext::assertOwnThread() const
{
    BREVANTON_ASSERT(std::this_thread::get_id() == m_thread,
                     "A managed object context is used on a thread other than the one that made it");
}

void ManagedObjectContext::assertFetchOfEntity(const FetchRequest& request, std::u16string_view entityName)
{
    BREVANTON_ASSERT(request.entityName() == entityName,
                     "A fetch of " + toUTF8(request.entityName()) + " taken for one of " + toUTF8(entityName));
}

const ManagedObjectModel& ManagedObjectContext::model() const
{
    return m_store->model();
}

// MARK: - Registered objects

const EntityDescription& ManagedObjectContext::Private::entityOf(const ManagedObject& object) const
{
    return *object.m_entity;
}

ManagedObject* ManagedObjectContext::Private::registerRow(const EntityDescription& entity, const SQLiteStatement& row, bool& isNew)
{
    int64_t number = row.columnInteger(0);
    isNew = false;
    if (ManagedObject* found = byNumber.find(number))
        return found;
    isNew = true;
    std::shared_ptr<ManagedObject> object = entity.makeInstance();
    object->m_entity = &entity;
    object->m_context = context;
    object->m_storeIdentifier = store->sharedIdentifier;
    object->m_number = number;
    object->m_attributes.reserve(entity.attributes().size());
    int column = 1;
    for (auto& attribute : entity.attributes())
        object->m_attributes.push_back(readAttributeValue(row, column++, attribute.type));
    object->m_relationships.resize(entity.relationships().size());
    for (int index : store->table(entity).toOneRelationships)
        object->m_relationships[index].toOne = row.columnIsNull(column) ? 0 : row.columnInteger(column), ++column;
    ManagedObject* raw = object.get();
    registered[entity.index()].emplace(number, object);
    byNumber.insert(number, raw);
    return raw;
}

ManagedObject* ManagedObjectContext::Private::object(const EntityDescription& entity, int64_t number)
{
    if (ManagedObject* found = byNumber.find(number))
        return found;
    if (fullyLoaded[entity.index()])
        return nullptr;
    std::lock_guard lock(store->mutex);
    Error error;
    SQLiteStatement* statement = store->database.cachedStatement(store->table(entity).selectOne, &error);
    if (!statement)
        return nullptr;
    statement->bindInteger(1, number);
    bool hasRow = false;
    if (!statement->step(hasRow, &error) || !hasRow)
        return nullptr;
    bool isNew = false;
    ManagedObject* object = registerRow(entity, *statement, isNew);
    statement->reset();
    if (isNew)
        object->awakeFromFetch();
    return object;
}

void ManagedObjectContext::Private::unregister(ManagedObject& object)
{
    int64_t number = object.m_number;
    byNumber.erase(number);
    pendingInserted.erase(number);
    pendingUpdated.erase(number);
    if (!collationKeys.empty()) {
        for (size_t attribute = 0; attribute < object.m_entity->attributes().size(); ++attribute)
            collationKeys.erase({ number, static_cast<int>(attribute) });
    }
    object.m_context = nullptr;
    // An object leaving its context is a change of the context's objects:
    // whoever keeps addresses of objects for as long as no stamp is taken
    // (a listing's index) must not keep this one's.
    (void)ManagedObject::takeChangeStamp();
    registered[object.m_entity->index()].erase(number); // may release the object: last
}

void ManagedObjectContext::Private::noticeOtherSaves()
{
    uint64_t generation = store->saveGeneration.load();
    if (generation == knownGeneration)
        return;
    knownGeneration = generation;
    // Another context saved: what this one loaded may be out of date. Rows
    // are read again on the next fetch; relationships of unchanged objects
    // are read again when next asked. A stamp is taken, so that the next
    // change stamp tells that objects may read otherwise from now on.
    (void)ManagedObject::takeChangeStamp();
    std::fill(fullyLoaded.begin(), fullyLoaded.end(), false);
    for (auto& objects : registered) {
        for (auto& [number, object] : objects) {
            if (object->m_state != ManagedObject::State::Unchanged)
                continue;
            for (auto& relationship : object->m_relationships) {
                relationship.loaded = false;
                relationship.toMany.clear();
            }
        }
    }
}

bool ManagedObjectContext::Private::loadEntity(const EntityDescription& entity, Error* outError)
{
    noticeOtherSaves();
    if (fullyLoaded[entity.index()])
        return true;
    std::lock_guard lock(store->mutex);
    const EntityTable& table = store->table(entity);
    SQLiteStatement* statement = store->database.cachedStatement(table.selectAll, outError);
    if (!statement)
        return false;
    auto& objects = registered[entity.index()];
    std::vector<int64_t> present;
    std::vector<std::shared_ptr<ManagedObject>> fetched;
    bool hasRow = false;
    while (true) {
        if (!statement->step(hasRow, outError))
            return false;
        if (!hasRow)
            break;
        int64_t number = statement->columnInteger(0);
        present.push_back(number);
        ManagedObject* found = byNumber.find(number);
        if (!found) {
            bool isNew = false;
            fetched.push_back(registerRow(entity, *statement, isNew)->shared_from_this());
        } else if (found->m_state == ManagedObject::State::Unchanged) {
            // Refresh values another context may have saved.
            refreshFromRow(*found, *statement);
        }
    }
    statement->reset();
    // Unchanged objects whose rows another context deleted leave this one.
    std::vector<ManagedObject*> gone;
    for (auto& [number, object] : objects) {
        if (object->m_state == ManagedObject::State::Unchanged && !std::binary_search(present.begin(), present.end(), number))
            gone.push_back(object.get());
    }
    for (ManagedObject* object : gone)
        unregister(*object);
    fullyLoaded[entity.index()] = true;
    // Awoken once the rows are read: a hook may fetch in turn.
    for (auto& object : fetched)
        object->awakeFromFetch();
    return true;
}

void ManagedObjectContext::Private::refreshFromRow(ManagedObject& object, const SQLiteStatement& row)
{
    const EntityDescription& entity = *object.m_entity;
    object.noteChange();
    int column = 1;
    for (size_t i = 0; i < entity.attributes().size(); ++i, ++column)
        object.m_attributes[i] = readAttributeValue(row, column, entity.attributes()[i].type);
    for (int index : store->table(entity).toOneRelationships)
        object.m_relationships[index].toOne = row.columnIsNull(column) ? 0 : row.columnInteger(column), ++column;
}

bool ManagedObjectContext::Private::loadMatchingRows(const EntityDescription& entity, const PredicateSQL& condition,
                                                     ManagedObjects& out, Error* outError)
{
    std::lock_guard lock(store->mutex);
    SQLiteStatement statement = store->database.prepare(store->table(entity).selectWhere + condition.condition() + " ORDER BY id", outError);
    if (!statement.isValid())
        return false;
    condition.bind(statement);
    std::vector<std::shared_ptr<ManagedObject>> fetched;
    bool hasRow = false;
    while (true) {
        if (!statement.step(hasRow, outError))
            return false;
        if (!hasRow)
            break;
        bool isNew = false;
        ManagedObject* object = registerRow(entity, statement, isNew);
        if (isNew)
            fetched.push_back(object->shared_from_this());
        else if (object->m_state == ManagedObject::State::Unchanged)
            refreshFromRow(*object, statement);
        out.push_back(object->shared_from_this());
    }
    statement = SQLiteStatement();
    for (auto& object : fetched)
        object->awakeFromFetch();
    return true;
}

int ManagedObjectContext::Private::inverseIndex(const ManagedObject& object, int relationshipIndex,
                                                const EntityDescription** destination) const
{
    const RelationshipDescription& relationship = object.m_entity->relationships()[relationshipIndex];
    const EntityDescription* entity = object.m_entity->destinationEntity(relationship);
    if (destination)
        *destination = entity;
    return entity->relationshipIndex(relationship.inverseName);
}

static bool readNumberPairs(SQLiteDatabase& database, const std::string& sql, int64_t bound,
                            std::vector<std::pair<int64_t, int64_t>>& pairs, Error* outError)
{
    SQLiteStatement* statement = database.cachedStatement(sql, outError);
    if (!statement)
        return false;
    if (bound)
        statement->bindInteger(1, bound);
    bool hasRow = false;
    while (true) {
        if (!statement->step(hasRow, outError))
            return false;
        if (!hasRow)
            break;
        pairs.emplace_back(statement->columnInteger(0), statement->columnInteger(1));
    }
    statement->reset();
    return true;
}

// SQL answering (owner, destination) pairs of a to-many relationship, for one
// owner (with a parameter) or all.
static std::string toManySQL(const PersistentStore::Private& store, const EntityDescription& entity, int relationshipIndex, bool one)
{
    const EntityTable& table = store.table(entity);
    const RelationshipDescription& relationship = entity.relationships()[relationshipIndex];
    const EntityDescription& destination = *entity.destinationEntity(relationship);
    switch (table.storage[relationshipIndex]) {
    case RelationshipStorage::InverseColumn: {
        std::string column = quotedSQLIdentifier(relationship.inverseName);
        return "SELECT " + column + ", id FROM " + store.table(destination).tableName + " WHERE " + column
            + (one ? " = ?" : " IS NOT NULL") + " ORDER BY id";
    }
    case RelationshipStorage::JoinTableOwner:
        return "SELECT owner, other FROM " + quotedSQLIdentifier(toUTF16(table.joinTables[relationshipIndex]))
            + (one ? " WHERE owner = ?" : "") + " ORDER BY other";
    case RelationshipStorage::JoinTableOther:
        return "SELECT other, owner FROM " + quotedSQLIdentifier(toUTF16(table.joinTables[relationshipIndex]))
            + (one ? " WHERE other = ?" : "") + " ORDER BY owner";
    case RelationshipStorage::Column:
        break;
    }
    return {};
}

void ManagedObjectContext::Private::ensureLoaded(ManagedObject& object, int relationshipIndex)
{
    auto& state = object.m_relationships[relationshipIndex];
    if (state.loaded)
        return;
    state.loaded = true;
    state.toMany.clear();
    if (object.m_state == ManagedObject::State::Inserted)
        return;
    std::lock_guard lock(store->mutex);
    std::vector<std::pair<int64_t, int64_t>> pairs;
    Error error;
    if (!readNumberPairs(store->database, toManySQL(*store, *object.m_entity, relationshipIndex, true), object.m_number, pairs, &error))
        return;
    for (auto& [owner, destination] : pairs)
        state.toMany.push_back(destination);
    std::sort(state.toMany.begin(), state.toMany.end());
}

bool ManagedObjectContext::Private::loadRelationshipForAll(const EntityDescription& entity, int relationshipIndex, Error* outError)
{
    auto& objects = registered[entity.index()];
    size_t unloaded = 0;
    for (auto& [number, object] : objects) {
        if (!object->m_relationships[relationshipIndex].loaded)
            ++unloaded;
    }
    // Every fetch through the relationship asks again: once loaded, nothing more to walk.
    if (unloaded == 0)
        return true;
    if (unloaded < 8) {
        for (auto& [number, object] : objects)
            ensureLoaded(*object, relationshipIndex);
        return true;
    }
    std::lock_guard lock(store->mutex);
    std::vector<std::pair<int64_t, int64_t>> pairs;
    if (!readNumberPairs(store->database, toManySQL(*store, entity, relationshipIndex, false), 0, pairs, outError))
        return false;
    std::sort(pairs.begin(), pairs.end());
    auto cursor = pairs.begin();
    for (auto& [number, object] : objects) {
        while (cursor != pairs.end() && cursor->first < number)
            ++cursor;
        auto& state = object->m_relationships[relationshipIndex];
        if (state.loaded) {
            while (cursor != pairs.end() && cursor->first == number)
                ++cursor;
            continue;
        }
        state.loaded = true;
        state.toMany.clear();
        while (cursor != pairs.end() && cursor->first == number) {
            if (object->m_state != ManagedObject::State::Inserted)
                state.toMany.push_back(cursor->second);
            ++cursor;
        }
    }
    return true;
}

// MARK: - Changes

void ManagedObjectContext::Private::markChanged(ManagedObject& object)
{
    // Called before every change of the object.
    object.noteChange();
    switch (object.m_state) {
    case ManagedObject::State::Inserted:
    case ManagedObject::State::Deleted:
        return;
    case ManagedObject::State::Updated:
        if (!pendingUpdated.count(object.m_number)) {
            pendingUpdated.emplace(object.m_number, object.shared_from_this());
            scheduleNotification();
        }
        return;
    case ManagedObject::State::Unchanged:
        break;
    }
    // The attributes' saved values join the snapshot as they change.
    auto snapshot = std::make_unique<ManagedObject::Snapshot>();
    for (auto& relationship : object.m_relationships)
        snapshot->toOne.push_back(relationship.toOne);
    object.m_committed = std::move(snapshot);
    object.m_state = ManagedObject::State::Updated;
    auto shared = object.shared_from_this();
    changed.emplace(object.m_number, shared);
    pendingUpdated.emplace(object.m_number, shared);
    scheduleNotification();
}

void ManagedObjectContext::Private::scheduleNotification()
{
    if (notificationScheduled)
        return;
    RunLoop* loop = RunLoop::current();
    if (!loop)
        return; // announced at the next save or processPendingChanges
    notificationScheduled = true;
    std::weak_ptr<ManagedObjectContext> weakContext = context->weak_from_this();
    loop->perform([weakContext] {
        if (auto strongContext = weakContext.lock())
            strongContext->processPendingChanges();
    });
}

void ManagedObjectContext::Private::primitiveSetToOne(ManagedObject& object, int relationshipIndex, int64_t number)
{
    if (object.m_relationships[relationshipIndex].toOne == number)
        return;
    markChanged(object);
    object.m_relationships[relationshipIndex].toOne = number;
}

void ManagedObjectContext::Private::primitiveAdd(ManagedObject& object, int relationshipIndex, int64_t number)
{
    ensureLoaded(object, relationshipIndex);
    auto& numbers = object.m_relationships[relationshipIndex].toMany;
    auto position = std::lower_bound(numbers.begin(), numbers.end(), number);
    if (position != numbers.end() && *position == number)
        return;
    markChanged(object);
    numbers.insert(position, number);
}

void ManagedObjectContext::Private::primitiveRemove(ManagedObject& object, int relationshipIndex, int64_t number)
{
    ensureLoaded(object, relationshipIndex);
    auto& numbers = object.m_relationships[relationshipIndex].toMany;
    auto position = std::lower_bound(numbers.begin(), numbers.end(), number);
    if (position == numbers.end() || *position != number)
        return;
    markChanged(object);
    numbers.erase(position);
}

void ManagedObjectContext::Private::setToOne(ManagedObject& object, int relationshipIndex, ManagedObject* destination)
{
    int64_t oldNumber = object.m_relationships[relationshipIndex].toOne;
    int64_t newNumber = destination ? destination->m_number : 0;
    if (oldNumber == newNumber)
        return;
    const EntityDescription* destinationEntity = nullptr;
    int inverse = inverseIndex(object, relationshipIndex, &destinationEntity);
    bool inverseToMany = destinationEntity->relationships()[inverse].toMany;
    if (oldNumber) {
        if (ManagedObject* old = this->object(*destinationEntity, oldNumber)) {
            if (inverseToMany)
                primitiveRemove(*old, inverse, object.m_number);
            else if (old->m_relationships[inverse].toOne == object.m_number)
                primitiveSetToOne(*old, inverse, 0);
        }
    }
    if (destination) {
        if (inverseToMany) {
            primitiveAdd(*destination, inverse, object.m_number);
        } else {
            // One-to-one: the destination's previous partner loses it.
            int64_t previous = destination->m_relationships[inverse].toOne;
            if (previous && previous != object.m_number) {
                if (ManagedObject* partner = this->object(*object.m_entity, previous))
                    primitiveSetToOne(*partner, relationshipIndex, 0);
            }
            primitiveSetToOne(*destination, inverse, object.m_number);
        }
    }
    primitiveSetToOne(object, relationshipIndex, newNumber);
}

void ManagedObjectContext::Private::addToMany(ManagedObject& object, int relationshipIndex, ManagedObject& destination)
{
    const EntityDescription* destinationEntity = nullptr;
    int inverse = inverseIndex(object, relationshipIndex, &destinationEntity);
    if (!destinationEntity->relationships()[inverse].toMany) {
        setToOne(destination, inverse, &object);
        return;
    }
    primitiveAdd(object, relationshipIndex, destination.m_number);
    primitiveAdd(destination, inverse, object.m_number);
}

void ManagedObjectContext::Private::removeFromToMany(ManagedObject& object, int relationshipIndex, ManagedObject& destination)
{
    const EntityDescription* destinationEntity = nullptr;
    int inverse = inverseIndex(object, relationshipIndex, &destinationEntity);
    if (!destinationEntity->relationships()[inverse].toMany) {
        if (destination.m_relationships[inverse].toOne == object.m_number)
            setToOne(destination, inverse, nullptr);
        else
            primitiveRemove(object, relationshipIndex, destination.m_number);
        return;
    }
    primitiveRemove(object, relationshipIndex, destination.m_number);
    primitiveRemove(destination, inverse, object.m_number);
}

// MARK: - Inserting and deleting

std::shared_ptr<ManagedObject> ManagedObjectContext::insertNewObject(std::u16string_view entityName)
{
    assertOwnThread();
    const EntityDescription* entity = model().entityNamed(entityName);
    BREVANTON_ASSERT(entity, "The model has no entity " + toUTF8(entityName));
    Private& d = *m_private;
    std::shared_ptr<ManagedObject> object = entity->makeInstance();
    object->m_entity = entity;
    object->m_context = this;
    object->m_storeIdentifier = d.store->sharedIdentifier;
    object->m_number = d.store->takeNumber();
    object->m_state = ManagedObject::State::Inserted;
    object->m_attributes.resize(entity->attributes().size());
    object->m_relationships.resize(entity->relationships().size());
    for (auto& relationship : object->m_relationships)
        relationship.loaded = true;
    // A new number is above every number given before: each map takes it
    // at its end, without a search.
    auto& registered = d.registered[entity->index()];
    registered.emplace_hint(registered.end(), object->m_number, object);
    d.byNumber.insert(object->m_number, object.get());
    d.changed.emplace_hint(d.changed.end(), object->m_number, object);
    d.pendingInserted.emplace_hint(d.pendingInserted.end(), object->m_number, object);
    d.scheduleNotification();
    object->awakeFromInsert();
    return object;
}

void ManagedObjectContext::deleteObject(const std::shared_ptr<ManagedObject>& object)
{
    assertOwnThread();
    BREVANTON_ASSERT(object && object->m_context == this, "Deleting an object of another context");
    if (object->isDeleted())
        return;
    Private& d = *m_private;
    const EntityDescription& entity = *object->m_entity;
    if (object->m_state == ManagedObject::State::Unchanged)
        d.markChanged(*object);
    else
        object->noteChange();
    bool wasInserted = object->m_state == ManagedObject::State::Inserted;
    object->m_state = ManagedObject::State::Deleted;

    std::vector<std::shared_ptr<ManagedObject>> cascade;
    for (size_t i = 0; i < entity.relationships().size(); ++i) {
        const RelationshipDescription& relationship = entity.relationships()[i];
        int index = static_cast<int>(i);
        std::vector<ManagedObject*> destinations;
        if (relationship.toMany) {
            StoreObjectAccess::toMany(*object, index, destinations);
        } else if (ManagedObject* destination = StoreObjectAccess::toOne(*object, index)) {
            destinations.push_back(destination);
        }
        for (ManagedObject* destination : destinations) {
            if (relationship.deleteRule == DeleteRule::Cascade)
                cascade.push_back(destination->shared_from_this());
            if (relationship.toMany)
                d.removeFromToMany(*object, index, *destination);
            else
                d.setToOne(*object, index, nullptr);
        }
    }

    d.pendingUpdated.erase(object->m_number);
    if (wasInserted) {
        // Never saved: it just goes away.
        d.changed.erase(object->m_number);
        if (!d.pendingInserted.erase(object->m_number))
            d.pendingDeleted.emplace(object->m_number, object);
        d.unregister(*object);
        object->m_state = ManagedObject::State::Deleted;
    } else {
        d.pendingDeleted.emplace(object->m_number, object);
    }
    d.scheduleNotification();

    for (auto& destination : cascade) {
        if (destination->m_context == this)
            deleteObject(destination);
    }
}

// MARK: - Changes as a whole

bool ManagedObjectContext::hasChanges() const
{
    assertOwnThread();
    return !m_private->changed.empty();
}

static ManagedObjects objectsInState(const std::map<int64_t, std::shared_ptr<ManagedObject>>& objects, bool (ManagedObject::*test)() const)
{
    ManagedObjects result;
    for (auto& [number, object] : objects) {
        if (((*object).*test)())
            result.push_back(object);
    }
    return result;
}

ManagedObjects ManagedObjectContext::insertedObjects() const
{
    assertOwnThread();
    return objectsInState(m_private->changed, &ManagedObject::isInserted);
}

ManagedObjects ManagedObjectContext::updatedObjects() const
{
    assertOwnThread();
    return objectsInState(m_private->changed, &ManagedObject::isUpdated);
}

ManagedObjects ManagedObjectContext::deletedObjects() const
{
    assertOwnThread();
    return objectsInState(m_private->changed, &ManagedObject::isDeleted);
}

// The objects of the map, in number order, moved out; the map is left empty.
static ManagedObjects takeValues(std::map<int64_t, std::shared_ptr<ManagedObject>>& objects)
{
    ManagedObjects result;
    result.reserve(objects.size());
    for (auto& [number, object] : objects)
        result.push_back(std::move(object));
    objects.clear();
    return result;
}

void ManagedObjectContext::processPendingChanges()
{
    assertOwnThread();
    Private& d = *m_private;
    d.notificationScheduled = false;
    if (d.pendingInserted.empty() && d.pendingUpdated.empty() && d.pendingDeleted.empty())
        return;
    Notification notification;
    notification.name = ManagedObjectContextObjectsDidChangeNotification;
    notification.object = this;
    notification.userObjects[InsertedObjectsKey] = takeValues(d.pendingInserted);
    notification.userObjects[UpdatedObjectsKey] = takeValues(d.pendingUpdated);
    notification.userObjects[DeletedObjectsKey] = takeValues(d.pendingDeleted);
    d.center->post(notification);
}

void ManagedObjectContext::rollback()
{
    assertOwnThread();
    Private& d = *m_private;
    auto changed = std::move(d.changed);
    d.changed.clear();
    d.pendingInserted.clear();
    d.pendingUpdated.clear();
    d.pendingDeleted.clear();
    for (auto& [number, object] : changed) {
        object->noteChange();
        if (object->m_state == ManagedObject::State::Inserted) {
            object->m_state = ManagedObject::State::Deleted;
            d.unregister(*object);
            d.pendingDeleted.emplace(number, object);
            continue;
        }
        if (object->m_committed) {
            for (auto& [index, value] : object->m_committed->attributes)
                object->m_attributes[index] = std::move(value);
            for (size_t i = 0; i < object->m_relationships.size(); ++i)
                object->m_relationships[i].toOne = object->m_committed->toOne[i];
            object->m_committed.reset();
        }
        for (auto& relationship : object->m_relationships) {
            relationship.loaded = false;
            relationship.toMany.clear();
        }
        object->m_state = ManagedObject::State::Unchanged;
        d.pendingUpdated.emplace(number, object);
    }
    if (!changed.empty())
        d.scheduleNotification();
}

std::shared_ptr<ManagedObject> ManagedObjectContext::existingObjectWithID(const ManagedObjectID& objectID)
{
    assertOwnThread();
    if (objectID.isEmpty() || objectID.storeIdentifier() != m_store->identifier())
        return nullptr;
    const EntityDescription* entity = model().entityNamed(objectID.entityName());
    if (!entity)
        return nullptr;
    m_private->noticeOtherSaves();
    ManagedObject* object = m_private->object(*entity, objectID.number());
    if (!object || object->isDeleted() || object->m_entity != entity)
        return nullptr;
    return object->shared_from_this();
}

} // namespace brevanton
