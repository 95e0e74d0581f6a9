#include "tests/platform/views/qt/QtTestSupport.h"

#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickFindAndReplaceController.h"
#include "editing/VornickFragmentCompletionUIController.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/TextFinder.h"
#include "platform/views/qt/QtKeyMapping.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "platform/web/WebFrame.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickEditorWindow.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <gtest/gtest.h>

#include <QTest>

#include <cctype>
#include <filesystem>
#include <set>

using namespace brevanton;

namespace {

// Every item of the menu and its submenus.
void collectItems(const Menu& menu, std::vector<std::shared_ptr<MenuItem>>& items)
{
    for (const auto& item : menu.items()) {
        if (item->hasSubmenu())
            collectItems(*item->submenu(), items);
        if (!item->isSeparatorItem() && !item->action().empty())
            items.push_back(item);
    }
}

std::string nameOf(const MenuItem& item)
{
    return toUTF8(item.title()) + " (" + item.action() + ")";
}

class MainMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        VornickInstallHTMLServices();
        auto folder = createTemporaryDirectory("brevanton-menus");
        ASSERT_TRUE(folder);
        m_folder = *folder;
        for (const char* sub : { "/editing", "/html-pages" }) {
            for (const auto& entry : std::filesystem::directory_iterator(std::string(BREVANTON_TEST_DATA_DIR) + sub))
                std::filesystem::copy_file(entry.path(), m_folder + "/" + entry.path().filename().string(),
                                           std::filesystem::copy_options::skip_existing);
        }
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        // Nothing to find until the user asks.
        Pasteboard::pasteboardWithName(PasteboardNameFind)->clearContents();
    }
    void TearDown() override
    {
        editor.reset();
        shell.reset();
        AlertDriver::shared().reset();
        Application::shared().resetForTesting();
        std::filesystem::remove_all(m_folder);
    }

    std::string path(const std::string& name) const { return m_folder + "/" + name; }
    void settle()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
        QCoreApplication::processEvents();
    }
    void open(const std::string& name)
    {
        if (editor) {
            editor->window()->close();
            editor.reset();
            settle();
        }
        Error error;
        editor = shell->openFile(path(name), &error);
        ASSERT_TRUE(editor) << toUTF8(error.localizedDescription());
        ASSERT_TRUE(RunLoop::main().runUntil(
            [this] { return editor->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30));
        settle();
    }
    QtWindowWidget* widget() const { return shell->backend().widgetForWindow(*editor->window()); }
    std::shared_ptr<DOMElement> element(const std::u16string& tag) const
    {
        auto list = editor->editingView()->mainFrameDocument()->getElementsByTagName(tag);
        return list && list->length() ? downcast<DOMElement>(list->item(0)) : nullptr;
    }
    // The first text of at least a few letters inside an element of the kind.
    std::shared_ptr<DOMNode> textIn(const std::u16string& tag) const
    {
        auto list = editor->editingView()->mainFrameDocument()->getElementsByTagName(tag);
        for (size_t index = 0; list && index < list->length(); ++index) {
            for (auto child = list->item(index)->firstChild(); child; child = child->nextSibling()) {
                if (child->nodeType() == DOMNode::TEXT_NODE && downcast<DOMCharacterData>(*child).data().size() >= 6)
                    return child;
            }
        }
        return nullptr;
    }
    bool hasElementHolding(const std::u16string& tag, const std::u16string& text) const
    {
        auto list = editor->editingView()->mainFrameDocument()->getElementsByTagName(tag);
        for (size_t index = 0; list && index < list->length(); ++index) {
            if (list->item(index)->textContent() == text)
                return true;
        }
        return false;
    }
    void select(const std::shared_ptr<DOMNode>& text, int32_t start, int32_t end)
    {
        auto range = editor->editingView()->mainFrameDocument()->createRange();
        range->setStart(text, start);
        range->setEnd(text, end);
        editor->editingView()->setTargetRange(range);
        settle();
    }
    // Where a node's box is in the widget, a few points into it from the left.
    QPoint pointInWidget(const DOMNode& node, double dx = 3) const
    {
        auto webView = editor->editingView()->embeddedWebView();
        Rect box = webView->boundingBox(node);
        Point base = webView->convertPointToView(Point { box.minX() + dx, box.midY() }, nullptr);
        return QPoint(static_cast<int>(base.x), static_cast<int>(widget()->height() - base.y));
    }
    // Presses the item's shortcut as a user would.
    void pressShortcut(const MenuItem& item)
    {
        QKeySequence sequence = keySequenceForKeyEquivalent(item.keyEquivalent(), item.keyEquivalentModifierMask());
        ASSERT_FALSE(sequence.isEmpty()) << nameOf(item);
        QKeyCombination combination = sequence[0];
        QTest::keyClick(widget(), combination.key(), combination.keyboardModifiers());
        settle();
    }

    // What a command may change: the document, the selection, styles
    // waiting for typed text, the pasteboard, the zoom, what the window
    // shows (the find bar, the source, the completion, alerts, windows).
    struct State {
        std::u16string html;
        std::shared_ptr<DOMNode> startNode, endNode;
        int32_t start { -1 }, end { -1 };
        std::vector<std::u16string> pendingStyles;
        long pasteboardChanges { 0 };
        double zoom { 1 };
        bool findBar { false };
        bool sourcePane { false };
        bool sectionHandles { false };
        bool completion { false };
        std::u16string findString;
        size_t windows { 0 };
        size_t alerts { 0 };
        bool operator==(const State&) const = default;
    };
    State state()
    {
        auto& view = *editor->editingView();
        State now;
        auto frame = view.mainFrame();
        now.html = view.htmlWriterForWebFrame(*frame)->htmlStringFromDocument(*view.mainFrameDocument());
        if (auto range = view.effectiveOperationRange()) {
            now.startNode = range->startContainer();
            now.start = range->startOffset();
            now.endNode = range->endContainer();
            now.end = range->endOffset();
        }
        now.pendingStyles = VornickContentEditingViewTestPeer::of(view).toggledInlineStyleElementsForTyping;
        now.pasteboardChanges = Pasteboard::generalPasteboard()->changeCount();
        now.zoom = view.textSizeMultiplier();
        now.findBar = view.isFindBarVisible();
        now.sourcePane = !editor->sourcePane()->isHidden();
        now.sectionHandles = view.sectionHandlesShown();
        now.completion = view.fragmentCompletionUIController()->isShown();
        now.findString = view.findAndReplaceController().textFinder().findString();
        for (const auto& window : Application::shared().windows())
            now.windows += window->isVisible() ? 1 : 0;
        now.alerts = AlertDriver::shared().shownAlerts().size();
        return now;
    }

    // Each shortcut of the menus but File's (whose commands open, close and
    // write files) is pressed once with the selection `prepare` makes: the
    // command acts (something above changed) exactly when its item was
    // enabled. A page is opened afresh after every command that acted.
    void checkEveryShortcutActsExactlyWhenEnabled(const std::string& page, const std::function<void()>& prepare, const std::string& where)
    {
        std::vector<std::shared_ptr<MenuItem>> items;
        for (const auto& top : shell->mainMenu()->items()) {
            if (top->title() != u"File")
                collectItems(*top->submenu(), items);
        }
        open(page);
        size_t pressed = 0;
        for (const auto& item : items) {
            if (item->keyEquivalent().empty())
                continue;
            Pasteboard::generalPasteboard()->clearContents();
            (void)Pasteboard::generalPasteboard()->setString(u"pasted", PasteboardTypeString);
            prepare();
            bool enabled = Menu::validateItem(*item);
            // The emphasis items' shortcuts move as the page says.
            if (item->keyEquivalent().empty())
                continue;
            auto before = state();
            pressShortcut(*item);
            ++pressed;
            auto after = state();
            bool acted = !(before == after);
            EXPECT_EQ(acted, enabled) << page << ", " << where << ": " << nameOf(*item) << (enabled ? " is enabled but did nothing" : " is disabled but acted");
            if (acted) {
                AlertDriver::shared().reset();
                open(page);
            }
        }
        EXPECT_GT(pressed, 20u) << page;
    }

    std::string m_folder;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickEditorWindow> editor;
};

