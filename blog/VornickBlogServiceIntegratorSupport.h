// Helpers the integrator's session and post sync files share: reading
// descriptions, finding the integrator of a step, and moving an agent's
// answer to the main thread.
#pragma once

#include "blog/VornickBlogServiceAgent.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"

#include <functional>
#include <string>

namespace brevanton {

// The description's string for the key; empty when it is missing or no string.
inline std::u16string vornick_descriptionString(const Dictionary& description, std::u16string_view key)
{
    auto found = description.find(key);
    return found != description.end() && found->second.isString() ? found->second.string() : std::u16string();
}

// The integrator running the session the node belongs to, or null.
inline VornickBlogServiceIntegrator* vornick_integratorOfStep(VornickSyncStepContainer& node)
{
    auto* session = dynamic_cast<VornickBlogServiceSyncSession*>(node.syncSession());
    return session ? dynamic_cast<VornickBlogServiceIntegrator*>(session->integrator()) : nullptr;
}

// Runs `block` now on the main thread, else on a later turn of the main run loop.
inline void vornick_performOnMainThread(std::function<void()> block)
{
    if (RunLoop::isMainThread())
        block();
    else
        RunLoop::main().perform(std::move(block));
}

// Off the main thread, queues `answer` on the main queue, to run there only
// while `integrator` is still the agent's delegate, and answers true; on the
// main thread answers false and the caller goes on. Callers test
// RunLoop::isMainThread() first, so that the answer's copies of its
// arguments (a page of descriptions) are made only when it moves.
inline bool vornick_moveAgentAnswerToMainThread(VornickBlogServiceAgent& agent, VornickBlogServiceIntegrator* integrator,
    std::function<void(VornickBlogServiceIntegrator&, VornickBlogServiceAgent&)> answer)
{
    if (RunLoop::isMainThread())
        return false;
    OperationQueue::main().addOperation([strongAgent = agent.shared_from_this(), integrator, answer = std::move(answer)] {
        if (static_cast<VornickBlogServiceAgentDelegate*>(integrator) == strongAgent->delegate())
            answer(*integrator, *strongAgent);
    });
    return true;
}

} // namespace brevanton
