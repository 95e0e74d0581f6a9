#include "tests/blog/SyncEngineTestSupport.h"
#include "tests/platform/views/qt/QtTestSupport.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickFirstBlogSyncWindowController.h"
#include "ui/VornickTitleWall.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace brevanton;

namespace {

class AccountDocument : public VornickFirstBlogSyncDocument {
public:
    explicit AccountDocument(std::shared_ptr<VornickPublishedBlogProject> project) : m_project(std::move(project)) { }
    int openedBlogs { 0 };
    std::shared_ptr<VornickPublishedBlogProject> publishedBlogProject() const override { return m_project; }
    void openEditorsForBlogs() override { ++openedBlogs; }

private:
    std::shared_ptr<VornickPublishedBlogProject> m_project;
};

// The bright pixels (the titles are drawn white on the dark wall) in the
// strip left of the panel.
QRect brightInkLeftOf(const QImage& image, int right)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < std::min(right, image.width()); ++x) {
            QColor color = image.pixelColor(x, y);
            if (color.red() > 160 && color.green() > 160 && color.blue() > 160)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

int darkPixelCount(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).lightness() < 100)
                ++count;
        }
    }
    return count;
}

bool drawsText(View& view, std::u16string_view text)
{
    GraphicsContext context;
    view.display(context);
    for (auto& command : context.commands()) {
        if ((command.kind == DrawCommand::Kind::Text || command.kind == DrawCommand::Kind::TextRun) && command.text == text)
            return true;
    }
    return false;
}

class VornickFirstBlogSyncWindowQtTests : public SyncEngineTest {
protected:
    VornickFirstBlogSyncWindowQtTests()
    {
        brevanton::testing::qtApplication();
        RunLoop::main().useManualClock();
        project->fakeAccount().setAccountValue(u"effectiveProtocolType", Value(2));
        project->fakeAccount().setAccountValue(u"rootURLString", Value(u"https://site.example/"));
        project->fakeAccount().setAccountValue(u"remoteEndpointURLString", Value(u"https://site.example/wp-json/"));
    }
    ~VornickFirstBlogSyncWindowQtTests() override
    {
        if (controller && controller->window())
            controller->window()->close();
        controller.reset();
        drain();
        backend.reset();
        Application::shared().resetForTesting();
        RunLoop::main().useRealClock();
    }

    std::unique_ptr<QtWindowBackend> backend = std::make_unique<QtWindowBackend>();
    std::shared_ptr<AccountDocument> document = std::make_shared<AccountDocument>(project);
    std::shared_ptr<VornickFirstBlogSyncWindowController> controller;
};

} // namespace

TEST_F(VornickFirstBlogSyncWindowQtTests, TitlesRiseOnTheWallDuringTheFirstSyncThenOpenBlogs)
{
    site.addBlog(u"7", u"Seven");
    site.addPost(u"7", u"Hello");
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(FakeBlogServiceAgent::RequestKind::BlogDescriptions, FakeBlogServiceAgent::Behavior::Hold);
    };
    controller = std::make_shared<VornickFirstBlogSyncWindowController>(document);
    // Full size, at the far left, a 4-second flight.
    controller->titleWall()->setRandomNumberSource([] { return 0.0; });
    auto window = controller->loadWindow();
    window->makeKeyAndOrderFront();
    auto* widget = backend->widgetForWindow(*window);
    ASSERT_TRUE(widget);
    int panelLeft = static_cast<int>(controller->panelView()->frame().minX());
    ASSERT_GT(panelLeft, 100);

    // The session runs; the listing names a post.
    drain();
    ASSERT_TRUE(project->synchronizer().currentSyncSession());
    EXPECT_TRUE(controller->isShowingSyncStatusUI());
    controller->addPostTitleToTitleWall(u"Hello");
    RunLoop::main().advanceClock(0.5 + 1.0);
    QImage early = widget->grab().toImage();
    RunLoop::main().advanceClock(2.0);
    QImage later = widget->grab().toImage();
    QRect earlyInk = brightInkLeftOf(early, panelLeft);
    QRect laterInk = brightInkLeftOf(later, panelLeft);
    ASSERT_FALSE(earlyInk.isEmpty());
    ASSERT_FALSE(laterInk.isEmpty());
    // A quarter of the way up, then three quarters: the title rose by half
    // the flight (610 points in 4 s), Qt's y growing downwards.
    EXPECT_NEAR(earlyInk.center().y() - laterInk.center().y(), 305, 6);
    EXPECT_NEAR(earlyInk.width(), laterInk.width(), 1);
    EXPECT_LE(laterInk.left(), 8);

    // The sync ends: "Open Blogs" is shown, and opens them.
    auto& button = *controller->syncStatusUIController()->syncCompletionButton();
    EXPECT_TRUE(button.isHidden());
    integrator.fakeAgent().releaseHeldAnswers();
    drain();
    EXPECT_FALSE(button.isHidden());
    EXPECT_TRUE(drawsText(*window->contentView(), u"Open Blogs"));
    EXPECT_TRUE(drawsText(*window->contentView(), u"Get Site List"));
    EXPECT_TRUE(drawsText(*window->contentView(), u"Sync \"Seven\""));
    EXPECT_TRUE(drawsText(*window->contentView(), u"Done"));
    QImage done = widget->grab().toImage();
    Rect buttonInWindow = button.convertRectToView(button.bounds(), nullptr);
    int buttonTop = done.height() - static_cast<int>(buttonInWindow.maxY());
    QRect buttonRect(static_cast<int>(buttonInWindow.minX()), buttonTop, static_cast<int>(buttonInWindow.width()), static_cast<int>(buttonInWindow.height()));
    EXPECT_GT(darkPixelCount(done.copy(buttonRect.adjusted(3, 3, -3, -3))), 10) << "the button's title is painted";
    ASSERT_TRUE(button.performClick());
    EXPECT_EQ(document->openedBlogs, 1);
}
