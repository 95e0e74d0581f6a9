// The table commands on a real page (tests/data/editing/tables.html: a table
// with caption, header, bodies and footer, a plain table, a table with
// spanning cells and a short row), each with the four checks of an undoable
// step, and the agreement of every validator with what its command does.
#include "StructuralEditTestSupport.h"

#include "dom/VornickNodeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "html/VornickBlockModeHelper.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class TableCommands : public StructuralEditTest {
protected:
    void loadTables()
    {
        load("tables.html");
        if (!RunLoop::main().isUsingManualClock())
            RunLoop::main().useManualClock();
        view->undoManager()->removeAllActions();
    }
    std::shared_ptr<DOMElement> byId(const std::u16string& id) const { return document()->getElementById(id); }
    // The first text node holding `text`, and a caret in it.
    std::shared_ptr<DOMNode> textOf(const std::u16string& text) const { return textNode(text); }
    void caretIn(const std::u16string& text, unsigned offset = 1) { select(caretAt(textOf(text), offset)); }

    // The table's element children in order, one line each: a caption with
    // its text, a section or row with its rows, each row's cells as
    // "kind:text" (colspan and rowspan shown as "*").
    std::string tableLayout(const std::u16string& id) const
    {
        std::string out;
        auto describeRow = [&](const DOMElement& row) {
            out += "[";
            bool first = true;
            for (DOMNode* cell = row.first(); cell; cell = cell->next()) {
                if (!cell->isElementNode())
                    continue;
                auto& element = downcast<DOMElement>(*cell);
                out += std::string(first ? "" : " ") + toUTF8(asciiLowercase(element.tagName())) + ":" + toUTF8(element.textContent());
                if (element.hasAttribute(u"colspan") || element.hasAttribute(u"rowspan"))
                    out += "*";
                first = false;
            }
            out += "]";
        };
        for (DOMNode* child = byId(id)->first(); child; child = child->next()) {
            if (!child->isElementNode())
                continue;
            auto& element = downcast<DOMElement>(*child);
            auto tag = toUTF8(asciiLowercase(element.tagName()));
            if (tag == "caption") {
                out += "caption:" + toUTF8(element.textContent()) + "\n";
                continue;
            }
            if (tag == "tr") {
                describeRow(element);
                out += "\n";
                continue;
            }
            out += tag + ":";
            for (DOMNode* row = element.first(); row; row = row->next()) {
                if (row->isElementNode())
                    describeRow(downcast<DOMElement>(*row));
            }
            out += "\n";
        }
        return out;
    }
    std::string selectedText() const { return toUTF8(view->effectiveOperationRange()->toString()); }
};

const std::string menuTable = "caption:Today\u2019s menu\n"
                              "thead:[th:Dish th:Price th:Notes]\n"
                              "tbody:[td:Cod td:\u00a39 td:fresh from the boat][td:Peas td:\u00a32 td:garden][td:Chips td:\u00a33 td:hand cut]\n"
                              "tfoot:[th:Total td:\u00a314 td:]\n";

