#include "publishing/VornickSyncStatusUIController.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickPublishedBlogProject.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickSyncFailureMessage.h"
#include "blog/VornickSyncStep.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/views/Button.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TextField.h"
#include "publishing/VornickSyncStepStatusTableCellView.h"
#include "ui/VornickFlippedView.h"

namespace brevanton {

namespace {

std::shared_ptr<VornickSyncStepContainer> containerOfItem(const OutlineItem& item)
{
    return std::static_pointer_cast<VornickSyncStepContainer>(item);
}

Value userInfoValue(const Notification& notification, const char16_t* key)
{
    auto found = notification.userInfo.find(key);
    return found != notification.userInfo.end() ? found->second : Value();
}

std::shared_ptr<VornickSyncStepContainer> notifiedNode(const Notification& notification)
{
    auto found = notification.userObjects.find("step");
    if (found == notification.userObjects.end())
        return nullptr;
    auto* node = std::any_cast<std::shared_ptr<VornickSyncStepContainer>>(&found->second);
    return node ? *node : nullptr;
}

} // namespace

VornickSyncStatusUIController::VornickSyncStatusUIController() = default;

VornickSyncStatusUIController::~VornickSyncStatusUIController()
{
    m_synchronizerObserver.reset();
    m_stepStatusObserver.reset();
    m_observedSteps.clear();
}

const std::shared_ptr<View>& VornickSyncStatusUIController::view()
{
    if (!m_view)
        m_view = loadView();
    return m_view;
}

std::shared_ptr<View> VornickSyncStatusUIController::loadView()
{
    auto view = std::make_shared<VornickFlippedView>(Rect(0, 0, 440, 320));
    view->setIdentifier(interfaceName());

    m_syncSessionStatusView = VornickSyncStepStatusTableCellView::create(Rect(10, 10, 420, VornickSyncStepStatusTableCellView::RowHeight));
    m_syncSessionStatusView->setAutoresizingMask(Autoresizing::WidthSizable);
    view->addSubview(m_syncSessionStatusView);

    auto scrollView = std::make_shared<ScrollView>(Rect(10, 54, 420, 196));
    scrollView->setHasVerticalScroller(true);
    scrollView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    m_stepsOutlineView = std::make_shared<OutlineView>(Rect(0, 0, 420, 210));
    m_stepsOutlineView->addTableColumn(StepsColumnIdentifier);
    m_stepsOutlineView->setRowHeight(VornickSyncStepStatusTableCellView::RowHeight);
    scrollView->setDocumentView(m_stepsOutlineView);
    view->addSubview(scrollView);

    // What the user can do after a failure; empty otherwise.
    m_failureAdviceTextField = TextField::labelWithString(u"");
    m_failureAdviceTextField->setFrame(Rect(10, 256, 420, 17));
    m_failureAdviceTextField->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
    view->addSubview(m_failureAdviceTextField);

    m_syncLogButton = std::make_shared<Button>(Rect(10, 280, 110, 28), u"Show Log");
    m_syncCompletionButton = std::make_shared<Button>(Rect(220, 280, 100, 28), u"OK");
    m_syncCompletionButton->setHidden(true);
    m_cancelButton = std::make_shared<Button>(Rect(330, 280, 100, 28), u"Cancel");
    std::weak_ptr<VornickSyncStatusUIController> weakThis = weak_from_this();
    m_cancelButton->setAction(CancelSyncAction);
    m_cancelButton->setActionHandler(CancelSyncAction, [weakThis](ActionSender*) {
        if (auto controller = weakThis.lock())
            controller->cancelSync();
    });
    m_cancelButton->setTarget(m_cancelButton);
    for (auto& button : { m_syncLogButton, m_syncCompletionButton, m_cancelButton }) {
        button->setAutoresizingMask(Autoresizing::MinYMargin);
        view->addSubview(button);
    }

    std::weak_ptr<OutlineViewDataSource> dataSource = std::static_pointer_cast<OutlineViewDataSource>(shared_from_this());
    m_stepsOutlineView->setDelegate(std::static_pointer_cast<OutlineViewDelegate>(shared_from_this()));
    m_stepsOutlineView->setDataSource(dataSource);
    return view;
}

VornickPublishedBlogSynchronizer* VornickSyncStatusUIController::synchronizer() const
{
    if (!m_account)
        return nullptr;
    auto project = std::dynamic_pointer_cast<VornickPublishedBlogProject>(m_account->project());
    return project ? &project->synchronizer() : nullptr;
}

std::shared_ptr<VornickBlogServiceSyncSession> VornickSyncStatusUIController::currentSyncSession() const
{
    auto* synchronizer = this->synchronizer();
    return synchronizer ? synchronizer->currentSyncSession() : nullptr;
}

void VornickSyncStatusUIController::setAccount(std::shared_ptr<VornickBlogHostingAccount> account)
{
    if (account == m_account)
        return;
    view();
    if (m_displayedSyncSession)
        stopObservingSyncSession(m_displayedSyncSession);
    stopObservingSynchronizer();
    m_account = std::move(account);
    if (auto session = currentSyncSession())
        displaySyncSession(session);
    startObservingSynchronizer();
    if (m_displayedSyncSession && m_displayedSyncSession == currentSyncSession())
        startObservingSyncSession(m_displayedSyncSession);
}

void VornickSyncStatusUIController::displaySyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>& session)
{
    if (!session)
        return;
    m_displayedSyncSession = session;
    m_syncSessionStatusView->setObjectValue(session);
    // The buttons as the session stands when it is first shown.
    bool running = VornickSyncStepStateIsUnfinished(session->state());
    showButtonsForRunningSession(running);
    if (running)
        showFailureAdvice({});
    buildUIFromSession();
}

