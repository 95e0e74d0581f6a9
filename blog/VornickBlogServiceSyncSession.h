// VornickBlogServiceSyncSession: the root of every session an integrator
// builds, with one blog step per blog ("syncBlog." and the blog's service
// identifier).
#pragma once

#include "blog/VornickSyncSession.h"

#include <optional>

namespace brevanton {

class VornickSyncSessionIntegrator;

class VornickBlogServiceSyncSession : public VornickSyncSession {
public:
    explicit VornickBlogServiceSyncSession(VornickSyncSessionType type) : VornickSyncSession(type) {}

    // "syncBlog." and the description's "identifierUsedByBlogService"; nothing
    // when the description has no such string.
    static std::optional<std::u16string> stepNameForBlogWithDescription(const Dictionary& blogDescription);

    // The child for the blog when it is a blog step, else null.
    std::shared_ptr<VornickBlogSyncStep> stepForBlogWithDescription(const Dictionary& blogDescription) const;
    // The existing blog step, or a new one appended whose start block writes
    // "Starting sync of blog \"<title>\"" to the sync log; null when no blog
    // step can be made for the description (no identifier or no title).
    std::shared_ptr<VornickBlogSyncStep> addStepForBlogWithDescription(const Dictionary& blogDescription);

    // Not owned: the integrator sets it when it runs the session and clears it.
    VornickSyncSessionIntegrator* integrator() const { return m_integrator; }
    void setIntegrator(VornickSyncSessionIntegrator* integrator) { m_integrator = integrator; }

    // The integrator's sync log.
    std::shared_ptr<VornickLog> syncLog() const override;
    const char* className() const override { return "VornickBlogServiceSyncSession"; }

private:
    VornickSyncSessionIntegrator* m_integrator { nullptr };
};

} // namespace brevanton
