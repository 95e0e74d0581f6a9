#include "app/VornickProjectOrComponentWindow.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickProjectOrComponentWindow, HasNoVersionsButtonButTheOthers)
{
    auto window = std::make_shared<VornickProjectOrComponentWindow>(Rect(0, 0, 300, 200));
    Window& plain = *window;
    EXPECT_FALSE(plain.standardWindowButton(WindowButton::DocumentVersions));
    EXPECT_FALSE(VornickProjectOrComponentWindow::standardWindowButton(WindowButton::DocumentVersions, WindowStyle::Standard));
    for (auto kind : { WindowButton::Close, WindowButton::Miniaturize, WindowButton::Zoom }) {
        EXPECT_TRUE(plain.standardWindowButton(kind));
        EXPECT_TRUE(VornickProjectOrComponentWindow::standardWindowButton(kind, WindowStyle::Standard));
    }
    EXPECT_EQ(plain.standardWindowButton(WindowButton::Close), plain.standardWindowButton(WindowButton::Close));
    EXPECT_TRUE(Window::standardWindowButton(WindowButton::DocumentVersions, WindowStyle::Standard));
}
