#include "editing/VornickFragmentSetPicker.h"
#include "editing/VornickHTMLFormattingPreferencesPicker.h"
#include "editing/VornickStyleSheetPicker.h"
#include "editing/VornickToolbarItemViews.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Image.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/Toolbar.h"
#include "platform/views/Window.h"
#include "ui/VornickToolbarImages.h"
#include "ui/VornickToolbarPickerControls.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

const std::vector<std::u16string> allIdentifiers = {
    VornickEmailPageToolbarItemIdentifier, VornickInspectFragmentSetToolbarItemIdenitifer,
    VornickInspectPrimaryStyleSheetToolbarItemIdentifier, VornickInspectHTMLFormattingPreferencesToolbarItemIdentifier,
    VornickToggleSourceLoupeToolbarItemIdenitifer, VornickToggleClearViewToolbarItemIdentifier,
    VornickToggleBrickHandlesToolbarItemIdenitifer, VornickChangeTextSizeToolbarItemIdenitifer,
    VornickStartSyncWithHostToolbarItemIdentifier, VornickEditBlogSettingsToolbarItemIdentifier,
    VornickWorkOfflineToolbarItemIdentifier, VornickJumpToAccountToolbarItemIdentifier, VornickCreatePostToolbarItemIdentifier,
    VornickCreatePageToolbarItemIdentifier, VornickDeletePostsToolbarItemIdentifier, VornickOpenBlogLandingPageToolbarItemIdentifier,
    VornickOpenWordPressAdminToolbarItemIdentifier, VornickPostStatusToolbarItemIdentifier, VornickPostPropertiesToolbarItemIdentifier,
    VornickBackForwardToolbarItemIdentifier, VornickShowMediaLibraryToolbarItemIdentifier, VornickSharePostToolbarItemIdentifier,
    VornickJumpToBlogToolbarItemIdentifier, VornickViewContentOnWebToolbarItemIdentifier, VornickPublishContentToolbarItemIdenitifer,
};

TEST(VornickToolbarItemViews, MakesEveryItemOfTheTableAndNothingElse)
{
    auto views = VornickToolbarItemViews::create();
    auto toolbar = Toolbar::create(u"t");
    EXPECT_FALSE(views->toolbar(*toolbar, u"VornickEmailPageToolbarItemIdentifer", true)) << "spelled otherwise";
    EXPECT_FALSE(views->toolbar(*toolbar, u"", true));
    for (const auto& identifier : allIdentifiers) {
        auto item = views->toolbar(*toolbar, identifier, true);
        ASSERT_TRUE(item) << std::string(identifier.begin(), identifier.end());
        EXPECT_FALSE(item->label().empty());
        EXPECT_EQ(item->paletteLabel(), item->label());
        EXPECT_TRUE(item->view() || item->image());
    }
    auto email = views->toolbar(*toolbar, VornickEmailPageToolbarItemIdentifier, true);
    EXPECT_EQ(email->image(), Image::imageNamed(ImageNameUser));
    EXPECT_EQ(email->action(), "emailPage:");
    auto sync = views->toolbar(*toolbar, VornickStartSyncWithHostToolbarItemIdentifier, true);
    EXPECT_EQ(views->startSyncWithHostButton()->action(), "vornick_fetchFromHost:") << "the item's action is its control's";
    EXPECT_EQ(sync->label(), u"Sync");
    EXPECT_EQ(views->toolbar(*toolbar, VornickWorkOfflineToolbarItemIdentifier, true)->label(), u"Online");
    // Every toolbar picture is drawn.
    for (const auto& name : VornickToolbarImageNames()) {
        auto image = Image::imageNamed(name);
        ASSERT_TRUE(image);
        EXPECT_FALSE(image->drawing().empty());
    }
    // Each window has its own controls.
    EXPECT_NE(VornickToolbarItemViews::create()->fragmentSetPicker(), views->fragmentSetPicker());
    EXPECT_EQ(VornickToolbarItemViews::sharedToolbarItemViews(), VornickToolbarItemViews::sharedToolbarItemViews());
}

