// Table structure after every edit that takes rows, columns or cells out of
// a table: no row is left without cells, no section without rows, no table
// with nothing in it, no span reaches over rows or columns that went, and a
// deletion across cells keeps the rows it cuts through as long as before.
// Each edit is run through the view as the user reaches it, with the four
// checks of an undoable step.
#include "StructuralEditTestSupport.h"

#include "platform/views/Pasteboard.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <functional>

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class TableStructure : public StructuralEditTest {
protected:
    std::shared_ptr<DOMNode> textOf(const std::u16string& text) const { return textNode(text); }
    std::shared_ptr<DOMElement> row(unsigned index) const { return element(u"TR", index); }
    std::shared_ptr<DOMElement> section(const std::u16string& tag) const { return element(tag); }
    // The outline of the page's first table, texts trimmed.
    std::u16string table() const
    {
        auto found = element(u"TABLE");
        return found ? outlineOfNode(*found, OutlineText::Trimmed) : u"(no table)";
    }
    // Performs `edit` on `range` as the selection, checks the table and the
    // step's undo and redo, and undoes it.
    void checkTableAfter(const std::shared_ptr<DOMRange>& range, const std::function<void()>& edit,
                         const std::u16string& expectedTable, const std::u16string& undoName)
    {
        select(range);
        auto step = beginStep();
        edit();
        EXPECT_EQ(table(), expectedTable);
        checkUndoAndRedo(step, undoName);
        undoStep();
    }
    void checkTableAfterDeleting(const std::shared_ptr<DOMRange>& range, const std::u16string& expectedTable,
                                 const std::u16string& undoName)
    {
        checkTableAfter(range, [this] { view->deleteSelection(); }, expectedTable, undoName);
    }
};

// --- Deleting rows and columns

TEST_F(TableStructure, DeletingRowsShortensTheCellsThatSpannedThem)
{
    loadBody("<table><tbody><tr><td rowspan=\"3\">A</td><td>b</td></tr><tr><td>c</td></tr><tr><td>d</td></tr>"
             "<tr><td>e</td><td>f</td></tr></tbody></table>");
    ASSERT_EQ(row(2)->textContent(), u"d");
    checkTableAfter(caretAt(textOf(u"c"), 0), [this] { VornickContentEditingViewTestPeer::deleteTableRows(*view, nullptr); },
                    u"<table><tbody><tr><td rowspan=\"2\">A</td><td>b</td></tr><tr><td>d</td></tr>"
                    u"<tr><td>e</td><td>f</td></tr></tbody></table>",
                    u"Delete Table Row");

    // Both rows it covered below its own: it spans its own row only.
    checkTableAfter(rangeAt(row(1)->firstChild()->firstChild()->shared_from_this(), 0, row(2)->firstChild()->firstChild()->shared_from_this(), 1), [this] { VornickContentEditingViewTestPeer::deleteTableRows(*view, nullptr); },
                    u"<table><tbody><tr><td rowspan=\"1\">A</td><td>b</td></tr><tr><td>e</td><td>f</td></tr></tbody></table>",
                    u"Delete Table Rows");

    // Its own row: it goes on in the next row, so that the rows below keep
    // their width; with that row as well, in the row after.
    checkTableAfter(caretAt(textOf(u"b"), 0), [this] { VornickContentEditingViewTestPeer::deleteTableRows(*view, nullptr); },
                    u"<table><tbody><tr><td rowspan=\"2\">A</td><td>c</td></tr><tr><td>d</td></tr>"
                    u"<tr><td>e</td><td>f</td></tr></tbody></table>",
                    u"Delete Table Row");

    checkTableAfter(rangeAt(textOf(u"b"), 0, row(1)->firstChild()->firstChild()->shared_from_this(), 1), [this] { VornickContentEditingViewTestPeer::deleteTableRows(*view, nullptr); },
                    u"<table><tbody><tr><td rowspan=\"1\">A</td><td>d</td></tr><tr><td>e</td><td>f</td></tr></tbody></table>",
                    u"Delete Table Rows");

    // A row it does not cover changes no span.
    checkTableAfter(caretAt(textOf(u"e"), 0), [this] { VornickContentEditingViewTestPeer::deleteTableRows(*view, nullptr); },
                    u"<table><tbody><tr><td rowspan=\"3\">A</td><td>b</td></tr><tr><td>c</td></tr><tr><td>d</td></tr>"
                    u"</tbody></table>",
                    u"Delete Table Row");
}

