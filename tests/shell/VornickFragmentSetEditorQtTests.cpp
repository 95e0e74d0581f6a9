// The snippet set editor reached from a page's window, driven by real Qt
// events: a snippet made from the selection, the toolbar's edit button.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "app/VornickApplicationDelegate.h"
#include "documents/VornickKnownFileSet.h"
#include "editing/VornickFragmentSetPicker.h"
#include "editing/VornickToolbarItemViews.h"
#include "html/VornickFragmentGroup.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMCollections.h"
#include "platform/foundation/Bundle.h"
#include "platform/views/Button.h"
#include "platform/views/Menu.h"
#include "platform/views/TextField.h"
#include "platform/views/qt/QtMenuBar.h"
#include "snippets/VornickFragmentSetEditor.h"
#include "toolkit/VornickFileTreeWatcher.h"
#include "ui/VornickClickToEditTextField.h"
#include "ui/VornickMomentaryTip.h"
#include "ui/VornickToolbarPickerControls.h"

#include <gtest/gtest.h>

#include <QTest>

using namespace brevanton;

namespace {

class FragmentSetEditorSession : public brevanton::testing::EditorWindowSession {
protected:
    // The application reads a page's snippet set with the user's leave.
    void SetUp() override
    {
        EditorWindowSession::SetUp();
        m_defaults = std::make_unique<UserDefaults>(m_folder + "/defaults.plist");
        m_application = VornickApplicationDelegate::create(*m_defaults, Bundle::main());
        m_application->applicationDidFinishLaunching();
        Application::shared().setDelegate(m_application);
    }
    void TearDown() override
    {
        editor.reset();
        VornickFileTreeWatcher::setMaker(nullptr);
        VornickKnownFileURLsUpdater::setShared(nullptr);
        Application::shared().setDelegate(std::weak_ptr<Responder>());
        EditorWindowSession::TearDown();
        m_application.reset();
    }
    std::shared_ptr<VornickFragmentSet> userSet() const { return vornick_userFragmentSet(*editor->editingView()->mainFrame()); }
    std::shared_ptr<VornickFragmentSetEditor> onlyEditor() const
    {
        auto editors = VornickFragmentSetEditor::openEditors();
        return editors.size() == 1 ? editors.front() : nullptr;
    }
    QtWindowWidget* widgetOf(const Window& window) const { return shell->backend().widgetForWindow(window); }
    // The item of the page window's Insert menu, validated as its menu opens.
    QAction* insertMenuAction(const std::u16string& title) const
    {
        auto* bar = dynamic_cast<QtMenuBar*>(widget()->menuBar());
        auto insertItem = shell->mainMenu()->itemWithTitle(u"Insert");
        QtMenu* insert = bar && insertItem ? bar->menuForItem(*insertItem) : nullptr;
        auto item = insertItem ? insertItem->submenu()->itemWithTitle(title) : nullptr;
        if (!insert || !item)
            return nullptr;
        insert->popup(QPoint(10, 10));
        QAction* action = insert->actionForItem(*item);
        insert->hide();
        return action;
    }
    std::vector<std::u16string> snippetNames() const
    {
        std::vector<std::u16string> names;
        for (const auto& group : userSet()->groups())
            for (const auto& snippet : group->fragmentDescriptions())
                names.push_back(snippet->displayName());
        return names;
    }
    std::string setFile() const { return readFile(m_folder + "/Site.brevantonsnippets").value_or(""); }