void VornickSyncStatusUIController::showButtonsForRunningSession(bool running)
{
    if (m_cancelButton)
        m_cancelButton->setHidden(!running);
    if (m_syncCompletionButton)
        m_syncCompletionButton->setHidden(running);
}

void VornickSyncStatusUIController::cancelSync()
{
    if (auto* synchronizer = this->synchronizer())
        synchronizer->cancelSync();
}

void VornickSyncStatusUIController::startObservingSynchronizer()
{
    auto* synchronizer = this->synchronizer();
    if (!synchronizer)
        return;
    m_observedSynchronizer = synchronizer;
    std::weak_ptr<VornickSyncStatusUIController> weakThis = weak_from_this();
    m_synchronizerObserver = NotificationCenter::defaultCenter().addObserver(
        VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification, synchronizer, nullptr, [weakThis](const Notification& notification) {
            if (auto controller = weakThis.lock())
                controller->synchronizerSwitchedSyncSession(notification);
        });
}

void VornickSyncStatusUIController::stopObservingSynchronizer()
{
    m_synchronizerObserver.reset();
    m_observedSynchronizer = nullptr;
}

void VornickSyncStatusUIController::synchronizerSwitchedSyncSession(const Notification& notification)
{
    if (!m_observedSynchronizer || notification.object != m_observedSynchronizer)
        return;
    auto found = notification.userObjects.find("oldSyncSession");
    if (found != notification.userObjects.end()) {
        if (auto* old = std::any_cast<std::shared_ptr<VornickBlogServiceSyncSession>>(&found->second); old && *old)
            stopObservingSyncSession(*old);
    }
    auto session = currentSyncSession();
    if (!session)
        return;
    if (session != m_displayedSyncSession) {
        if (m_displayedSyncSession)
            stopObservingSyncSession(m_displayedSyncSession);
        displaySyncSession(session);
    }
    startObservingSyncSession(session);
}

void VornickSyncStatusUIController::startObservingSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>& session)
{
    if (!session)
        return;
    recursiveAddStepsObservers(session);
    if (m_stepStatusObserver.isActive())
        return;
    std::weak_ptr<VornickSyncStatusUIController> weakThis = weak_from_this();
    m_stepStatusObserver = NotificationCenter::defaultCenter().addObserver(
        VornickSyncStepStatusDidChangeNotification, nullptr, nullptr, [weakThis](const Notification& notification) {
            if (auto controller = weakThis.lock())
                controller->syncStepStatusDidChange(notification);
        });
}

