#include "views/VornickAlertExtensions.h"
#include "views/VornickGradientExtensions.h"
#include "views/VornickPopoverExtensions.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/View.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class FocusView : public View {
public:
    using View::View;
    bool acceptsFirstResponder() const override { return true; }
};

} // namespace

TEST(VornickPopoverExtensions, PlacementAtTheMouseAndFocus)
{
    Application::shared().resetForTesting();
    auto window = Window::create(Rect(100, 200, 400, 300));
    window->makeKeyAndOrderFront();
    auto popover = std::make_shared<Popover>();
    auto field = std::make_shared<FocusView>(Rect(0, 0, 80, 20));
    auto content = std::make_shared<View>(Rect(0, 0, 100, 50));
    content->addSubview(field);
    popover->setContentView(content);
    EXPECT_EQ(vornick_windowFrameIfShown(*popover), Rect());
    EXPECT_FALSE(vornick_hasFocus(*popover));

    EventSynthesizer events;
    events.send(events.mouseMoved(window, { 50, 60 }));
    vornick_showRelativeToMousePositionInWindow(*popover, window, RectEdge::MaxX);
    EXPECT_EQ(popover->positioningRect(), Rect(48, 58, 4, 4));
    // Below the mouse on the screen: centred on x = 150, top at y = 258.
    EXPECT_EQ(vornick_windowFrameIfShown(*popover), Rect(100, 208, 100, 50));

    // Also below the mouse when the content view is flipped.
    window->contentView()->setFlipped(true);
    vornick_showRelativeToMousePositionInWindow(*popover, window, RectEdge::MinY);
    EXPECT_EQ(vornick_windowFrameIfShown(*popover), Rect(100, 208, 100, 50));

    // Focus: the key window's first responder lives in the popover's window.
    EXPECT_FALSE(vornick_hasFocus(*popover));
    popover->window()->makeKeyAndOrderFront();
    ASSERT_TRUE(popover->window()->makeFirstResponder(field));
    EXPECT_TRUE(vornick_hasFocus(*popover));
    EXPECT_FALSE(vornick_popoverAppearsToHaveFocus(*window));
    // A window whose first responder was moved into the popover's window.
    ASSERT_TRUE(window->makeFirstResponder(field));
    EXPECT_TRUE(vornick_popoverAppearsToHaveFocus(*window));

    popover->close();
    EXPECT_EQ(vornick_windowFrameIfShown(*popover), Rect());
    Application::shared().resetForTesting();
}

TEST(VornickAlertExtensions, ButtonsThatAreGivenInOrder)
{
    auto alert = vornick_alertWithMessageText(u"Delete?", u"Delete", std::nullopt, u"Keep", u"It cannot be undone.");
    EXPECT_EQ(alert->messageText(), u"Delete?");
    EXPECT_EQ(alert->informativeText(), u"It cannot be undone.");
    ASSERT_EQ(alert->buttons().size(), 2u);
    EXPECT_EQ(alert->buttons()[0]->title(), u"Delete");
    EXPECT_EQ(alert->buttons()[1]->title(), u"Keep");
    EXPECT_EQ(alert->buttons()[1]->tag(), AlertSecondButtonReturn);
    auto bare = vornick_alertWithMessageText(std::nullopt, std::nullopt, std::nullopt, std::nullopt, u"");
    EXPECT_TRUE(bare->messageText().empty());
    EXPECT_TRUE(bare->buttons().empty());
}

TEST(VornickGradientExtensions, NamedGradientsFallBackToTheErrorGradient)
{
    auto error = vornick_errorGradient();
    EXPECT_EQ(error, vornick_errorGradient());
    EXPECT_EQ(error->startingColor(), Color::orange());
    EXPECT_EQ(vornick_gradientNamed(u"unknown"), error);
    auto registered = vornick_registerGradientNamed(u"selection", Color::white(), Color::purple());
    EXPECT_EQ(vornick_gradientNamed(u"selection"), registered);
    EXPECT_EQ(registered->endingColor(), Color::purple());
    EXPECT_THROW(vornick_registerGradientNamed(u"", Color::white(), Color::black()), InternalInconsistencyException);
    EXPECT_THROW(vornick_registerGradientNamed(u"x", std::nullopt, Color::black()), InternalInconsistencyException);
    EXPECT_THROW(vornick_registerGradientNamed(u"x", Color::white(), std::nullopt), InternalInconsistencyException);
}
