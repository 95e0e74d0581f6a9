#include "publishing/VornickFirstBlogSyncWindowController.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickPublishedBlogProject.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "platform/views/Button.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/LayerHostingView.h"
#include "platform/views/Window.h"
#include "ui/VornickTitleWall.h"

#include <cmath>

namespace brevanton {

namespace {

constexpr double WindowWidth = 720;
constexpr double WindowHeight = 520;

Color wallBackgroundColor()
{
    return Color::sRGB(0.10, 0.12, 0.16);
}

// The pale card the login and status views sit on, over the wall.
class PanelView : public View {
public:
    using View::View;
    void draw(const Rect&, GraphicsContext& context) override
    {
        context.fillRoundedRect(bounds(), 8, Color::genericGamma22White(0.96, 1));
    }
};

} // namespace

VornickFirstBlogSyncWindowController::VornickFirstBlogSyncWindowController(std::weak_ptr<VornickFirstBlogSyncDocument> document,
                                                                           std::shared_ptr<VornickFirstBlogSyncLoginInterface> login)
    : m_document(std::move(document))
    , m_loginUIController(std::move(login))
    , m_titleWall(std::make_shared<VornickTitleWall>())
{
}

VornickFirstBlogSyncWindowController::~VornickFirstBlogSyncWindowController()
{
    m_switchObserver.reset();
    m_titleWall->removeAllTitles();
    if (m_syncStatusUIController) {
        m_syncStatusUIController->setDelegate(nullptr);
        m_syncStatusUIController->setAccount(nullptr);
    }
}

std::shared_ptr<VornickPublishedBlogProject> VornickFirstBlogSyncWindowController::publishedBlogProject() const
{
    auto document = m_document.lock();
    return document ? document->publishedBlogProject() : nullptr;
}

std::shared_ptr<VornickBlogHostingAccount> VornickFirstBlogSyncWindowController::account() const
{
    auto project = publishedBlogProject();
    return project ? project->hostingAccount() : nullptr;
}

VornickPublishedBlogSynchronizer* VornickFirstBlogSyncWindowController::synchronizer() const
{
    auto project = publishedBlogProject();
    return project ? &project->synchronizer() : nullptr;
}

std::u16string VornickFirstBlogSyncWindowController::windowTitleForDocumentDisplayName(const std::u16string& displayName) const
{
    if (auto account = this->account()) {
        if (std::u16string name = account->displayNameForWindowTitle(); !name.empty())
            return name;
    }
    if (auto project = publishedBlogProject()) {
        std::u16string folder = project->projectFileURL().URLByDeletingLastPathComponent().lastPathComponent();
        if (!folder.empty() && folder != u"/")
            return folder;
    }
    return displayName;
}

const std::shared_ptr<Window>& VornickFirstBlogSyncWindowController::loadWindow()
{
    if (m_window)
        return m_window;
    std::weak_ptr<VornickFirstBlogSyncWindowController> weakThis = weak_from_this();
    m_switchObserver = NotificationCenter::defaultCenter().addObserver(
        VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification, nullptr, nullptr, [weakThis](const Notification& notification) {
            if (auto controller = weakThis.lock())
                controller->synchronizerDidSwitchSyncSession(notification);
        });

    m_window = Window::create(Rect(0, 0, WindowWidth, WindowHeight));
    auto content = std::make_shared<View>(Rect(0, 0, WindowWidth, WindowHeight));
    m_window->setContentView(content);
    m_backgroundView = std::make_shared<LayerHostingView>(content->bounds());
    m_backgroundView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    content->addSubview(m_backgroundView);
    m_panelView = std::make_shared<PanelView>(Rect(0, 0, 10, 10));
    m_panelView->setAutoresizingMask(Autoresizing::MinXMargin | Autoresizing::MaxXMargin | Autoresizing::MinYMargin | Autoresizing::MaxYMargin);
    content->addSubview(m_panelView);

    auto document = m_document.lock();
    m_window->setTitle(windowTitleForDocumentDisplayName(document ? document->displayName() : std::u16string()));
    windowDidLoad();
    return m_window;
}

void VornickFirstBlogSyncWindowController::windowDidLoad()
{
    // The titles rise over the window's own background.
    m_backgroundView->setBackgroundColor(wallBackgroundColor());
    m_titleWall->setContainerLayer(m_backgroundView->layer());

    m_syncStatusUIController = std::make_shared<VornickSyncStatusUIController>();
    m_syncStatusUIController->view();
    m_syncStatusUIController->setDelegate(this);
    m_syncStatusUIController->setAccount(account());
    setCompletionButton(OpenBlogsTitle, OpenBlogsAction);
    std::weak_ptr<VornickFirstBlogSyncWindowController> weakThis = weak_from_this();
    auto& logButton = m_syncStatusUIController->syncLogButton();
    logButton->setAction(ShowSyncLogAction);
    logButton->setActionHandler(ShowSyncLogAction, [weakThis](ActionSender*) {
        if (auto controller = weakThis.lock())
            controller->showSyncLog();
    });
    logButton->setTarget(logButton);

    if (m_syncStatusUIController->displayedSyncSession())
        showSyncStatusUI();
    else
        showLoginUI();
}

void VornickFirstBlogSyncWindowController::setCompletionButton(const char16_t* title, const char* action)
{
    auto& button = m_syncStatusUIController->syncCompletionButton();
    button->setTitle(title);
    button->removeActionHandler(OpenBlogsAction);
    button->removeActionHandler(OpenAccountSettingsAction);
    button->setAction(action);
    std::weak_ptr<VornickFirstBlogSyncWindowController> weakThis = weak_from_this();
    bool opensBlogs = std::string_view(action) == OpenBlogsAction;
    button->setActionHandler(action, [weakThis, opensBlogs](ActionSender*) {
        auto controller = weakThis.lock();
        if (!controller)
            return;
        if (opensBlogs)
            controller->openBlogsAndCloseFirstSyncWindow();
        else
            controller->openAccountSettingsAfterSyncFailure();
    });
    button->setTarget(button);
}

void VornickFirstBlogSyncWindowController::clearTitleWall()
{
    m_titleWall->removeAllTitles();
}

void VornickFirstBlogSyncWindowController::addPostTitleToTitleWall(const std::u16string& title)
{
    m_titleWall->addTitle(title);
}

void VornickFirstBlogSyncWindowController::showLoginUI()
{
    if (!m_loginUIController) {
        // No login interface: the account's stored details sign in.
        login();
        return;
    }
    auto loginView = m_loginUIController->view();
    m_loginUIController->setAccount(account());
    auto statusView = m_syncStatusUIController->view();
    if (loginView->superview() == m_panelView)
        return;
    if (statusView->superview() == m_panelView)
        installCenteredSubview(loginView, statusView);
    else
        installCenteredSubview(loginView);
    m_panelView->setFrameOrigin({ m_panelView->frame().origin.x, m_panelView->frame().origin.y + LoginPanelRaise });
    m_loginUIController->focusHostAddressField();
}

void VornickFirstBlogSyncWindowController::showSyncStatusUI()
{
    auto statusView = m_syncStatusUIController->view();
    if (statusView->superview() == m_panelView)
        return;
    if (m_loginUIController && m_loginUIController->view()->superview() == m_panelView)
        installCenteredSubview(statusView, m_loginUIController->view());
    else
        installCenteredSubview(statusView);
}

bool VornickFirstBlogSyncWindowController::isShowingSyncStatusUI() const
{
    return m_syncStatusUIController && m_syncStatusUIController->view()->superview() == m_panelView;
}

void VornickFirstBlogSyncWindowController::installCenteredSubview(const std::shared_ptr<View>& subview)
{
    Size size = subview->frame().size;
    m_panelView->setFrameSize(size);
    subview->setFrameOrigin({ 0, 0 });
    m_panelView->addSubview(subview);
    if (auto superview = m_panelView->superview()) {
        Rect area = superview->bounds();
        m_panelView->setFrameOrigin({ std::floor(area.midX() - size.width / 2), std::floor(area.midY() - size.height / 2) });
    }
}

void VornickFirstBlogSyncWindowController::installCenteredSubview(const std::shared_ptr<View>& subview, const std::shared_ptr<View>& replacing)
{
    if (!replacing || replacing->superview() != m_panelView)
        return;
    replacing->removeFromSuperview();
    installCenteredSubview(subview);
}

void VornickFirstBlogSyncWindowController::login()
{
    if (auto* synchronizer = this->synchronizer())
        synchronizer->startFirstEverManualSync();
}

void VornickFirstBlogSyncWindowController::synchronizerDidSwitchSyncSession(const Notification& notification)
{
    auto* synchronizer = this->synchronizer();
    if (!synchronizer || notification.object != synchronizer || !synchronizer->currentSyncSession())
        return;
    showSyncStatusUI();
}

void VornickFirstBlogSyncWindowController::syncFailed()
{
    configureSyncCompletionButtonToReturnToAccountSettings();
}

void VornickFirstBlogSyncWindowController::syncCancelled()
{
    configureSyncCompletionButtonToReturnToAccountSettings();
}

void VornickFirstBlogSyncWindowController::configureSyncCompletionButtonToReturnToAccountSettings()
{
    setCompletionButton(AccountSettingsTitle, OpenAccountSettingsAction);
}

void VornickFirstBlogSyncWindowController::openAccountSettingsAfterSyncFailure()
{
    setCompletionButton(OpenBlogsTitle, OpenBlogsAction);
    if (m_loginUIController) {
        showLoginUI();
        m_loginUIController->focusPasswordField();
        return;
    }
    login();
}

void VornickFirstBlogSyncWindowController::openBlogsAndCloseFirstSyncWindow()
{
    if (auto document = m_document.lock())
        document->openEditorsForBlogs();
}

void VornickFirstBlogSyncWindowController::showSyncLog()
{
    if (auto document = m_document.lock())
        document->showSyncLog();
}

void VornickFirstBlogSyncWindowController::didResizeHeightBy(VornickCollapsibleContainerView& resized, double heightChange)
{
    auto superview = resized.superview();
    if (!superview || superview->superview() != m_panelView)
        return;
    Rect frame = m_panelView->frame();
    m_panelView->setFrame(Rect(frame.minX(), std::floor(frame.minY() - heightChange), frame.width(), frame.height() + heightChange));
}

} // namespace brevanton