TEST(VornickToolbarItemViews, PickerItemsStayBetween170And256PointsAndAre26High)
{
    auto views = VornickToolbarItemViews::create();
    auto toolbar = Toolbar::create(u"t");
    struct Picker {
        const char16_t* identifier;
        std::shared_ptr<View> composite;
        std::shared_ptr<VornickToolbarPickerEditButton> openButton;
        const char16_t* imageName;
    };
    const Picker pickers[] = {
        { VornickInspectFragmentSetToolbarItemIdenitifer, views->fragmentSetPickerCompositeView(), views->fragmentSetPickerOpenButton(),
          u"BrevantonToolbarIconEditSnippetSetTemplate" },
        { VornickInspectPrimaryStyleSheetToolbarItemIdentifier, views->primaryStyleSheetPickerCompositeView(),
          views->primaryStyleSheetPickerOpenButton(), u"BrevantonToolbarIconEditStyleSheetTemplate" },
        { VornickInspectHTMLFormattingPreferencesToolbarItemIdentifier, views->formattingPreferencesChooserCompositeView(),
          views->formattingPreferencesChooserEditButton(), u"BrevantonToolbarIconEditHTMLFormattingPreferencesTemplate" },
    };
    for (const auto& picker : pickers) {
        auto item = views->toolbar(*toolbar, picker.identifier, true);
        EXPECT_EQ(item->view(), picker.composite);
        EXPECT_EQ(item->minSize(), (Size { 170, 26 }));
        EXPECT_EQ(item->maxSize(), (Size { 256, 26 }));
        EXPECT_EQ(picker.openButton->image(), Image::imageNamed(picker.imageName));
        EXPECT_EQ(picker.openButton->vornickImageBaselineOffset(), 0);
    }
    EXPECT_EQ(views->fragmentSetPicker()->popUpButton(), views->fragmentSetPickerPopUpButton());
    EXPECT_EQ(views->primaryStyleSheetPicker()->openButton(), views->primaryStyleSheetPickerOpenButton());

    // In a narrow toolbar they shrink to 170 points, the edit button staying at the right.
    Application::shared().resetForTesting();
    struct Maker : ToolbarDelegate {
        VornickToolbarItemViews* views;
        std::shared_ptr<ToolbarItem> itemForItemIdentifier(Toolbar& toolbar, const std::u16string& identifier, bool inserted) override
        {
            return views->toolbar(toolbar, identifier, inserted);
        }
        std::vector<std::u16string> defaultItemIdentifiers(Toolbar&) override
        {
            return { VornickInspectPrimaryStyleSheetToolbarItemIdentifier, VornickInspectFragmentSetToolbarItemIdenitifer,
                     VornickInspectHTMLFormattingPreferencesToolbarItemIdentifier };
        }
    };
    auto maker = std::make_shared<Maker>();
    maker->views = views.get();
    toolbar = Toolbar::create(u"narrow");
    toolbar->setDelegate(maker);
    toolbar->view()->setFrame(Rect(0, 0, 600, Toolbar::height));
    auto window = Window::create(Rect(0, 0, 600, 100));
    window->contentView()->addSubview(toolbar->view());
    window->setToolbar(toolbar);
    ASSERT_EQ(toolbar->visibleItems().size(), 3u);
    for (const auto& item : toolbar->visibleItems()) {
        EXPECT_EQ(item->view()->frame().width(), 170);
        EXPECT_EQ(item->view()->frame().height(), 26);
    }
    auto edit = views->fragmentSetPickerOpenButton();
    EXPECT_EQ(edit->frame().maxX(), 170);
    toolbar->view()->setFrameSize(Size { 1000, Toolbar::height });
    for (const auto& item : toolbar->visibleItems())
        EXPECT_EQ(item->view()->frame().width(), 256);
    Application::shared().resetForTesting();
}

TEST(VornickToolbarItemViews, TheShareButtonSendsOnMouseDownAndTheTextSizeSegmentsSendTheirOwnActions)
{
    Application::shared().resetForTesting();
    auto views = VornickToolbarItemViews::create();
    auto toolbar = Toolbar::create(u"t");
    views->toolbar(*toolbar, VornickSharePostToolbarItemIdentifier, true);
    auto window = Window::create(Rect(0, 0, 300, 100));
    auto share = views->sharePostButton();
    auto size = views->textSizeSegmentedControl();
    size->setFrameOrigin(Point { 100, 0 });
    window->contentView()->addSubview(share);
    window->contentView()->addSubview(size);
    window->makeKeyAndOrderFront();
    std::vector<std::string> sent;
    auto receiver = std::make_shared<Responder>();
    for (const char* action : { "sharePost:", "makeTextSmaller:", "makeTextStandardSize:", "makeTextLarger:" })
        receiver->setActionHandler(action, [&sent, action](ActionSender*) { sent.push_back(action); });
    Application::shared().setDelegate(receiver);
    EventSynthesizer events;
    window->sendEvent(events.mouseDown(window, Point { 10, 10 }));
    EXPECT_EQ(sent, (std::vector<std::string> { "sharePost:" }));
    window->sendEvent(events.mouseUp(window, Point { 10, 10 }));
    EXPECT_EQ(sent.size(), 1u);
    for (double x : { 110.0, 150.0, 190.0 }) {
        window->sendEvent(events.mouseDown(window, Point { x, 10 }));
        window->sendEvent(events.mouseUp(window, Point { x, 10 }));
    }
    EXPECT_EQ(sent, (std::vector<std::string> { "sharePost:", "makeTextSmaller:", "makeTextStandardSize:", "makeTextLarger:" }));
    Application::shared().resetForTesting();
}

} // namespace
