#include "platform/store/ManagedObject.h"

#include "platform/store/ManagedObjectContextInternals.h"
#include "platform/store/StoreObjectAccess.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <atomic>

namespace brevanton {

ManagedObject::~ManagedObject() = default;

namespace {

// Objects of contexts on other threads take stamps too.
std::atomic<uint64_t> nextStamp { 1 };

} // namespace

uint64_t ManagedObject::takeChangeStamp()
{
    return nextStamp.fetch_add(1, std::memory_order_relaxed);
}

uint64_t ManagedObject::nextChangeStamp()
{
    return nextStamp.load(std::memory_order_relaxed);
}

ManagedObjectID ManagedObject::objectID() const
{
    if (!m_storeIdentifier)
        return {};
    return ManagedObjectID(*m_storeIdentifier, m_entity->name(), m_number);
}

static std::string describeKey(const EntityDescription& entity, std::u16string_view key)
{
    return toUTF8(entity.name()) + "." + toUTF8(key);
}

void assertObjectOfEntityClass(const ManagedObject& object, std::u16string_view entityName, bool isOfClass, const char* className)
{
    // An object not yet inserted has no entity: its class alone tells.
    BREVANTON_ASSERT(!object.m_entity || object.m_entity->name() == entityName,
                     "An object of " + toUTF8(object.m_entity->name()) + " taken for one of " + toUTF8(entityName));
    BREVANTON_ASSERT(isOfClass, "The model makes " + toUTF8(entityName) + " as a class that is not " + className);
}

bool ManagedObject::isOfEntity(std::u16string_view entityName) const
{
    return m_entity && m_entity->name() == entityName;
}

bool ManagedObject::respondsToKey(std::u16string_view key) const
{
    return m_entity->attributeIndex(key) >= 0 || m_entity->relationshipIndex(key) >= 0;
}

Value ManagedObject::valueForKey(std::u16string_view key) const
{
    return valueReferenceForKey(key);
}

const Value& ManagedObject::valueReferenceForKey(std::u16string_view key) const
{
    if (m_context)
        m_context->assertOwnThread();
    int index = m_entity->attributeIndex(key);
    BREVANTON_ASSERT(index >= 0, "No attribute " + describeKey(*m_entity, key));
    return m_attributes[index];
}

// The value as the attribute keeps it, `value` itself (moved) when it has
// the attribute's type already; `key` of `entity` is described only when the
// value does not fit.
static Value convertedValue(Value&& value, AttributeType type, const EntityDescription& entity, std::u16string_view key)
{
    if (value.isNull())
        return std::move(value);
    switch (type) {
    case AttributeType::String:
        BREVANTON_ASSERT(value.isString(), "A string is expected for " + describeKey(entity, key));
        return std::move(value);
    case AttributeType::Integer:
        BREVANTON_ASSERT(value.isNumber(), "A number is expected for " + describeKey(entity, key));
        return Value(static_cast<long long>(value.integerValue()));
    case AttributeType::Double:
        BREVANTON_ASSERT(value.isNumber(), "A number is expected for " + describeKey(entity, key));
        return Value(value.doubleValue());
    case AttributeType::Boolean:
        BREVANTON_ASSERT(value.isNumber(), "A Boolean is expected for " + describeKey(entity, key));
        return Value(value.boolValue());
    case AttributeType::Date:
        BREVANTON_ASSERT(value.isDate(), "A date is expected for " + describeKey(entity, key));
        return std::move(value);
    case AttributeType::Binary:
        BREVANTON_ASSERT(value.isData(), "Data is expected for " + describeKey(entity, key));
        return std::move(value);
    case AttributeType::Transformable:
        // Stored as a binary property list, which holds no nulls: refusing
        // here keeps a save from dropping the value.
        BREVANTON_ASSERT(writePropertyList(value, PropertyListFormat::Binary, nullptr).has_value(),
                         "A property list without nulls is expected for " + describeKey(entity, key));
        return std::move(value);
    }
    return std::move(value);
}

void ManagedObject::setValueForKey(const Value& value, std::u16string_view key)
{
    setValueForKey(Value(value), key);
}

void ManagedObject::setValueForKey(Value&& value, std::u16string_view key)
{
    BREVANTON_ASSERT(m_context, "The object " + toUTF8(objectID().URIString()) + " is in no context");
    m_context->assertOwnThread();
    int index = m_entity->attributeIndex(key);
    BREVANTON_ASSERT(index >= 0, "No attribute " + describeKey(*m_entity, key));
    Value converted = convertedValue(std::move(value), m_entity->attributes()[index].type, *m_entity, key);
    if (m_attributes[index].type() == converted.type() && m_attributes[index] == converted)
        return;
    m_context->m_private->markChanged(*this);
    // The first change since the last save keeps the saved value for a
    // rollback; it is moved there, never copied.
    if (m_committed && std::none_of(m_committed->attributes.begin(), m_committed->attributes.end(),
                                    [&](const auto& saved) { return saved.first == index; }))
        m_committed->attributes.emplace_back(index, std::move(m_attributes[index]));
    m_attributes[index] = std::move(converted);
}

static int relationshipIndex(const EntityDescription& entity, std::u16string_view key, bool toMany)
{
    int index = entity.relationshipIndex(key);
    BREVANTON_ASSERT(index >= 0, "No relationship " + describeKey(entity, key));
    BREVANTON_ASSERT(entity.relationships()[index].toMany == toMany,
                     "The relationship " + describeKey(entity, key) + (toMany ? " is to-one" : " is to-many"));
    return index;
}

std::shared_ptr<ManagedObject> ManagedObject::objectForKey(std::u16string_view key) const
{
    int index = relationshipIndex(*m_entity, key, false);
    if (!m_context)
        return nullptr;
    m_context->assertOwnThread();
    ManagedObject* destination = StoreObjectAccess::toOne(*this, index);
    return destination ? destination->shared_from_this() : nullptr;
}

void ManagedObject::setObjectForKey(const std::shared_ptr<ManagedObject>& object, std::u16string_view key)
{
    int index = relationshipIndex(*m_entity, key, false);
    BREVANTON_ASSERT(m_context, "The object " + toUTF8(objectID().URIString()) + " is in no context");
    m_context->assertOwnThread();
    BREVANTON_ASSERT(!object || object->m_context == m_context, "Related objects must be in the same context");
    BREVANTON_ASSERT(!object || &object->entity() == m_entity->destinationEntity(m_entity->relationships()[index]),
                     "Wrong destination entity for " + describeKey(*m_entity, key));
    m_context->m_private->setToOne(*this, index, object.get());
}

std::vector<std::shared_ptr<ManagedObject>> ManagedObject::objectsForKey(std::u16string_view key) const
{
    int index = relationshipIndex(*m_entity, key, true);
    std::vector<std::shared_ptr<ManagedObject>> result;
    if (!m_context)
        return result;
    m_context->assertOwnThread();
    std::vector<ManagedObject*> destinations;
    StoreObjectAccess::toMany(*this, index, destinations);
    result.reserve(destinations.size());
    for (ManagedObject* destination : destinations)
        result.push_back(destination->shared_from_this());
    return result;
}

void ManagedObject::forEachObjectForKey(std::u16string_view key, const std::function<void(ManagedObject&)>& visit) const
{
    int index = relationshipIndex(*m_entity, key, true);
    if (!m_context)
        return;
    m_context->assertOwnThread();
    auto& d = *m_context->m_private;
    d.ensureLoaded(const_cast<ManagedObject&>(*this), index);
    const EntityDescription* destination = m_entity->destinationEntity(m_entity->relationships()[index]);
    // By position: loading a destination's row must not leave a dangling iterator.
    for (size_t position = 0; position < m_relationships[index].toMany.size(); ++position) {
        if (ManagedObject* found = d.object(*destination, m_relationships[index].toMany[position]))
            visit(*found);
    }
}

size_t ManagedObject::countForKey(std::u16string_view key) const
{
    int index = relationshipIndex(*m_entity, key, true);
    if (!m_context)
        return 0;
    m_context->assertOwnThread();
    m_context->m_private->ensureLoaded(const_cast<ManagedObject&>(*this), index);
    return m_relationships[index].toMany.size();
}

void ManagedObject::setObjectsForKey(const std::vector<std::shared_ptr<ManagedObject>>& objects, std::u16string_view key)
{
    int index = relationshipIndex(*m_entity, key, true);
    BREVANTON_ASSERT(m_context, "The object " + toUTF8(objectID().URIString()) + " is in no context");
    m_context->assertOwnThread();
    std::vector<int64_t> wanted;
    for (auto& object : objects) {
        BREVANTON_ASSERT(object && object->m_context == m_context, "Related objects must be in the same context");
        wanted.push_back(object->m_number);
    }
    std::sort(wanted.begin(), wanted.end());
    for (auto& current : objectsForKey(key)) {
        if (!std::binary_search(wanted.begin(), wanted.end(), current->m_number))
            m_context->m_private->removeFromToMany(*this, index, *current);
    }
    for (auto& object : objects)
        addObjectForKey(object, key);
}

void ManagedObject::addObjectForKey(const std::shared_ptr<ManagedObject>& object, std::u16string_view key)
{
    int index = relationshipIndex(*m_entity, key, true);
    BREVANTON_ASSERT(m_context, "The object " + toUTF8(objectID().URIString()) + " is in no context");
    m_context->assertOwnThread();
    BREVANTON_ASSERT(object && object->m_context == m_context, "Related objects must be in the same context");
    BREVANTON_ASSERT(&object->entity() == m_entity->destinationEntity(m_entity->relationships()[index]),
                     "Wrong destination entity for " + describeKey(*m_entity, key));
    m_context->m_private->addToMany(*this, index, *object);
}

void ManagedObject::removeObjectForKey(const std::shared_ptr<ManagedObject>& object, std::u16string_view key)
{
    int index = relationshipIndex(*m_entity, key, true);
    BREVANTON_ASSERT(m_context, "The object " + toUTF8(objectID().URIString()) + " is in no context");
    m_context->assertOwnThread();
    if (object && object->m_context == m_context)
        m_context->m_private->removeFromToMany(*this, index, *object);
}

const Value& StoreObjectAccess::attribute(const ManagedObject& object, int index)
{
    return object.m_attributes[index];
}

int64_t StoreObjectAccess::number(const ManagedObject& object)
{
    return object.m_number;
}

int64_t StoreObjectAccess::toOneNumber(const ManagedObject& object, int relationshipIndex)
{
    return object.m_relationships[relationshipIndex].toOne;
}

const std::vector<int64_t>& StoreObjectAccess::toManyNumbers(const ManagedObject& object, int relationshipIndex)
{
    if (object.m_context)
        object.m_context->m_private->ensureLoaded(const_cast<ManagedObject&>(object), relationshipIndex);
    return object.m_relationships[relationshipIndex].toMany;
}

const std::vector<int64_t>* StoreObjectAccess::loadedToManyNumbers(const ManagedObject& object, int relationshipIndex)
{
    auto& relationship = object.m_relationships[relationshipIndex];
    return relationship.loaded ? &relationship.toMany : nullptr;
}

ManagedObject* StoreObjectAccess::toOne(const ManagedObject& object, int relationshipIndex)
{
    int64_t number = object.m_relationships[relationshipIndex].toOne;
    if (!number || !object.m_context)
        return nullptr;
    const EntityDescription& entity = *object.m_entity;
    const EntityDescription* destination = entity.destinationEntity(entity.relationships()[relationshipIndex]);
    return object.m_context->m_private->object(*destination, number);
}

void StoreObjectAccess::toMany(const ManagedObject& object, int relationshipIndex, std::vector<ManagedObject*>& out)
{
    out.clear();
    if (!object.m_context)
        return;
    auto& d = *object.m_context->m_private;
    d.ensureLoaded(const_cast<ManagedObject&>(object), relationshipIndex);
    const EntityDescription& entity = *object.m_entity;
    const EntityDescription* destination = entity.destinationEntity(entity.relationships()[relationshipIndex]);
    const auto& numbers = object.m_relationships[relationshipIndex].toMany;
    out.reserve(numbers.size());
    for (int64_t number : numbers) {
        if (ManagedObject* found = d.object(*destination, number))
            out.push_back(found);
    }
}

} // namespace brevanton
