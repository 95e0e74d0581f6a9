#include "publishing/VornickFirstBlogSyncWindowController.h"

#include "tests/blog/SyncEngineTestSupport.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/Button.h"
#include "platform/views/Layer.h"
#include "platform/views/LayerHostingView.h"
#include "platform/views/Window.h"
#include "ui/VornickTitleWall.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class FakeAccountDocument : public VornickFirstBlogSyncDocument {
public:
    explicit FakeAccountDocument(std::shared_ptr<VornickPublishedBlogProject> project) : m_project(std::move(project)) { }
    std::vector<std::string> calls;
    std::shared_ptr<VornickPublishedBlogProject> publishedBlogProject() const override { return m_project; }
    std::u16string displayName() const override { return u"project"; }
    void openEditorsForBlogs() override { calls.push_back("openEditorsForBlogs"); }
    void showSyncLog() override { calls.push_back("showSyncLog"); }

private:
    std::shared_ptr<VornickPublishedBlogProject> m_project;
};

class FakeLoginInterface : public VornickFirstBlogSyncLoginInterface {
public:
    std::shared_ptr<View> loginView = std::make_shared<View>(Rect(0, 0, 400, 260));
    std::vector<std::string> calls;
    std::shared_ptr<View> view() override { return loginView; }
    void setAccount(const std::shared_ptr<VornickBlogHostingAccount>& account) override { calls.push_back(account ? "account" : "no account"); }
    void focusHostAddressField() override { calls.push_back("host"); }
    void focusPasswordField() override { calls.push_back("password"); }
};

class VornickFirstBlogSyncWindowControllerTests : public SyncEngineTest {
protected:
    VornickFirstBlogSyncWindowControllerTests()
    {
        RunLoop::main().useManualClock();
        project->fakeAccount().setAccountValue(u"effectiveProtocolType", Value(2));
        project->fakeAccount().setAccountValue(u"rootURLString", Value(u"https://site.example/"));
        project->fakeAccount().setAccountValue(u"remoteEndpointURLString", Value(u"https://site.example/wp-json/"));
    }
    ~VornickFirstBlogSyncWindowControllerTests() override
    {
        controller.reset();
        drain();
        RunLoop::main().useRealClock();
    }

    std::shared_ptr<FakeAccountDocument> document = std::make_shared<FakeAccountDocument>(project);
    std::shared_ptr<VornickFirstBlogSyncWindowController> controller;

    Button& completionButton() { return *controller->syncStatusUIController()->syncCompletionButton(); }
};

} // namespace

TEST_F(VornickFirstBlogSyncWindowControllerTests, SignsInWithTheStoredDetailsShowsTheStatusOverTheWallThenOpensTheBlogs)
{
    site.addBlog(u"7", u"Seven");
    site.addPost(u"7", u"Hello");
    controller = std::make_shared<VornickFirstBlogSyncWindowController>(document);
    auto window = controller->loadWindow();
    EXPECT_EQ(window->title(), u"writer");
    EXPECT_EQ(controller->titleWall()->containerLayer(), controller->backgroundView()->layer());

    // No login interface yet: the first sync starts at once and the status shows.
    auto session = project->synchronizer().currentSyncSession();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->type(), VornickSyncSessionType::ExhaustiveManual);
    EXPECT_TRUE(controller->isShowingSyncStatusUI());
    Rect panel = controller->panelView()->frame();
    Rect content = window->contentView()->bounds();
    EXPECT_EQ(panel.size, controller->syncStatusUIController()->view()->frame().size);
    EXPECT_NEAR(panel.midX(), content.midX(), 1);
    EXPECT_NEAR(panel.midY(), content.midY(), 1);

    // Titles rise while the listings arrive.
    controller->addPostTitleToTitleWall(u"Hello");
    EXPECT_EQ(controller->backgroundView()->layer()->sublayers().size(), 1u);
    drain();
    RunLoop::main().advanceClock(0.5);
    EXPECT_EQ(controller->titleWall()->titleLayersInFlight().size(), 1u);

    drain();
    ASSERT_EQ(session->state(), VornickSyncStepState::Completed);
    EXPECT_FALSE(completionButton().isHidden());
    EXPECT_EQ(completionButton().title(), u"Open Blogs");
    ASSERT_TRUE(completionButton().performClick());
    ASSERT_TRUE(controller->syncStatusUIController()->syncLogButton()->performClick());
    EXPECT_EQ(document->calls, std::vector<std::string>({ "openEditorsForBlogs", "showSyncLog" }));

    controller->clearTitleWall();
    EXPECT_TRUE(controller->backgroundView()->layer()->sublayers().empty());
    EXPECT_FALSE(controller->titleWall()->isLaunchTimerScheduled());
}

TEST_F(VornickFirstBlogSyncWindowControllerTests, AFailureLeadsBackToTheLoginViewThroughAccountSettings)
{
    auto login = std::make_shared<FakeLoginInterface>();
    controller = std::make_shared<VornickFirstBlogSyncWindowController>(document, login);
    controller->loadWindow();
    EXPECT_FALSE(project->synchronizer().currentSyncSession()) << "waits for the login details";
    EXPECT_EQ(login->loginView->superview(), controller->panelView());
    EXPECT_EQ(login->calls, std::vector<std::string>({ "account", "host" }));
    Rect content = controller->window()->contentView()->bounds();
    EXPECT_NEAR(controller->panelView()->frame().midY(), content.midY() + VornickFirstBlogSyncWindowController::LoginPanelRaise, 1);

    // The login half's advanced settings open: the panel grows downwards.
    auto collapsible = std::make_shared<VornickCollapsibleContainerView>(Rect(0, 0, 400, 40));
    login->loginView->addSubview(collapsible);
    auto nested = std::make_shared<VornickCollapsibleContainerView>(Rect(0, 0, 400, 40));
    collapsible->addSubview(nested);
    Rect before = controller->panelView()->frame();
    controller->didResizeHeightBy(*nested, 80);
    EXPECT_EQ(controller->panelView()->frame(), before) << "only a view right inside the login view counts";
    controller->didResizeHeightBy(*collapsible, 30.5);
    Rect after = controller->panelView()->frame();
    EXPECT_EQ(after.height(), before.height() + 30.5);
    EXPECT_EQ(after.minY(), std::floor(before.minY() - 30.5));

    project->fakeAccount().setAccountValue(u"isMultiSiteAccount", Value(true));
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(FakeBlogServiceAgent::RequestKind::BlogDescriptions, FakeBlogServiceAgent::Behavior::FailWithHTTP500);
    };
    controller->login();
    EXPECT_TRUE(controller->isShowingSyncStatusUI());
    EXPECT_FALSE(login->loginView->superview());
    drain();
    EXPECT_EQ(completionButton().title(), u"Account Settings");
    ASSERT_TRUE(completionButton().performClick());
    EXPECT_EQ(login->loginView->superview(), controller->panelView());
    EXPECT_EQ(login->calls.back(), "password");
    EXPECT_EQ(completionButton().title(), u"Open Blogs");
    EXPECT_TRUE(document->calls.empty());
}
