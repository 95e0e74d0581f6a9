#include "ui/VornickHTMLFormattingPreferencesModule.h"

#include "tests/views/HelpPagesOpened.h"

#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Button.h"
#include "platform/views/Menu.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/Popover.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "ui/VornickAttributedTitleButton.h"
#include "ui/VornickHTMLFormattingPreferencesPreviewTextView.h"
#include "ui/VornickSingleHTMLFileFormattingPreferencesPopoverUIController.h"
#include "ui/VornickSingleHTMLFileFormattingPreferencesSheetController.h"
#include "ui/VornickUITheme.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class FormattingModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_observation = NotificationCenter::defaultCenter().addObserver(
            VornickHTMLFormattingPreferencesWereEditedNotification, nullptr, nullptr,
            [this](const Notification& note) { posted.push_back(note.object); });
    }
    void TearDown() override
    {
        m_observation.reset();
        Menu::setContextMenuPresenter(nullptr);
    }
    std::u16string preview() const { return module.previewTextView()->sourceCodeAttributedString().string(); }
    // The user chooses the item of that title from the pop-up's menu.
    static void choose(PopUpButton& popUp, std::u16string_view title)
    {
        std::shared_ptr<Menu> shown;
        Menu::setContextMenuPresenter([&](const std::shared_ptr<Menu>& menu, const Event&, View&) { shown = menu; });
        ASSERT_TRUE(popUp.performClick());
        ASSERT_TRUE(shown);
        auto item = shown->itemWithTitle(title);
        ASSERT_TRUE(item);
        EXPECT_TRUE(shown->performActionForItemAtIndex(shown->indexOfItem(item.get())));
    }
    static std::optional<Color> colourAt(const AttributedString& text, std::u16string_view piece)
    {
        size_t at = text.string().find(piece);
        if (at == std::u16string::npos)
            return std::nullopt;
        const Color* colour = text.attributeAtIndex<Color>(ForegroundColorAttributeName, at);
        return colour ? std::optional<Color>(*colour) : std::nullopt;
    }

    VornickHTMLFormattingPreferencesModule module;
    std::vector<const void*> posted;
    ObserverToken m_observation;
};

} // namespace

TEST_F(FormattingModuleTest, ControlsShowTheSetAndEachRealChangeIsPostedAndPreviewed)
{
    auto preferences = std::make_shared<VornickHTMLFormattingPreferences>();
    preferences->setSpacesPerIndent(3);
    preferences->setUseNamedCharacterReferences(false);
    module.setActiveHTMLFormattingPreferences(preferences);
    EXPECT_EQ(module.spacesPerIndentPopUpButton()->titleOfSelectedItem(), u"3");
    EXPECT_EQ(module.spacesPerTabPopUpButton()->titleOfSelectedItem(), u"4");
    EXPECT_EQ(module.checkBoxForRule(VornickHTMLFormattingRule::UseNamedCharacterReferences)->state(), OffState);
    EXPECT_EQ(module.checkBoxForRule(VornickHTMLFormattingRule::UseTabs)->state(), OnState);
    EXPECT_NE(preview().find(u"<br />"), std::u16string::npos) << toUTF8(preview());
    EXPECT_NE(preview().find(u"\n   <p>"), std::u16string::npos) << "three spaces make no whole tab";

    // Each click changes the set's own property, is posted once with the set, and previewed.
    auto& slash = *module.checkBoxForRule(VornickHTMLFormattingRule::InsertSpaceBeforeEmptyElementSlash);
    EXPECT_TRUE(slash.performClick());
    EXPECT_FALSE(preferences->insertSpaceBeforeEmptyElementSlash());
    EXPECT_EQ(posted, (std::vector<const void*> { preferences.get() }));
    EXPECT_EQ(module.lastHTMLFormattingPreferencesString(), u"3,4-sn");
    EXPECT_NE(preview().find(u"<br/>"), std::u16string::npos);

    auto& tabs = *module.checkBoxForRule(VornickHTMLFormattingRule::UseTabs);
    EXPECT_TRUE(tabs.performClick());
    choose(*module.spacesPerIndentPopUpButton(), u"2");
    EXPECT_EQ(preferences->spacesPerIndent(), 2u);
    EXPECT_EQ(posted.size(), 3u);
    EXPECT_NE(preview().find(u"\n  <p>"), std::u16string::npos) << toUTF8(preview());
    EXPECT_EQ(preview().find(u'\t'), std::u16string::npos);

    // Choosing the width shown, or a property changed and changed back, posts nothing.
    choose(*module.spacesPerIndentPopUpButton(), u"2");
    preferences->setUseLowercaseTagNames(false);
    preferences->setUseLowercaseTagNames(true);
    module.editOccurred(nullptr);
    EXPECT_EQ(posted.size(), 3u);

    // Another set shows its values; without a set the controls are off and nothing is posted.
    auto other = std::make_shared<VornickHTMLFormattingPreferences>();
    module.setActiveHTMLFormattingPreferences(other);
    EXPECT_EQ(module.checkBoxForRule(VornickHTMLFormattingRule::UseTabs)->state(), OnState);
    EXPECT_EQ(module.spacesPerIndentPopUpButton()->titleOfSelectedItem(), u"4");
    EXPECT_NE(preview().find(u"\n\t<div class=\"menu\">"), std::u16string::npos) << "four spaces make a whole tab: " << toUTF8(preview());
    module.setActiveHTMLFormattingPreferences(nullptr);
    EXPECT_FALSE(tabs.isEnabled());
    EXPECT_FALSE(tabs.performClick());
    EXPECT_EQ(posted.size(), 3u);
}