void VornickSyncStatusUIController::stopObservingSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>&)
{
    removeAllStepsObservers();
    m_stepStatusObserver.reset();
}

void VornickSyncStatusUIController::recursiveAddStepsObservers(const std::shared_ptr<VornickSyncStepContainer>& container)
{
    if (!container || m_observedSteps.contains(container.get()))
        return;
    std::weak_ptr<VornickSyncStatusUIController> weakThis = weak_from_this();
    std::weak_ptr<VornickSyncStepContainer> weakContainer = container;
    m_observedSteps[container.get()] = NotificationCenter::defaultCenter().addObserver(
        VornickSyncStepContainerDidInsertStepNotification, container.get(), &OperationQueue::main(),
        [weakThis, weakContainer](const Notification& notification) {
            auto controller = weakThis.lock();
            auto container = weakContainer.lock();
            if (controller && container)
                controller->stepsWereInserted(container, static_cast<long>(userInfoValue(notification, u"index").integerValue()));
        });
    for (auto& step : container->steps())
        recursiveAddStepsObservers(step);
}

void VornickSyncStatusUIController::removeAllStepsObservers()
{
    m_observedSteps.clear();
}

void VornickSyncStatusUIController::stepsWereInserted(const std::shared_ptr<VornickSyncStepContainer>& container, long index)
{
    if (!m_stepsOutlineView || !m_observedSteps.contains(container.get()))
        return;
    if (container == m_displayedSyncSession) {
        // The step may have moved on since it was inserted: find it by identity.
        m_stepsOutlineView->insertItems({ index }, nullptr);
        for (auto& step : container->steps()) {
            if (m_observedSteps.contains(step.get()))
                continue;
            recursiveAddStepsObservers(step);
            if (!step->steps().empty())
                m_stepsOutlineView->expandItem(step);
        }
        return;
    }
    for (auto& step : container->steps())
        recursiveAddStepsObservers(step);
    m_stepsOutlineView->reloadItem(container, true);
    m_stepsOutlineView->expandItem(container);
}

void VornickSyncStatusUIController::buildUIFromSession()
{
    if (!m_stepsOutlineView)
        return;
    m_stepsOutlineView->reloadData();
    if (!m_displayedSyncSession)
        return;
    for (auto& step : m_displayedSyncSession->steps())
        m_stepsOutlineView->expandItem(step, true);
}

long VornickSyncStatusUIController::numberOfChildrenOfItem(OutlineView&, const OutlineItem& item)
{
    if (!item)
        return m_displayedSyncSession ? static_cast<long>(m_displayedSyncSession->steps().size()) : 0;
    auto node = containerOfItem(item);
    return dynamic_cast<VornickSyncStep*>(node.get()) ? static_cast<long>(node->steps().size()) : 0;
}

OutlineItem VornickSyncStatusUIController::child(OutlineView&, long index, const OutlineItem& item)
{
    const VornickSyncStepContainer* parent = item ? containerOfItem(item).get() : m_displayedSyncSession.get();
    if (!parent || index < 0 || index >= static_cast<long>(parent->steps().size()))
        return nullptr;
    return parent->steps()[static_cast<size_t>(index)];
}

bool VornickSyncStatusUIController::isItemExpandable(OutlineView&, const OutlineItem& item)
{
    return !item || dynamic_cast<VornickBlogSyncStep*>(containerOfItem(item).get());
}

std::shared_ptr<View> VornickSyncStatusUIController::viewForTableColumn(OutlineView& outline, const std::u16string&, const OutlineItem& item)
{
    auto cell = VornickSyncStepStatusTableCellView::create(Rect(0, 0, outline.frame().size.width, outline.rowHeight()));
    cell->setObjectValue(containerOfItem(item));
    return cell;
}

