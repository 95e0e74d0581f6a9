// The first blog sync window's login half on the Qt backend: the panel as
// painted (its card, rounded corners, the advanced settings opening, the
// error label under the password), the password typed through Qt's keys,
// and an address in the clear refused before anything goes out.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/ControlLabelsTestSupport.h"
#include "tests/views/HelpPagesOpened.h"

#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickSyncStep.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/keychain/FileKeychainStore.h"
#include "platform/net/URLSession.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickBlogLoginPanelView.h"
#include "publishing/VornickFirstBlogSyncLoginUI.h"
#include "toolkit/VornickPasswordTransport.h"
#include "ui/VornickSendActionOnEditSecureTextField.h"
#include "ui/VornickSendActionOnEditTextField.h"
#include "ui/VornickUITheme.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

using namespace brevanton;

namespace {

class AccountDocument : public VornickFirstBlogSyncDocument {
public:
    explicit AccountDocument(std::shared_ptr<VornickPublishedBlogProject> project) : m_project(std::move(project)) { }
    std::shared_ptr<VornickPublishedBlogProject> publishedBlogProject() const override { return m_project; }

private:
    std::shared_ptr<VornickPublishedBlogProject> m_project;
};

bool isReddish(const QColor& color)
{
    return color.red() > 140 && color.green() < 110 && color.blue() < 110;
}

int reddishPixels(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y) {
        for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x)
            count += isReddish(image.pixelColor(x, y));
    }
    return count;
}

class VornickBlogLoginPanelQtTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(folder + "/Keychain.json"));
        URLSession::setOnlyLoopbackForTesting(true);
        Error error;
        project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(project) << error;
        document = std::make_shared<AccountDocument>(project);
        loginUI = std::make_shared<VornickFirstBlogSyncLoginUI>();
        controller = std::make_shared<VornickFirstBlogSyncWindowController>(document, loginUI);
        loginUI->setWindowController(controller);
        login = loginUI->loginUIController();
        controller->loadWindow()->makeKeyAndOrderFront();
        widget = backend->widgetForWindow(*controller->window());
        ASSERT_TRUE(widget);
    }
    void TearDown() override
    {
        project->synchronizer().cancelAllSyncSessions();
        for (int turn = 0; turn < 200 && RunLoop::main().runOnce(0.005); ++turn) {
        }
        if (controller && controller->window())
            controller->window()->close();
        controller.reset();
        backend.reset();
        Application::shared().resetForTesting();
        URLSession::setOnlyLoopbackForTesting(false);
        KeychainStore::setDefaultStore(nullptr);
    }

    QImage picture()
    {
        widget->repaint();
        QCoreApplication::processEvents();
        return widget->grab().toImage();
    }
    // A view's frame in the widget's pixels (y down).
    QRect rectOf(const View& view) const
    {
        Rect inWindow = view.convertRectToView(view.bounds(), nullptr);
        return QRect(static_cast<int>(inWindow.minX()), widget->height() - static_cast<int>(inWindow.maxY()),
                     static_cast<int>(inWindow.width()), static_cast<int>(inWindow.height()));
    }
    QPoint centerOf(const View& view) const { return rectOf(view).center(); }
    void click(const View& view) { QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, centerOf(view)); }

    std::string folder = createTemporaryDirectory("login-panel-qt").value();
    std::unique_ptr<QtWindowBackend> backend = std::make_unique<QtWindowBackend>();
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<AccountDocument> document;
    std::shared_ptr<VornickFirstBlogSyncLoginUI> loginUI;
    std::shared_ptr<VornickFirstBlogSyncWindowController> controller;
    std::shared_ptr<VornickBlogLoginUIController> login;
    QtWindowWidget* widget { nullptr };
};

} // namespace

