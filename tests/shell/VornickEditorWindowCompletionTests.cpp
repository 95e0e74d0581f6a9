// "<" in an editor window: the "Insert or Wrap In" popover opens under the
// caret as a window of its own, draws what is searched and the rows it
// finds, and takes the keys typed after it (real Qt events), until a row is
// chosen by Return or a click, or completion is left by Escape or Backspace.
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "editing/VornickFragmentCompletionPopoverView.h"
#include "editing/VornickFragmentCompletionUIController.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Popover.h"
#include "platform/views/SystemColors.h"
#include "platform/views/TextView.h"
#include "platform/views/Window.h"
#include "ui/VornickMomentaryTip.h"

#include <QTest>

using namespace brevanton;

namespace {

class EditorWindowCompletion : public brevanton::testing::EditorWindowSession {
protected:
    void SetUp() override
    {
        EditorWindowSession::SetUp();
        UserDefaults::standard().setBool(true, u"LeftAngleBracketTriggersInsertOrWrapIn");
        openPage("completion.html", "<!DOCTYPE html>\n<html><head><title>t</title></head><body>\n<p>one two</p>\n</body></html>\n");
        // The caret after "one".
        auto text = paragraph()->firstChild();
        auto range = document()->createRange();
        range->setStart(text, 3);
        range->collapse(true);
        editor->editingView()->setTargetRange(range);
        settle();
    }
    void TearDown() override
    {
        UserDefaults::standard().removeObjectForKey(u"LeftAngleBracketTriggersInsertOrWrapIn");
        EditorWindowSession::TearDown();
    }

