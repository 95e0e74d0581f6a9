// One-line fetches of a context's objects by entity kind, predicate or key
// value, the object of a URI, and the insertion of a new object. A failed
// fetch answers nullopt (the lists) or null (the single objects); a single
// object fetch that finds several logs a warning and answers the first.
#pragma once

#include "platform/store/ManagedObjectContext.h"
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

} // namespace brevanton
