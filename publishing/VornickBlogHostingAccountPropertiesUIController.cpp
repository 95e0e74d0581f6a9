#include "publishing/VornickBlogHostingAccountPropertiesUIController.h"

#include "documents/VornickProject.h"
#include "publishing/VornickProjectEditor.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickPublishedBlogProject.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "platform/views/Button.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogLoginPanelView.h"

namespace brevanton {

namespace {

constexpr const char* showLoginUIAction = "showLoginUI:";
constexpr const char* showSyncLogAction = "showSyncLog:";

} // namespace

std::shared_ptr<VornickBlogHostingAccountPropertiesUIController> VornickBlogHostingAccountPropertiesUIController::create()
{
    auto controller = std::shared_ptr<VornickBlogHostingAccountPropertiesUIController>(new VornickBlogHostingAccountPropertiesUIController);
    controller->build();
    return controller;
}

VornickBlogHostingAccountPropertiesUIController::~VornickBlogHostingAccountPropertiesUIController()
{
    m_sessionObservation.reset();
    m_syncStatusUIController->setDelegate(nullptr);
    m_loginUIController->setDelegate(nullptr);
    m_popover->close();
}

void VornickBlogHostingAccountPropertiesUIController::build()
{
    m_popover = std::make_shared<Popover>();
    m_popover->setBehavior(PopoverBehavior::Transient);
    std::weak_ptr<VornickBlogHostingAccountPropertiesUIController> weak = weak_from_this();

    m_syncStatusUIController = std::make_shared<VornickSyncStatusUIController>();
    m_syncStatusUIController->view();
    m_syncStatusUIController->setDelegate(this);
    auto& completion = m_syncStatusUIController->syncCompletionButton();
    completion->setTitle(accountSettingsTitle);
    completion->setAction(showLoginUIAction);
    completion->setActionHandler(showLoginUIAction, [weak](ActionSender*) {
        if (auto controller = weak.lock())
            controller->showLoginUI();
    });
    completion->setTarget(completion);
    // The account's document shows its sync log.
    auto& logButton = m_syncStatusUIController->syncLogButton();
    logButton->setAction(showSyncLogAction);
    logButton->setActionHandler(showSyncLogAction, [weak](ActionSender*) {
        if (auto controller = weak.lock())
            controller->showSyncLog();
    });
    logButton->setTarget(logButton);

    m_loginUIController = std::make_shared<VornickBlogLoginUIController>();
    m_loginView = m_loginUIController->view();
    m_loginUIController->setDelegate(this);

    m_sessionObservation = NotificationCenter::defaultCenter().addObserver(
        VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification, nullptr, nullptr, [weak](const Notification& notification) {
            if (auto controller = weak.lock())
                controller->synchronizerDidSwitchSyncSession(notification);
        });
}

void VornickBlogHostingAccountPropertiesUIController::setAccount(std::shared_ptr<VornickBlogHostingAccount> account)
{
    m_account = std::move(account);
    m_syncStatusUIController->setAccount(m_account);
    m_loginUIController->setAccount(m_account);
}

std::shared_ptr<Window> VornickBlogHostingAccountPropertiesUIController::windowForAuthenticationUI()
{
    auto positioning = m_popover->positioningView();
    if (auto window = positioning ? positioning->window() : nullptr)
        return window;
    return m_popover->window();
}

VornickPublishedBlogSynchronizer* VornickBlogHostingAccountPropertiesUIController::synchronizer() const
{
    return m_syncStatusUIController->synchronizer();
}

void VornickBlogHostingAccountPropertiesUIController::showSyncLog()
{
    auto project = m_account ? VornickProject::vornickProjectForManagedObjectContext(m_account->managedObjectContext()) : nullptr;
    if (auto editor = project ? VornickProjectEditor::projectEditorForProject(project) : nullptr)
        editor->showSyncLog();
}

void VornickBlogHostingAccountPropertiesUIController::showForAccount(std::shared_ptr<VornickBlogHostingAccount> account,
                                                                     const std::shared_ptr<View>& view, std::optional<Rect> rectInView)
{
    setAccount(std::move(account));
    showSyncStatusOrLogin();
    if (view)
        m_popover->showRelativeToRect(rectInView.value_or(view->bounds()), view, RectEdge::MaxY);
}

void VornickBlogHostingAccountPropertiesUIController::showLoginUI()
{
    switchPopoverToContentView(m_loginView);
}

void VornickBlogHostingAccountPropertiesUIController::showSyncStatusUI()
{
    switchPopoverToContentView(m_syncStatusUIController->view());
}

void VornickBlogHostingAccountPropertiesUIController::switchPopoverToContentView(const std::shared_ptr<View>& view)
{
    if (!view || m_popover->contentView() == view)
        return;
    Size size = view->frame().size;
    m_popover->setContentView(nullptr);
    m_popover->setContentView(view);
    m_popover->setContentSize(size);
    if (m_popover->isShown())
        m_popover->showRelativeToRect(m_popover->positioningRect(), m_popover->positioningView(), m_popover->preferredEdge());
}

void VornickBlogHostingAccountPropertiesUIController::login()
{
    if (auto* current = synchronizer())
        current->startManualSync(VornickSyncRequestNoModifiers);
}

void VornickBlogHostingAccountPropertiesUIController::collapsibleContainerViewDidResizeHeightBy(double heightChange)
{
    Size size = m_popover->contentSize();
    m_popover->setContentSize({ size.width, size.height + heightChange });
    if (m_popover->isShown())
        m_popover->showRelativeToRect(m_popover->positioningRect(), m_popover->positioningView(), m_popover->preferredEdge());
}

void VornickBlogHostingAccountPropertiesUIController::synchronizerDidSwitchSyncSession(const Notification& notification)
{
    auto* current = synchronizer();
    if (!current || notification.object != current)
        return;
    showSyncStatusOrLogin();
}

void VornickBlogHostingAccountPropertiesUIController::showSyncStatusOrLogin()
{
    auto* current = synchronizer();
    if (current && current->currentSyncSession()) {
        showSyncStatusUI();
    } else if (current && current->lastEndedSyncSessionFailed()) {
        // The failure and what to do about it stay shown; "Account
        // Settings" leads to the login details.
        m_syncStatusUIController->showEndedSyncSession(current->lastEndedSyncSession());
        showSyncStatusUI();
    } else {
        showLoginUI();
    }
}

} // namespace brevanton