TEST_F(MainMenu, HostsTheEditorsCommandsGroupedAsADesktopEditorDoes)
{
    open("page.html");
    std::vector<std::u16string> titles;
    for (const auto& item : shell->mainMenu()->items())
        titles.push_back(item->title());
    EXPECT_EQ(titles, (std::vector<std::u16string> { u"File", u"Edit", u"Format", u"Table", u"Insert", u"View", u"Blog", u"Help" }));
    std::vector<std::shared_ptr<MenuItem>> items;
    collectItems(*shell->mainMenu(), items);
    std::set<std::string> actions;
    for (const auto& item : items)
        actions.insert(item->action());
    // Every action the editing view validates that a user chooses is in a menu
    // (the context menu's own, debugging and attribute editor actions aside).
    std::set<std::string> notInMainMenu { "copyElementInteriorAsHTMLSourceCode:", "copyLink:", "deleteSelection:",
                                          "transformBlockOrElement:", "popInsertionPointOutOfElement:",
                                          "popInsertionPointOutOfElementAndInsertSpace:",
                                          "vornick_editElementAttributes:",
                                          "toggleHeadElementsShown:", "showEmphasisPreferenceUI:", "insertExplicitNonBreakingSpace:" };
    for (auto action : VornickContentEditingViewTestPeer::validatedMenuActions()) {
        if (!notInMainMenu.contains(std::string(action))) {
            EXPECT_TRUE(actions.contains(std::string(action))) << action;
        }
    }
    for (const char* action : { "openDocument:", "saveDocument:", "saveDocumentAs:", "revertDocumentToSaved:", "performClose:", "terminate:",
                                "undo:", "redo:", "selectAll:", "vornick_checkSpelling:", "showGeneralLog:", "orderFrontStandardAboutPanel:" })
        EXPECT_TRUE(actions.contains(action)) << action;
    // No two items share a shortcut.
    std::set<std::pair<std::u16string, ModifierFlags>> shortcuts;
    for (const auto& item : items) {
        if (!item->keyEquivalent().empty()) {
            EXPECT_TRUE(shortcuts.insert({ item->keyEquivalent(), item->keyEquivalentModifierMask() }).second) << nameOf(*item);
        }
    }
}

