// Moving around a page in the editor window with the keys and the wheel, as
// a user does: real Qt key and wheel events on a window of the shell.
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/Scroller.h"

#include <QWheelEvent>

#include <set>

using namespace brevanton;

namespace {

// A manual of about `size` bytes: chapters of headings, paragraphs, lists
// (some with paragraphs in their items), tables and program listings.
std::string makeManualPage(size_t size)
{
    std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Manual</title></head><body>\n";
    for (int chapter = 1; page.size() < size; ++chapter) {
        std::string n = std::to_string(chapter);
        page += "<h2>" + n + ".\xC2\xA0" "Chapter " + n + "</h2>\n";
        for (int paragraph = 0; paragraph < 6; ++paragraph)
            page += "<p>Paragraph " + std::to_string(paragraph) + " of chapter " + n
                + " tells the reader how the <em>program</em> reads its <code>options</code> and what they mean for the "
                  "files it writes; the defaults are chosen for the common case.</p>\n";
        page += "<ul><li><p>First item of " + n + "</p></li><li>Second item</li></ul>\n";
        page += "<table><tr><td>Option</td><td>Meaning</td></tr><tr><td>-v</td><td>verbose</td></tr></table>\n";
        page += "<pre>program --option " + n + "\n  next line</pre>\n";
    }
    return page + "<p id=\"last\">The last line of the manual.</p>\n</body></html>\n";
}

using EditorWindowNavigation = brevanton::testing::EditorWindowSession;

TEST_F(EditorWindowNavigation, OnALargeManualTheKeysReachAndShowTheEndsAndMoveByPagesWithoutAnUndoStep)
{
    std::string page = makeManualPage(1300 * 1000);
    ASSERT_GT(page.size(), 1300u * 1000);
    openPage("manual.html", page);
    auto paragraphs = document()->getElementsByTagName(u"P");
    ASSERT_GT(paragraphs->length(), 1000u);
    clickInto(*paragraphs->item(0)->firstChild());
    ASSERT_TRUE(selection());
    bool couldUndo = undoManager().canUndo();

    // Ctrl+End: the caret at the end of the last line, shown.
    press(Qt::Key_End, Qt::ControlModifier);
    auto last = document()->getElementById(u"last")->firstChild();
    ASSERT_EQ(selection()->startNode(), last.get());
    EXPECT_EQ(selection()->startOffset(), last->length());
    EXPECT_TRUE(shown(caretBox()));
    EXPECT_DOUBLE_EQ(clip().documentVisibleRect().maxY(), clip().documentRect().maxY()) << "scrolled to the end";
    auto scroller = webView()->mainFrame()->frameView()->verticalScroller();
    ASSERT_TRUE(scroller && !scroller->isHidden()) << "the page shows its scroller";
    EXPECT_DOUBLE_EQ(scroller->doubleValue(), 1);

    // Ctrl+Home, then Page Down: a page further, the page scrolled as far.
    press(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(clip().bounds().origin.y, 0);
    Rect before = caretBox();
    press(Qt::Key_PageDown);
    Rect after = caretBox();
    double page1 = clip().bounds().height();
    EXPECT_NEAR(after.minY() - before.minY(), page1, 3 * before.height()) << "about a page";
    EXPECT_NEAR(clip().bounds().origin.y, page1 - before.height(), 1);
    EXPECT_TRUE(shown(after));
    press(Qt::Key_PageUp);
    EXPECT_DOUBLE_EQ(clip().bounds().origin.y, 0);
    EXPECT_NEAR(caretBox().minY(), before.minY(), 1);

    // Shift extends the selection (over the lines of a paragraph); Ctrl+A
    // selects the body's content.
    clickInto(*paragraphs->item(1)->firstChild());
    press(Qt::Key_Down, Qt::ShiftModifier);
    press(Qt::Key_End, Qt::ShiftModifier);
    ASSERT_FALSE(selection()->collapsed());
    EXPECT_GT(caretBox(true).minY(), caretBox().minY());
    EXPECT_EQ(selection()->endNode(), selection()->startNode()->parent()->lastChild().get());
    press(Qt::Key_A, Qt::ControlModifier);
    auto body = document()->body();
    auto all = selection();
    ASSERT_TRUE(all);
    EXPECT_EQ(all->commonAncestorContainer(), body);
    EXPECT_NE(all->toString().find(u"The last line of the manual."), std::u16string::npos);
    EXPECT_NE(all->toString().find(u"Paragraph 0 of chapter 1"), std::u16string::npos);

    EXPECT_EQ(undoManager().canUndo(), couldUndo) << "moving is no step to undo";
    EXPECT_FALSE(editor->window()->isDocumentEdited());
}

TEST_F(EditorWindowNavigation, WalkingDownFromTheTopVisitsEveryBlockOfTheTestPages)
{
    for (const char* name : { "lists.html", "nested-lists.html", "formatting.html", "tables.html" }) {
        SCOPED_TRACE(name);
        open(name);
        press(Qt::Key_Home, Qt::ControlModifier);
        ASSERT_TRUE(selection());
        std::set<const DOMNode*> visited;
        // The block a position stands in (a row selected by the keys stands for itself).
        auto enclosing = [](const DOMNode* node) {
            if (equalsIgnoringASCIICase(node->nodeName(), u"TR"))
                return node;
            for (const DOMNode* up = node->parent(); up; up = up->parent()) {
                auto* element = dynamicDowncast<DOMElement>(up);
                if (element && CSSStyleResolver::computedValuesFor(*element)->identifier(CSSPropertyID::Display) != u"inline")
                    return up;
            }
            return node;
        };
        const DOMNode* previous = nullptr;
        unsigned previousOffset = 0;
        int presses = 0;
        for (; presses < 200; ++presses) {
            visited.insert(enclosing(selection()->startNode()));
            press(Qt::Key_Down);
            if (selection()->startNode() == previous && selection()->startOffset() == previousOffset)
                break;
            previous = selection()->startNode();
            previousOffset = selection()->startOffset();
        }
        EXPECT_LT(presses, 200) << "the walk ends";
        // Every block with text of its own was visited; in a table, every
        // row (Down keeps to the column it started in).
        std::set<const DOMNode*> rowsVisited;
        for (auto* block : visited) {
            for (auto* row = block; row; row = row->parent()) {
                if (equalsIgnoringASCIICase(row->nodeName(), u"TR"))
                    rowsVisited.insert(row);
            }
        }
        for (DOMNode* node = document()->body().get(); node; node = node->traverseNext()) {
            if (!node->isTextNode() || node->textContent().find_first_not_of(u" \n\t") == std::u16string::npos)
                continue;
            auto* block = enclosing(node);
            if (auto* row = block->parent(); row && equalsIgnoringASCIICase(row->nodeName(), u"TR")) {
                EXPECT_TRUE(rowsVisited.count(row)) << toUTF8(node->textContent());
                continue;
            }
            EXPECT_TRUE(visited.count(block)) << toUTF8(node->textContent());
        }
        // The walk ended on the last line.
        auto lastText = [&] {
            DOMNode* found = nullptr;
            for (DOMNode* node = document()->body().get(); node; node = node->traverseNext()) {
                if (node->isTextNode() && node->textContent().find_first_not_of(u" \n\t") != std::u16string::npos)
                    found = node;
            }
            return found;
        }();
        EXPECT_EQ(enclosing(selection()->startNode()), enclosing(lastText));
        editor.reset();
    }
}

TEST_F(EditorWindowNavigation, ShiftWithTheArrowsSelectsAcrossParagraphsAndListItems)
{
    openPage("blocks.html", "<!DOCTYPE html>\n<html><head><title>Blocks</title></head><body>\n"
                            "<p>First paragraph.</p>\n<p>Second paragraph.</p>\n<ul><li>An item</li></ul>\n</body></html>\n");
    auto paragraphs = document()->getElementsByTagName(u"P");
    auto first = paragraphs->item(0)->firstChild();
    auto second = paragraphs->item(1)->firstChild();
    clickInto(*first);
    ASSERT_EQ(selection()->startNode(), first.get());
    press(Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_FALSE(selection()->collapsed()) << "Shift+Down selects into the next paragraph";
    EXPECT_EQ(selection()->startNode(), first.get());
    EXPECT_EQ(selection()->endNode(), second.get());
    press(Qt::Key_Down, Qt::ShiftModifier);
    auto item = document()->getElementsByTagName(u"LI")->item(0)->firstChild();
    EXPECT_EQ(selection()->endNode(), item.get()) << "and on into the list";
    press(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(selection()->endNode(), second.get()) << "Shift+Up takes a line back";

    // What is selected across the blocks is cut as one step, and comes back with Undo.
    QTest::keyClick(widget(), Qt::Key_X, Qt::ControlModifier);
    settle();
    EXPECT_EQ(document()->body()->textContent().find(u"First paragraph."), std::u16string::npos);
    QTest::keyClick(widget(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_NE(document()->body()->textContent().find(u"First paragraph."), std::u16string::npos);
}

TEST_F(EditorWindowNavigation, AWheelNotchScrollsThreeLinesOfThePagesText)
{
    std::string page = "<!DOCTYPE html>\n<html><head><title>Lines</title></head><body>\n";
    for (int i = 0; i < 300; ++i)
        page += "<p style=\"margin:0\">Line " + std::to_string(i) + "</p>\n";
    openPage("lines.html", page + "</body></html>\n");
    auto paragraph = document()->getElementsByTagName(u"P")->item(0);
    double line = webView()->lineBoxRects(*paragraph->firstChild()).front().height();
    ASSERT_GT(line, 5);
    Rect visible = webView()->convertRectToView(webView()->visibleRect(), nullptr);
    QPointF inPage(visible.midX(), widget()->height() - visible.maxY() + 100);
    for (int notch = 0; notch < 4; ++notch) {
        QWheelEvent wheel(inPage, widget()->mapToGlobal(inPage), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(widget(), &wheel);
        settle();
    }
    EXPECT_NEAR(clip().bounds().origin.y, 4 * QApplication::wheelScrollLines() * line, 4 * 0.5);

    // A click in the scroller's track below the knob pages down and leaves the caret alone.
    auto before = selection();
    auto scroller = webView()->mainFrame()->frameView()->verticalScroller();
    ASSERT_TRUE(scroller && !scroller->isHidden());
    Rect track = scroller->convertRectToView(scroller->bounds(), nullptr);
    double origin = clip().bounds().origin.y;
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(static_cast<int>(track.midX()), static_cast<int>(widget()->height() - track.minY()) - 3));
    settle();
    EXPECT_GT(clip().bounds().origin.y, origin + line * 10);
    auto after = selection();
    EXPECT_EQ(!before, !after);
    if (before && after) {
        EXPECT_EQ(before->startContainer(), after->startContainer());
        EXPECT_EQ(before->startOffset(), after->startOffset());
    }
}

} // namespace