TEST_F(TableStructure, DeletingColumnsKeepsSpansWithinWhatIsLeft)
{
    loadBody("<table><thead><tr><th colspan=\"3\">H</th></tr></thead>"
             "<tbody><tr><td>a</td><td>b</td><td>c</td></tr></tbody></table>");
    checkTableAfter(caretAt(textOf(u"c"), 0), [this] { VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr); },
                    u"<table><thead><tr><th colspan=\"2\">H</th></tr></thead><tbody><tr><td>a</td><td>b</td></tr></tbody></table>",
                    u"Delete Table Column");

    checkTableAfter(rangeAt(textOf(u"b"), 0, textOf(u"c"), 1), [this] { VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr); },
                    u"<table><thead><tr><th colspan=\"1\">H</th></tr></thead><tbody><tr><td>a</td></tr></tbody></table>",
                    u"Delete Table Columns");

    // The first column: the heading cell is the header row's first cell and
    // goes with it, and so does the header.
    checkTableAfter(caretAt(textOf(u"a"), 0), [this] { VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr); },
                    u"<table><tbody><tr><td>b</td><td>c</td></tr></tbody></table>",
                    u"Delete Table Column");

    // Every column: the table goes whole, and Undo brings back its spans as they were.
    loadBody("<table><thead><tr><th colspan=\"2\">H</th></tr></thead><tbody><tr><td>a</td><td>b</td></tr></tbody></table><p>x</p>");
    select(rangeAt(textOf(u"a"), 0, textOf(u"b"), 1));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr);
    EXPECT_EQ(markup(), u"<p>[x]</p>");
    checkUndoAndRedo(step, u"Delete Table Columns");
}

TEST_F(TableStructure, AColumnDeletionThatEmptiesACoveredRowShortensTheSpanOverIt)
{
    loadBody("<table><tbody><tr><td>x</td><td rowspan=\"2\">A</td></tr><tr><td>y</td></tr><tr><td>z</td><td>w</td></tr></tbody></table>");
    checkTableAfter(caretAt(textOf(u"y"), 0), [this] { VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr); },
                    u"<table><tbody><tr><td rowspan=\"1\">A</td></tr><tr><td>w</td></tr></tbody></table>",
                    u"Delete Table Column");
}

// --- Inserting rows and parts

TEST_F(TableStructure, AHeaderOrFooterIsAsWideAsTheTableInColumns)
{
    loadBody("<table><tbody><tr><td colspan=\"2\">a</td><td>b</td></tr><tr><td>c</td><td>d</td><td>e</td></tr></tbody></table>");
    checkTableAfter(caretAt(textOf(u"a"), 0), [this] { VornickContentEditingViewTestPeer::addTableHeader(*view, nullptr); },
                    u"<table><thead><tr><th>-</th><th>-</th><th>-</th></tr></thead><tbody><tr><td colspan=\"2\">a</td><td>b</td></tr>"
                    u"<tr><td>c</td><td>d</td><td>e</td></tr></tbody></table>",
                    u"Add Table Header");

    // Only spanning cells: still as many columns as they span.
    loadBody("<table><tbody><tr><td colspan=\"2\">a</td></tr></tbody></table>");
    checkTableAfter(caretAt(textOf(u"a"), 0), [this] { VornickContentEditingViewTestPeer::addTableFooter(*view, nullptr); },
                    u"<table><tbody><tr><td colspan=\"2\">a</td></tr></tbody><tfoot><tr><th>-</th><th>-</th></tr></tfoot></table>",
                    u"Add Table Footer");
}

