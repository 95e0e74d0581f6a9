// The editing keys in a real editor window on the offscreen Qt platform,
// driven by Qt's key and mouse events and checked in the saved file: Delete
// and Forward Delete (and the picture they leave), the link and attribute
// editor, Tab in a list and the keys over a selected table cell.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "platform/foundation/NotificationCenter.h"
#include "editing/VornickElementAttributesInspectorModule.h"
#include "editing/VornickElementEditorUIController.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/Popover.h"
#include "platform/views/TextField.h"
#include "platform/views/TextView.h"
#include "platform/views/Window.h"
#include "ui/VornickMomentaryTip.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <QTest>

#include <regex>

using namespace brevanton;

namespace {

class EditorWindowKeys : public brevanton::testing::EditorWindowSession {
protected:
    void SetUp() override
    {
        EditorWindowSession::SetUp();
        // As the program's defaults have it, a new link opens its editor.
        UserDefaults::standard().setBool(true, u"ShowURLAttributeEditorWhenCreatingALink");
    }
    void TearDown() override
    {
        UserDefaults::standard().removeObjectForKey(u"ShowURLAttributeEditorWhenCreatingALink");
        EditorWindowSession::TearDown();
    }
    std::shared_ptr<DOMElement> byId(const std::u16string& id) const { return document()->getElementById(id); }
    // The page's body as saved with Ctrl+S, white space between tags dropped.
    std::string savedBody(const std::string& name)
    {
        press(Qt::Key_S, Qt::ControlModifier);
        auto saved = readFile(m_folder + "/" + name);
        if (!saved)
            return {};
        auto start = saved->find("<body>");
        auto end = saved->find("</body>");
        std::string body = std::regex_replace(saved->substr(start + 6, end - start - 6), std::regex(">\\s+"), ">");
        body = std::regex_replace(body, std::regex("\\s+<"), "<");
        return std::regex_replace(body, std::regex("<br />"), "<br>");
    }
    // The caret at the end (or start) of a node's line: a click, then End (or Home).
    void caretAtLineEdge(const DOMNode& node, bool end)
    {
        clickInto(node);
        press(end ? Qt::Key_End : Qt::Key_Home);
    }
    std::shared_ptr<VornickElementEditorUIController> elementEditor() const
    {
        return VornickContentEditingViewTestPeer::of(*editor->editingView()).elementEditorUIController;
    }
};

// -- Delete and Forward Delete

TEST_F(EditorWindowKeys, BackspaceRepaintsTheLineItChangedWithoutWaitingForAnotherEvent)
{
    openPage("repaint.html", "<!DOCTYPE html>\n<html><head><title>r</title></head><body><p id=\"p\">abcdef</p><p>other</p></body></html>\n");
    caretAtLineEdge(*byId(u"p")->firstChild(), true);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView()->isLoading(); }, 30));
    settle();
    widget()->repaint();
    // Each Backspace is drawn by the paint its own key press brings: the
    // page's last painted text is the shortened line.
    auto paintedPageText = [&] {
        std::u16string text;
        for (const auto& command : widget()->lastPaintedCommands()) {
            if (command.kind == DrawCommand::Kind::TextRun && command.view && command.view->isDescendantOf(webView().get()))
                text += command.text + u"|";
        }
        return text;
    };
    for (std::u16string shown : { u"abcde", u"abcd" }) {
        // The events the key press brings are handled, without waiting for
        // any timer (a caret's blink would draw the line too); every paint
        // they make is looked at (the source pane may have one of its own).
        unsigned seen = widget()->paintCount();
        std::u16string lastPageText;
        QTest::keyClick(widget(), Qt::Key_Backspace);
        for (int turn = 0; turn < 20; ++turn) {
            (void)RunLoop::main().runOnce(0);
            QCoreApplication::processEvents();
            if (widget()->paintCount() != seen) {
                seen = widget()->paintCount();
                if (auto text = paintedPageText(); !text.empty())
                    lastPageText = text;
            }
        }
        EXPECT_NE(lastPageText.find(shown + u"|"), std::u16string::npos) << toUTF8(lastPageText);
    }
    EXPECT_EQ(savedBody("repaint.html"), "<p id=\"p\">abcd</p><p>other</p>");
}