TEST_F(TableCommands, CaptionHeaderAndFooterGoWhereTheTableKeepsThem)
{
    loadTables();
    // The table of opening hours has no caption, header or footer; its rows
    // stand in the body section the parser made.
    caretIn(u"Monday");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canAddTableCaption(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::addTableCaption(*view, nullptr);
    EXPECT_EQ(tableLayout(u"hours-table"), "caption:Table Caption\ntbody:[th:Day th:Open][td:Monday td:closed][td:Tuesday td:12\u201322]\n");
    EXPECT_EQ(selectedText(), "Table Caption") << "typing replaces the placeholder";
    EXPECT_EQ(view->effectiveOperationRange()->startContainer()->nodeType(), DOMNode::TEXT_NODE);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canAddTableCaption(*view)) << "a second caption";
    checkUndoAndRedo(step, u"Add Table Caption");

    // The header comes right after the caption, as wide as the widest row.
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canAddTableHeader(*view));
    step = beginStep();
    VornickContentEditingViewTestPeer::addTableHeader(*view, nullptr);
    EXPECT_EQ(tableLayout(u"hours-table"),
              "caption:Table Caption\nthead:[th:- th:-]\ntbody:[th:Day th:Open][td:Monday td:closed][td:Tuesday td:12\u201322]\n");
    auto firstHeading = vornick_exactlySelectedNode(*view->effectiveOperationRange());
    ASSERT_TRUE(firstHeading);
    EXPECT_EQ(firstHeading, byId(u"hours-table")->tHead()->firstChild()->firstChild());
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canAddTableHeader(*view));
    checkUndoAndRedo(step, u"Add Table Header");

    ASSERT_TRUE(VornickContentEditingViewTestPeer::canAddTableFooter(*view));
    step = beginStep();
    VornickContentEditingViewTestPeer::addTableFooter(*view, nullptr);
    EXPECT_EQ(tableLayout(u"hours-table"), "caption:Table Caption\nthead:[th:- th:-]\n"
                                           "tbody:[th:Day th:Open][td:Monday td:closed][td:Tuesday td:12\u201322]\ntfoot:[th:- th:-]\n");
    EXPECT_EQ(byId(u"hours-table")->lastChild(), byId(u"hours-table")->tFoot());
    checkUndoAndRedo(step, u"Add Table Footer");

    // Three steps, each undone on its own.
    undoStep();
    undoStep();
    undoStep();
    EXPECT_EQ(tableLayout(u"hours-table"), "tbody:[th:Day th:Open][td:Monday td:closed][td:Tuesday td:12\u201322]\n");

    // The full table has every part already.
    caretIn(u"Peas");
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canAddTableCaption(*view));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canAddTableHeader(*view));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canAddTableFooter(*view));
    EXPECT_EQ(tableLayout(u"menu"), menuTable);
}

TEST_F(TableCommands, AHeaderWithoutACaptionIsTheFirstChildAndAnEmptyTableGetsOneHeading)
{
    loadBody("<p>x</p><table><tbody></tbody></table>");
    auto table = element(u"TABLE");
    select(rangeAt(body(), 1, body(), 2));
    auto step = beginStep();
    ASSERT_TRUE(VornickContentEditingViewTestPeer::addTableHeaderOrPreflight(*view, false));
    EXPECT_EQ(markup(), u"<p>[x]</p><table><thead><tr><th>[-]</th></tr></thead><tbody></tbody></table>");
    checkUndoAndRedo(step, u"Add Table Header");
}

TEST_F(TableCommands, AHeaderFollowsTheCaptionAndTheColumnGroups)
{
    loadBody("<table><caption>c</caption><colgroup><col><col></colgroup><tbody><tr><td>a</td><td>b</td></tr></tbody></table>");
    select(caretAt(text(u"TD"), 0));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::addTableHeader(*view, nullptr);
    EXPECT_EQ(markup(), u"<table><caption>[c]</caption><colgroup><col></col><col></col></colgroup>"
                        u"<thead><tr><th>[-]</th><th>[-]</th></tr></thead><tbody><tr><td>[a]</td><td>[b]</td></tr></tbody></table>");
    checkUndoAndRedo(step, u"Add Table Header");
}