TEST_F(TableStructure, ANewRowIsAsWideAsTheRowsBesideIt)
{
    loadBody("<table><tbody><tr><td rowspan=\"2\">A</td><td>b</td></tr><tr><td>c</td></tr>"
             "<tr><td colspan=\"2\">w</td></tr></tbody></table>");
    struct Case {
        std::u16string caretIn;
        int direction;
        std::u16string result;
        std::u16string name;
    };
    const Case cases[] = {
        // Under the spanning cell: as wide as the row the cell spans into.
        { u"c", 1,
          u"<table><tbody><tr><td rowspan=\"2\">A</td><td>b</td></tr><tr><td>c</td></tr><tr><td>-</td><td>-</td></tr>"
          u"<tr><td colspan=\"2\">w</td></tr></tbody></table>",
          u"Insert Row After" },
        // Across the spanning cell: it spans the new row too, which takes one cell.
        { u"b", 1,
          u"<table><tbody><tr><td rowspan=\"3\">A</td><td>b</td></tr><tr><td>-</td></tr><tr><td>c</td></tr>"
          u"<tr><td colspan=\"2\">w</td></tr></tbody></table>",
          u"Insert Row After" },
        { u"c", -1,
          u"<table><tbody><tr><td rowspan=\"3\">A</td><td>b</td></tr><tr><td>-</td></tr><tr><td>c</td></tr>"
          u"<tr><td colspan=\"2\">w</td></tr></tbody></table>",
          u"Insert Row Before" },
        { u"b", -1,
          u"<table><tbody><tr><td>-</td><td>-</td></tr><tr><td rowspan=\"2\">A</td><td>b</td></tr><tr><td>c</td></tr>"
          u"<tr><td colspan=\"2\">w</td></tr></tbody></table>",
          u"Insert Row Before" },
        // A cell spanning columns counts for each of them.
        { u"w", 1,
          u"<table><tbody><tr><td rowspan=\"2\">A</td><td>b</td></tr><tr><td>c</td></tr><tr><td colspan=\"2\">w</td></tr>"
          u"<tr><td>-</td><td>-</td></tr></tbody></table>",
          u"Insert Row After" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUTF8(c.caretIn) + (c.direction < 0 ? " before" : " after"));
        select(caretAt(textOf(c.caretIn), 0));
        auto step = beginStep();
        ASSERT_TRUE(VornickContentEditingViewTestPeer::insertRowRelativeToInferredTableRow(*view, c.direction));
        EXPECT_EQ(table(), c.result);
        EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "-");
        checkUndoAndRedo(step, c.name);
        undoStep();
    }
}

// --- Deleting a selection that spans cells

const char* const gridPage = "<table><caption>Cap</caption><thead><tr><th>h1</th><th>h2</th></tr></thead>"
                             "<tbody><tr><td>a1</td><td>a2</td></tr><tr><td>b1</td><td>b2</td></tr></tbody></table><p>after</p>";

