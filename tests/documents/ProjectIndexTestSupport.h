// Removing a project's index, so that the next opening of the project
// indexes its files anew, for the tests of what a first indexing reads.
#pragma once

#include "documents/VornickProject.h"
#include "documents/VornickProjectIndex.h"
#include "platform/store/PersistentStore.h"

#include <string>

namespace brevanton {

// Opens the project only to learn where its index is, closes it and removes
// the index.
template<typename Project>
[[nodiscard]] bool destroyIndexOfProject(const URL& projectFile, Error* outError)
{
    auto project = VornickProject::createWithContentsOfProjectFileURL<Project>(projectFile, outError);
    if (!project)
        return false;
    std::string indexPath = project->index()->filePath();
    project.reset();
    return PersistentStore::destroy(indexPath, outError);
}

} // namespace brevanton
