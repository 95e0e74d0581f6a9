#include "publishing/VornickMiniSyncStatusUIController.h"

#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickSyncFailureMessage.h"
#include "blog/VornickSyncStep.h"
#include "platform/foundation/Text.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/OutlineView.h"
#include "platform/views/SystemColors.h"
#include "platform/views/TextField.h"
#include "publishing/VornickSyncStepStatusTableCellView.h"
#include "ui/VornickProgressIndicator.h"

namespace brevanton {

namespace {

bool isShownAsLatest(const std::u16string& message)
{
    if (message.empty())
        return false;
    std::u16string folded = lowercase(message);
    return folded != u"done" && folded != u"waiting to start";
}

// The message of the first active step, depth first.
std::u16string activeStepMessage(VornickSyncStepContainer& node)
{
    auto step = node.firstDescendantStepWithState(VornickSyncStepState::Active);
    return step ? step->statusMessage() : std::u16string();
}

} // namespace

void VornickMiniSyncStatusContainerView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    context.fillRect(dirtyRect, systemColor(SystemColor::WindowBackground));
    Rect area = bounds();
    double top = isFlipped() ? area.minY() : area.maxY() - 1;
    context.fillRect(Rect(area.minX(), top, area.width(), 1), topLineColor());
}

std::shared_ptr<View> VornickMiniSyncStatusUIController::loadView()
{
    auto view = std::make_shared<VornickMiniSyncStatusContainerView>(Rect(0, 0, 240, Height));
    view->setIdentifier(interfaceName());
    view->setAutoresizingMask(Autoresizing::WidthSizable);

    m_latestStatusMessageTextField = std::make_shared<TextField>(Rect(8, 20, 224, 16));
    m_latestStatusMessageTextField->setEditable(false);
    m_latestStatusMessageTextField->setBezeled(false);
    m_latestStatusMessageTextField->setDrawsBackground(false);
    m_latestStatusMessageTextField->setAutoresizingMask(Autoresizing::WidthSizable);
    view->addSubview(m_latestStatusMessageTextField);

    m_sessionProgressIndicator = std::make_shared<VornickProgressIndicator>(Rect(8, 6, 224, 10));
    m_sessionProgressIndicator->setIndeterminate(false);
    m_sessionProgressIndicator->setMinValue(0);
    m_sessionProgressIndicator->setMaxValue(1);
    m_sessionProgressIndicator->setAutoresizingMask(Autoresizing::WidthSizable);
    view->addSubview(m_sessionProgressIndicator);

    // No outline here; the session's own line is kept out of sight to follow its state.
    setSyncSessionStatusView(VornickSyncStepStatusTableCellView::create());
    return view;
}

void VornickMiniSyncStatusUIController::displaySyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>& session)
{
    VornickSyncStatusUIController::displaySyncSession(session);
    if (!session || !m_sessionProgressIndicator)
        return;
    m_failedSession = nullptr;
    if (!VornickSyncStepStateIsFinal(session->state()))
        showLatestStatusMessage({});
    m_sessionProgressIndicator->setDoubleValue(session->progress());
    if (std::u16string message = activeStepMessage(*session); isShownAsLatest(message))
        showLatestStatusMessage(message);
}

void VornickMiniSyncStatusUIController::showLatestStatusMessage(const std::u16string& message)
{
    if (m_latestStatusMessageTextField)
        m_latestStatusMessageTextField->setTextString(message);
}

void VornickMiniSyncStatusUIController::showFailureOfSession(VornickBlogServiceSyncSession& session)
{
    m_failedSession = &session;
    auto failure = VornickSyncSessionFailure(session);
    std::u16string reason = failure ? failure->message : std::u16string();
    showLatestStatusMessage(reason.empty() ? std::u16string(u"Sync failed") : u"Sync failed: " + reason);
}

void VornickMiniSyncStatusUIController::showEndedFailedSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>& session)
{
    if (!session || !VornickSyncStepStateIsFinal(session->state()))
        return;
    showEndedSyncSession(session);
    showFailureOfSession(*session);
}

void VornickMiniSyncStatusUIController::syncStepStatusDidChange(const Notification& notification)
{
    VornickSyncStatusUIController::syncStepStatusDidChange(notification);
    auto session = currentSyncSession();
    if (!session || !m_sessionProgressIndicator)
        return;
    auto found = notification.userObjects.find("step");
    if (found == notification.userObjects.end())
        return;
    auto* node = std::any_cast<std::shared_ptr<VornickSyncStepContainer>>(&found->second);
    if (!node || !*node || &(*node)->rootContainer() != session.get())
        return;
    // A failed session's line stays its failure: later messages of its
    // steps do not replace it.
    if (m_failedSession == session.get())
        return;
    if (!(*node)->parentContainer()) {
        auto state = notification.userInfo.find(u"state");
        int64_t number = state != notification.userInfo.end() && state->second.isNumber() ? state->second.integerValue() : -1;
        if (number == static_cast<int64_t>(VornickSyncStepState::Failed) || number == static_cast<int64_t>(VornickSyncStepState::CancelledByFailures)) {
            showFailureOfSession(*session);
            return;
        }
    }
    if (auto message = notification.userInfo.find(u"statusMessage"); message != notification.userInfo.end()) {
        if (std::u16string text = message->second.stringValue(); isShownAsLatest(text))
            showLatestStatusMessage(text);
    }
    if (!(*node)->parentContainer()) {
        if (auto progress = notification.userInfo.find(u"progress"); progress != notification.userInfo.end())
            m_sessionProgressIndicator->setDoubleValue(progress->second.doubleValue());
    }
}

} // namespace brevanton
