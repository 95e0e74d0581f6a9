#include "platform/store/ManagedObjectModel.h"

#include "platform/store/ManagedObject.h"
#include "platform/store/ModelSchema.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace brevanton {

EntityDescription::EntityDescription(std::u16string name)
    : m_name(std::move(name))
{
}

void EntityDescription::assertNamed(std::u16string_view name) const
{
    BREVANTON_ASSERT(name == m_name, "A class of " + toUTF8(name) + " made the class of " + toUTF8(m_name));
}

void EntityDescription::addAttribute(std::u16string name, AttributeType type)
{
    BREVANTON_ASSERT(attributeIndex(name) < 0 && relationshipIndex(name) < 0,
                     "Entity " + toUTF8(m_name) + " already has a property " + toUTF8(name));
    m_attributes.push_back({ std::move(name), type });
}

void EntityDescription::addRelationship(RelationshipDescription relationship)
{
    BREVANTON_ASSERT(attributeIndex(relationship.name) < 0 && relationshipIndex(relationship.name) < 0,
                     "Entity " + toUTF8(m_name) + " already has a property " + toUTF8(relationship.name));
    m_relationships.push_back(std::move(relationship));
}

// Names are compared by length, then as bytes: objects ask for their
// properties by name on every read (a sync reads several of each post).
static bool sameName(const std::u16string& name, std::u16string_view other)
{
    return name.size() == other.size() && std::memcmp(name.data(), other.data(), other.size() * sizeof(char16_t)) == 0;
}

int EntityDescription::attributeIndex(std::u16string_view name) const
{
    for (size_t i = 0; i < m_attributes.size(); ++i) {
        if (sameName(m_attributes[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

int EntityDescription::relationshipIndex(std::u16string_view name) const
{
    for (size_t i = 0; i < m_relationships.size(); ++i) {
        if (sameName(m_relationships[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

const AttributeDescription* EntityDescription::attributeNamed(std::u16string_view name) const
{
    int index = attributeIndex(name);
    return index < 0 ? nullptr : &m_attributes[index];
}

const RelationshipDescription* EntityDescription::relationshipNamed(std::u16string_view name) const
{
    int index = relationshipIndex(name);
    return index < 0 ? nullptr : &m_relationships[index];
}

const EntityDescription* EntityDescription::destinationEntity(const RelationshipDescription& relationship) const
{
    return m_model ? m_model->entityNamed(relationship.destinationEntityName) : nullptr;
}

std::shared_ptr<ManagedObject> EntityDescription::makeInstance() const
{
    if (m_factory) {
        auto object = m_factory();
        BREVANTON_ASSERT(object != nullptr, "The factory of entity " + toUTF8(m_name) + " made no object");
        return object;
    }
    return std::make_shared<ManagedObject>();
}

EntityDescription& ManagedObjectModel::addEntity(std::u16string name)
{
    BREVANTON_ASSERT(!entityNamed(name), "The model already has an entity " + toUTF8(name));
    m_entities.push_back(std::make_unique<EntityDescription>(std::move(name)));
    m_entities.back()->m_index = m_entities.size() - 1;
    m_entities.back()->m_model = this;
    return *m_entities.back();
}

// Compared as property names are: each new object and each relationship set
// looks its entity up by name.
const EntityDescription* ManagedObjectModel::entityNamed(std::u16string_view name) const
{
    for (auto& entity : m_entities) {
        if (sameName(entity->name(), name))
            return entity.get();
    }
    return nullptr;
}

EntityDescription* ManagedObjectModel::entityNamed(std::u16string_view name)
{
    return const_cast<EntityDescription*>(std::as_const(*this).entityNamed(name));
}

void ManagedObjectModel::validate() const
{
    for (auto& entity : m_entities) {
        for (auto& relationship : entity->relationships()) {
            std::string where = toUTF8(entity->name()) + "." + toUTF8(relationship.name);
            const EntityDescription* destination = entityNamed(relationship.destinationEntityName);
            BREVANTON_ASSERT(destination, "Relationship " + where + " has no destination entity");
            const RelationshipDescription* inverse = destination->relationshipNamed(relationship.inverseName);
            BREVANTON_ASSERT(inverse, "Relationship " + where + " has no inverse");
            BREVANTON_ASSERT(inverse->destinationEntityName == entity->name() && inverse->inverseName == relationship.name,
                             "The inverse of relationship " + where + " does not name it back");
        }
    }
}

static const char* typeName(AttributeType type)
{
    switch (type) {
    case AttributeType::String: return "string";
    case AttributeType::Integer: return "integer";
    case AttributeType::Double: return "double";
    case AttributeType::Boolean: return "boolean";
    case AttributeType::Date: return "date";
    case AttributeType::Binary: return "binary";
    case AttributeType::Transformable: return "transformable";
    }
    return "?";
}

std::vector<std::string> modelSchemaLines(const ManagedObjectModel& model)
{
    std::vector<std::string> lines;
    for (auto& entity : model.entities()) {
        std::string name = toUTF8(entity->name());
        lines.push_back("E " + name);
        for (auto& attribute : entity->attributes())
            lines.push_back("A " + name + "." + toUTF8(attribute.name) + " " + typeName(attribute.type));
        for (auto& relationship : entity->relationships())
            lines.push_back("R " + name + "." + toUTF8(relationship.name) + " " + toUTF8(relationship.destinationEntityName) + " "
                            + toUTF8(relationship.inverseName) + (relationship.toMany ? " many" : " one"));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string ManagedObjectModel::versionHash() const
{
    // FNV-1a over the canonical description.
    std::vector<std::string> lines = modelSchemaLines(*this);
    uint64_t hash = 1469598103934665603ull;
    for (auto& line : lines) {
        for (unsigned char c : line + "\n") {
            hash ^= c;
            hash *= 1099511628211ull;
        }
    }
    return fmt::format("{:016x}", hash);
}

} // namespace brevanton
