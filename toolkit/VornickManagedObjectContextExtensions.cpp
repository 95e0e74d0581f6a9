#include "toolkit/VornickManagedObjectContextExtensions.h"

#include "toolkit/VornickLog.h"

#include "platform/foundation/Text.h"

namespace brevanton {

static std::optional<ManagedObjects> fetch(ManagedObjectContext& context, std::u16string_view kind, std::optional<Predicate> predicate,
                                           size_t limit = 0)
{
    FetchRequest request { std::u16string(kind) };
    request.setPredicate(std::move(predicate));
    request.setFetchLimit(limit);
    Error error;
    auto objects = context.executeFetchRequest(request, &error);
    if (!objects)
        VornickGeneralDebugLog([&] { return u"Fetch of " + std::u16string(kind) + u" failed: " + error.localizedDescription(); });
    return objects;
}

static Predicate keyValuePredicate(const PredicateArgument& value, std::u16string_view key)
{
    return Predicate::comparison(std::u16string(key), PredicateOperator::EqualTo, value);
}

std::optional<ManagedObjects> vornick_allEntitiesOfKind(ManagedObjectContext& context, std::u16string_view kind)
{
    return fetch(context, kind, std::nullopt);
}

std::optional<ManagedObjects> vornick_entitiesOfKind(ManagedObjectContext& context, std::u16string_view kind, const Predicate& predicate)
{
    return fetch(context, kind, predicate);
}

std::optional<ManagedObjects> vornick_entitiesOfKind(ManagedObjectContext& context, std::u16string_view kind,
                                                     const PredicateArgument& value, std::u16string_view key)
{
    return fetch(context, kind, keyValuePredicate(value, key));
}

std::optional<ManagedObjects> vornick_entitiesOfKind(ManagedObjectContext& context, std::u16string_view kind,
                                                     const PredicateArgument& value, std::u16string_view key,
                                                     const PredicateArgument& secondValue, std::u16string_view secondKey)
{
    return fetch(context, kind, Predicate::andPredicate({ keyValuePredicate(value, key), keyValuePredicate(secondValue, secondKey) }));
}

static std::shared_ptr<ManagedObject> single(std::u16string_view kind, const std::optional<ManagedObjects>& objects)
{
    if (!objects || objects->empty())
        return nullptr;
    if (objects->size() > 1)
        VornickGeneralLog("Warning: `{}` entity that should be a singleton is not unique! Arbitrarily returning the first such entity found.",
                          toUTF8(kind));
    return objects->front();
}

std::shared_ptr<ManagedObject> vornick_entityOfKind(ManagedObjectContext& context, std::u16string_view kind, const Predicate& predicate)
{
    return single(kind, vornick_entitiesOfKind(context, kind, predicate));
}

std::shared_ptr<ManagedObject> vornick_entityOfKind(ManagedObjectContext& context, std::u16string_view kind,
                                                    const PredicateArgument& value, std::u16string_view key)
{
    return single(kind, vornick_entitiesOfKind(context, kind, value, key));
}

std::shared_ptr<ManagedObject> vornick_entityOfKind(ManagedObjectContext& context, std::u16string_view kind,
                                                    const PredicateArgument& value, std::u16string_view key,
                                                    const PredicateArgument& secondValue, std::u16string_view secondKey)
{
    return single(kind, vornick_entitiesOfKind(context, kind, value, key, secondValue, secondKey));
}

std::shared_ptr<ManagedObject> vornick_createNewEntityOfKind(ManagedObjectContext& context, std::u16string_view kind)
{
    return context.insertNewObject(kind);
}

std::shared_ptr<ManagedObject> vornick_entityWithURIRepresentation(ManagedObjectContext& context, const URL& uri)
{
    auto objectID = context.persistentStore()->managedObjectIDForURIRepresentation(uri);
    if (!objectID)
        return nullptr;
    return context.existingObjectWithID(*objectID);
}

} // namespace brevanton