TEST_F(TableCommands, ColumnsGoInEverySectionWithTheKindOfTheirNeighbours)
{
    loadTables();
    // After the header cell "Price": a heading cell in the header row, data
    // cells in the bodies, and in the footer the kind of the cell it precedes.
    caretIn(u"Price");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canInsertColumnAfterTableColumn(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::insertColumnAfterTableColumn(*view, nullptr);
    EXPECT_EQ(tableLayout(u"menu"), "caption:Today\u2019s menu\n"
                                    "thead:[th:Dish th:Price th:- th:Notes]\n"
                                    "tbody:[td:Cod td:\u00a39 td:- td:fresh from the boat][td:Peas td:\u00a32 td:- td:garden]"
                                    "[td:Chips td:\u00a33 td:- td:hand cut]\n"
                                    "tfoot:[th:Total td:\u00a314 td:- td:]\n");
    checkUndoAndRedo(step, u"Insert Column After");
    undoStep();

    // Before the first column: the footer's heading cell gives its kind.
    caretIn(u"Cod");
    step = beginStep();
    VornickContentEditingViewTestPeer::insertColumnBeforeTableColumn(*view, nullptr);
    EXPECT_EQ(tableLayout(u"menu"), "caption:Today\u2019s menu\n"
                                    "thead:[th:- th:Dish th:Price th:Notes]\n"
                                    "tbody:[td:- td:Cod td:\u00a39 td:fresh from the boat][td:- td:Peas td:\u00a32 td:garden]"
                                    "[td:- td:Chips td:\u00a33 td:hand cut]\n"
                                    "tfoot:[th:- th:Total td:\u00a314 td:]\n");
    checkUndoAndRedo(step, u"Insert Column Before");
}

TEST_F(TableCommands, ColumnsCountCellsNotTheSpaceSpanningCellsTake)
{
    loadTables();
    // After the first cell: before the second cell of every row, whatever
    // the spans; the short row gets its new cell at its end.
    caretIn(u"Live music");
    auto step = beginStep();
    VornickContentEditingViewTestPeer::insertColumnAfterTableColumn(*view, nullptr);
    EXPECT_EQ(tableLayout(u"events-table"), "tbody:[td:Quiz night* td:- td:Friday][td:Live music* td:- td:Saturday td:20:00]"
                                            "[td:Sunday td:- td:16:00][td:Short row td:-]\n");
    checkUndoAndRedo(step, u"Insert Column After");
    undoStep();

    // After the last column of the longest row: every row gets it at its end.
    caretIn(u"20:00");
    step = beginStep();
    VornickContentEditingViewTestPeer::insertColumnAfterTableColumn(*view, nullptr);
    EXPECT_EQ(tableLayout(u"events-table"), "tbody:[td:Quiz night* td:Friday td:-][td:Live music* td:Saturday td:20:00 td:-]"
                                            "[td:Sunday td:16:00 td:-][td:Short row td:-]\n");
    checkUndoAndRedo(step, u"Insert Column After");
}

TEST_F(TableCommands, DeletingColumnsTakesOneRunOfColumnsFromEveryRow)
{
    loadTables();
    // "Dish" to "Price": columns 0 and 1 of every row, one step.
    select(rangeAt(textOf(u"Dish"), 0, textOf(u"Price"), 5));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canDeleteTableColumns(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr);
    EXPECT_EQ(tableLayout(u"menu"), "caption:Today\u2019s menu\nthead:[th:Notes]\n"
                                    "tbody:[td:fresh from the boat][td:garden][td:hand cut]\ntfoot:[td:]\n");
    checkUndoAndRedo(step, u"Delete Table Columns");
    undoStep();

    // One cell: its column; the short row loses its only cell and goes with it.
    caretIn(u"Quiz");
    step = beginStep();
    VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr);
    EXPECT_EQ(tableLayout(u"events-table"), "tbody:[td:Friday][td:Saturday td:20:00][td:16:00]\n");
    checkUndoAndRedo(step, u"Delete Table Column");
    undoStep();

    // "Notes" (column 2) to "Cod" (column 0) leaves out column 1: refused.
    select(rangeAt(textOf(u"Notes"), 0, textOf(u"Cod"), 3));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canDeleteTableColumns(*view));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::deleteTableColumnsOrDryRun(*view, true));
    auto before = documentSnapshot(*document());
    VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr);
    EXPECT_EQ(documentSnapshot(*document()), before);
}

