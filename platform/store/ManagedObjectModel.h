// ManagedObjectModel: the entities an object store holds, built in code. An
// entity has typed attributes and relationships to other entities; every
// relationship names its inverse, which contexts keep in step. Each entity
// names the class its objects are made as through a factory, so that an upper
// layer can register a subclass ("Blog" made as a blog class of its own).
//
// A model is complete before a store opens with it and is not changed after.
#pragma once

#include "platform/store/ManagedObject.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class ManagedObjectModel;

enum class AttributeType {
    String,
    Integer,
    Double,
    Boolean,
    Date,
    Binary,
    // Any property-list value, stored in its binary property-list form.
    Transformable,
};

enum class DeleteRule {
    // Deleting the object removes it from the destinations' inverse.
    Nullify,
    // Deleting the object deletes its destinations too.
    Cascade,
};

struct AttributeDescription {
    std::u16string name;
    AttributeType type { AttributeType::String };
};

struct RelationshipDescription {
    std::u16string name;
    std::u16string destinationEntityName;
    std::u16string inverseName;
    bool toMany { false };
    DeleteRule deleteRule { DeleteRule::Nullify };
};

class EntityDescription {
public:
    using Factory = std::function<std::shared_ptr<ManagedObject>()>;

    explicit EntityDescription(std::u16string name);

    const std::u16string& name() const { return m_name; }

    void addAttribute(std::u16string name, AttributeType);
    void addRelationship(RelationshipDescription);
    // The class the entity's objects are made as (default: ManagedObject).
    void setInstanceFactory(Factory factory) { m_factory = std::move(factory); }
    // Makes the entity's objects as T, a class naming this entity (asserted).
    template<EntityClass T> void setInstanceClass()
    {
        assertNamed(T::entityName);
        m_factory = [] { return std::make_shared<T>(); };
    }

    const std::vector<AttributeDescription>& attributes() const { return m_attributes; }
    const std::vector<RelationshipDescription>& relationships() const { return m_relationships; }
    // Indices into attributes() / relationships(); -1 when there is none of that name.
    int attributeIndex(std::u16string_view name) const;
    int relationshipIndex(std::u16string_view name) const;
    const AttributeDescription* attributeNamed(std::u16string_view name) const;
    const RelationshipDescription* relationshipNamed(std::u16string_view name) const;

    // The entity's position in its model.
    size_t index() const { return m_index; }
    const ManagedObjectModel& model() const { return *m_model; }
    // The destination entity of a relationship (null when the model has none of that name).
    const EntityDescription* destinationEntity(const RelationshipDescription&) const;
    std::shared_ptr<ManagedObject> makeInstance() const;

private:
    friend class ManagedObjectModel;
    void assertNamed(std::u16string_view) const;

    std::u16string m_name;
    std::vector<AttributeDescription> m_attributes;
    std::vector<RelationshipDescription> m_relationships;
    Factory m_factory;
    size_t m_index { 0 };
    const ManagedObjectModel* m_model { nullptr };
};

class ManagedObjectModel {
public:
    ManagedObjectModel() = default;
    ManagedObjectModel(const ManagedObjectModel&) = delete;
    ManagedObjectModel& operator=(const ManagedObjectModel&) = delete;

    // Adds an entity (its name must be new) and answers it for further setup.
    EntityDescription& addEntity(std::u16string name);

    const std::vector<std::unique_ptr<EntityDescription>>& entities() const { return m_entities; }
    const EntityDescription* entityNamed(std::u16string_view name) const;
    EntityDescription* entityNamed(std::u16string_view name);

    // Asserts that every relationship has a destination entity and an inverse
    // that names it back; stores call it when they open.
    void validate() const;

    // A hash of the entities, attributes and relationships (not of the
    // classes): the version a store file records.
    std::string versionHash() const;

private:
    std::vector<std::unique_ptr<EntityDescription>> m_entities;
};

} // namespace brevanton
