// The HTML Formatting pane in the shell's preferences window and a document
// window's own formatting popover, driven by Qt events at their controls:
// what a change writes and which open documents it reaches.
#include "tests/editing/ApplicationDelegateTestSupport.h"
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickHTMLFormattingPreferencePane.h"
#include "app/VornickPreferencesController.h"
#include "dom/VornickDocumentHeadFields.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickHTMLFormattingPreferencesPicker.h"
#include "editing/VornickToolbarItemViews.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Button.h"
#include "platform/views/Popover.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/Toolbar.h"
#include "platform/views/qt/QtConversions.h"
#include "platform/views/qt/QtMenuBar.h"
#include "ui/VornickAttributedTitleButton.h"
#include "ui/VornickHTMLFormattingPreferencesModule.h"
#include "ui/VornickHTMLFormattingPreferencesPreviewTextView.h"
#include "ui/VornickSingleHTMLFileFormattingPreferencesPopoverUIController.h"
#include "ui/VornickSingleHTMLFileFormattingPreferencesSheetController.h"
#include "ui/VornickToolbarPickerControls.h"

#include <QAction>

using namespace brevanton;
using brevanton::testing::centreInWidget;

namespace {

constexpr const char* nestedPage = "<!DOCTYPE html>\n<html>\n<head>\n<title>Nested</title>\n</head>\n<body>\n"
                                   "<div class=\"outer\"><p>One</p><div><p>Two</p></div></div>\n</body>\n</html>\n";

class FormattingPreferencesQt : public brevanton::testing::EditorWindowSession {
protected:
    void SetUp() override
    {
        m_defaultsFolder = createTemporaryDirectory("formatting-prefs").value();
        m_delegate.install(m_defaultsFolder + "/defaults.plist");
        VornickRegisterApplicationDefaults(m_delegate->userDefaults());
        VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(UserDefaults::standard());
        EditorWindowSession::SetUp();
    }
    void TearDown() override
    {
        other.reset();
        EditorWindowSession::TearDown();
        m_delegate.remove();
        std::filesystem::remove_all(m_defaultsFolder);
    }

    QtWindowWidget* widgetFor(const Window& window) const { return shell->backend().widgetForWindow(window); }
    void click(const Window& window, const View& control)
    {
        auto* widget = widgetFor(window);
        ASSERT_TRUE(widget);
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, centreInWidget(*widget, control));
        settle();
    }
    void chooseInPopUp(const Window& window, PopUpButton& popUp, std::u16string_view title)
    {
        click(window, popUp);
        auto* menu = dynamic_cast<QtMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        auto item = popUp.menu()->itemWithTitle(std::u16string(title));
        ASSERT_TRUE(item);
        QAction* action = menu->actionForItem(*item);
        ASSERT_TRUE(action);
        action->trigger();
        menu->close();
        settle();
    }
    // The source the window shows for its page, once regenerated.
    static std::u16string source(const VornickEditorWindow& window)
    {
        return vornick_lastGeneratedHTMLString(*window.editingView()->mainFrame()).value_or(u"");
    }
    bool waitForSource(const VornickEditorWindow& window, std::u16string_view piece)
    {
        bool found = RunLoop::main().runUntil([&] { return source(window).find(piece) != std::u16string::npos; }, 30);
        settle();
        return found;
    }
    static std::u16string storedFormatting()
    {
        auto stored = VornickHTMLFormattingPreferences::createWithPropertyList(
            UserDefaults(UserDefaults::defaultFilePath()).objectForKey(VornickHTMLFormattingPreferencesDefaultsKey), nullptr);
        return stored ? stored->stringRepresentation() : u"(none)";
    }

    std::string m_defaultsFolder;
    brevanton::testing::TestApplicationDelegate m_delegate;
    std::shared_ptr<VornickEditorWindow> other;
};

} // namespace