TEST_F(TableCommands, TwoCellsOfOneColumnNameTheStepInThePlural)
{
    loadBody("<table><tbody><tr><td>a</td></tr><tr><td>c</td><td>d</td></tr></tbody></table><p>after</p>");
    select(rangeAt(text(u"TD", 0), 0, text(u"TD", 1), 1));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr);
    EXPECT_EQ(markup(), u"<table><tbody><tr><td>[d]</td></tr></tbody></table><p>[after]</p>");
    checkUndoAndRedo(step, u"Delete Table Columns");
}

TEST_F(TableCommands, DeletingEveryColumnLeavesNoEmptyRowsSectionsOrTable)
{
    loadTables();
    // Every column of the table with a caption: its caption is all that is left.
    select(rangeAt(textOf(u"Dish"), 0, textOf(u"Notes"), 5));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr);
    EXPECT_EQ(tableLayout(u"menu"), "caption:Today\u2019s menu\n");
    checkUndoAndRedo(step, u"Delete Table Columns");
    undoStep();

    // Every column of a table without one: the table goes, in the same step.
    select(rangeAt(textOf(u"Monday"), 0, textOf(u"closed"), 6));
    step = beginStep();
    VornickContentEditingViewTestPeer::deleteTableColumns(*view, nullptr);
    EXPECT_FALSE(byId(u"hours-table"));
    auto next = byId(u"hours")->nextElementSibling();
    EXPECT_EQ(next ? toUTF8(next->getAttribute(u"id")) : "", "events");
    EXPECT_EQ(document()->getElementsByTagName(u"TR")->length(), 9u);
    checkUndoAndRedo(step, u"Delete Table Columns");
}

TEST_F(TableCommands, RowsTakeTheirKindFromTheirSectionAndTheCaretGoesIntoTheFirstCell)
{
    loadTables();
    caretIn(u"Peas");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::canInsertRowBeforeTableRow(*view));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::insertRowBeforeTableRow(*view, nullptr);
    EXPECT_EQ(tableLayout(u"menu"), "caption:Today\u2019s menu\n"
                                    "thead:[th:Dish th:Price th:Notes]\n"
                                    "tbody:[td:Cod td:\u00a39 td:fresh from the boat][td:- td:- td:-][td:Peas td:\u00a32 td:garden]"
                                    "[td:Chips td:\u00a33 td:hand cut]\n"
                                    "tfoot:[th:Total td:\u00a314 td:]\n");
    auto selection = view->effectiveOperationRange();
    EXPECT_EQ(selectedText(), "-");
    EXPECT_EQ(selection->startContainer()->parentNode(), vornick_firstTableRowCell(*byId(u"menu")->rows()->item(2)));
    checkUndoAndRedo(step, u"Insert Row Before");
    undoStep();

    caretIn(u"Notes");
    step = beginStep();
    VornickContentEditingViewTestPeer::insertRowAfterTableRow(*view, nullptr);
    EXPECT_NE(tableLayout(u"menu").find("thead:[th:Dish th:Price th:Notes][th:- th:- th:-]\n"), std::string::npos);
    checkUndoAndRedo(step, u"Insert Row After");
    undoStep();

    // After the footer's row: footer rows are data rows unless in a header.
    caretIn(u"Total");
    step = beginStep();
    VornickContentEditingViewTestPeer::insertRowAfterTableRow(*view, nullptr);
    EXPECT_NE(tableLayout(u"menu").find("tfoot:[th:Total td:\u00a314 td:][td:- td:- td:-]\n"), std::string::npos);
    checkUndoAndRedo(step, u"Insert Row After");
}

TEST_F(TableCommands, AnEmptyRowGetsANewRowOfOneCell)
{
    // A page with an empty row is repaired on loading: the row is emptied here.
    loadBody("<table><tbody><tr><td>x</td></tr></tbody></table>");
    element(u"TR")->removeChild(element(u"TD").get());
    select(rangeAt(element(u"TBODY"), 0, element(u"TBODY"), 1));
    auto step = beginStep();
    ASSERT_TRUE(VornickContentEditingViewTestPeer::insertRowRelativeToInferredTableRow(*view, 1));
    EXPECT_EQ(markup(), u"<table><tbody><tr></tr><tr><td>[-]</td></tr></tbody></table>");
    checkUndoAndRedo(step, u"Insert Row After");
}