TEST_F(FormattingModuleTest, LabelsShowMarkupInThePreviewsTagColourAndFollowTheTheme)
{
    module.setActiveHTMLFormattingPreferences(std::make_shared<VornickHTMLFormattingPreferences>());
    auto light = VornickHTMLSyntaxColoringPreferences::formattingPreviewLightHTMLSyntaxHighlightingPreferences();
    auto dark = VornickHTMLSyntaxColoringPreferences::formattingPreviewDarkHTMLSyntaxHighlightingPreferences();
    Color lightTag = *light->colorForTokenKind(TK_TAG_NAME);
    Color darkTag = *dark->colorForTokenKind(TK_TAG_NAME);
    ASSERT_NE(lightTag, darkTag);
    EXPECT_EQ(module.syntaxColoringPreferences(), VornickUITheme::currentTheme().formattingPreviewHTMLSyntaxColoringPreferences());

    auto& slash = *module.checkBoxForRule(VornickHTMLFormattingRule::CloseEmptyElementsWithASlash);
    ASSERT_TRUE(slash.attributedTitle());
    EXPECT_EQ(slash.attributedTitle()->string(), slash.title());
    EXPECT_EQ(colourAt(*slash.attributedTitle(), u"<br/>"), lightTag);
    EXPECT_NE(colourAt(*slash.attributedTitle(), u"Close"), lightTag) << "words stay in the control colour";
    auto& named = *module.checkBoxForRule(VornickHTMLFormattingRule::UseNamedCharacterReferences);
    EXPECT_EQ(colourAt(*named.attributedTitle(), u"&eacute;"), lightTag);

    // Dark preview colouring recolours the labels and the preview.
    module.setSyntaxColoringPreferences(dark);
    EXPECT_EQ(colourAt(*slash.attributedTitle(), u"<br/>"), darkTag);
    EXPECT_EQ(module.previewTextView()->backgroundColor(), dark->backgroundColor());
    EXPECT_EQ(colourAt(module.previewTextView()->sourceCodeAttributedString(), u"h1"), darkTag);

    // Before drawing, the preview hands the module the theme's colouring again.
    module.previewTextView()->viewWillDraw();
    EXPECT_EQ(module.syntaxColoringPreferences(), VornickUITheme::currentTheme().formattingPreviewHTMLSyntaxColoringPreferences());
    EXPECT_EQ(colourAt(*slash.attributedTitle(), u"<br/>"), lightTag);
    EXPECT_EQ(colourAt(module.previewTextView()->sourceCodeAttributedString(), u"h1"), lightTag);

    // The help button.
    brevanton::testing::HelpPagesOpened opened;
    for (const auto& subview : module.headingTextField()->superview()->subviews()) {
        if (auto button = std::dynamic_pointer_cast<Button>(subview); button && button->title() == u"?") {
            EXPECT_TRUE(button->performClick());
        }
    }
    EXPECT_EQ(opened.paths(), opened.onlyPageOf(u"html-formatting-preference-pane"));
}

