#include "publishing/VornickMiniSyncStatusUIController.h"
#include "publishing/VornickSyncStatusUIController.h"
#include "publishing/VornickSyncStepStateTransformers.h"
#include "publishing/VornickSyncStepStatusTableCellView.h"

#include "tests/blog/SyncEngineTestSupport.h"

#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickSyncStep.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Button.h"
#include "platform/views/TextField.h"
#include "toolkit/VornickErrors.h"
#include "ui/VornickProgressIndicator.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class RecordingStatusDelegate : public VornickSyncStatusUIDelegate {
public:
    std::vector<std::string> calls;
    void syncFailed() override { calls.push_back("failed"); }
    void syncCancelled() override { calls.push_back("cancelled"); }
    void syncCompleted() override { calls.push_back("completed"); }
};

class VornickSyncStatusUIControllerTests : public SyncEngineTest {
protected:
    VornickSyncStatusUIControllerTests()
    {
        RunLoop::main().useManualClock();
        // A REST account whose endpoint is known: the session starts with the site list.
        project->fakeAccount().setAccountValue(u"effectiveProtocolType", Value(2));
        project->fakeAccount().setAccountValue(u"rootURLString", Value(u"https://site.example/"));
        project->fakeAccount().setAccountValue(u"remoteEndpointURLString", Value(u"https://site.example/wp-json/"));
        site.addBlog(u"7", u"Seven");
        for (auto title : { u"First", u"Second", u"Third" })
            site.addPost(u"7", title);
    }
    ~VornickSyncStatusUIControllerTests() override
    {
        for (auto& controller : controllers)
            controller->setDelegate(nullptr);
        RunLoop::main().useRealClock();
    }

    std::shared_ptr<VornickBlogHostingAccount> account() { return project->hostingAccount(); }
    VornickPublishedBlogSynchronizer& synchronizer() { return project->synchronizer(); }

    template<typename Controller = VornickSyncStatusUIController>
    std::shared_ptr<Controller> makeController()
    {
        auto controller = std::make_shared<Controller>();
        controller->setDelegate(&delegate);
        controllers.push_back(controller);
        return controller;
    }

    static std::u16string sessionLine(VornickSyncStatusUIController& controller)
    {
        return controller.syncSessionStatusView()->statusMessageTextField()->stringValue();
    }
    static std::shared_ptr<VornickSyncStepStatusTableCellView> rowView(VornickSyncStatusUIController& controller, long row)
    {
        return std::dynamic_pointer_cast<VornickSyncStepStatusTableCellView>(controller.stepsOutlineView()->viewAtColumn(0, row, false));
    }
    static std::vector<std::u16string> rowTitles(VornickSyncStatusUIController& controller)
    {
        std::vector<std::u16string> titles;
        for (long row = 0; row < controller.stepsOutlineView()->numberOfRows(); ++row) {
            auto view = rowView(controller, row);
            titles.push_back(view ? view->textField()->stringValue() : u"(no view)");
        }
        return titles;
    }
    // Starts a sync whose site list is held until the test answers it.
    std::shared_ptr<VornickBlogServiceSyncSession> startSyncHoldingTheSiteList()
    {
        integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
            agent.script(FakeBlogServiceAgent::RequestKind::BlogDescriptions, FakeBlogServiceAgent::Behavior::Hold);
        };
        synchronizer().startManualSync(VornickSyncRequestNoModifiers);
        drain();
        return synchronizer().currentSyncSession();
    }

    RecordingStatusDelegate delegate;
    std::vector<std::shared_ptr<VornickSyncStatusUIController>> controllers;
};

} // namespace

