#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickDocumentStyleSheets.h"
#include "app/VornickStyleSheet.h"
#include "documents/VornickKnownFileSet.h"
#include "editing/VornickFragmentSetPicker.h"
#include "editing/VornickHTMLFormattingPreferencesPicker.h"
#include "editing/VornickStyleSheetPicker.h"
#include "editing/VornickToolbarItemViews.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Menu.h"
#include "platform/views/SplitView.h"
#include "platform/views/Toolbar.h"
#include "platform/views/qt/QtMenuBar.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickFileTreeWatcher.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "ui/VornickDocumentActionButtonCell.h"
#include "ui/VornickToolbarPickerControls.h"

#include <gtest/gtest.h>

#include <QTest>

using namespace brevanton;

namespace {

class EditorWindowToolbar : public brevanton::testing::EditorWindowSession {
protected:
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
        if (auto* popup = QApplication::activePopupWidget())
            popup->close();
        editor.reset();
        VornickFileTreeWatcher::setMaker(nullptr);
        VornickKnownFileURLsUpdater::setShared(nullptr);
        Application::shared().setDelegate(std::weak_ptr<Responder>());
        EditorWindowSession::TearDown();
        m_application.reset();
    }

    const std::shared_ptr<VornickToolbarItemViews>& items() const { return editor->toolbarItemViews(); }
    QPoint centreInWidget(const View& view) const
    {
        Rect box = view.convertRectToView(view.bounds(), nullptr);
        return QPoint(static_cast<int>(box.midX()), static_cast<int>(widget()->height() - box.midY()));
    }
    std::u16string linkedSheetOfPage() const
    {
        auto sheet = vornick_primaryStyleSheet(*document());
        return sheet ? sheet->fileURL().lastPathComponent() : u"";
    }

    std::unique_ptr<UserDefaults> m_defaults;
    std::shared_ptr<VornickApplicationDelegate> m_application;
};

TEST_F(EditorWindowToolbar, TheToolbarsLabelsArePaintedInOrderAboveThePage)
{
    open("page.html");
    auto toolbar = editor->toolbar();
    ASSERT_TRUE(toolbar);
    EXPECT_EQ(editor->window()->toolbar(), toolbar);
    ASSERT_EQ(toolbar->visibleItems().size(), 3u);
    widget()->update();
    QImage picture = widget()->grab().toImage();
    brevanton::testing::EditorWindowSession::saveScreenshot(picture, "editor-window-toolbar.png");

    std::vector<std::pair<double, std::u16string>> labels;
    for (const auto& command : widget()->lastPaintedCommands()) {
        if (command.kind != DrawCommand::Kind::Text || command.view != toolbar->view().get())
            continue;
        labels.emplace_back(command.rectInWindow.minX(), command.text);
        // Drawn where it was recorded: ink darker than the toolbar's fill.
        QRect area(static_cast<int>(command.rectInWindow.minX()), static_cast<int>(widget()->height() - command.rectInWindow.maxY()),
                   std::max(2, static_cast<int>(command.rectInWindow.width())), std::max(2, static_cast<int>(command.rectInWindow.height())));
        int darkest = 255;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (picture.rect().contains(x, y))
                    darkest = std::min(darkest, qGray(picture.pixel(x, y)));
            }
        }
        EXPECT_LT(darkest, 160) << toUTF8(command.text);
        // Above the split view with the page.
        Rect split = editor->splitView()->convertRectToView(editor->splitView()->bounds(), nullptr);
        EXPECT_GE(command.rectInWindow.minY(), split.maxY());
    }
    std::vector<std::u16string> inOrder;
    for (std::size_t index = 0; index < labels.size(); ++index) {
        if (index) {
            EXPECT_LT(labels[index - 1].first, labels[index].first);
        }
        inOrder.push_back(labels[index].second);
    }
    EXPECT_EQ(inOrder, (std::vector<std::u16string> { u"Main Style Sheet", u"Snippet Set", u"HTML Formatting" }));
    // The pickers show the page's choices: its linked sheet, no snippet set, the user's settings.
    EXPECT_EQ(items()->primaryStyleSheetPickerPopUpButton()->titleOfSelectedItem(), u"style.css");
    EXPECT_EQ(items()->fragmentSetPickerPopUpButton()->titleOfSelectedItem(), u"(Plain HTML)");
    EXPECT_EQ(items()->formattingPreferencesChooserPopUpButton()->titleOfSelectedItem(), u"(User Settings)");
}