struct DeletionCase {
    const char* name;
    const char* body;
    const char* caretIn; // the id of the element whose first line the caret goes to
    bool atEnd;          // at the line's end (else its start)
    Qt::Key key;
    int presses;
    int undos; // the steps Undo takes to come back
    const char* expected;
};

TEST_F(EditorWindowKeys, DeleteAndForwardDeleteJoinOrDeleteAsOneUndoStep)
{
    const DeletionCase cases[] = {
        { "forward delete of a character", "<p id=\"a\">abc</p>", "a", false, Qt::Key_Delete, 1, 1, "<p id=\"a\">bc</p>" },
        { "forward deletes in a row", "<p id=\"a\">abcd</p>", "a", false, Qt::Key_Delete, 2, 1, "<p id=\"a\">cd</p>" },
        { "forward delete joins the next paragraph", "<p id=\"a\">abc</p><p>def</p>", "a", true, Qt::Key_Delete, 1, 1, "<p id=\"a\">abcdef</p>" },
        { "forward delete takes a line break", "<p id=\"a\">abc<br>def</p>", "a", true, Qt::Key_Delete, 1, 1, "<p id=\"a\">abcdef</p>" },
        { "forward delete joins list items", "<ul><li id=\"a\">one</li><li>two</li></ul>", "a", true, Qt::Key_Delete, 1, 1,
          "<ul><li id=\"a\">onetwo</li></ul>" },
        { "forward delete never joins table cells", "<table><tbody><tr><td id=\"a\">x</td><td>y</td></tr></tbody></table>", "a", true,
          Qt::Key_Delete, 1, 1, "<table><tbody><tr><td id=\"a\">x</td><td>y</td></tr></tbody></table>" },
        { "backspace after a heading joins the paragraph to it", "<h2>Title</h2><p id=\"a\">text</p>", "a", false,
          Qt::Key_Backspace, 1, 1, "<h2>Titletext</h2>" },
        { "backspace in a list item's paragraph joins the items", "<ul><li><p>one</p></li><li><p id=\"a\">two</p></li></ul>", "a",
          false, Qt::Key_Backspace, 1, 1, "<ul><li><p>one</p><p id=\"a\">two</p></li></ul>" },
        { "backspace after a list moves into its last item", "<ul><li>one</li></ul><p id=\"a\">two</p>", "a", false,
          Qt::Key_Backspace, 2, 2, "<ul><li>on</li></ul><p id=\"a\">two</p>" },
    };
    int number = 0;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        std::string name = "deletion-" + std::to_string(++number) + ".html";
        openPage(name, std::string("<!DOCTYPE html>\n<html><head><title>d</title></head><body>") + test.body + "</body></html>\n");
        caretAtLineEdge(*byId(toUTF16(test.caretIn))->firstChild(), test.atEnd);
        undoManager().removeAllActions();
        // (After a move into the list, the next Backspace deletes there.)
        for (int press = 0; press < test.presses; ++press)
            this->press(test.key);
        EXPECT_EQ(savedBody(name), test.expected);
        // Undo takes each key's edit back in one step.
        for (int undo = 0; undo < test.undos; ++undo)
            this->press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(savedBody(name), std::string(test.body)) << "after Undo";
        EXPECT_FALSE(undoManager().canUndo());
    }
}

// -- The link and attribute editor

