#include "ui/VornickHTMLFormattingPreferencesUIController.h"

#include "platform/foundation/Text.h"
#include "platform/views/Popover.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class Owner : public VornickHTMLFormattingPreferencesOwnerOrInheritor {
public:
    std::shared_ptr<VornickHTMLFormattingPreferences> htmlFormattingPreferences() const override { return own; }
    void setHtmlFormattingPreferences(std::shared_ptr<VornickHTMLFormattingPreferences> preferences) override { own = preferences; }
    std::shared_ptr<const VornickHTMLFormattingPreferences> inheritedHTMLFormattingPreferences() const override
    {
        return VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences();
    }
    std::shared_ptr<VornickHTMLFormattingPreferences> own;
};

} // namespace

TEST(VornickHTMLFormattingPreferencesUIController, ExplicitPreferencesAreTakenAndRestored)
{
    VornickHTMLFormattingPreferencesUIController controller;
    std::vector<std::string> notices;
    controller.setPropertyChangeHandler([&](std::u16string_view key, bool will) {
        notices.push_back((will ? "will " : "did ") + toUTF8(key));
    });
    auto owner = std::make_shared<Owner>();
    owner->own = std::make_shared<VornickHTMLFormattingPreferences>(*VornickHTMLFormattingPreferences::createWithStringRepresentation(u"2,4-t"));
    controller.setHTMLFormattingPreferencesOwnerOrInheritor(owner);
    EXPECT_TRUE(controller.hasExplicitHTMLFormattingPreferencesAssigned());
    EXPECT_EQ(controller.activeHTMLFormattingPreferences()->stringRepresentation(), u"2,4-t");
    ASSERT_TRUE(controller.previewAttributedString());
    auto preview = controller.previewAttributedString()->string();
    EXPECT_NE(preview.find(u"\n  <div class=\"menu\">"), std::u16string::npos) << toUTF8(preview);
    EXPECT_EQ(notices.size(), 4u);

    // Inheriting again keeps the set aside; assigning brings it back.
    controller.setHasExplicitHTMLFormattingPreferencesAssigned(false);
    EXPECT_FALSE(owner->own);
    EXPECT_EQ(controller.activeHTMLFormattingPreferences()->stringRepresentation(), u"4,4");
    EXPECT_NE(controller.previewAttributedString()->string().find(u"\n\t<div class=\"menu\">"), std::u16string::npos);
    controller.setHasExplicitHTMLFormattingPreferencesAssigned(true);
    ASSERT_TRUE(owner->own);
    EXPECT_EQ(owner->own->stringRepresentation(), u"2,4-t");

    // Nothing saved: nothing to assign.
    auto other = std::make_shared<Owner>();
    controller.setHTMLFormattingPreferencesOwnerOrInheritor(other);
    notices.clear();
    controller.setHasExplicitHTMLFormattingPreferencesAssigned(true);
    EXPECT_FALSE(other->own);
    EXPECT_TRUE(notices.empty());
    controller.setHTMLFormattingPreferencesOwnerOrInheritor(other);
    EXPECT_TRUE(notices.empty());
}

TEST(VornickHTMLFormattingPreferencesUIController, ShowsThePopoverInTheWindow)
{
    VornickHTMLFormattingPreferencesUIController controller;
    auto window = Window::create(Rect { { 0, 0 }, { 800, 600 } });
    controller.showForHTMLFormattingPreferencesOwnerOrInheritor(std::make_shared<Owner>(), window, Point { 100, 100 },
                                                                RectEdge::MaxY);
    EXPECT_TRUE(controller.popover()->isShown());
    EXPECT_EQ(controller.popover()->positioningView(), window->contentView());
    controller.popover()->close();
}