TEST_F(VornickBlogLoginPanelQtTests, ThePanelIsALightRoundedCardWhoseAdvancedSettingsOpenAndWhoseErrorShowsUnderThePassword)
{
    QImage image = picture();
    QRect panel = rectOf(*login->view());
    ASSERT_TRUE(QRect(0, 0, image.width(), image.height()).contains(panel));
    // The card: light inside (the theme's colour over the window's card), the dark wall beyond its rounded corners.
    Color themeColor = *VornickUITheme::currentTheme().blogLoginPanelBackgroundColor();
    EXPECT_GT(themeColor.alphaComponent(), 0.5);
    QPoint inside(panel.left() + 4, panel.center().y());
    EXPECT_GT(image.pixelColor(inside).lightness(), 230);
    EXPECT_LT(image.pixelColor(panel.topLeft()).lightness(), 100) << "the corner is cut";
    EXPECT_LT(image.pixelColor(panel.bottomRight()).lightness(), 100);
    EXPECT_GT(image.pixelColor(panel.left() + 8, panel.top() + 8).lightness(), 230) << "a radius of 8";
    EXPECT_LT(image.pixelColor(panel.left() - 2, panel.center().y()).lightness(), 100);

    // The advanced settings open from their disclosure button: the card grows downwards.
    auto& container = login->advancedSettingsContainer();
    click(*container->disclosureButton());
    ASSERT_FALSE(container->isCollapsed());
    QImage opened = picture();
    QRect grown = rectOf(*login->view());
    double change = container->expandedHeight() - container->collapsedHeight();
    EXPECT_EQ(grown.height(), panel.height() + static_cast<int>(change));
    EXPECT_EQ(grown.top(), panel.top()) << "the top stays";
    EXPECT_GT(opened.pixelColor(grown.left() + 4, grown.bottom() - 12).lightness(), 230);
    EXPECT_LT(image.pixelColor(grown.left() + 4, grown.bottom() - 12).lightness(), 100) << "dark wall there before";

    // A session refused the password: the red line under the password field.
    QRect underPassword = rectOf(*login->passwordErrorLabel());
    EXPECT_EQ(reddishPixels(opened, underPassword), 0);
    auto session = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::ExhaustiveManual);
    auto step = std::make_shared<VornickSyncStep>(u"getBlogs", u"Get Blogs");
    step->setError(Error("XMLRPCErrorDomain", 49, u"refused"));
    session->addStep(step);
    Notification notification;
    notification.name = VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification;
    notification.object = &project->synchronizer();
    notification.userObjects["oldSyncSession"] = session;
    NotificationCenter::defaultCenter().post(notification);
    QImage refused = picture();
    EXPECT_GT(reddishPixels(refused, underPassword), 20);
    EXPECT_GE(underPassword.top(), rectOf(*login->passwordField()).bottom()) << "under the field";
}

TEST_F(VornickBlogLoginPanelQtTests, NoLabelOfThePanelIsCutWithItsAdvancedSettingsClosedOrOpen)
{
    for (bool open : { false, true }) {
        SCOPED_TRACE(open ? "advanced settings open" : "advanced settings closed");
        if (open)
            click(*login->advancedSettingsContainer()->disclosureButton());
        ASSERT_EQ(login->advancedSettingsContainer()->isCollapsed(), !open);
        size_t measured = 0;
        EXPECT_EQ(brevanton::testing::cutControlLabels(*controller->window(), measured), std::vector<std::string>());
        EXPECT_GT(measured, 0u);
    }
}

TEST_F(VornickBlogLoginPanelQtTests, PlainHTTPToAnotherComputerIsRefusedBeforeAnyRequest)
{
    // The address field has the keyboard, "https://" in it with the insertion point after it.
    EXPECT_EQ(controller->window()->firstResponder(), login->hostURLField());
    QTest::keyClicks(widget, "example.org");
    EXPECT_EQ(project->wordPressAccount()->rootURLString(), u"https://example.org");
    login->hostURLField()->setTextString(u"");
    click(*login->hostURLField());
    QTest::keyClicks(widget, "http://example.org");
    EXPECT_EQ(project->wordPressAccount()->rootURLString(), u"http://example.org");
    click(*login->loginIDField());
    QTest::keyClicks(widget, "editor");
    click(*login->passwordField());
    EXPECT_EQ(widget->inputMethodHints() & Qt::ImhHiddenText, Qt::ImhHiddenText);
    QTest::keyClicks(widget, "abcd efgh");
    EXPECT_EQ(login->passwordField()->stringValue(), u"abcd efgh");
    URLSession::resetRequestCountsForTesting();
    QTest::keyClick(widget, Qt::Key_Return);
    RunLoop::main().runOnce(0.01);

    EXPECT_FALSE(project->synchronizer().currentSyncSession());
    EXPECT_FALSE(controller->isShowingSyncStatusUI());
    EXPECT_TRUE(URLSession::requestCountsByPathForTesting().empty());
    EXPECT_EQ(project->wordPressAccount()->password(), std::nullopt);
    QImage image = picture();
    QRect message = rectOf(*login->hostURLTransportLabel());
    EXPECT_FALSE(login->hostURLTransportLabel()->isHidden());
    EXPECT_EQ(login->hostURLTransportLabel()->stringValue(), VornickPasswordTransportRefusalMessage);
    EXPECT_GT(reddishPixels(image, message), 50) << "the line is painted under the address";
    bool painted = false;
    for (const auto& command : widget->lastPaintedCommands()) {
        painted |= command.text == VornickPasswordTransportRefusalMessage;
        EXPECT_EQ(command.text.find(u"efgh"), std::u16string::npos);
    }
    EXPECT_TRUE(painted);
}

TEST_F(VornickBlogLoginPanelQtTests, TheHelpButtonOpensThePageOnConnecting)
{
    auto help = brevanton::testing::HelpPagesOpened::helpButtonIn(*login->view());
    ASSERT_TRUE(help);
    brevanton::testing::HelpPagesOpened opened;
    click(*help);
    QCoreApplication::processEvents();
    EXPECT_EQ(opened.paths(), opened.onlyPageOf(u"connecting-to-wordpress"));
}