TEST_F(EditorWindowKeys, TheLinkAndAttributeEditorShowsItsFieldsTakesTheKeysAndReturnOrEscapeCloseIt)
{
    openPage("links.html", "<!DOCTYPE html>\n<html><head><title>l</title></head><body><p id=\"p\">word</p>"
                           "<p id=\"q\">more</p><p><img id=\"i\" src=\"picture.png\" alt=\"\"></p></body></html>\n");
    auto popoverWidget = [&]() -> QWidget* {
        auto controller = elementEditor();
        auto window = controller ? controller->popover()->window() : nullptr;
        return window ? shell->backend().widgetForWindow(*window) : nullptr;
    };
    auto module = [&] {
        auto controller = elementEditor();
        return controller && controller->moduleCount()
            ? std::dynamic_pointer_cast<VornickElementAttributesInspectorModule>(controller->modules().front())
            : nullptr;
    };
    auto shows = [&](std::initializer_list<const char16_t*> names) {
        auto shown = module();
        if (!shown)
            return false;
        for (auto* name : names) {
            if (!shown->fieldForAttribute(name))
                return false;
        }
        return true;
    };

    // Ctrl+K on a word: the link is made and its editor shows its fields,
    // with the keyboard in the href field; Return applies what was typed.
    clickInto(*byId(u"p")->firstChild());
    press(Qt::Key_Right, Qt::ShiftModifier);
    press(Qt::Key_Right, Qt::ShiftModifier);
    press(Qt::Key_K, Qt::ControlModifier);
    auto controller = elementEditor();
    ASSERT_TRUE(controller && controller->popover()->isShown());
    EXPECT_TRUE(shows({ u"href", u"title", u"target" }));
    auto window = controller->popover()->window();
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(window->firstResponder(), module()->fieldForAttribute(u"href"));
    Size size = controller->popover()->contentSize();
    EXPECT_GT(size.height, 3 * 22.0);
    ASSERT_TRUE(popoverWidget());
    QTest::keyClicks(popoverWidget(), "https://example.org/");
    QTest::keyClick(popoverWidget(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(controller->popover()->isShown());
    EXPECT_NE(savedBody("links.html").find("<p id=\"p\"><a href=\"https://example.org/\">wo</a>rd</p>"), std::string::npos);
    // One step takes the address back; the link stays.
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(savedBody("links.html").find("<p id=\"p\"><a href=\"\">wo</a>rd</p>"), std::string::npos);
    press(Qt::Key_Z, Qt::ControlModifier);
    press(Qt::Key_Z, Qt::ControlModifier);

    // Escape closes it and drops what was typed; the page has the keyboard again.
    clickInto(*byId(u"q")->firstChild());
    press(Qt::Key_Right, Qt::ShiftModifier);
    press(Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(elementEditor()->popover()->isShown());
    QTest::keyClicks(popoverWidget(), "typed");
    QTest::keyClick(popoverWidget(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(elementEditor()->popover()->isShown());
    EXPECT_EQ(editor->window()->firstResponder(), webView());
    EXPECT_NE(savedBody("links.html").find("<p id=\"q\"><a href=\"\">m</a>ore</p>"), std::string::npos);

    // Format > Edit Attributes of the selected image: src, alt, width, height.
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, [&] {
        Rect box = webView()->boundingBox(*byId(u"i"));
        Point base = webView()->convertPointToView(Point { box.midX(), box.midY() }, nullptr);
        return QPoint(static_cast<int>(base.x), static_cast<int>(widget()->height() - base.y));
    }());
    settle();
    auto format = shell->mainMenu()->itemWithTitle(u"Format")->submenu();
    ASSERT_TRUE(format->performActionForItemAtIndex(format->indexOfItem(format->itemWithTitle(u"Edit Attributes").get())));
    settle();
    ASSERT_TRUE(elementEditor() && elementEditor()->popover()->isShown());
    EXPECT_EQ(elementEditor()->targetElement(), byId(u"i"));
    EXPECT_TRUE(shows({ u"src", u"alt", u"width", u"height" }));
    // Tab goes from field to field, to the alt text.
    auto imageWindow = elementEditor()->popover()->window();
    for (int tabs = 0; tabs < 10 && imageWindow->firstResponder() != module()->fieldForAttribute(u"alt"); ++tabs)
        QTest::keyClick(popoverWidget(), Qt::Key_Tab);
    ASSERT_EQ(imageWindow->firstResponder(), module()->fieldForAttribute(u"alt"));
    QTest::keyClicks(popoverWidget(), "A poppy");
    QTest::keyClick(popoverWidget(), Qt::Key_Return);
    settle();
    EXPECT_NE(savedBody("links.html").find("alt=\"A poppy\""), std::string::npos) << savedBody("links.html");
}

TEST_F(EditorWindowKeys, AValueTheAttributeCannotTakeHasATipUnderItsFieldUntilItIsMended)
{
    openPage("sizes.html", "<!DOCTYPE html>\n<html><head><title>s</title></head><body>"
                           "<p><img id=\"i\" src=\"picture.png\" alt=\"\"></p></body></html>\n");
    auto tip = VornickMomentaryTip::sharedValidationTip();
    auto module = [&] {
        auto controller = elementEditor();
        return controller && controller->moduleCount()
            ? std::dynamic_pointer_cast<VornickElementAttributesInspectorModule>(controller->modules().front())
            : nullptr;
    };
    ASSERT_TRUE(editor->editingView()->showAttributeEditorForElement(byId(u"i"), u"width"));
    settle();
    ASSERT_TRUE(module());
    auto popoverWindow = elementEditor()->popover()->window();
    auto field = module()->fieldForAttribute(u"width");
    ASSERT_EQ(popoverWindow->firstResponder(), field);
    auto* popup = shell->backend().widgetForWindow(*popoverWindow);
    ASSERT_TRUE(popup);

    QTest::keyClicks(popup, "wide");
    settle();
    ASSERT_TRUE(tip->isVisible());
    EXPECT_NE(tip->messageTextView()->string().find(u"non-negative integer"), std::u16string::npos);
    EXPECT_EQ(tip->window()->parentWindow(), popoverWindow);
    EXPECT_NEAR(tip->window()->frame().maxY(), field->convertRectToScreen(field->bounds()).minY(), 1);

    // A sound value puts it away; a faulty one brings it back.
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(popup, Qt::Key_Backspace);
    QTest::keyClicks(popup, "40");
    settle();
    EXPECT_FALSE(tip->isVisible());
    QTest::keyClicks(popup, "px");
    settle();
    EXPECT_TRUE(tip->isVisible());
    // Moving on to the next field, or closing the editor, puts it away.
    QTest::keyClick(popup, Qt::Key_Tab);
    settle();
    EXPECT_FALSE(tip->isVisible());
    // A click into another field and a faulty value there: the tip stands under that one.
    auto next = module()->fieldForAttribute(u"height");
    ASSERT_TRUE(next);
    Rect box = next->convertRectToView(next->bounds(), nullptr);
    QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier,
                      QPoint(static_cast<int>(box.midX()), static_cast<int>(popup->height() - box.midY())));
    settle();
    ASSERT_EQ(popoverWindow->firstResponder(), next);
    QTest::keyClicks(popup, "tall");
    settle();
    ASSERT_TRUE(tip->isVisible());
    EXPECT_NEAR(tip->window()->frame().maxY(), next->convertRectToScreen(next->bounds()).minY(), 1);
    QTest::keyClick(popup, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(elementEditor()->popover()->isShown());
    EXPECT_FALSE(tip->isVisible());
}

// -- Tab in a list

TEST_F(EditorWindowKeys, TabInAListItemIndentsItAndShiftTabOutdentsItKeepingTheListValid)
{
    openPage("list.html", "<!DOCTYPE html>\n<html><head><title>t</title></head><body>"
                          "<ul><li>one</li><li id=\"b\">two</li></ul></body></html>\n");
    caretAtLineEdge(*byId(u"b")->firstChild(), true);
    press(Qt::Key_Tab);
    EXPECT_EQ(savedBody("list.html"), "<ul><li>one<ul><li id=\"b\">two</li></ul></li></ul>");
    // Typing goes on in the item.
    press(Qt::Key_S);
    EXPECT_EQ(savedBody("list.html"), "<ul><li>one<ul><li id=\"b\">twos</li></ul></li></ul>");
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(savedBody("list.html"), "<ul><li>one</li><li id=\"b\">twos</li></ul>");
    // Escape at the end of an item leaves the list, not the item only.
    press(Qt::Key_Escape);
    press(Qt::Key_X);
    auto body = savedBody("list.html");
    EXPECT_LT(body.find("</ul>"), body.find("x")) << body;

    // Text another program left between the items is no valid HTML 5: the
    // window says so, and again once an edit has the page validated anew.
    openPage("stray.html", "<!DOCTYPE html>\n<html><head><title>s</title></head><body>"
                           "<p id=\"p\">edit</p><ul><li>one</li>stray</ul></body></html>\n");
    auto* view = editor->editingView().get();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return view->tidyStatusForFocusedWebFrame() != VornickFrameValidationStatus::Pending; }, 30));
    EXPECT_EQ(view->tidyStatusSummaryForDisplayToUser(), u"1 Warning");
    int validations = 0;
    auto observation = NotificationCenter::defaultCenter().addObserver(
        VornickContentEditingViewValidationResultsForFocusedWebFrameDidChangeNotification, view, nullptr,
        [&](const Notification&) { ++validations; });
    caretAtLineEdge(*byId(u"p")->firstChild(), true);
    press(Qt::Key_S);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return validations > 0; }, 30));
    EXPECT_EQ(view->tidyStatusSummaryForDisplayToUser(), u"1 Warning");
    auto advisories = view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame();
    ASSERT_EQ(advisories.size(), 1u);
    EXPECT_EQ(advisories[0].message(), u"missing <li>");
    NotificationCenter::defaultCenter().removeObserver(observation);
}