void VornickSyncStatusUIController::syncStepStatusDidChange(const Notification& notification)
{
    if (!m_displayedSyncSession)
        return;
    if (notification.object == m_displayedSyncSession.get()) {
        updateForSyncSessionStateChange(notification);
        return;
    }
    auto node = notifiedNode(notification);
    if (!node || &node->rootContainer() != m_displayedSyncSession.get() || !m_stepsOutlineView)
        return;
    long row = m_stepsOutlineView->rowForItem(node);
    if (row < 0)
        return;
    if (auto cell = std::dynamic_pointer_cast<VornickSyncStepStatusTableCellView>(m_stepsOutlineView->viewAtColumn(0, row, false)))
        cell->updateFromNotification(notification);
}

void VornickSyncStatusUIController::replaceFailedStepMessage()
{
    auto failure = VornickSyncSessionFailure(*m_displayedSyncSession);
    if (!failure)
        return;
    showFailureAdvice(failure->advice);
    // Without an error the step keeps the message it failed with.
    auto& step = failure->step;
    if (step->error().isEmpty())
        return;
    step->setStatusMessage(failure->message);
    step->queueMainThreadStatusUpdateNotification();
    // The session has ended: its notifications may come after this view
    // stopped following it, so the row shows the message now.
    if (!m_stepsOutlineView)
        return;
    long row = m_stepsOutlineView->rowForItem(step);
    if (auto cell = std::dynamic_pointer_cast<VornickSyncStepStatusTableCellView>(m_stepsOutlineView->viewAtColumn(0, row, false)))
        cell->updateFromStepPropreties();
}

void VornickSyncStatusUIController::showFailureAdvice(const std::u16string& advice)
{
    if (m_failureAdviceTextField)
        m_failureAdviceTextField->setTextString(advice);
}

void VornickSyncStatusUIController::updateForSyncSessionStateChange(const Notification& notification)
{
    if (!m_displayedSyncSession || currentSyncSession() != m_displayedSyncSession || !m_syncSessionStatusView)
        return;
    showSessionState(notification, true);
}

void VornickSyncStatusUIController::showEndedSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>& session)
{
    if (!session || !VornickSyncStepStateIsFinal(session->state()))
        return;
    view();
    if (session != m_displayedSyncSession) {
        if (m_displayedSyncSession)
            stopObservingSyncSession(m_displayedSyncSession);
        displaySyncSession(session);
    }
    Notification notification;
    notification.name = VornickSyncStepStatusDidChangeNotification;
    notification.object = session.get();
    notification.userInfo[u"state"] = Value(static_cast<int64_t>(session->state()));
    notification.userInfo[u"title"] = Value(session->title());
    showSessionState(notification, false);
}

void VornickSyncStatusUIController::showSessionState(const Notification& notification, bool tellDelegate)
{
    if (!m_syncSessionStatusView)
        return;
    Value state = userInfoValue(notification, u"state");
    int64_t number = state.type() == Value::Type::Integer ? state.integerValue() : -1;
    const char16_t* statusText = nullptr;
    void (VornickSyncStatusUIDelegate::*tell)() = nullptr;
    switch (number) {
    case 1:
        statusText = u"Syncing";
        showFailureAdvice({});
        break;
    case 2:
        statusText = u"Done";
        tell = &VornickSyncStatusUIDelegate::syncCompleted;
        break;
    case 3:
    case 5:
        replaceFailedStepMessage();
        statusText = u"Failed";
        tell = &VornickSyncStatusUIDelegate::syncFailed;
        break;
    case 4:
        statusText = u"Cancelled";
        tell = &VornickSyncStatusUIDelegate::syncCancelled;
        break;
    default:
        m_syncSessionStatusView->updateFromNotification(notification);
        return;
    }
    showButtonsForRunningSession(number == 1);
    Notification shown = notification;
    shown.userInfo[u"statusMessage"] = Value(std::u16string(statusText));
    m_syncSessionStatusView->updateFromNotification(shown);
    if (tellDelegate && tell && m_delegate)
        (m_delegate->*tell)();
}

} // namespace brevanton
