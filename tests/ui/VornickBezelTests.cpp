#include "ui/VornickBezel.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "tests/platform/foundation/RunLoopTestPeer.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class BezelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RunLoop::main().useManualClock();
        editorWindow = Window::create(Rect(100, 200, 600, 400));
        editor = std::make_shared<View>(Rect(50, 40, 400, 300));
        editorWindow->contentView()->addSubview(editor);
        bezel = std::make_shared<VornickBezel>();
    }
    void TearDown() override
    {
        bezel->orderOutImmediately();
        editorWindow->close();
        RunLoop::main().useRealClock();
    }

    std::shared_ptr<Window> editorWindow;
    std::shared_ptr<View> editor;
    std::shared_ptr<VornickBezel> bezel;
};

Point centre(const Rect& rect)
{
    return { rect.midX(), rect.midY() };
}

} // namespace

TEST_F(BezelTest, TheSharedBezelIsOneObject)
{
    EXPECT_EQ(VornickBezel::sharedContentEditingViewBezel(), VornickBezel::sharedContentEditingViewBezel());
    EXPECT_EQ(bezel->windowNibName(), u"VornickBezel");
}

TEST_F(BezelTest, ShowsTheMessageCentredOverTheViewAndLetsClicksThrough)
{
    bezel->showMessage(u"Entered <p>", *editor);
    auto window = bezel->window();
    EXPECT_TRUE(bezel->isVisible());
    EXPECT_TRUE(window->ignoresMouseEvents());
    EXPECT_FALSE(window->isOpaque());
    EXPECT_EQ(bezel->messageTextField()->stringValue(), u"Entered <p>");
    EXPECT_EQ(centre(window->frame()), centre(editor->convertRectToScreen(editor->bounds())));
    // The margins around the label are those of the layout.
    EXPECT_EQ(window->frame().width() - bezel->messageTextField()->frame().width(), 40);
    EXPECT_EQ(bezel->textShadow().offset, (Size { 2, -2 }));

    // A longer message makes a wider bezel, centred again.
    double width = window->frame().width();
    bezel->showMessage(u"Moved to the next sibling element", *editor);
    EXPECT_GT(window->frame().width(), width);
    EXPECT_EQ(centre(window->frame()), centre(editor->convertRectToScreen(editor->bounds())));
}

TEST_F(BezelTest, FadesOneSecondAfterTheLastMessageAndComesBackOpaque)
{
    auto& loop = RunLoop::main();
    bezel->showMessage(u"First", *editor);
    loop.advanceClock(0.6);
    bezel->showMessage(u"Second", *editor);
    // The wait restarted with the second message.
    loop.advanceClock(0.6);
    EXPECT_TRUE(bezel->isVisible());
    EXPECT_FALSE(bezel->isFading());
    loop.advanceClock(0.45);
    EXPECT_TRUE(bezel->isFading());
    EXPECT_TRUE(bezel->isVisible());
    loop.advanceClock(0.5);
    EXPECT_FALSE(bezel->isVisible());
    EXPECT_EQ(bezel->window()->alphaValue(), 1.0);
    EXPECT_EQ(bezel->messageTextField()->stringValue(), u"Second");
}

TEST_F(BezelTest, TheFadeStepsTheAlphaDownFrameByFrame)
{
    auto& loop = RunLoop::main();
    bezel->showMessage(u"Left <em>", *editor);
    auto window = bezel->window();
    loop.advanceClock(1.0 + 0.25);
    ASSERT_TRUE(bezel->isFading());
    double halfway = window->alphaValue();
    EXPECT_GT(halfway, 0.3);
    EXPECT_LT(halfway, 0.7);
    loop.advanceClock(0.1);
    EXPECT_LT(window->alphaValue(), halfway);
    loop.advanceClock(0.15 + 2 * PropertyAnimator::StepInterval);
    EXPECT_FALSE(bezel->isVisible());
    EXPECT_EQ(window->alphaValue(), 1.0);
}

TEST_F(BezelTest, DrawsARoundedBackdropAndTheTextWithItsShadow)
{
    bezel->showMessage(u"Entered <p>", *editor);
    GraphicsContext context;
    auto content = bezel->window()->contentView();
    content->draw(content->bounds(), context);
    ASSERT_EQ(context.commands().size(), 1u);
    EXPECT_EQ(context.commands()[0].kind, DrawCommand::Kind::FillRoundedRect);
    EXPECT_EQ(context.commands()[0].cornerRadius, VornickBezelContentView::CornerRadius);

    GraphicsContext label;
    auto field = bezel->messageTextField();
    field->draw(field->bounds(), label);
    std::vector<DrawCommand> texts;
    for (const auto& command : label.commands())
        if (command.kind == DrawCommand::Kind::Text)
            texts.push_back(command);
    ASSERT_GE(texts.size(), 2u);
    // The shadow comes first, below and to the right; the white text last, on top.
    const auto& text = texts.back();
    EXPECT_EQ(text.color, Color::white());
    for (size_t index = 0; index + 1 < texts.size(); ++index) {
        EXPECT_NE(texts[index].color, Color::white());
        EXPECT_GT(texts[index].rect.minX(), text.rect.minX());
    }
}

TEST_F(BezelTest, AMessageDuringTheFadeStopsIt)
{
    auto& loop = RunLoop::main();
    bezel->showMessage(u"First", *editor);
    loop.advanceClock(1.2);
    ASSERT_TRUE(bezel->isFading());
    bezel->showMessage(u"Again", *editor);
    EXPECT_FALSE(bezel->isFading());
    loop.advanceClock(0.9);
    EXPECT_TRUE(bezel->isVisible());
    loop.advanceClock(0.7);
    EXPECT_FALSE(bezel->isVisible());
}

TEST_F(BezelTest, AFreedBannerLeavesNoTimerBehind)
{
    auto& loop = RunLoop::main();
    size_t before = RunLoopTestPeer::pendingTimerCount(loop);
    auto other = std::make_shared<VornickBezel>();
    other->showMessage(u"Gone soon", *editor);
    EXPECT_EQ(RunLoopTestPeer::pendingTimerCount(loop), before + 1);
    other->window()->orderOut();
    other.reset();
    EXPECT_EQ(RunLoopTestPeer::pendingTimerCount(loop), before);
    loop.advanceClock(2);
}
