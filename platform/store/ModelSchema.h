// The canonical description of a model that a store file records: one line
// per entity, attribute and relationship. A file's lines that the model still
// has unchanged can be migrated to it by adding the model's new lines.
#pragma once

#include "platform/store/ManagedObjectModel.h"

#include <string>
#include <vector>

namespace brevanton {

// Sorted lines.
std::vector<std::string> modelSchemaLines(const ManagedObjectModel&);

} // namespace brevanton
