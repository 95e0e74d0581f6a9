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
};

} // namespace brevanton