// -- A selected table cell

TEST_F(EditorWindowKeys, KeysOverASelectedCellCollapseItFirstAndTypingOverItIsOneStep)
{
    openPage("table.html", "<!DOCTYPE html>\n<html><head><title>t</title></head><body><table><tbody>"
                           "<tr><td id=\"a\">alpha</td><td>beta</td></tr><tr><td id=\"c\">gamma</td><td>delta</td></tr>"
                           "</tbody></table></body></html>\n");
    // Down from the first row selects the cell below whole.
    clickInto(*byId(u"a")->firstChild());
    press(Qt::Key_Down);
    auto cell = byId(u"c");
    auto selected = [&] { return selection() && !selection()->collapsed() && selection()->startContainer() == cell->parentNode(); };
    ASSERT_TRUE(selected());
    // Home, End and the arrows put the caret into the cell's text.
    const std::pair<Qt::Key, unsigned> keys[] = { { Qt::Key_Home, 0 }, { Qt::Key_End, 5 }, { Qt::Key_Left, 0 }, { Qt::Key_Right, 5 } };
    for (auto [key, offset] : keys) {
        clickInto(*byId(u"a")->firstChild());
        press(Qt::Key_Down);
        ASSERT_TRUE(selected());
        press(key);
        EXPECT_TRUE(selection()->collapsed()) << key;
        EXPECT_EQ(selection()->startContainer(), cell->firstChild()) << key;
        EXPECT_EQ(selection()->startOffset(), offset) << key;
    }
    // Typing after Home inserts at the start of the cell's text.
    press(Qt::Key_Home);
    press(Qt::Key_X);
    EXPECT_NE(savedBody("table.html").find("<td id=\"c\">xgamma</td>"), std::string::npos);
    // Typing over the whole selected cell replaces its text, one Undo brings it back.
    clickInto(*byId(u"a")->firstChild());
    press(Qt::Key_Down);
    ASSERT_TRUE(selected());
    undoManager().removeAllActions();
    press(Qt::Key_Y);
    EXPECT_NE(savedBody("table.html").find("<td id=\"c\">y</td>"), std::string::npos) << savedBody("table.html");
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(savedBody("table.html").find("<td id=\"c\">xgamma</td>"), std::string::npos) << savedBody("table.html");
    EXPECT_FALSE(undoManager().canUndo());
}

} // namespace