TEST_F(TableStructure, ADeletionAcrossCellsEmptiesTheCellsItCoversAndKeepsTheRowsWhole)
{
    loadBody(gridPage);
    // From inside "a1" to inside "b2": the cells between are emptied, not taken.
    checkTableAfterDeleting(rangeAt(textOf(u"a1"), 1, textOf(u"b2"), 1),
                            u"<table><caption>Cap</caption><thead><tr><th>h1</th><th>h2</th></tr></thead>"
                            u"<tbody><tr><td>a</td><td></td></tr><tr><td></td><td>2</td></tr></tbody></table>",
                            u"Delete selection");

    // The whole first body row and the first cell of the next: the row goes,
    // the cell is emptied.
    checkTableAfterDeleting(rangeAt(row(1), 0, row(2), 1),
                            u"<table><caption>Cap</caption><thead><tr><th>h1</th><th>h2</th></tr></thead>"
                            u"<tbody><tr><td></td><td>b2</td></tr></tbody></table>",
                            u"Delete selection");

    // From the header's start into the body: no empty header is left.
    checkTableAfterDeleting(rangeAt(section(u"THEAD"), 0, textOf(u"a1"), 1),
                            u"<table><caption>Cap</caption><tbody><tr><td>1</td><td>a2</td></tr><tr><td>b1</td><td>b2</td></tr></tbody></table>",
                            u"Delete selection");

    // Every row: the caption stays, with no empty sections after it.
    checkTableAfterDeleting(rangeAt(section(u"THEAD"), 0, section(u"TBODY"), 2),
                            u"<table><caption>Cap</caption></table>", u"Delete");

    // From a cell to a paragraph after the table: the rows after the start go
    // whole, the start's row keeps its shape.
    select(rangeAt(textOf(u"a2"), 1, textOf(u"after"), 2));
    auto step = beginStep();
    view->deleteSelection();
    EXPECT_EQ(markup(), u"<table><caption>[Cap]</caption><thead><tr><th>[h1]</th><th>[h2]</th></tr></thead>"
                        u"<tbody><tr><td>[a1]</td><td>[a]</td></tr></tbody></table><p>[ter]</p>");
    checkUndoAndRedo(step, u"Delete selection");
}

TEST_F(TableStructure, ADeletionAcrossCellsOfATableWithoutACaptionTakesTheEmptiedTable)
{
    loadBody("<table><thead><tr><th>h</th></tr></thead><tbody><tr><td>a</td></tr></tbody></table><p>after</p>");
    select(rangeAt(section(u"THEAD"), 0, section(u"TBODY"), 1));
    auto step = beginStep();
    view->deleteSelection();
    EXPECT_EQ(markup(), u"<p>[after]</p>");
    checkUndoAndRedo(step, u"Delete");
}

TEST_F(TableStructure, ADeletionAcrossRowsShortensTheSpansOverTheRowsItTook)
{
    loadBody("<table><tbody><tr><td rowspan=\"2\">A</td><td>a2</td></tr><tr><td>b2</td></tr><tr><td>c1</td><td>c2</td></tr></tbody></table>");
    select(rangeAt(textOf(u"a2"), 1, textOf(u"c1"), 1));
    auto step = beginStep();
    view->deleteSelection();
    EXPECT_EQ(table(), u"<table><tbody><tr><td rowspan=\"1\">A</td><td>a</td></tr><tr><td>1</td><td>c2</td></tr></tbody></table>");
    checkUndoAndRedo(step, u"Delete selection");
}

TEST_F(TableStructure, DeletingSelectedRowsShortensTheSpansOverThem)
{
    loadBody("<table><tbody><tr><td rowspan=\"3\">A</td><td>a2</td></tr><tr><td>b2</td></tr><tr><td>c2</td></tr>"
             "<tr><td>d1</td><td>d2</td></tr></tbody></table>");
    checkTableAfterDeleting(rangeAt(section(u"TBODY"), 1, section(u"TBODY"), 2),
                            u"<table><tbody><tr><td rowspan=\"2\">A</td><td>a2</td></tr><tr><td>c2</td></tr>"
                            u"<tr><td>d1</td><td>d2</td></tr></tbody></table>", u"Delete");

    // The spanning cell's own row, and the row after it: the cell goes on
    // in the first row left, over the rows it still spans.
    checkTableAfter(rangeAt(section(u"TBODY"), 0, section(u"TBODY"), 2), [this] { VornickContentEditingViewTestPeer::cut(*view, nullptr); },
                    u"<table><tbody><tr><td rowspan=\"1\">A</td><td>c2</td></tr><tr><td>d1</td><td>d2</td></tr></tbody></table>",
                    u"Cut");
}