    std::unique_ptr<UserDefaults> m_defaults;
    std::shared_ptr<VornickApplicationDelegate> m_application;
};

TEST_F(FragmentSetEditorSession, ASnippetFromTheSelectionOpensInItsSetsEditorWhereTypingNamesItAndUndoTakesItAway)
{
    open("snippets.html");
    ASSERT_TRUE(userSet());
    auto list = document()->getElementsByTagName(u"p");
    ASSERT_TRUE(list && list->length());
    auto paragraph = downcast<DOMElement>(list->item(0));
    clickInto(*paragraph->firstChild());
    for (int step = 0; step < 6; ++step)
        press(Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(selection()->toString(), u"A page");

    QAction* newSnippet = insertMenuAction(u"New Snippet from Selection");
    ASSERT_TRUE(newSnippet);
    EXPECT_TRUE(newSnippet->isEnabled());
    newSnippet->trigger();
    settle();

    auto snippetEditor = onlyEditor();
    ASSERT_TRUE(snippetEditor);
    EXPECT_EQ(snippetEditor->fragmentSet(), userSet()) << "the page's own set, not a copy";
    auto* editorWidget = widgetOf(*snippetEditor->window());
    ASSERT_TRUE(editorWidget);
    EXPECT_TRUE(editorWidget->isVisible());
    auto added = snippetEditor->selectedFragmentDescription();
    ASSERT_TRUE(added);
    EXPECT_EQ(added->displayName(), u"New Snippet");
    EXPECT_EQ(added->markupString(), u"A page\n") << "the selection as the page writes it";
    EXPECT_EQ(snippetNames(), (std::vector<std::u16string> { u"Emphasis", u"Quote", u"New Snippet" }));

    // Its name field has the keyboard: what is typed names the snippet, in the file too.
    QTest::keyClicks(editorWidget, "Opening");
    settle();
    EXPECT_EQ(snippetNames(), (std::vector<std::u16string> { u"Emphasis", u"Quote", u"Opening" }));
    EXPECT_NE(setFile().find("\"displayName\" : \"Opening\""), std::string::npos) << setFile();
    EXPECT_NE(setFile().find("\"markup\" : \"A page\\n\""), std::string::npos) << setFile();

    // Undo in the editor's window takes the snippet away, from the file too;
    // the page is as it was.
    EXPECT_EQ(snippetEditor->window()->undoManager()->undoActionName(), u"Add Snippet");
    QTest::keyClick(editorWidget, Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_EQ(snippetNames(), (std::vector<std::u16string> { u"Emphasis", u"Quote" }));
    EXPECT_EQ(setFile().find("Opening"), std::string::npos) << setFile();
    EXPECT_FALSE(undoManager().canUndo()) << "making the snippet changed nothing in the page";
}

TEST_F(FragmentSetEditorSession, ThePickersEditButtonAndTheBlogsOpenTheDocumentsSetInOneEditor)
{
    open("snippets.html");
    auto button = editor->toolbarItemViews()->fragmentSetPickerOpenButton();
    ASSERT_TRUE(button);
    editor->toolbarItemViews()->fragmentSetPicker()->updateOpenButtonEnabledState();
    EXPECT_TRUE(button->isEnabled());
    Rect box = button->convertRectToView(button->bounds(), nullptr);
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(static_cast<int>(box.midX()), static_cast<int>(widget()->height() - box.midY())));
    settle();
    auto snippetEditor = onlyEditor();
    ASSERT_TRUE(snippetEditor);
    EXPECT_EQ(snippetEditor->fragmentSet(), userSet());
    EXPECT_EQ(snippetEditor->outlineView()->numberOfRows(), 3) << "the group and its two snippets";

    // The blog properties' "Edit Snippets" goes through the pickers' opener:
    // the same set brings the same editor forward.
    EXPECT_TRUE(VornickFragmentSetPicker::openEditorForFragmentSet(userSet()));
    settle();
    EXPECT_EQ(onlyEditor(), snippetEditor);
    EXPECT_TRUE(snippetEditor->window()->isKeyWindow());
}

// The shortcut's field looks like a label until clicked; while it is edited
// the shorthand tip tells how a shortcut is written, and Return or leaving
// the field makes it a label again. Trigger and shortcut go to the file.
TEST_F(FragmentSetEditorSession, TheShortcutFieldShowsTheShorthandTipWhileItIsEditedAndBothShorthandsAreStored)
{
    open("snippets.html");
    ASSERT_TRUE(userSet());
    VornickFragmentSetEditor::openEditorForFragmentSet(userSet());
    settle();
    auto snippetEditor = onlyEditor();
    ASSERT_TRUE(snippetEditor);
    snippetEditor->selectFragmentDescription(
        std::static_pointer_cast<VornickGeneralFragmentDescription>(userSet()->groups().front()->fragmentDescriptions().front()));
    auto* editorWidget = widgetOf(*snippetEditor->window());
    ASSERT_TRUE(editorWidget);
    auto shortcut = snippetEditor->keyboardShortcutField();
    auto tip = VornickMomentaryTip::sharedSnippetShorthandTip();
    auto click = [&](const View& view) {
        QTest::mouseClick(editorWidget, Qt::LeftButton, Qt::NoModifier, brevanton::testing::centreInWidget(*editorWidget, view));
        settle();
    };
    EXPECT_FALSE(shortcut->vornick_isVisiblyEditable());
    EXPECT_FALSE(shortcut->acceptsFirstResponder()) << "a label, out of the Tab order";

    click(*snippetEditor->tabTriggerField());
    ASSERT_EQ(snippetEditor->tabTriggerField()->stringValue(), u"em");
    QTest::keyClick(editorWidget, Qt::Key_Backspace);
    QTest::keyClicks(editorWidget, "mph");
    settle();
    EXPECT_FALSE(tip->isVisible());

    click(*shortcut);
    EXPECT_TRUE(shortcut->vornick_isVisiblyEditable());
    EXPECT_EQ(snippetEditor->window()->firstResponder(), shortcut);
    ASSERT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->messageTextView()->string(), VornickFragmentSetEditor::ShortcutShorthandTip);
    EXPECT_EQ(tip->window()->parentWindow(), snippetEditor->window());
    EXPECT_NEAR(tip->window()->frame().maxY(), shortcut->convertRectToScreen(shortcut->bounds()).minY(), 1);
    QTest::keyClicks(editorWidget, "@~1");
    QTest::keyClick(editorWidget, Qt::Key_Return);
    settle();
    EXPECT_FALSE(shortcut->vornick_isVisiblyEditable());
    EXPECT_FALSE(tip->isVisible());
    EXPECT_NE(setFile().find("\"keyboardShortcut\" : \"@~1\""), std::string::npos) << setFile();
    EXPECT_NE(setFile().find("\"tabTrigger\" : \"emph\""), std::string::npos) << setFile();

    // Leaving the field by a click elsewhere puts the tip away too.
    click(*shortcut);
    ASSERT_TRUE(tip->isVisible());
    click(*snippetEditor->nameField());
    EXPECT_FALSE(tip->isVisible());
    EXPECT_FALSE(shortcut->vornick_isVisiblyEditable());
    EXPECT_EQ(shortcut->stringValue(), u"@~1");
}

} // namespace
