// ManagedObject: one object of a store, registered in one context. Attributes
// are property-list values read and written by name; relationships are
// objects (to-one) or sets of objects answered in the order of their ids
// (to-many). Setting one side of a relationship sets its inverse.
//
// An entity's class may be a subclass: the hooks below run when the object is
// inserted, loaded from the store and about to be saved. All use is on the
// thread of the object's context (asserted).
//
// A subclass an entity is made as names its entity,
//
//   static constexpr std::u16string_view entityName = u"BlogPost";
//
// and is then an entity class: the typed accessors (objectForKey<T>,
// objectsForKey<T>, the context's insertNewObject<T> and fetches) answer
// its objects as T. The model must make the entity as T or a subclass of T;
// an object of the entity that is not a T is a programming error, which
// entityCast, the one cast they share, asserts.
#pragma once

#include "platform/store/ManagedObjectID.h"
#include "platform/foundation/Value.h"

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

namespace brevanton {

class EntityDescription;
class ManagedObject;
class ManagedObjectContext;

template<typename T>
concept EntityClass = std::derived_from<T, ManagedObject> && requires {
    { T::entityName } -> std::convertible_to<std::u16string_view>;
};

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

    // The same as the destination entity's class.
    template<EntityClass T> std::shared_ptr<T> objectForKey(std::u16string_view key) const;

    // To-many relationships, in id order.
    std::vector<std::shared_ptr<ManagedObject>> objectsForKey(std::u16string_view key) const;
    template<EntityClass T> std::vector<std::shared_ptr<T>> objectsForKey(std::u16string_view key) const;
    // Calls `visit` with each of them, in id order, without making a list of
    // them; `visit` must not change this relationship.
    void forEachObjectForKey(std::u16string_view key, const std::function<void(ManagedObject&)>& visit) const;
    template<EntityClass T> void forEachObjectForKey(std::u16string_view key, const std::function<void(T&)>& visit) const;
    void setObjectsForKey(const std::vector<std::shared_ptr<ManagedObject>>& objects, std::u16string_view key);
    void addObjectForKey(const std::shared_ptr<ManagedObject>& object, std::u16string_view key);
    void removeObjectForKey(const std::shared_ptr<ManagedObject>& object, std::u16string_view key);
    size_t countForKey(std::u16string_view key) const;

    // Whether the object is one of that entity (false before its insertion).
    bool isOfEntity(std::u16string_view entityName) const;

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
    friend void assertObjectOfEntityClass(const ManagedObject&, std::u16string_view, bool, const char*);

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

// Asserts that `object`, which `isOfClass` tells is of the class or not, is
// of the entity named; `className` names the class in the message.
void assertObjectOfEntityClass(const ManagedObject& object, std::u16string_view entityName, bool isOfClass, const char* className);

// The object as its entity's class T (null for null); asserts that it is of
// T's entity and made as T.
template<EntityClass T> T& entityCast(ManagedObject& object)
{
    T* typed = dynamic_cast<T*>(&object);
    assertObjectOfEntityClass(object, T::entityName, typed, typeid(T).name());
    return *typed;
}

template<EntityClass T> const T& entityCast(const ManagedObject& object)
{
    return entityCast<T>(const_cast<ManagedObject&>(object));
}

template<EntityClass T> std::shared_ptr<T> entityCast(std::shared_ptr<ManagedObject> object)
{
    if (!object)
        return nullptr;
    T& typed = entityCast<T>(*object);
    return std::shared_ptr<T>(std::move(object), &typed);
}

// The object as T when it is one of T's entity (asserted to be made as T),
// else null: which of several entities an object is of.
template<EntityClass T> std::shared_ptr<T> dynamicEntityCast(std::shared_ptr<ManagedObject> object)
{
    if (!object || !object->isOfEntity(T::entityName))
        return nullptr;
    return entityCast<T>(std::move(object));
}

template<EntityClass T> std::vector<std::shared_ptr<T>> entityCast(std::vector<std::shared_ptr<ManagedObject>> objects)
{
    std::vector<std::shared_ptr<T>> typed;
    typed.reserve(objects.size());
    for (auto& object : objects)
        typed.push_back(entityCast<T>(std::move(object)));
    return typed;
}

template<EntityClass T> std::shared_ptr<T> ManagedObject::objectForKey(std::u16string_view key) const
{
    return entityCast<T>(objectForKey(key));
}

template<EntityClass T> std::vector<std::shared_ptr<T>> ManagedObject::objectsForKey(std::u16string_view key) const
{
    return entityCast<T>(objectsForKey(key));
}

template<EntityClass T>
void ManagedObject::forEachObjectForKey(std::u16string_view key, const std::function<void(T&)>& visit) const
{
    forEachObjectForKey(key, [&](ManagedObject& object) { visit(entityCast<T>(object)); });
}

} // namespace brevanton