TEST_F(TableStructure, CutAndPasteAcrossCellsKeepTheRowsWhole)
{
    loadBody(gridPage);
    checkTableAfter(rangeAt(textOf(u"a1"), 1, textOf(u"b2"), 1), [this] { VornickContentEditingViewTestPeer::cut(*view, nullptr); },
                    u"<table><caption>Cap</caption><thead><tr><th>h1</th><th>h2</th></tr></thead>"
                    u"<tbody><tr><td>a</td><td></td></tr><tr><td></td><td>2</td></tr></tbody></table>",
                    u"Cut");

    // Pasting text over cells of two rows: the text goes where the selection began.
    auto pasteboard = Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->setString(u"new", PasteboardTypeString));
    checkTableAfter(rangeAt(textOf(u"a2"), 0, textOf(u"b1"), 2), [this] { VornickContentEditingViewTestPeer::paste(*view, nullptr); },
                    u"<table><caption>Cap</caption><thead><tr><th>h1</th><th>h2</th></tr></thead>"
                    u"<tbody><tr><td>a1</td><td>new</td></tr><tr><td></td><td>b2</td></tr></tbody></table>",
                    u"Paste");
}

// --- Backspace at the start of a cell

TEST_F(TableStructure, BackspaceAtTheStartOfACellNeitherJoinsNorDeletesCells)
{
    loadBody("<table><tbody><tr><td>a1</td><td>a2</td></tr><tr><td>b1</td><td> </td></tr></tbody></table>");
    auto before = documentSnapshot(*document());
    // Two cells of the same kind side by side are not joined.
    VornickContentEditingViewTestPeer::deleteRange(*view, caretAt(textOf(u"a2"), 0));
    // A cell holding white space only stays.
    VornickContentEditingViewTestPeer::deleteRange(*view, caretAt(row(1)->lastChild()->firstChild()->shared_from_this(), 0));
    // Nor are two rows alike.
    VornickContentEditingViewTestPeer::deleteRange(*view, caretAt(row(1), 0));
    EXPECT_EQ(documentSnapshot(*document()), before);
}

// --- Moving (dragging) cells and rows

TEST_F(TableStructure, MovingTheLastCellOrRowOutTakesTheEmptiedRowSectionOrTable)
{
    loadBody("<table><thead><tr><th>h</th></tr></thead><tbody><tr><td>a</td></tr><tr><td>b</td></tr></tbody></table><p>x</p>");
    struct Case {
        std::function<std::shared_ptr<DOMRange>()> source;
        std::function<std::shared_ptr<DOMRange>()> target;
        std::u16string result;
    };
    const Case cases[] = {
        // A row's only cell into the next row.
        { [&] { return rangeAt(row(1), 0, row(1), 1); }, [&] { return caretAt(row(2), 0); },
          u"<table><thead><tr><th>h</th></tr></thead><tbody><tr><td>a</td><td>b</td></tr></tbody></table><p>x</p>" },
        // The header's only row into the body.
        { [&] { return rangeAt(section(u"THEAD"), 0, section(u"THEAD"), 1); }, [&] { return caretAt(section(u"TBODY"), 0); },
          u"<table><tbody><tr><th>h</th></tr><tr><td>a</td></tr><tr><td>b</td></tr></tbody></table><p>x</p>" },
        // Every section out of the table, after the paragraph (where they
        // make a table of their own).
        { [&] { return rangeAt(element(u"TABLE"), 0, element(u"TABLE"), 2); }, [&] { return caretAt(body(), 2); },
          u"<p>x</p><table><thead><tr><th>h</th></tr></thead><tbody><tr><td>a</td></tr><tr><td>b</td></tr></tbody></table>" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUTF8(c.result));
        auto step = beginStep();
        ASSERT_TRUE(view->undoableMoveRange(true, c.source(), c.target(), u"Drag", nullptr));
        EXPECT_EQ(outlineOfChildren(*body(), OutlineText::Trimmed), c.result);
        checkUndoAndRedo(step, u"Drag");
        undoStep();
    }
}

} // namespace
