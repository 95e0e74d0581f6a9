// How a step reaches the integrator that runs its session.
#pragma once

#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickBlogServiceSyncSession.h"

namespace brevanton {

// The integrator of the session the node belongs to; null when the node is
// not in a blog service session or the session has no integrator (it is
// waiting, or its integrator let go of it).
inline VornickBlogServiceIntegrator* vornick_blogServiceIntegratorForStep(VornickSyncStepContainer& node)
{
    auto* session = dynamic_cast<VornickBlogServiceSyncSession*>(node.syncSession());
    return session ? dynamic_cast<VornickBlogServiceIntegrator*>(session->integrator()) : nullptr;
}

} // namespace brevanton
