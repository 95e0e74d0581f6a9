// ManagedObject: one object of a store, registered in one context. Attributes
// are property-list values read and written by name; relationships are
// objects (to-one) or sets of objects answered in the order of their ids
// (to-many). Setting one side of a relationship sets its inverse.
//
// An entity's class may be a subclass: the hooks below run when the object is
// inserted, loaded from the store and about to be saved. All use is on the
// thread of the object's context (asserted).
#pragma once

#include "platform/store/ManagedObjectID.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevanton {

class EntityDescription;
class ManagedObjectContext;

class ManagedObject : public std::enable_shared_from_this<ManagedObject> {
public:
    ManagedObject() = default;
    virtual ~ManagedObject();
    ManagedObject(const ManagedObject&) = delete;
    ManagedObject& operator=(const ManagedObject&) = delete;

    const EntityDescription& entity() const { return *m_entity; }
    // Null once the object was deleted and saved, rolled back out of
    // existence, or its context went away.
    ManagedObjectContext* managedObjectContext() const { return m_context; }
    ManagedObjectID objectID() const;

    bool isInserted() const { return m_state == State::Inserted; }
    bool isUpdated() const { return m_state == State::Updated; }
    bool isDeleted() const { return m_state == State::Deleted; }
    bool hasChanges() const { return m_state != State::Unchanged; }

    // Attributes. Getting answers null for an unset value. Setting converts
    // numbers to the attribute's type and asserts on any other kind of value.
    Value valueForKey(std::u16string_view key) const;
    void setValueForKey(const Value& value, std::u16string_view key);
    // The same, taking the value over: a long text is not copied.
    void setValueForKey(Value&& value, std::u16string_view key);
    // The attribute's value itself, without a copy: valid until it is set again.
    const Value& valueReferenceForKey(std::u16string_view key) const;

    // To-one relationships (null: none).
    std::shared_ptr<ManagedObject> objectForKey(std::u16string_view key) const;
    void setObjectForKey(const std::shared_ptr<ManagedObject>& object, std::u16string_view key);

    // To-many relationships, in id order.
    std::vector<std::shared_ptr<ManagedObject>> objectsForKey(std::u16string_view key) const;
    // Calls `visit` with each of them, in id order, without making a list of
    // them; `visit` must not change this relationship.
    void forEachObjectForKey(std::u16string_view key, const std::function<void(ManagedObject&)>& visit) const;
    void setObjectsForKey(const std::vector<std::shared_ptr<ManagedObject>>& objects, std::u16string_view key);
    void addObjectForKey(const std::shared_ptr<ManagedObject>& object, std::u16string_view key);
    void removeObjectForKey(const std::shared_ptr<ManagedObject>& object, std::u16string_view key);
    size_t countForKey(std::u16string_view key) const;

    // Whether the entity has an attribute or relationship of that name.
    bool respondsToKey(std::u16string_view key) const;

    // A stamp no other state of any object has had: it is taken anew at
    // every change of the object's attributes or relationships (also one
    // that restores an earlier value), its deletion, a rollback of its
    // changes and a refresh from the store. An unchanged stamp means the
    // object is as it was when the stamp was read.
    uint64_t changeStamp() const { return m_changeStamp; }
    // The stamp the next change of any object (of any context) will take:
    // while it stays the same, no object changed, nor was one made or left
    // its context, nor did a context take in another's saves.
    static uint64_t nextChangeStamp();

protected:
    // After the object was inserted into its context (it has its id).
    virtual void awakeFromInsert() {}
    // After the object was loaded from the store into a context.
    virtual void awakeFromFetch() {}
    // Before the object's changes are written (inserted or updated objects);
    // it may still change its own attributes.
    virtual void willSave() {}

private:
    friend class ManagedObjectContext;
    friend class StoreObjectAccess;

    enum class State { Unchanged, Inserted, Updated, Deleted };
    struct RelationshipState {
        int64_t toOne { 0 };
        bool loaded { false };
        std::vector<int64_t> toMany; // sorted numbers
    };
    struct Snapshot {
        // The saved values of the attributes changed since the last save,
        // by attribute index, each once.
        std::vector<std::pair<int, Value>> attributes;
        std::vector<int64_t> toOne;
    };

    const EntityDescription* m_entity { nullptr };
    ManagedObjectContext* m_context { nullptr };
    // Beside the object's type: a pass that checks many objects for
    // changes reads one cache line of each.
    uint64_t m_changeStamp { takeChangeStamp() };
    std::shared_ptr<const std::u16string> m_storeIdentifier;
    int64_t m_number { 0 };
    State m_state { State::Unchanged };
    std::vector<Value> m_attributes;
    std::vector<RelationshipState> m_relationships;
    std::unique_ptr<Snapshot> m_committed;

    static uint64_t takeChangeStamp();
    void noteChange() { m_changeStamp = takeChangeStamp(); }
};

} // namespace brevanton