TEST_F(TableCommands, DeletingRowsTakesOnlyTheRowsInOneStep)
{
    loadTables();
    // Each case: the selection, the menu table after the deletion, the step's name.
    struct Case {
        std::u16string from, to;
        std::string layout;
        std::u16string name;
    };
    const Case cases[] = {
        { u"Peas", u"Peas",
          "caption:Today\u2019s menu\nthead:[th:Dish th:Price th:Notes]\n"
          "tbody:[td:Cod td:\u00a39 td:fresh from the boat][td:Chips td:\u00a33 td:hand cut]\ntfoot:[th:Total td:\u00a314 td:]\n",
          u"Delete Table Row" },
        // Every row of the body section, which goes with them.
        { u"Cod", u"Chips", "caption:Today\u2019s menu\nthead:[th:Dish th:Price th:Notes]\ntfoot:[th:Total td:\u00a314 td:]\n",
          u"Delete Table Rows" },
        // The header's only row: no empty header is left.
        { u"Price", u"Price",
          "caption:Today\u2019s menu\ntbody:[td:Cod td:\u00a39 td:fresh from the boat][td:Peas td:\u00a32 td:garden]"
          "[td:Chips td:\u00a33 td:hand cut]\ntfoot:[th:Total td:\u00a314 td:]\n",
          u"Delete Table Row" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUTF8(c.from));
        select(rangeAt(textOf(c.from), 1, textOf(c.to), 2));
        ASSERT_TRUE(VornickContentEditingViewTestPeer::canDeleteTableRows(*view));
        auto step = beginStep();
        VornickContentEditingViewTestPeer::deleteTableRows(*view, nullptr);
        EXPECT_EQ(tableLayout(u"menu"), c.layout);
        checkUndoAndRedo(step, c.name);
        undoStep();
    }

    // Every row of a table without a caption: nothing of the table is left.
    select(rangeAt(textOf(u"Day"), 1, textOf(u"Tuesday"), 2));
    auto step = beginStep();
    VornickContentEditingViewTestPeer::deleteTableRows(*view, nullptr);
    EXPECT_FALSE(byId(u"hours-table"));
    auto next = byId(u"hours")->nextElementSibling();
    EXPECT_EQ(next ? toUTF8(next->getAttribute(u"id")) : "", "events");
    checkUndoAndRedo(step, u"Delete Table Rows");
}

class CaptionlessBlocks : public VornickBlockModeHelper {
public:
    bool tablesCanHaveCaptions() const override { return false; }
};

TEST_F(TableCommands, ContentWhoseTablesTakeNoCaptionsGetsNone)
{
    loadTables();
    view->setBlockModeHelper(std::make_shared<CaptionlessBlocks>());
    caretIn(u"Monday");
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canAddTableCaption(*view));
    auto before = documentSnapshot(*document());
    VornickContentEditingViewTestPeer::addTableCaption(*view, nullptr);
    EXPECT_EQ(documentSnapshot(*document()), before);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canAddTableHeader(*view));
}