TEST_F(EditorWindowToolbar, ClickingAPickerOpensItsMenuAndAChoiceIsOneUndoStep)
{
    open("page.html");
    auto popUp = items()->primaryStyleSheetPickerPopUpButton();
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, centreInWidget(*popUp));
    settle();
    EXPECT_EQ(Menu::shownContextMenu(), popUp->menu());
    auto* shown = dynamic_cast<QtMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->menu(), popUp->menu());
    auto clarityItem = popUp->menu()->itemWithTitle(u"Clarity");
    ASSERT_TRUE(clarityItem);
    QAction* clarity = shown->actionForItem(*clarityItem);
    ASSERT_TRUE(clarity);
    EXPECT_TRUE(clarity->isEnabled());
    clarity->trigger();
    shown->close();
    settle();

    EXPECT_EQ(linkedSheetOfPage(), u"Clarity.css");
    EXPECT_EQ(popUp->titleOfSelectedItem(), u"Clarity");
    ASSERT_TRUE(undoManager().canUndo());
    undoManager().undo();
    settle();
    EXPECT_EQ(linkedSheetOfPage(), u"style.css") << "one step undoes the whole choice";
    EXPECT_EQ(popUp->titleOfSelectedItem(), u"style.css");

    // Choosing the sheet already chosen changes nothing.
    auto styleItem = popUp->menu()->itemWithTitle(u"style.css");
    ASSERT_TRUE(styleItem);
    bool couldRedo = undoManager().canRedo();
    popUp->menu()->performActionForItemAtIndex(popUp->menu()->indexOfItem(styleItem.get()));
    settle();
    EXPECT_EQ(undoManager().canRedo(), couldRedo);
}

TEST_F(EditorWindowToolbar, TheSnippetSetAndFormattingPickersFollowAndChangeThePage)
{
    vornick_knownFragmentSetFiles(m_application)->registerFileReference(
        VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(m_folder + "/Site.brevantonsnippets")));
    open("snippets.html");
    auto sets = items()->fragmentSetPickerPopUpButton();
    ASSERT_NE(sets->titleOfSelectedItem(), u"(Plain HTML)");
    std::u16string siteTitle = sets->titleOfSelectedItem();
    sets->menu()->performActionForItemAtIndex(0);
    settle();
    EXPECT_FALSE(vornick_userFragmentSet(*editor->editingView()->mainFrame()));
    EXPECT_EQ(sets->titleOfSelectedItem(), u"(Plain HTML)");
    undoManager().undo();
    settle();
    EXPECT_EQ(sets->titleOfSelectedItem(), siteTitle);

    auto formatting = items()->formattingPreferencesChooserPopUpButton();
    formatting->menu()->performActionForItemAtIndex(1);
    settle();
    EXPECT_TRUE(vornick_HTMLFormattingPreferences(*editor->editingView()->mainFrame()));
    EXPECT_EQ(formatting->titleOfSelectedItem(), u"Custom...");
    undoManager().undo();
    settle();
    EXPECT_FALSE(vornick_HTMLFormattingPreferences(*editor->editingView()->mainFrame()));
    EXPECT_EQ(formatting->titleOfSelectedItem(), u"(User Settings)");
}

} // namespace

TEST_F(EditorWindowToolbar, TheDocumentActionButtonEmailsThePageSavedFirst)
{
    std::vector<VornickMailMessage> sent;
    vornick_setMailComposerForTesting([&](const VornickMailMessage& message, const std::vector<std::string>&) { sent.push_back(message); });
    openPage("mailed.html", "<!DOCTYPE html>\n<html><head><title>News of the week</title></head><body><p id=\"p\">old</p></body></html>\n");
    auto button = editor->documentActionButton();
    ASSERT_TRUE(button && button->window() == editor->window());
    // At the right end of the toolbar's row, clear of its items.
    Rect box = button->convertRectToView(button->bounds(), nullptr);
    for (const auto& item : editor->toolbar()->visibleItems()) {
        if (auto view = item->view()) {
            EXPECT_LT(view->convertRectToView(view->bounds(), nullptr).maxX(), box.minX());
        }
    }

    // An edit not yet saved: the click saves it, then the mail program gets the file.
    clickInto(*document()->getElementById(u"p")->firstChild());
    press(Qt::Key_End);
    press(Qt::Key_S);
    ASSERT_TRUE(editor->editingView()->isDocumentEdited());
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, centreInWidget(*button));
    settle();
    vornick_setMailComposerForTesting(nullptr);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].subject, u"News of the week");
    EXPECT_EQ(sent[0].attachmentPaths, std::vector<std::string> { editor->path() });
    EXPECT_FALSE(editor->editingView()->isDocumentEdited());
    EXPECT_NE(readFile(editor->path()).value_or("").find("olds"), std::string::npos);

    // Under the pointer the button draws its oval first; elsewhere only its image.
    auto drawn = [&] {
        GraphicsContext context;
        button->draw(button->bounds(), context);
        return context.commands();
    };
    QTest::mouseMove(widget(), centreInWidget(*button));
    settle();
    ASSERT_TRUE(button->mouseIsInside());
    auto hovered = drawn();
    ASSERT_EQ(hovered.size(), 2u);
    EXPECT_EQ(hovered[0].kind, DrawCommand::Kind::FillPath);
    EXPECT_EQ(hovered[0].color, VornickDocumentActionButtonCell::hoverOvalColor());
    QTest::mouseMove(widget(), QPoint(5, widget()->height() / 2));
    settle();
    EXPECT_EQ(drawn().size(), 1u);
}