TEST_F(VornickSyncStatusUIControllerTests, ASyncWithTheFakeAgentDrivesTheStatusToDone)
{
    auto controller = makeController();
    controller->setAccount(account());
    EXPECT_EQ(controller->synchronizer(), &synchronizer());
    EXPECT_FALSE(controller->displayedSyncSession());
    EXPECT_EQ(controller->stepsOutlineView()->numberOfRows(), 0);

    synchronizer().startManualSync(VornickSyncRequestNoModifiers);
    auto session = synchronizer().currentSyncSession();
    ASSERT_TRUE(session);
    EXPECT_EQ(controller->displayedSyncSession(), session) << "shown from the switch";
    EXPECT_FALSE(controller->cancelButton()->isHidden());
    EXPECT_TRUE(controller->syncCompletionButton()->isHidden());

    RunLoop::main().runOnce(0);
    RunLoop::main().runOnce(0);
    EXPECT_EQ(sessionLine(*controller), u"Syncing");

    drain();
    ASSERT_EQ(session->state(), VornickSyncStepState::Completed);
    EXPECT_EQ(sessionLine(*controller), u"Done");
    EXPECT_EQ(controller->syncSessionStatusView()->statusImageName(), u"SyncStatusCompleted");
    EXPECT_TRUE(controller->cancelButton()->isHidden());
    EXPECT_FALSE(controller->syncCompletionButton()->isHidden());
    EXPECT_EQ(delegate.calls, std::vector<std::string>({ "completed" }));

    // The blog's step came in while the session ran, expanded with its steps.
    auto titles = rowTitles(*controller);
    ASSERT_GE(titles.size(), 3u);
    EXPECT_EQ(titles[0], u"Get Site List");
    EXPECT_NE(std::find(titles.begin(), titles.end(), u"Sync Posts"), titles.end());
    for (long row = 0; row < controller->stepsOutlineView()->numberOfRows(); ++row)
        EXPECT_EQ(rowView(*controller, row)->statusImageName(), u"SyncStatusCompleted") << toUTF8(titles[size_t(row)]);

    // Between sessions the last one stays; the next one replaces it.
    EXPECT_FALSE(synchronizer().currentSyncSession());
    EXPECT_EQ(controller->displayedSyncSession(), session);
    synchronizer().startManualSync(VornickSyncRequestNoModifiers);
    auto next = synchronizer().currentSyncSession();
    ASSERT_TRUE(next);
    EXPECT_NE(next, session);
    EXPECT_EQ(controller->displayedSyncSession(), next);
    drain();
    EXPECT_EQ(delegate.calls, std::vector<std::string>({ "completed", "completed" }));

    // Cancelling goes through the synchronizer.
    startSyncHoldingTheSiteList();
    ASSERT_TRUE(controller->cancelButton()->performClick());
    drain();
    EXPECT_EQ(sessionLine(*controller), u"Cancelled");
    EXPECT_EQ(delegate.calls.back(), "cancelled");
}

TEST_F(VornickSyncStatusUIControllerTests, AFailedStepShowsItsErrorAndTheSessionFails)
{
    struct Case {
        Error error;
        std::u16string shown;
    };
    std::vector<Case> cases {
        { Error(VornickErrorDomain, 48, u"Unknown user name \u201Cwriter\u201D."), u"Unknown user name \u201Cwriter\u201D." },
        { Error(VornickXMLRPCHTTPStatusErrorDomain, 404, u"Not Found"), u"Couldn't connect to server" },
        { Error(VornickHTTPErrorDomain, 404, u"Not Found"), u"Couldn't connect to server" },
        { Error(VornickHTTPErrorDomain, 500, u"The server answered 500."), u"The server answered 500." },
    };
    // A multi-site account cannot do without the site list.
    project->fakeAccount().setAccountValue(u"isMultiSiteAccount", Value(true));
    auto controller = makeController();
    controller->setAccount(account());
    for (auto& testCase : cases) {
        auto session = startSyncHoldingTheSiteList();
        ASSERT_TRUE(session);
        integrator.blogServiceAgentFailedToGetBlogDescriptionsWithError(integrator.fakeAgent(), testCase.error);
        drain();
        EXPECT_EQ(session->state(), VornickSyncStepState::Failed);
        EXPECT_EQ(sessionLine(*controller), u"Failed");
        EXPECT_EQ(delegate.calls.back(), "failed");
        EXPECT_FALSE(controller->syncCompletionButton()->isHidden());
        auto getBlogs = rowView(*controller, 0);
        ASSERT_TRUE(getBlogs);
        EXPECT_EQ(getBlogs->statusMessageTextField()->stringValue(), testCase.shown) << testCase.error.domain();
        EXPECT_EQ(getBlogs->statusImageName(), u"SyncStatusFailed");
    }

    // A step that failed without an error keeps its own message.
    auto session = startSyncHoldingTheSiteList();
    auto step = std::dynamic_pointer_cast<VornickSyncStep>(session->stepWithName(u"getBlogs"));
    ASSERT_TRUE(step);
    step->setStatusMessage(u"Failed: the site list was empty");
    step->setState(VornickSyncStepState::Failed);
    drain();
    EXPECT_EQ(sessionLine(*controller), u"Failed");
    EXPECT_EQ(rowView(*controller, 0)->statusMessageTextField()->stringValue(), u"Failed: the site list was empty");
}

