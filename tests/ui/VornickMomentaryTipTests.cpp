#include "ui/VornickMomentaryTip.h"

#include "tests/views/HelpPagesOpened.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace brevanton;

namespace {

class MomentaryTipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ownerWindow = Window::create(Rect(100, 100, 500, 400));
        field = std::make_shared<View>(Rect(20, 300, 200, 22));
        ownerWindow->contentView()->addSubview(field);
        tip = std::make_shared<VornickMomentaryTip>();
    }
    void TearDown() override
    {
        tip->orderOutImmediately();
        ownerWindow->close();
    }

    std::shared_ptr<Window> ownerWindow;
    std::shared_ptr<View> field;
    std::shared_ptr<VornickMomentaryTip> tip;
};

} // namespace

TEST_F(MomentaryTipTest, SharedTipsAreThreeDistinctObjects)
{
    auto completion = VornickMomentaryTip::sharedCompletionTip();
    EXPECT_EQ(completion, VornickMomentaryTip::sharedCompletionTip());
    EXPECT_NE(completion, VornickMomentaryTip::sharedValidationTip());
    EXPECT_NE(VornickMomentaryTip::sharedValidationTip(), VornickMomentaryTip::sharedSnippetShorthandTip());
    EXPECT_EQ(VornickMomentaryTip::momentaryTipBackgroundColor(), Color::sRGB(1.0, 1.0, 0.78, 0.95));
}

TEST_F(MomentaryTipTest, TheLinkAppearsForAnyAnchorAndOpensOnlyANonEmptyOne)
{
    brevanton::testing::HelpPagesOpened opened;
    tip->showMessage(u"Not a valid colour", std::nullopt, field->bounds(), *field);
    ASSERT_TRUE(tip->messageTextView());
    EXPECT_FALSE(tip->messageTextField());
    EXPECT_EQ(tip->messageTextView()->string(), u"Not a valid colour");

    tip->showMessage(u"Not a valid colour", std::u16string(), field->bounds(), *field);
    auto text = tip->messageTextView()->string();
    EXPECT_EQ(text, u"Not a valid colour\nLearn more...");
    size_t linkIndex = text.size() - 3;
    EXPECT_TRUE(tip->messageTextView()->clickedOnCharacter(linkIndex));
    EXPECT_TRUE(opened.paths().empty());

    tip->showMessage(u"Not a valid colour", std::u16string(u"credits"), field->bounds(), *field);
    EXPECT_TRUE(tip->messageTextView()->clickedOnCharacter(linkIndex));
    EXPECT_EQ(opened.paths(), opened.onlyPageOf(u"credits"));
    // The message itself carries no link.
    EXPECT_FALSE(tip->messageTextView()->clickedOnCharacter(0));
}

TEST_F(MomentaryTipTest, SitsUnderTheRectangleAndMovesWithTheWindow)
{
    RunLoop::main().useManualClock();
    tip->showMessage(u"Tab to expand", std::nullopt, field->bounds(), *field);
    auto window = tip->window();
    Rect under = field->convertRectToScreen(field->bounds());
    EXPECT_EQ(window->frame().maxY(), under.minY());
    EXPECT_EQ(window->frame().midX(), under.midX());
    EXPECT_EQ(window->backgroundColor(), VornickMomentaryTip::momentaryTipBackgroundColor());
    // The margin is the same on every side.
    auto textFrame = tip->messageTextView()->frame();
    EXPECT_EQ(window->frame().width() - textFrame.width(), window->frame().height() - std::ceil(textFrame.height()));
    ASSERT_EQ(tip->window()->parentWindow(), ownerWindow);

    ownerWindow->setFrameOrigin({ 150, 120 });
    EXPECT_EQ(window->frame().maxY(), field->convertRectToScreen(field->bounds()).minY());

    // A tip stays until its owner hides it.
    RunLoop::main().advanceClock(5);
    EXPECT_TRUE(tip->isVisible());
    tip->fadeOut();
    RunLoop::main().advanceClock(0.5 + 2 * PropertyAnimator::StepInterval);
    EXPECT_FALSE(tip->isVisible());
    RunLoop::main().useRealClock();
}