// An HTML5 page with tables, an HTML 4.01 page, an XHTML page and a page
// without a DOCTYPE, each a test of its own that CTest runs beside the others.
class MainMenuShortcuts : public MainMenu, public ::testing::WithParamInterface<const char*> { };

TEST_P(MainMenuShortcuts, EveryShortcutActsExactlyWhenItsItemIsEnabledAtACaretAndOverAWord)
{
    std::string page = GetParam();
    checkEveryShortcutActsExactlyWhenEnabled(page, [&] { select(textIn(u"P"), 3, 3); }, "caret");
    checkEveryShortcutActsExactlyWhenEnabled(page, [&] { select(textIn(u"P"), 0, 4); }, "word");
    if (page == "tables.html")
        checkEveryShortcutActsExactlyWhenEnabled(page, [&] { select(textIn(u"TD"), 1, 1); }, "table cell");
}

INSTANTIATE_TEST_SUITE_P(DocumentTypes, MainMenuShortcuts,
                         ::testing::Values("tables.html", "legacy.html", "xhtml-served-as-html.html", "malformed.html"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST_F(MainMenu, BoldAndItalicShortcutsStyleTheSelectionAndCtrlFShowsTheFindBar)
{
    open("formatting.html");
    auto text = textIn(u"P");
    ASSERT_TRUE(text);
    // "and" of " and posted at the ".
    std::u16string word = downcast<DOMCharacterData>(*text).data().substr(1, 3);
    ASSERT_EQ(word, u"and");
    select(text, 1, 4);
    QTest::keyClick(widget(), Qt::Key_B, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(hasElementHolding(u"STRONG", word)) << "Ctrl+B makes the selection strong" << toUTF8(element(u"P")->innerHTML());
    QTest::keyClick(widget(), Qt::Key_I, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(hasElementHolding(u"EM", word)) << "Ctrl+I emphasises it";

    // Ctrl+E takes the selection as what to find, Ctrl+F shows the bar.
    QTest::keyClick(widget(), Qt::Key_E, Qt::ControlModifier);
    settle();
    EXPECT_EQ(editor->editingView()->findAndReplaceController().textFinder().findString(), word);
    QTest::keyClick(widget(), Qt::Key_F, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(editor->editingView()->isFindBarVisible());
}

TEST_F(MainMenu, APageWithoutADoctypeIsEditedByTheDefaultDocumentTypeAndSavedWithoutOne)
{
    ASSERT_TRUE(writeFileAtomically(path("plain.html"), "<html><head><title>Plain</title></head>\n"
                                                        "<body><p>Some plain words here.</p></body></html>\n"));
    open("plain.html");
    auto style = shell->mainMenu()->itemWithTitle(u"Format")->submenu()->itemWithTitle(u"Style")->submenu();
    select(textIn(u"P"), 5, 10);
    style->update();
    EXPECT_TRUE(style->itemWithTitle(u"Strong Emphasis")->isEnabled());
    QTest::keyClick(widget(), Qt::Key_B, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(hasElementHolding(u"STRONG", u"plain"));
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    auto saved = readFile(path("plain.html")).value_or("");
    EXPECT_NE(saved.find("<strong>plain</strong>"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("DOCTYPE"), std::string::npos) << saved;
}

TEST_F(MainMenu, TheTableMenuAndATableCellsContextMenuOfferTheTableCommands)
{
    open("tables.html");
    auto cell = textIn(u"TD");
    ASSERT_TRUE(cell);
    select(cell, 1, 1);
    auto table = shell->mainMenu()->itemWithTitle(u"Table")->submenu();
    table->update();
    auto rowsBefore = editor->editingView()->mainFrameDocument()->getElementsByTagName(u"TR")->length();
    auto insertBelow = table->itemWithTitle(u"Insert Row Below");
    ASSERT_TRUE(insertBelow);
    EXPECT_TRUE(insertBelow->isEnabled());
    ASSERT_TRUE(table->performActionForItemAtIndex(table->indexOfItem(insertBelow.get())));
    settle();
    EXPECT_EQ(editor->editingView()->mainFrameDocument()->getElementsByTagName(u"TR")->length(), rowsBefore + 1);

    // A right click in a cell lists them too; outside a table they are not offered.
    Menu::setContextMenuPresenter(nullptr);
    QTest::mouseClick(widget(), Qt::RightButton, Qt::NoModifier, pointInWidget(*textIn(u"TD")));
    settle();
    auto menu = Menu::shownContextMenu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->itemWithTitle(u"Insert Column After"));
    EXPECT_TRUE(menu->itemWithTitle(u"Delete Rows"));
    EXPECT_FALSE(menu->itemWithTitle(u"Unwrap <td>")) << "its text would vanish from the row";
    QTest::mouseClick(widget(), Qt::RightButton, Qt::NoModifier, pointInWidget(*textIn(u"P")));
    settle();
    ASSERT_TRUE(Menu::shownContextMenu());
    EXPECT_FALSE(Menu::shownContextMenu()->itemWithTitle(u"Insert Column After"));
}

TEST_F(MainMenu, OpeningAMenuOfTheBarValidatesItsItems)
{
    open("tables.html");
    select(textIn(u"P"), 0, 4);
    QtMenuBar bar;
    bar.synchronize();
    auto edit = shell->mainMenu()->itemWithTitle(u"Edit")->submenu();
    QtMenu menu(edit, nullptr);
    menu.prepareToShow();
    EXPECT_TRUE(menu.actionForItem(*edit->itemWithTitle(u"Copy"))->isEnabled());
    EXPECT_FALSE(menu.actionForItem(*edit->itemWithTitle(u"Undo"))->isEnabled());
    EXPECT_EQ(menu.actionForItem(*edit->itemWithTitle(u"Select All"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    select(textIn(u"P"), 1, 1);
    menu.prepareToShow();
    EXPECT_FALSE(menu.actionForItem(*edit->itemWithTitle(u"Copy"))->isEnabled());
}

TEST_F(MainMenu, ShowSourceHidesAndShowsTheSourcePane)
{
    open("page.html");
    double pageWidth = editor->editingView()->frame().width();
    QTest::keyClick(widget(), Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
    settle();
    EXPECT_TRUE(editor->sourcePane()->isHidden());
    EXPECT_GT(editor->editingView()->frame().width(), pageWidth) << "the page takes the window's width";
    QTest::keyClick(widget(), Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
    settle();
    EXPECT_FALSE(editor->sourcePane()->isHidden());
    EXPECT_NEAR(editor->editingView()->frame().width(), pageWidth, 2);
}

TEST_F(MainMenu, QuitClosesEveryWindowEachAskingAboutItsChanges)
{
    open("page.html");
    Error error;
    auto second = shell->openFile(path("tables.html"), &error);
    ASSERT_TRUE(second);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return second->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30));
    settle();
    // The second window has changes; its question is answered Cancel.
    auto text = second->editingView()->mainFrameDocument()->getElementsByTagName(u"P")->item(0)->firstChild();
    auto range = second->editingView()->mainFrameDocument()->createRange();
    range->setStart(text, 1);
    range->setEnd(text, 1);
    second->editingView()->setTargetRange(range);
    QTest::keyClicks(shell->backend().widgetForWindow(*second->window()), "x");
    settle();
    ASSERT_TRUE(second->editingView()->isDocumentEdited());
    AlertDriver::shared().enqueueButtonTitle(u"Cancel");
    QTest::keyClick(widget(), Qt::Key_Q, Qt::ControlModifier);
    settle();
    EXPECT_EQ(shell->editorWindows().size(), 1u) << "the unchanged window closed, the changed one stays";
    AlertDriver::shared().enqueueButtonTitle(u"Don\u2019t Save");
    QTest::keyClick(shell->backend().widgetForWindow(*second->window()), Qt::Key_Q, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(shell->editorWindows().empty());
    editor.reset();
}

} // namespace