TEST_F(VornickSyncStatusUIControllerTests, StepsAddedWhileTheSessionRunsAreInsertedWithoutAFullReload)
{
    auto controller = makeController();
    controller->setAccount(account());
    // The site list, then the posts, are held: the session runs until the test ends it.
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(FakeBlogServiceAgent::RequestKind::BlogDescriptions, FakeBlogServiceAgent::Behavior::Hold);
        agent.script(FakeBlogServiceAgent::RequestKind::Posts, FakeBlogServiceAgent::Behavior::Hold);
    };
    synchronizer().startManualSync(VornickSyncRequestNoModifiers);
    drain();
    auto session = synchronizer().currentSyncSession();
    ASSERT_TRUE(session);
    ASSERT_EQ(rowTitles(*controller), std::vector<std::u16string>({ u"Get Site List" }));
    auto getBlogsView = rowView(*controller, 0);

    // The site list arrives: the blog's step joins the session, expanded.
    integrator.fakeAgent().releaseHeldAnswers();
    drain();
    ASSERT_TRUE(session->active());
    auto titles = rowTitles(*controller);
    ASSERT_GE(titles.size(), 3u);
    EXPECT_EQ(rowView(*controller, 0), getBlogsView) << "rows already shown keep their views";
    auto blogStep = std::dynamic_pointer_cast<VornickBlogSyncStep>(session->steps().back());
    ASSERT_TRUE(blogStep);
    long blogRow = controller->stepsOutlineView()->rowForItem(blogStep);
    ASSERT_GE(blogRow, 0);
    EXPECT_TRUE(controller->stepsOutlineView()->isItemExpanded(blogStep));
    EXPECT_GT(controller->observedStepsCount(), 2u);

    // A step added to the blog's step appears under it.
    auto extra = std::make_shared<VornickSyncStep>(u"extra", u"Extra Work");
    blogStep->addStep(extra);
    drain();
    long extraRow = controller->stepsOutlineView()->rowForItem(extra);
    ASSERT_GT(extraRow, blogRow);
    EXPECT_EQ(controller->stepsOutlineView()->levelForRow(extraRow), 1);
    EXPECT_EQ(rowView(*controller, extraRow)->textField()->stringValue(), u"Extra Work");
    EXPECT_EQ(rowView(*controller, 0), getBlogsView);

    // The session ends: the steps are no longer followed.
    controller->cancelSync();
    integrator.fakeAgent().releaseHeldAnswers();
    drain();
    EXPECT_FALSE(session->active());
    EXPECT_EQ(controller->observedStepsCount(), 0u);

    // Every observation ends with the controller.
    std::weak_ptr<VornickSyncStatusUIController> weak = controller;
    controllers.clear();
    controller.reset();
    EXPECT_TRUE(weak.expired());
    blogStep->addStep(std::make_shared<VornickSyncStep>(u"later", u"Later"));
    drain();
}

TEST_F(VornickSyncStatusUIControllerTests, AnAccountOutsideAPublishedBlogProjectShowsAndCancelsNothing)
{
    auto session = startSyncHoldingTheSiteList();
    ASSERT_TRUE(session);
    auto loose = std::make_shared<FakeWordPressAccount>();
    auto controller = makeController();
    controller->setAccount(loose);
    EXPECT_EQ(controller->synchronizer(), nullptr);
    EXPECT_FALSE(controller->displayedSyncSession());
    controller->cancelSync();
    drain();
    EXPECT_EQ(session->state(), VornickSyncStepState::Active);
    EXPECT_TRUE(delegate.calls.empty());
    integrator.fakeAgent().releaseHeldAnswers();
    drain();
}

