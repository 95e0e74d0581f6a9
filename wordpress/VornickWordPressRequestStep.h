// VornickWordPressRequestStep: a step of a WordPress blog step that asks the
// agent for one listing or setting (categories, tags, media items, post
// formats, statuses, blog options), page by page, and waits for the answer.
// An answer counts only while the step is Active and waits for that page; a
// late, repeated or stray one changes nothing. A request that no answer ends
// within VornickQueueStepAnswerTimeout seconds (the agent dropped it) fails
// the step, saying so, rather than leaving the session running for ever.
// Main thread only.
#pragma once

#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickSyncStep.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <functional>

namespace brevanton {

class VornickWordPressAgent;

class VornickWordPressRequestStep : public VornickSyncStep {
public:
    // Asks the agent for the page of the blog at the offset.
    using Request = std::function<void(VornickWordPressAgent&, const Dictionary& blogDescription, int64_t startOffset)>;

    VornickWordPressRequestStep(std::u16string name, std::u16string title, Request request);

    // The start block's work: the first page. Without a WordPress agent the step fails.
    void start();
    // Asks for the page at the offset and waits for it.
    void requestPageAtOffset(int64_t startOffset);
    // Whether an answer for the page at the offset is the one the step waits
    // for; when it is, the wait ends.
    bool takeAnswer(int64_t startOffset);
    bool isAwaitingAnswer() const { return m_watchdog.isWaiting(); }
    // Sets the status message and the final state.
    void finish(std::u16string statusMessage, VornickSyncStepState);

    const char* className() const override { return "VornickWordPressRequestStep"; }

private:
    Request m_request;
    VornickQueueStepWatchdog m_watchdog;
    int64_t m_expectedOffset { 0 };
};

} // namespace brevanton
