#include "publishing/VornickBlogHostingAccountPropertiesUIController.h"

#include "documents/VornickProject.h"
#include "publishing/VornickProjectEditor.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickPublishedBlogProject.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "platform/views/Button.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"
#include "publishing/VornickBlogPostTagListEditor.h"
#include "publishing/VornickFirstBlogSyncWindowController.h"

namespace brevanton {

namespace {

constexpr const char* showLoginUIAction = "showLoginUI:";
constexpr const char* loginAction = "login:";
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

    // The stand-in login details: the account and "Log In".
    m_standInLoginView = std::make_shared<View>(Rect(0, 0, 320, 84));
    m_standInLoginView->setFlipped(true);
    m_accountLabel = std::make_shared<TextField>(Rect(16, 14, 288, 22));
    m_standInLoginView->addSubview(m_accountLabel);
    auto logIn = vornick_makePopoverButton(Rect(208, 48, 96, 24), u"Log In", loginAction, m_standInLoginView);
    m_standInLoginView->addSubview(logIn);
    m_standInLoginView->setActionHandler(loginAction, [weak](ActionSender*) {
        if (auto controller = weak.lock())
            controller->login();
    });
    m_loginView = m_standInLoginView;

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
    if (m_loginInterface)
        m_loginInterface->setAccount(m_account);
    updateStandInLoginView();
}

void VornickBlogHostingAccountPropertiesUIController::updateStandInLoginView()
{
    std::u16string name = m_account ? m_account->displayNameForWindowTitle() : std::u16string();
    m_accountLabel->setTextString(name.empty() ? u"This account" : name);
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

void VornickBlogHostingAccountPropertiesUIController::setLoginInterface(std::shared_ptr<VornickFirstBlogSyncLoginInterface> interface)
{
    bool showingLogin = m_popover->contentView() && m_popover->contentView() == m_loginView;
    m_loginInterface = std::move(interface);
    m_loginView = m_loginInterface ? m_loginInterface->view() : m_standInLoginView;
    if (m_loginInterface)
        m_loginInterface->setAccount(m_account);
    if (showingLogin)
        switchPopoverToContentView(m_loginView);
}

void VornickBlogHostingAccountPropertiesUIController::showForAccount(std::shared_ptr<VornickBlogHostingAccount> account,
                                                                     const std::shared_ptr<View>& view)
{
    setAccount(std::move(account));
    auto* current = synchronizer();
    if (current && current->currentSyncSession())
        showSyncStatusUI();
    else
        showLoginUI();
    if (view)
        m_popover->showRelativeToRect(view->bounds(), view, RectEdge::MaxY);
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
    if (current->currentSyncSession())
        showSyncStatusUI();
    else
        showLoginUI();
}

} // namespace brevanton