TEST_F(VornickSyncStatusUIControllerTests, TheMiniStatusFollowsARunningSessionAndNeverShowsDone)
{
    // A session already running when the blog window loads.
    auto session = startSyncHoldingTheSiteList();
    ASSERT_TRUE(session);
    auto mini = makeController<VornickMiniSyncStatusUIController>();
    mini->setAccount(account());
    EXPECT_EQ(mini->displayedSyncSession(), session);
    EXPECT_EQ(mini->view()->identifier(), u"BrevantonMiniSyncStatusUI");
    EXPECT_TRUE(mini->view()->isOpaque());

    std::vector<std::u16string> lines;
    auto record = [&] {
        std::u16string line = mini->latestStatusMessageTextField()->stringValue();
        if (lines.empty() || lines.back() != line)
            lines.push_back(line);
    };
    integrator.fakeAgent().releaseHeldAnswers();
    while (RunLoop::main().runOnce(0))
        record();
    ASSERT_EQ(session->state(), VornickSyncStepState::Completed);
    ASSERT_FALSE(lines.empty());
    for (auto& line : lines) {
        EXPECT_NE(lowercase(line), u"done");
        EXPECT_NE(lowercase(line), u"waiting to start");
    }
    EXPECT_FALSE(lines.back().empty());
    EXPECT_DOUBLE_EQ(mini->sessionProgressIndicator()->doubleValue(), 1.0);
}

TEST(VornickSyncStepStatusTableCellView, ShowsStateTitleMessageAndProgress)
{
    EXPECT_EQ(VornickSyncStepStatusTableCellView::statusImageForState(Value(4)), u"SyncStatusCancelledByUser");
    EXPECT_EQ(VornickSyncStepStatusTableCellView::statusImageForState(Value(5)), u"SyncStatusCancelledByUser");
    EXPECT_EQ(VornickSyncStepStatusTableCellView::statusImageForState(Value(6)), VornickCautionImageName);
    EXPECT_EQ(VornickSyncStepStatusTableCellView::statusImageForState(Value(u"1")), VornickCautionImageName);
    EXPECT_EQ(VornickSyncStepStatusTableCellView::statusImageForState(Value(1.5)), VornickCautionImageName);
    EXPECT_TRUE(VornickSyncStepStateToCompletedTransformer::transformedValue(Value(2)).boolValue());
    EXPECT_FALSE(VornickSyncStepStateToCompletedTransformer::transformedValue(Value(u"2")).boolValue());

    auto cell = VornickSyncStepStatusTableCellView::create();
    auto step = std::make_shared<VornickSyncStep>(u"step", u"Fetch Posts");
    cell->setObjectValue(step);
    EXPECT_EQ(cell->textField()->stringValue(), u"Fetch Posts");
    EXPECT_EQ(cell->statusMessageTextField()->stringValue(), u"Waiting to start");
    EXPECT_EQ(cell->statusImageName(), u"SyncStatusWaitingToStart");

    Notification notification;
    notification.userInfo = { { u"state", Value(1) }, { u"title", Value(u"Fetch Posts") }, { u"progress", Value(0.0) } };
    cell->updateFromNotification(notification);
    EXPECT_TRUE(cell->progressIndicator()->isIndeterminate());
    EXPECT_TRUE(cell->progressIndicator()->isAnimating());
    EXPECT_EQ(cell->statusMessageTextField()->stringValue(), u"");

    notification.userInfo[u"progress"] = Value(0.5);
    notification.userInfo[u"statusMessage"] = Value(u"Page 2");
    cell->updateFromNotification(notification);
    EXPECT_FALSE(cell->progressIndicator()->isIndeterminate());
    EXPECT_FALSE(cell->progressIndicator()->isAnimating());
    EXPECT_DOUBLE_EQ(cell->progressIndicator()->doubleValue(), 0.5);

    // Without a number for the progress the bar stays as it is.
    notification.userInfo[u"progress"] = Value(u"soon");
    notification.userInfo.erase(u"title");
    cell->updateFromNotification(notification);
    EXPECT_DOUBLE_EQ(cell->progressIndicator()->doubleValue(), 0.5);
    EXPECT_EQ(cell->textField()->stringValue(), u"");
}
