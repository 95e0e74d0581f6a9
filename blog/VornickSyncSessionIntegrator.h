// VornickSyncSessionIntegrator: what a blog service session and its steps ask
// of the integrator that runs the session. The integrator implements it.
#pragma once

#include "platform/foundation/Value.h"

#include <memory>

namespace brevanton {

class VornickLog;
class VornickPublishedBlog;

class VornickSyncSessionIntegrator {
public:
    virtual ~VornickSyncSessionIntegrator() = default;

    // The project's sync log; null when there is none.
    virtual std::shared_ptr<VornickLog> syncLog() const = 0;
    // The stored blog whose "identifierUsedByBlogService" is the description's
    // (not empty), or null when there is none (never stored, or deleted).
    virtual std::shared_ptr<VornickPublishedBlog> existingBlogForDescription(const Dictionary& blogDescription) = 0;
};

} // namespace brevanton