    std::shared_ptr<DOMElement> paragraph() const
    {
        auto list = document()->getElementsByTagName(u"P");
        return downcast<DOMElement>(list->item(0));
    }
    VornickFragmentCompletionUIController& completion() const { return *editor->editingView()->fragmentCompletionUIController(); }
    QtWindowWidget* popoverWidget() const
    {
        const auto& popover = completion().popover();
        return popover && popover->window() ? shell->backend().widgetForWindow(*popover->window()) : nullptr;
    }
    void type(const char* keys)
    {
        QTest::keyClicks(widget(), keys);
        settle();
    }
    std::string paragraphMarkup() const { return toUTF8(paragraph()->innerHTML()); }
};

TEST_F(EditorWindowCompletion, TheTypedNameSearchesTheDrawnListAndReturnAppliesTheHighlightedRow)
{
    type("<");
    ASSERT_TRUE(completion().isShown());
    ASSERT_TRUE(completion().popover() && completion().popover()->isShown());
    auto* popup = popoverWidget();
    ASSERT_TRUE(popup);
    EXPECT_TRUE(popup->isVisible());
    // Under the caret, in the editor window's screen area.
    QPoint caret = widget()->mapToGlobal(widget()->inputMethodQuery(Qt::ImCursorRectangle).toRect().bottomLeft());
    EXPECT_GE(popup->mapToGlobal(QPoint(0, 0)).y(), caret.y() - 2);

    type("strong");
    EXPECT_EQ(toUTF8(completion().searchString()), "strong");
    EXPECT_EQ(toUTF8(completion().descriptionForRow(0).string), "<strong>");
    // The picture: the search line, then the first row filled with the selection colour.
    QImage picture = popup->grab().toImage();
    ASSERT_FALSE(picture.isNull());
    int firstRowY = static_cast<int>(VornickFragmentCompletionPopoverView::searchLineHeight + VornickFragmentCompletionPopoverView::rowHeight / 2);
    Color selection = systemColor(SystemColor::SelectedTextBackground);
    auto near = [](int a, double b) { return std::abs(a - static_cast<int>(b * 255)) <= 3; };
    QColor highlighted(picture.pixel(picture.width() - 4, firstRowY));
    EXPECT_TRUE(near(highlighted.red(), selection.redComponent()) && near(highlighted.green(), selection.greenComponent())
                && near(highlighted.blue(), selection.blueComponent()))
        << highlighted.name().toStdString();
    QColor searchLine(picture.pixel(picture.width() - 4, 6));
    EXPECT_NE(searchLine, highlighted);
    // Text is drawn on both lines (more than the background's colour).
    std::set<QRgb> searchColours;
    for (int x = 4; x < picture.width() / 2; ++x)
        searchColours.insert(picture.pixel(x, static_cast<int>(VornickFragmentCompletionPopoverView::searchLineHeight / 2)));
    EXPECT_GE(searchColours.size(), 2u);

    QTest::keyClick(widget(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(completion().isShown());
    EXPECT_FALSE(popup->isVisible());
    type("x");
    EXPECT_EQ(paragraphMarkup(), "one<strong>x</strong> two");
    // The element and the typing are undone in turn; nothing of the placeholder is left.
    editor->window()->undoManager()->undo();
    editor->window()->undoManager()->undo();
    EXPECT_EQ(paragraphMarkup(), "one two");
    EXPECT_FALSE(editor->window()->undoManager()->canUndo());
}

TEST_F(EditorWindowCompletion, ArrowsMoveTheHighlightAndAClickOnARowChoosesIt)
{
    type("<em");
    ASSERT_TRUE(completion().isShown());
    ASSERT_GE(completion().numberOfVisibleRows(), 2u);
    auto second = completion().descriptionForRow(1).string;
    QTest::keyClick(widget(), Qt::Key_Down);
    settle();
    EXPECT_EQ(completion().highlightedRow(), 1u);
    QTest::keyClick(widget(), Qt::Key_Up);
    QTest::keyClick(widget(), Qt::Key_Up);
    settle();
    EXPECT_EQ(completion().highlightedRow(), 0u);

    // A click on the second row applies it.
    auto* popup = popoverWidget();
    ASSERT_TRUE(popup);
    int y = static_cast<int>(VornickFragmentCompletionPopoverView::searchLineHeight + VornickFragmentCompletionPopoverView::rowHeight * 1.5);
    QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier, QPoint(20, y));
    settle();
    EXPECT_FALSE(completion().isShown());
    ASSERT_EQ(second.front(), u'<');
    auto tag = second.substr(1, second.size() - 2);
    EXPECT_NE(paragraphMarkup().find("<" + toUTF8(tag)), std::string::npos) << paragraphMarkup();
}

TEST_F(EditorWindowCompletion, PageKeysMoveTheHighlightByTheShownRowsAndTheListScrollsToIt)
{
    type("<");
    ASSERT_TRUE(completion().isShown());
    const size_t page = VornickFragmentCompletionUIController::numberOfShownRows;
    ASSERT_GT(completion().matches().size(), 2 * page);
    auto* popup = popoverWidget();
    ASSERT_TRUE(popup);
    Color selection = systemColor(SystemColor::SelectedTextBackground);
    auto highlightedRowIsFilled = [&] {
        QImage picture = popup->grab().toImage();
        size_t shown = completion().highlightedRow() - completion().firstShownRow();
        int y = static_cast<int>(VornickFragmentCompletionPopoverView::searchLineHeight
                                 + VornickFragmentCompletionPopoverView::rowHeight * (static_cast<double>(shown) + 0.5));
        QColor colour(picture.pixel(picture.width() - 4, y));
        auto near = [](int a, double b) { return std::abs(a - static_cast<int>(b * 255)) <= 3; };
        return near(colour.red(), selection.redComponent()) && near(colour.green(), selection.greenComponent())
            && near(colour.blue(), selection.blueComponent());
    };

    QTest::keyClick(widget(), Qt::Key_PageDown);
    settle();
    EXPECT_EQ(completion().highlightedRow(), page);
    EXPECT_GT(completion().firstShownRow(), 0u) << "the list scrolled to the highlighted row";
    EXPECT_LT(completion().highlightedRow() - completion().firstShownRow(), page);
    EXPECT_TRUE(highlightedRowIsFilled());
    auto chosen = completion().descriptionForRow(completion().highlightedRow()).string;

    QTest::keyClick(widget(), Qt::Key_PageDown);
    QTest::keyClick(widget(), Qt::Key_PageUp);
    settle();
    EXPECT_EQ(completion().highlightedRow(), page);
    EXPECT_TRUE(highlightedRowIsFilled());
    QTest::keyClick(widget(), Qt::Key_PageUp);
    QTest::keyClick(widget(), Qt::Key_PageUp);
    settle();
    EXPECT_EQ(completion().highlightedRow(), 0u) << "held at the first row";
    EXPECT_EQ(completion().firstShownRow(), 0u);
    EXPECT_TRUE(highlightedRowIsFilled());

    // Return chooses the row a Page Down reached.
    QTest::keyClick(widget(), Qt::Key_PageDown);
    QTest::keyClick(widget(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(completion().isShown());
    ASSERT_EQ(chosen.front(), u'<');
    auto tag = toUTF8(chosen.substr(1, chosen.size() - 2));
    EXPECT_NE(paragraphMarkup().find("<" + tag), std::string::npos) << tag << " in " << paragraphMarkup();
}

TEST_F(EditorWindowCompletion, ARowThatCannotGoHereSaysWhyInATipUnderIt)
{
    auto tip = VornickMomentaryTip::sharedCompletionTip();
    // No DIV goes inside the paragraph: its row is kept, greyed, with the reason.
    type("<div");
    ASSERT_TRUE(completion().isShown());
    size_t divRow = completion().numberOfVisibleRows();
    for (size_t row = 0; row < completion().numberOfVisibleRows(); ++row) {
        if (completion().descriptionForRow(row).string == u"<div>")
            divRow = row;
    }
    ASSERT_LT(divRow, completion().numberOfVisibleRows());
    const auto* div = completion().matchAtIndex(divRow);
    ASSERT_TRUE(div && div->disabled() && !div->explanation().empty());
    for (size_t row = 0; row < divRow; ++row)
        QTest::keyClick(widget(), Qt::Key_Down);
    settle();
    ASSERT_EQ(completion().highlightedRow(), divRow);
    ASSERT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->messageTextView()->string(), div->explanation());
    // Under the highlighted row, moving with the popover's window.
    auto popoverWindow = completion().popover()->window();
    EXPECT_EQ(tip->window()->parentWindow(), popoverWindow);
    auto content = completion().popover()->contentView();
    Rect row = content->convertRectToScreen(VornickFragmentCompletionPopoverView::rectOfShownRow(divRow, content->bounds().width()));
    // (The window system places windows at whole points.)
    EXPECT_NEAR(tip->window()->frame().maxY(), row.minY(), 1);

    // Escape closes the popover, and the tip fades with it.
    QTest::keyClick(widget(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(completion().isShown());
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return !tip->isVisible(); }, 5));
    EXPECT_EQ(tip->window()->alphaValue(), 1.0);
}

TEST_F(EditorWindowCompletion, EscapeBackspaceAndASecondAngleBracketLeaveNoPlaceholderAndNoStep)
{
    auto& undo = *editor->window()->undoManager();
    // Escape: nothing searched is applied.
    type("<di");
    QTest::keyClick(widget(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(completion().isShown());
    EXPECT_EQ(paragraphMarkup(), "one two");
    EXPECT_FALSE(undo.canUndo());

    // Backspace takes the search back a character at a time, then the "<".
    type("<ab");
    QTest::keyClick(widget(), Qt::Key_Backspace);
    settle();
    EXPECT_EQ(toUTF8(completion().searchString()), "a");
    QTest::keyClick(widget(), Qt::Key_Backspace);
    QTest::keyClick(widget(), Qt::Key_Backspace);
    settle();
    EXPECT_FALSE(completion().isShown());
    EXPECT_FALSE(popoverWidget() && popoverWidget()->isVisible());
    EXPECT_EQ(paragraphMarkup(), "one two");
    EXPECT_FALSE(undo.canUndo());

    // "<<" is the literal character, and typing goes on after it.
    type("<< b");
    EXPECT_FALSE(completion().isShown());
    EXPECT_EQ(paragraphMarkup(), "one&lt; b two");

    // A search nothing matches: Return beeps and completion stays.
    type("<zzzq");
    EXPECT_EQ(completion().numberOfVisibleRows(), 0u);
    QTest::keyClick(widget(), Qt::Key_Return);
    settle();
    EXPECT_TRUE(completion().isShown());
    QTest::keyClick(widget(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(paragraphMarkup(), "one&lt; b two");
}

} // namespace
