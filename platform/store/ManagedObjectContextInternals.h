// What a context keeps behind its interface: the objects it registered, one
// per row, the changed ones, and the changes not yet announced. The
// relationship operations here keep both sides of every relationship in step.
#pragma once

#include "platform/store/ManagedObjectContext.h"
#include "platform/store/ObjectNumberTable.h"
#include "platform/store/PersistentStoreInternals.h"

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace brevanton {

class NotificationCenter;
class PredicateSQL;

struct ManagedObjectContext::Private {
    ManagedObjectContext* context { nullptr };
    NotificationCenter* center { nullptr };
    PersistentStore::Private* store { nullptr };
    // Registered objects by entity, in number order.
    std::vector<std::map<int64_t, std::shared_ptr<ManagedObject>>> registered;
    ObjectNumberTable byNumber;
    // Entities whose rows are all registered, as of the store's save generation.
    std::vector<bool> fullyLoaded;
    uint64_t knownGeneration { 0 };
    // Inserted, updated and deleted objects since the last save.
    std::map<int64_t, std::shared_ptr<ManagedObject>> changed;
    // Changes not yet announced.
    std::map<int64_t, std::shared_ptr<ManagedObject>> pendingInserted, pendingUpdated, pendingDeleted;
    bool notificationScheduled { false };
    // The collation keys of the strings the last sorts compared in the
    // user's collation, by object number and attribute, with the text they
    // were made from: sorting again (by title, then by date, then by title)
    // collates only what changed.
    struct CollationKeyEntry {
        std::u16string text;
        std::optional<std::string> key;
    };
    struct NumberAndAttributeHash {
        size_t operator()(const std::pair<int64_t, int>& key) const
        {
            return std::hash<int64_t>()(key.first) ^ (static_cast<size_t>(key.second) * 0x9E3779B97F4A7C15ull);
        }
    };
    std::unordered_map<std::pair<int64_t, int>, CollationKeyEntry, NumberAndAttributeHash> collationKeys;

    const EntityDescription& entityOf(const ManagedObject&) const;
    // The registered object of that number, or the row loaded; null when there is none.
    ManagedObject* object(const EntityDescription& entity, int64_t number);
    // Registers the object of a row unless it is registered. The caller sends
    // the new object awakeFromFetch once it is done with the statement.
    ManagedObject* registerRow(const EntityDescription& entity, const SQLiteStatement& row, bool& isNew);
    void noticeOtherSaves();
    [[nodiscard]] bool loadEntity(const EntityDescription& entity, Error* outError);
    [[nodiscard]] bool loadRelationshipForAll(const EntityDescription& entity, int relationshipIndex, Error* outError);
    // The objects of the rows that match a condition, in id order, without
    // reading the other rows; for a context without unsaved changes.
    [[nodiscard]] bool loadMatchingRows(const EntityDescription& entity, const PredicateSQL&, ManagedObjects& out, Error* outError);
    // Sets an unchanged object's values to those of its row.
    void refreshFromRow(ManagedObject&, const SQLiteStatement& row);
    void ensureLoaded(ManagedObject&, int relationshipIndex);

    void markChanged(ManagedObject&);
    void scheduleNotification();
    void unregister(ManagedObject&);

    // Both sides of relationships.
    void setToOne(ManagedObject& object, int relationshipIndex, ManagedObject* destination);
    void addToMany(ManagedObject& object, int relationshipIndex, ManagedObject& destination);
    void removeFromToMany(ManagedObject& object, int relationshipIndex, ManagedObject& destination);

    // One side only (the callers above keep the other).
    void primitiveSetToOne(ManagedObject& object, int relationshipIndex, int64_t number);
    void primitiveAdd(ManagedObject& object, int relationshipIndex, int64_t number);
    void primitiveRemove(ManagedObject& object, int relationshipIndex, int64_t number);
    int inverseIndex(const ManagedObject& object, int relationshipIndex, const EntityDescription** destination) const;
};

} // namespace brevanton