TEST_F(FormattingModuleTest, TheUsersDefaultSetIsWrittenByEachControlAndFollowsAnotherWriter)
{
    auto folder = createTemporaryDirectory("formatting-module").value();
    std::string file = folder + "/defaults.plist";
    {
        UserDefaults defaults(file);
        VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(defaults);
        auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferencesInDefaults(defaults);
        ASSERT_TRUE(users);
        module.setActiveHTMLFormattingPreferences(users);

        EXPECT_TRUE(module.checkBoxForRule(VornickHTMLFormattingRule::UseTabs)->performClick());
        choose(*module.spacesPerIndentPopUpButton(), u"2");
        // The turn the application runs after each event writes the changes.
        RunLoop::main().runOnce(0);
        auto stored = VornickHTMLFormattingPreferences::createWithPropertyList(
            UserDefaults(file).objectForKey(VornickHTMLFormattingPreferencesDefaultsKey), nullptr);
        ASSERT_TRUE(stored) << "in the file before the next event";
        EXPECT_EQ(stored->stringRepresentation(), u"2,4-t");
        RunLoop::main().runOnce(0);
        EXPECT_EQ(posted.size(), 2u) << "its own writes come back as no change";

        // Another writer of the key (another process, as the file watcher
        // brings it in): the set takes the values on the main thread, tells
        // documents and the module shows them.
        auto written = VornickHTMLFormattingPreferences();
        written.setSpacesPerIndent(6);
        written.setUseTabs(false);
        defaults.setObject(Value(written.propertyList()), VornickHTMLFormattingPreferencesDefaultsKey);
        EXPECT_EQ(users->spacesPerIndent(), 2u) << "not on the writing call";
        for (int turn = 0; turn < 5; ++turn)
            RunLoop::main().runOnce(0);
        EXPECT_EQ(users->spacesPerIndent(), 6u);
        EXPECT_EQ(posted.size(), 3u);
        EXPECT_EQ(posted.back(), users.get());
        EXPECT_EQ(module.spacesPerIndentPopUpButton()->titleOfSelectedItem(), u"6");
        EXPECT_EQ(module.lastHTMLFormattingPreferencesString(), u"6,4-t");
        EXPECT_NE(preview().find(u"\n      <p>"), std::u16string::npos);
        module.setActiveHTMLFormattingPreferences(nullptr);
    }
    EXPECT_TRUE(removeItem(folder));
}

TEST_F(FormattingModuleTest, ThePopoverAndSheetHostsShowADocumentsSetAndAreReused)
{
    auto window = Window::create(Rect(100, 100, 900, 700));
    auto anchor = std::make_shared<View>(Rect(20, 600, 60, 24));
    window->contentView()->addSubview(anchor);
    window->makeKeyAndOrderFront();

    VornickSingleHTMLFileFormattingPreferencesPopoverUIController popover;
    auto first = std::make_shared<VornickHTMLFormattingPreferences>();
    popover.showForHTMLFormattingPreferences(first, anchor);
    EXPECT_TRUE(popover.popover()->isShown());
    EXPECT_EQ(popover.popover()->positioningView(), anchor);
    EXPECT_EQ(popover.popover()->preferredEdge(), RectEdge::MinY);
    auto& module = popover.formattingPreferencesModule();
    EXPECT_EQ(module.activeHTMLFormattingPreferences(), first);
    EXPECT_FALSE(module.previewTextView()->sourceCodeAttributedString().string().empty());
    EXPECT_TRUE(module.view()->isDescendantOf(popover.popover()->contentView().get()));
    auto second = std::make_shared<VornickHTMLFormattingPreferences>();
    second->setSpacesPerTab(9);
    popover.showForHTMLFormattingPreferences(second, anchor);
    EXPECT_EQ(&popover.formattingPreferencesModule(), &module) << "one module for the host's life";
    EXPECT_EQ(module.spacesPerTabPopUpButton()->titleOfSelectedItem(), u"9");
    popover.popover()->close();

    VornickSingleHTMLFileFormattingPreferencesSheetController sheet;
    sheet.showForHTMLFormattingPreferences(first, window);
    EXPECT_EQ(window->attachedSheet(), sheet.sheetWindow());
    EXPECT_TRUE(sheet.sheetWindow()->isVisible());
    EXPECT_EQ(sheet.formattingPreferencesModule().activeHTMLFormattingPreferences(), first);
    EXPECT_NEAR(sheet.sheetWindow()->frame().maxY(), window->frame().maxY(), 0.5) << "hung from the window's top";
    EXPECT_TRUE(sheet.doneButton()->performClick());
    EXPECT_FALSE(window->attachedSheet());
    EXPECT_FALSE(sheet.sheetWindow()->isVisible());

    // A window busy with another sheet is left alone.
    auto other = Window::create(Rect(0, 0, 200, 100));
    window->setAttachedSheet(other);
    sheet.showForHTMLFormattingPreferences(second, window);
    EXPECT_EQ(window->attachedSheet(), other);
    EXPECT_FALSE(sheet.sheetWindow()->isVisible());
    EXPECT_EQ(sheet.formattingPreferencesModule().activeHTMLFormattingPreferences(), first);
    window->setAttachedSheet(nullptr);
    window->close();
}
