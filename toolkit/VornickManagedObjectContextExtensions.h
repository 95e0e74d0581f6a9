// One-line fetches of a context's objects by entity kind, predicate or key
// value, the object of a URI, and the insertion of a new object. A failed
// fetch answers nullopt (the lists) or null (the single objects); a single
// object fetch that finds several logs a warning and answers the first.
// Each has a form for an entity class (vornick_entitiesOfKind<VornickBlogTag>)
// answering objects of that class.
#pragma once

#include "platform/store/ManagedObjectContext.h"
#include "platform/store/ManagedObjectModel.h"
#include "platform/store/Predicate.h"
#include "platform/foundation/URL.h"

#include <memory>
#include <optional>
#include <string_view>

namespace brevanton {

std::optional<ManagedObjects> vornick_allEntitiesOfKind(ManagedObjectContext&, std::u16string_view kind);
std::optional<ManagedObjects> vornick_entitiesOfKind(ManagedObjectContext&, std::u16string_view kind, const Predicate&);
// "%K == %@" with (key, value).
std::optional<ManagedObjects> vornick_entitiesOfKind(ManagedObjectContext&, std::u16string_view kind, const PredicateArgument& value,
                                                     std::u16string_view key);
// "%K == %@ && %K == %@" with (key, value, second key, second value).
std::optional<ManagedObjects> vornick_entitiesOfKind(ManagedObjectContext&, std::u16string_view kind, const PredicateArgument& value,
                                                     std::u16string_view key, const PredicateArgument& secondValue,
                                                     std::u16string_view secondKey);

std::shared_ptr<ManagedObject> vornick_entityOfKind(ManagedObjectContext&, std::u16string_view kind, const Predicate&);
std::shared_ptr<ManagedObject> vornick_entityOfKind(ManagedObjectContext&, std::u16string_view kind, const PredicateArgument& value,
                                                    std::u16string_view key);
std::shared_ptr<ManagedObject> vornick_entityOfKind(ManagedObjectContext&, std::u16string_view kind, const PredicateArgument& value,
                                                    std::u16string_view key, const PredicateArgument& secondValue,
                                                    std::u16string_view secondKey);

std::shared_ptr<ManagedObject> vornick_createNewEntityOfKind(ManagedObjectContext&, std::u16string_view kind);

// The object of an object URI of the context's store; null for a URI of
// another store, of an unknown entity or of an object that no longer exists.
std::shared_ptr<ManagedObject> vornick_entityWithURIRepresentation(ManagedObjectContext&, const URL&);

template<EntityClass T> using VornickEntities = std::vector<std::shared_ptr<T>>;

template<EntityClass T> std::optional<VornickEntities<T>> vornick_entityCast(std::optional<ManagedObjects> objects)
{
    if (!objects)
        return std::nullopt;
    return entityCast<T>(std::move(*objects));
}

template<EntityClass T> std::optional<VornickEntities<T>> vornick_allEntitiesOfKind(ManagedObjectContext& context)
{
    return vornick_entityCast<T>(vornick_allEntitiesOfKind(context, T::entityName));
}
template<EntityClass T> std::optional<VornickEntities<T>> vornick_entitiesOfKind(ManagedObjectContext& context, const Predicate& predicate)
{
    return vornick_entityCast<T>(vornick_entitiesOfKind(context, T::entityName, predicate));
}
template<EntityClass T>
std::optional<VornickEntities<T>> vornick_entitiesOfKind(ManagedObjectContext& context, const PredicateArgument& value, std::u16string_view key)
{
    return vornick_entityCast<T>(vornick_entitiesOfKind(context, T::entityName, value, key));
}

template<EntityClass T> std::shared_ptr<T> vornick_entityOfKind(ManagedObjectContext& context, const Predicate& predicate)
{
    return entityCast<T>(vornick_entityOfKind(context, T::entityName, predicate));
}
template<EntityClass T>
std::shared_ptr<T> vornick_entityOfKind(ManagedObjectContext& context, const PredicateArgument& value, std::u16string_view key)
{
    return entityCast<T>(vornick_entityOfKind(context, T::entityName, value, key));
}

// The object of the URI when it is one of T's entity, else null.
template<EntityClass T> std::shared_ptr<T> vornick_entityWithURIRepresentation(ManagedObjectContext& context, const URL& url)
{
    auto object = vornick_entityWithURIRepresentation(context, url);
    if (!object || object->entity().name() != T::entityName)
        return nullptr;
    return entityCast<T>(std::move(object));
}

} // namespace brevanton
