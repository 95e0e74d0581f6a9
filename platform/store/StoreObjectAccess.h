// StoreObjectAccess: what the store's own code (predicate evaluation, sorts,
// saving) reads of objects without the public accessors' checks and copies.
#pragma once

#include "platform/foundation/Value.h"

#include <vector>

namespace brevanton {

class ManagedObject;

class StoreObjectAccess {
public:
    static const Value& attribute(const ManagedObject&, int index);
    // The destination of a to-one relationship, loaded when needed; null when none.
    static ManagedObject* toOne(const ManagedObject&, int relationshipIndex);
    // The destinations of a to-many relationship, loaded when needed, in id order.
    static void toMany(const ManagedObject&, int relationshipIndex, std::vector<ManagedObject*>& out);
    static int64_t number(const ManagedObject&);
    // The number of a to-one relationship's destination (0: none), without loading it.
    static int64_t toOneNumber(const ManagedObject&, int relationshipIndex);
    // The numbers of a to-many relationship's destinations, loaded when needed, in order.
    static const std::vector<int64_t>& toManyNumbers(const ManagedObject&, int relationshipIndex);
    // The numbers of a to-many relationship's destinations as loaded; null when not loaded.
    static const std::vector<int64_t>* loadedToManyNumbers(const ManagedObject&, int relationshipIndex);
};

} // namespace brevanton
