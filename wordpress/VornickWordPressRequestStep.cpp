#include "wordpress/VornickWordPressRequestStep.h"

#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickBlogSyncStep.h"
#include "toolkit/VornickLog.h"
#include "wordpress/VornickWordPressAgent.h"

namespace brevanton {

VornickWordPressRequestStep::VornickWordPressRequestStep(std::u16string name, std::u16string title, Request request)
    : VornickSyncStep(std::move(name), std::move(title))
    , m_request(std::move(request))
{
}

void VornickWordPressRequestStep::start()
{
    requestPageAtOffset(0);
}

void VornickWordPressRequestStep::requestPageAtOffset(int64_t startOffset)
{
    if (!active())
        return;
    auto* integrator = vornick_integratorOfStep(*this);
    auto agent = integrator ? std::dynamic_pointer_cast<VornickWordPressAgent>(integrator->agent()) : nullptr;
    auto* blogStep = this->blogStep();
    if (!agent || !blogStep) {
        finish(u"Failed: no connection to the blog service", VornickSyncStepState::Failed);
        return;
    }
    m_expectedOffset = startOffset;
    // Started first: an agent may answer inside the request.
    vornick_startWatchdogOfStep<VornickWordPressRequestStep>(*this, m_watchdog, [](VornickWordPressRequestStep& step) {
        if (auto log = step.syncLog())
            log->log("** No answer from the server for \"{}\" within {} seconds", step.title(), static_cast<int>(VornickQueueStepAnswerTimeout));
        step.finish(u"Failed: no answer from the server", VornickSyncStepState::Failed);
    });
    Dictionary blogDescription = blogStep->blogDescription();
    m_request(*agent, blogDescription, startOffset);
}

bool VornickWordPressRequestStep::takeAnswer(int64_t startOffset)
{
    if (!active() || !m_watchdog.isWaiting() || startOffset != m_expectedOffset)
        return false;
    m_watchdog.stop();
    return true;
}

void VornickWordPressRequestStep::finish(std::u16string statusMessage, VornickSyncStepState state)
{
    m_watchdog.stop();
    setStatusMessage(std::move(statusMessage));
    setState(state);
    queueMainThreadStatusUpdateNotification();
}

} // namespace brevanton