// An XHTML page read as XML: no body section is implied, so rows stand in
// the table itself, and every new element is an XHTML one.
TEST_F(TableCommands, TablesOfAnXMLDocumentGetXHTMLElements)
{
    writePage("table.xhtml", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                             "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>T</title></head><body>"
                             "<table id=\"t\"><tr><th>Name</th><th>Age</th></tr><tr><td>Ann</td><td>7</td></tr></table>"
                             "</body></html>");
    load("table.xhtml");
    if (!RunLoop::main().isUsingManualClock())
        RunLoop::main().useManualClock();
    view->undoManager()->removeAllActions();
    caretIn(u"Ann");

    auto step = beginStep();
    VornickContentEditingViewTestPeer::insertColumnBeforeTableColumn(*view, nullptr);
    VornickContentEditingViewTestPeer::insertRowAfterTableRow(*view, nullptr);
    VornickContentEditingViewTestPeer::addTableCaption(*view, nullptr);
    EXPECT_EQ(tableLayout(u"t"), "caption:Table Caption\n[th:- th:Name th:Age]\n[td:- td:Ann td:7]\n[td:- td:- td:-]\n");
    for (DOMNode* node = byId(u"t").get(); node; node = node->traverseNext(byId(u"t").get())) {
        if (node->isElementNode()) {
            EXPECT_TRUE(downcast<DOMElement>(node)->isHTMLElement()) << toUTF8(downcast<DOMElement>(node)->tagName());
        }
    }
    EXPECT_NE(toUTF8(byId(u"t")->outerHTML()).find("<caption>Table Caption</caption><tr><th>-</th>"), std::string::npos);
    // Three commands in one event are one step, named by the last.
    checkUndoAndRedo(step, u"Add Table Caption");
}

// Every validator against its command: wherever the selection is, a command
// that is enabled changes the document (as one undo step) and one that is
// disabled changes nothing, also when reached as a menu action.
TEST_F(TableCommands, EveryValidatorAnswersAsItsCommandActs)
{
    loadTables();
    struct Command {
        const char* action;
        bool (*validator)(const VornickContentEditingView&);
    };
    const Command commands[] = {
        { "addTableCaption:", &VornickContentEditingViewTestPeer::canAddTableCaption },
        { "addTableHeader:", &VornickContentEditingViewTestPeer::canAddTableHeader },
        { "addTableFooter:", &VornickContentEditingViewTestPeer::canAddTableFooter },
        { "insertColumnBeforeTableColumn:", &VornickContentEditingViewTestPeer::canInsertColumnBeforeTableColumn },
        { "insertColumnAfterTableColumn:", &VornickContentEditingViewTestPeer::canInsertColumnAfterTableColumn },
        { "deleteTableColumns:", &VornickContentEditingViewTestPeer::canDeleteTableColumns },
        { "insertRowBeforeTableRow:", &VornickContentEditingViewTestPeer::canInsertRowBeforeTableRow },
        { "insertRowAfterTableRow:", &VornickContentEditingViewTestPeer::canInsertRowAfterTableRow },
        { "deleteTableRows:", &VornickContentEditingViewTestPeer::canDeleteTableRows },
    };
    // Carets in every text of the body, a whole table, a range across two
    // tables and one across non-adjacent columns.
    std::vector<std::shared_ptr<DOMRange>> selections;
    for (DOMNode* node = body().get(); node; node = node->traverseNext(body().get())) {
        if (node->isTextNode())
            selections.push_back(caretAt(node->shared_from_this(), 0));
    }
    auto menu = byId(u"menu");
    selections.push_back(rangeAt(body(), menu->index(), body(), menu->index() + 1));
    selections.push_back(rangeAt(textOf(u"Cod"), 0, textOf(u"Monday"), 2));
    selections.push_back(rangeAt(textOf(u"Notes"), 0, textOf(u"Cod"), 3));

    size_t enabled = 0;
    for (bool editable : { true, false }) {
        view->setEditable(editable);
        for (const auto& selection : selections) {
            for (const auto& command : commands) {
                SCOPED_TRACE(std::string(command.action) + " at " + toUTF8(vornick_description(*selection)));
                select(selection->cloneRange());
                endEvent();
                auto before = documentSnapshot(*document());
                bool canDo = command.validator(*view);
                EXPECT_TRUE(view->performAction(command.action, nullptr));
                bool changed = documentSnapshot(*document()) != before;
                EXPECT_EQ(canDo, changed);
                endEvent();
                if (changed) {
                    ++enabled;
                    undoStep();
                    EXPECT_EQ(documentSnapshot(*document()), before) << "one undo";
                }
            }
        }
    }
    EXPECT_GT(enabled, 100u);
}

} // namespace