TEST_F(FormattingPreferencesQt, ThePaneReindentsDocumentsWrittenWithTheUsersDefaultsAndNoOther)
{
    openPage("own.html", nestedPage);
    other = editor;
    // This one gets formatting preferences of its own: "Custom..." in its picker.
    auto& picker = *other->toolbarItemViews()->formattingPreferencesPicker();
    picker.populatePopUpButton();
    auto& pickerPopUp = *picker.popUpButton();
    chooseInPopUp(*other->window(), pickerPopUp, u"Custom...");
    auto own = vornick_HTMLFormattingPreferences(*other->editingView()->mainFrame());
    ASSERT_TRUE(own);
    EXPECT_EQ(own->stringRepresentation(), u"4,4");
    openPage("users.html", nestedPage);
    ASSERT_NE(editor, other);

    // Ctrl+, then the HTML Formatting pane from the toolbar.
    press(Qt::Key_Comma, Qt::ControlModifier);
    auto controller = m_delegate->preferencesController();
    ASSERT_TRUE(controller && controller->prefsWindow());
    auto prefsWindow = controller->prefsWindow();
    auto item = controller->prefsToolbar()->itemWithIdentifier(u"HTML Formatting");
    ASSERT_TRUE(item);
    auto& toolbarView = *controller->prefsToolbar()->view();
    QTest::mouseClick(widgetFor(*prefsWindow), Qt::LeftButton, Qt::NoModifier,
                      centreInWidget(*widgetFor(*prefsWindow), toolbarView, toolbarView.rectOfItem(*item)));
    settle();
    EXPECT_EQ(prefsWindow->title(), u"HTML Formatting");
    auto pane = std::dynamic_pointer_cast<VornickHTMLFormattingPreferencePane>(controller->activePane());
    ASSERT_TRUE(pane);
    auto* module = pane->formattingPreferencesModule();
    ASSERT_TRUE(module);
    // The other document's source is there (however slow its first writing) before it is taken as the one to keep.
    ASSERT_TRUE(waitForSource(*other, u"<p>Two</p>")) << toUTF8(source(*other));
    RunLoop::main().runFor(0.3);
    std::u16string ownSourceBefore = source(*other);

    // Indent with two spaces and no tabs.
    click(*prefsWindow, *module->checkBoxForRule(VornickHTMLFormattingRule::UseTabs));
    EXPECT_EQ(storedFormatting(), u"4,4-t") << "in the defaults file before the next event";
    chooseInPopUp(*prefsWindow, *module->spacesPerIndentPopUpButton(), u"2");
    EXPECT_EQ(storedFormatting(), u"2,4-t");
    EXPECT_NE(module->previewTextView()->sourceCodeAttributedString().string().find(u"\n  <p>"), std::u16string::npos);

    ASSERT_TRUE(waitForSource(*editor, u"\n  <div class=\"outer\">\n    <p>One</p>\n    <div>\n      <p>Two</p>")) << toUTF8(source(*editor));
    EXPECT_EQ(source(*other), ownSourceBefore) << "a document with its own formatting is untouched";
    EXPECT_EQ(own->stringRepresentation(), u"4,4");
    EXPECT_FALSE(editor->window()->isDocumentEdited()) << "only its source is written again";

    // The pane's picture: the markup of a check box's title in the preview's
    // tag colour, its words not; the pop-up showing 2.
    QImage picture = widgetFor(*prefsWindow)->grab().toImage();
    ASSERT_FALSE(picture.isNull());
    QColor tag = qtColor(*module->syntaxColoringPreferences()->colorForTokenKind(TK_TAG_NAME));
    auto& slash = *module->checkBoxForRule(VornickHTMLFormattingRule::CloseEmptyElementsWithASlash);
    Rect box = slash.convertRectToView(slash.bounds(), nullptr);
    double scale = picture.height() / widgetFor(*prefsWindow)->height();
    QRect tagInk;
    for (int y = static_cast<int>(picture.height() - box.maxY() * scale); y < picture.height() - box.minY() * scale; ++y) {
        for (int x = static_cast<int>(box.minX() * scale); x < box.maxX() * scale; ++x) {
            QColor pixel = picture.pixelColor(x, y);
            if (std::abs(pixel.red() - tag.red()) + std::abs(pixel.green() - tag.green()) + std::abs(pixel.blue() - tag.blue()) < 60)
                tagInk |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(tagInk.isEmpty()) << "the markup drawn in the tag colour";
    EXPECT_GT(tagInk.left(), box.minX() * scale + box.width() * scale / 2) << "only \"<br/>\" at the title's end";
    bool drawsTwo = false;
    for (const auto& command : widgetFor(*prefsWindow)->lastPaintedCommands())
        drawsTwo = drawsTwo || command.text == u"2";
    EXPECT_TRUE(drawsTwo);
}

TEST_F(FormattingPreferencesQt, ADocumentsOwnPopoverChangesItsSetAsAnUndoStepAndNeverTheUsersDefaults)
{
    openPage("own.html", nestedPage);
    auto& picker = *editor->toolbarItemViews()->formattingPreferencesPicker();
    picker.populatePopUpButton();
    auto editButton = editor->toolbarItemViews()->formattingPreferencesChooserEditButton();
    ASSERT_TRUE(editButton);
    EXPECT_FALSE(editButton->isEnabled()) << "the user's defaults are edited in Preferences";

    chooseInPopUp(*editor->window(), *picker.popUpButton(), u"Custom...");
    auto own = vornick_HTMLFormattingPreferences(*editor->editingView()->mainFrame());
    ASSERT_TRUE(own);
    EXPECT_TRUE(editButton->isEnabled());
    std::u16string usersBefore = storedFormatting();
    auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    std::u16string usersSetBefore = users->stringRepresentation();

    click(*editor->window(), *editButton);
    auto* host = editor->formattingPreferencesPopover();
    ASSERT_TRUE(host);
    ASSERT_TRUE(host->popover()->isShown());
    EXPECT_EQ(host->popover()->positioningView(), editButton);
    auto popoverWindow = host->popover()->window();
    ASSERT_TRUE(popoverWindow && widgetFor(*popoverWindow));
    auto& module = host->formattingPreferencesModule();
    EXPECT_EQ(module.activeHTMLFormattingPreferences(), own);

    click(*popoverWindow, *module.checkBoxForRule(VornickHTMLFormattingRule::EncloseAttributeValuesInDoubleQuotes));
    EXPECT_FALSE(own->encloseAttributeValuesInDoubleQuotes());
    std::u16string afterQuotes = own->stringRepresentation();
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document()), afterQuotes);
    chooseInPopUp(*popoverWindow, *module.spacesPerIndentPopUpButton(), u"3");
    EXPECT_EQ(own->spacesPerIndent(), 3u);
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document()), own->stringRepresentation());
    EXPECT_EQ(storedFormatting(), usersBefore) << "a document's edits never reach the user's defaults";
    EXPECT_EQ(users->stringRepresentation(), usersSetBefore);
    ASSERT_TRUE(waitForSource(*editor, u"class='outer'")) << toUTF8(source(*editor));
    EXPECT_TRUE(editor->window()->isDocumentEdited()) << "the document keeps its string";

    // Undone, the document's string goes back.
    host->popover()->close();
    settle();
    ASSERT_TRUE(undoManager().canUndo());
    EXPECT_EQ(toUTF8(undoManager().undoActionName()), "HTML formatting preferences change");
    editor->window()->makeKeyAndOrderFront();
    settle();
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document()), afterQuotes) << "each change one step";
}

TEST_F(FormattingPreferencesQt, FormatHTMLFormattingShowsADocumentsOwnSetInASheetWhoseChangesAreUndoSteps)
{
    openPage("sheet.html", nestedPage);
    auto format = shell->mainMenu()->itemWithTitle(u"Format")->submenu();
    auto item = format->itemWithTitle(u"HTML Formatting\u2026");
    ASSERT_TRUE(item);
    QtMenuBar bar;
    bar.synchronize();
    QtMenu menu(format, nullptr);
    menu.prepareToShow();
    QAction* action = menu.actionForItem(*item);
    ASSERT_TRUE(action);
    EXPECT_FALSE(action->isEnabled()) << "the user's defaults are edited in Preferences";

    auto& picker = *editor->toolbarItemViews()->formattingPreferencesPicker();
    picker.populatePopUpButton();
    chooseInPopUp(*editor->window(), *picker.popUpButton(), u"Custom...");
    auto own = vornick_HTMLFormattingPreferences(*editor->editingView()->mainFrame());
    ASSERT_TRUE(own);
    menu.prepareToShow();
    ASSERT_TRUE(action->isEnabled());
    action->trigger();
    settle();
    auto* host = editor->formattingPreferencesSheet();
    ASSERT_TRUE(host);
    ASSERT_EQ(editor->window()->attachedSheet(), host->sheetWindow());
    ASSERT_TRUE(widgetFor(*host->sheetWindow()));
    auto& module = host->formattingPreferencesModule();
    EXPECT_EQ(module.activeHTMLFormattingPreferences(), own);

    click(*host->sheetWindow(), *module.checkBoxForRule(VornickHTMLFormattingRule::EncloseAttributeValuesInDoubleQuotes));
    EXPECT_FALSE(own->encloseAttributeValuesInDoubleQuotes());
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document()), own->stringRepresentation());
    click(*host->sheetWindow(), *host->doneButton());
    EXPECT_FALSE(editor->window()->attachedSheet());
    EXPECT_EQ(toUTF8(undoManager().undoActionName()), "HTML formatting preferences change");
}
