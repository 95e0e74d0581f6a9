// Table cells stand in a grid of slots: cells spanning rows keep their columns
// in the rows below, and painting, the caret and hit testing use those boxes.
// Columns are as wide as their content wants within the width a table is given,
// never narrower than their longest words, and an edit in a cell lays its table out again.
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebLayout.h"
#include "platform/web/WebView.h"

#include "tests/platform/web/WebPageTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace brevanton;

namespace {

class WebTableLayoutTest : public WebPageTest {
protected:
    // The cell whose text is `text` in the table `id`.
    std::shared_ptr<DOMElement> cell(const char16_t* tableId, std::u16string_view text)
    {
        auto cells = element(tableId)->getElementsByTagName(u"td");
        for (unsigned i = 0; i < cells->length(); ++i) {
            if (cells->item(i)->textContent() == text)
                return cells->item(i);
        }
        ADD_FAILURE() << "no such cell";
        return nullptr;
    }
    Rect cellBox(const char16_t* tableId, std::u16string_view text) { return webView->boundingBox(*cell(tableId, text)); }
};

} // namespace

// Cells of one style in columns of different widths: each cell's padding is
// a part of its own width, whichever cell was laid out before it.
TEST_F(WebTableLayoutTest, CellsSharingAStyleTakePaddingFromTheirOwnWidths)
{
    loadBody(u"<style>td { padding: 0 0 0 10%; border: none }</style><table id=t cellspacing=0><tr>"
             u"<td>a</td><td>wide words in a wide column</td><td>bb</td><td>middling column</td></tr></table>");
    for (const char16_t* text : { u"wide words in a wide column", u"bb", u"middling column" }) {
        auto item = cell(u"t", text);
        ASSERT_TRUE(item);
        Rect box = webView->boundingBox(*item);
        Rect line = webView->lineBoxRects(*item->firstChild()).at(0);
        EXPECT_NEAR(line.minX() - box.minX(), box.width() / 10, 0.01) << toUTF8(text);
    }
}

TEST_F(WebTableLayoutTest, CellsSpanningRowsKeepTheirColumnsInTheRowsBelow)
{
    webView->setMainFrameURL(URL::fileURLWithPath(std::string(BREVANTON_TEST_DATA_DIR) + "/editing/tables.html").absoluteString());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    webView->layoutIfNeeded();
    const char16_t* table = u"events-table";
    Rect quiz = cellBox(table, u"Quiz night");
    Rect friday = cellBox(table, u"Friday");
    Rect music = cellBox(table, u"Live music");
    Rect saturday = cellBox(table, u"Saturday");
    Rect eight = cellBox(table, u"20:00");
    Rect sunday = cellBox(table, u"Sunday");
    Rect four = cellBox(table, u"16:00");
    Rect shortRow = cellBox(table, u"Short row");

    EXPECT_EQ(music.minX(), quiz.minX());
    EXPECT_EQ(saturday.minX(), music.maxX());
    EXPECT_EQ(sunday.minX(), saturday.minX()) << "Sunday stands under Saturday, beside Live music";
    EXPECT_EQ(sunday.width(), saturday.width());
    EXPECT_EQ(four.minX(), eight.minX());
    EXPECT_EQ(friday.minX(), eight.minX()) << "Quiz night fills two columns";
    EXPECT_EQ(quiz.width(), music.width() + saturday.width());
    EXPECT_EQ(music.minY(), saturday.minY());
    EXPECT_EQ(music.maxY(), sunday.maxY()) << "Live music is as tall as both its rows";
    EXPECT_EQ(sunday.minY(), saturday.maxY());
    EXPECT_EQ(shortRow.minY(), music.maxY());
    EXPECT_EQ(shortRow.width(), music.width()) << "a short row leaves its other slots empty";

    // Hit testing finds what is painted where.
    auto* hit = webView->mainFrame()->layout().nodeAtPoint(*webView->mainFrameDocument(), Point { sunday.midX(), sunday.midY() });
    ASSERT_TRUE(hit);
    EXPECT_TRUE(hit == cell(table, u"Sunday").get() || hit->parentNode().get() == cell(table, u"Sunday").get());
}

TEST_F(WebTableLayoutTest, RowSpansEndWithTheirGroupAndTallSpansGrowTheirLastRow)
{
    loadBody(u"<table style='margin:0'>"
             u"<tbody><tr id=r1><td id=a rowspan=0>a</td><td id=b>b</td></tr><tr id=r2><td id=c>c</td></tr></tbody>"
             u"<tbody><tr><td id=d rowspan=5>d</td><td id=e>e</td></tr></tbody>"
             u"<tbody><tr><td id=f>f</td><td id=g colspan=0>g</td><td id=h>h</td></tr></tbody>"
             u"</table>"
             u"<table style='margin:0'><tr id=s1><td id=tall rowspan=2>x<br>x<br>x<br>x</td><td id=i>i</td></tr>"
             u"<tr id=s2><td id=j>j</td></tr><tr id=s3><td id=k>k</td><td id=l>l</td></tr></table>");
    EXPECT_EQ(box(u"c").minX(), box(u"b").minX()) << "a row span of 0 reaches the group's end";
    EXPECT_EQ(box(u"a").height(), box(u"r1").height() + box(u"r2").height());
    EXPECT_EQ(box(u"d").minX(), box(u"a").minX());
    EXPECT_EQ(box(u"d").height(), box(u"e").height()) << "a row span stops at the end of its group";
    EXPECT_EQ(box(u"f").minX(), box(u"a").minX()) << "spans do not reach into the next group";
    EXPECT_EQ(box(u"g").width(), box(u"f").width()) << "a column span of 0 counts as 1";
    EXPECT_EQ(box(u"h").minX(), box(u"g").maxX());

    // Cells have 1px padding: four lines make 82px, one makes 22px.
    EXPECT_EQ(box(u"tall").height(), 82);
    EXPECT_EQ(box(u"s1").height(), 22);
    EXPECT_EQ(box(u"s2").height(), 60) << "the last spanned row grows to hold the spanning cell";
    EXPECT_EQ(box(u"j").height(), 60);
    EXPECT_EQ(box(u"s3").minY(), box(u"tall").maxY());
    EXPECT_EQ(box(u"k").minX(), box(u"tall").minX());
    EXPECT_EQ(box(u"l").minX(), box(u"j").minX());
}

// With the default metrics a character is 8px wide and cells have 1px of
// padding, so a cell holding n characters on one line is 8n + 2 wide.

TEST_F(WebTableLayoutTest, TablesAreAsWideAsTheirContentWithinTheWidthGiven)
{
    loadBody(u"<table id=t style='margin:0'><tr><td id=a>Ada</td><td id=b>Lovelace</td></tr>"
             u"<tr><td id=c>Al</td><td id=d></td></tr></table>"
             u"<table id=centred style='margin:0 auto'><tr><td>Ada</td><td>Lovelace</td></tr></table>"
             u"<table id=framed style='margin:0;border:3px solid;padding:4px'><tr><td id=e>Ada</td></tr></table>");
    EXPECT_EQ(box(u"t"), Rect(0, 0, 92, 44));
    EXPECT_EQ(box(u"a"), Rect(0, 0, 26, 22)) << "the widest cell sets its column";
    EXPECT_EQ(box(u"c").width(), 26);
    EXPECT_EQ(box(u"b"), Rect(26, 0, 66, 22));
    EXPECT_EQ(box(u"d"), Rect(26, 22, 66, 22));
    EXPECT_EQ(box(u"centred").minX(), (800 - 92) / 2) << "auto margins centre a table that shrank";
    EXPECT_EQ(box(u"framed").width(), 26 + 14) << "borders and padding come on top of the columns";
    EXPECT_EQ(box(u"e").minX(), 7);

    // Editing and hit testing find the cells where they now stand.
    auto& layout = webView->mainFrame()->layout();
    auto* hit = layout.nodeAtPoint(*webView->mainFrameDocument(), Point { 80, 10 });
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit == element(u"b").get() ? hit : hit->parentNode().get(), element(u"b").get());
    EXPECT_EQ(layout.caretRect(textOf(u"b"), 8).minX(), 26 + 1 + 64);
    EXPECT_EQ(layout.nodeAtPoint(*webView->mainFrameDocument(), Point { 200, 10 }), webView->mainFrameDocument()->body().get())
        << "nothing of the table stands beyond its width";
}

TEST_F(WebTableLayoutTest, LongTextWrapsWhileShortColumnsKeepTheirWords)
{
    std::u16string words;
    for (int i = 0; i < 60; ++i)
        words += u"words ";
    loadBody(u"<table id=t style='margin:0'><tr><td id=name>Name</td><td id=long>" + words + u"</td>"
             u"<td id=two>two words</td></tr></table>"
             u"<table id=wide style='margin:0'><tr><td id=word>" + std::u16string(120, u'w') + u"</td><td id=x>x</td></tr></table>");
    EXPECT_EQ(box(u"t").width(), 800) << "a table wanting more than the width given takes that width";
    EXPECT_EQ(box(u"name").width(), 34) << "a column of one word keeps its width";
    EXPECT_EQ(webView->lineBoxRects(textOf(u"name")).size(), 1u);
    EXPECT_GT(webView->lineBoxRects(textOf(u"long")).size(), 1u) << "the long text wraps";
    // The room beyond the minimums goes by what more each column wants.
    EXPECT_NEAR(box(u"two").width(), 42 + (800 - 118) * 32.0 / (2982 - 118), 1e-9);
    EXPECT_EQ(box(u"two").maxX(), 800);
    for (auto& line : webView->lineBoxRects(textOf(u"long")))
        EXPECT_LE(line.maxX(), box(u"long").maxX());

    // Below the content's minimum a table overflows the width it is given.
    EXPECT_EQ(box(u"word").width(), 962);
    EXPECT_EQ(box(u"wide").width(), 962 + 10);
    EXPECT_GE(webView->mainFrame()->layout().documentSize().width, 972);
}

TEST_F(WebTableLayoutTest, SetWidthsAreHonouredButNeverSqueezeTheContent)
{
    loadBody(u"<table id=px width=400 style='margin:0'><tr><td id=a>aa</td><td id=b>aaaaaa</td></tr></table>"
             u"<table id=css style='width:50%;margin:0'><tr><td>a</td></tr></table>"
             u"<table id=percent width='25%' style='margin:0'><tr><td>a</td></tr></table>"
             u"<table id=tiny width=10 style='margin:0'><tr><td id=c>Lovelace</td><td id=d>Ada</td></tr></table>"
             u"<table id=cells style='margin:0'><tr><td id=e width=100>e</td><td id=f style='width:50px'>f</td>"
             u"<td id=g>g</td></tr><tr><td id=h>" + std::u16string(20, u'h') + u"</td></tr></table>"
             u"<table id=sized style='margin:0;box-sizing:content-box;width:100px;padding:5px'><tr>"
             u"<td id=i style='box-sizing:border-box;width:30px'>i</td><td>j</td></tr></table>"
             u"<table id=captioned style='margin:0'><caption>Longwordedcaption</caption><tr><td>k</td></tr></table>");
    EXPECT_EQ(box(u"px").width(), 400);
    EXPECT_NEAR(box(u"a").width() + box(u"b").width(), 400, 1e-9);
    EXPECT_NEAR(box(u"a").width() / box(u"b").width(), 18.0 / 50.0, 1e-9) << "the room beyond the maximums goes by the maximums";
    EXPECT_EQ(box(u"css").width(), 400);
    EXPECT_EQ(box(u"percent").width(), 200);
    EXPECT_EQ(box(u"tiny").width(), 66 + 26) << "a set width below the content's minimum gives way";
    EXPECT_EQ(box(u"c").width(), 66);

    EXPECT_EQ(box(u"f").width(), 52) << "a cell's CSS width sets its column";
    EXPECT_EQ(box(u"g").width(), 10);
    EXPECT_EQ(box(u"h").width(), 162) << "a cell's set width gives way to content that cannot wrap";
    EXPECT_EQ(box(u"e").width(), 162);

    EXPECT_EQ(box(u"sized").width(), 110) << "box-sizing decides what a set width measures";
    EXPECT_EQ(box(u"i").width(), 30 + 60 * 30 / 40) << "a cell's border box counts against its column";
    EXPECT_EQ(box(u"captioned").width(), 8 * 17) << "a caption's words widen the table";
}

TEST_F(WebTableLayoutTest, SpanningCellsWidenTheColumnsTheySpan)
{
    loadBody(u"<table id=t style='margin:0'><tr><td id=span colspan=2>" + std::u16string(40, u's') + u"</td></tr>"
             u"<tr><td id=a>aa</td><td id=b>aaaaaa</td></tr></table>"
             u"<table id=u style='margin:0'><tr><td id=wide colspan=2>aaaaaa bbbbbb</td><td id=z>z</td></tr>"
             u"<tr><td id=c>cccc</td><td id=d>dddd</td><td id=e>e</td></tr><tr><td id=small colspan=3>s</td></tr></table>");
    EXPECT_EQ(box(u"t").width(), 322);
    EXPECT_EQ(box(u"span").width(), 322);
    EXPECT_NEAR(box(u"a").width() + box(u"b").width(), 322, 1e-9);
    EXPECT_NEAR(box(u"a").width() / box(u"b").width(), 18.0 / 50.0, 1e-9) << "the excess goes by the columns' maximums";
    EXPECT_EQ(box(u"b").minX(), box(u"a").maxX());

    // Unwrapped, the span wants 38px more than its columns: they share it.
    EXPECT_EQ(box(u"c").width(), 53);
    EXPECT_EQ(box(u"d").width(), 53);
    EXPECT_EQ(box(u"wide").width(), 106);
    EXPECT_EQ(webView->lineBoxRects(textOf(u"wide")).size(), 1u);
    EXPECT_EQ(box(u"e").width(), 10) << "a span that needs less than its columns have changes nothing";
    EXPECT_EQ(box(u"small").width(), 116);
}

TEST_F(WebTableLayoutTest, NestedTablesAndInlineContentSetTheirCellsWidths)
{
    loadBody(u"<table id=outer style='margin:0'><tr><td id=holder><table id=inner style='margin:0'>"
             u"<tr><td>Ada</td><td>Lovelace</td></tr></table></td><td id=x>x</td></tr></table>"
             u"<table id=set style='margin:0'><tr><td id=setHolder><table width=300 style='margin:0'><tr><td>a</td></tr>"
             u"</table></td></tr></table>"
             u"<table id=narrow width=1 style='margin:0'><tr><td id=joined>Hello <b id=bold>wor</b>ld</td>"
             u"<td id=image>a <img width=50 height=10> b</td><td id=pre style='white-space:pre'>one two\nx</td></tr></table>");
    EXPECT_EQ(box(u"inner").width(), 92);
    EXPECT_EQ(box(u"holder").width(), 94);
    EXPECT_EQ(box(u"x").minX(), 94);
    EXPECT_EQ(box(u"setHolder").width(), 302);

    // At its narrowest a cell is as wide as its widest unbreakable run, which
    // may run across elements, and as its images.
    EXPECT_EQ(box(u"joined").width(), 42);
    EXPECT_EQ(webView->lineBoxRects(*element(u"bold")->firstChild()).at(0).minY(),
              webView->lineBoxRects(*element(u"bold")->nextSibling()).at(0).minY())
        << "a word is never broken where an element ends";
    EXPECT_EQ(box(u"image").width(), 52);
    EXPECT_EQ(box(u"pre").width(), 58) << "kept white space does not wrap";
}

TEST_F(WebTableLayoutTest, EditsInACellLayOutItsTableAgain)
{
    loadBody(u"<p id=before>before</p><table id=t style='margin:0'><tr><td id=a>Ada</td><td id=b>Lovelace</td></tr></table>"
             u"<p id=after>after</p>");
    auto& layout = webView->mainFrame()->layout();
    uint64_t fullLayouts = layout.fullLayoutCount();
    Rect oldTable = box(u"t");
    downcast<DOMCharacterData>(textOf(u"a")).appendData(u" Byron-King");
    webView->layoutIfNeeded();
    EXPECT_EQ(layout.fullLayoutCount(), fullLayouts) << "only the table is laid out again";
    EXPECT_EQ(box(u"a").width(), 8 * 14 + 2) << "the edited cell's column widens";
    EXPECT_EQ(box(u"b").minX(), box(u"a").maxX());
    EXPECT_EQ(box(u"t").width(), 8 * 22 + 4);
    auto changed = layout.changedAreaOfLastLayout();
    ASSERT_TRUE(changed);
    EXPECT_TRUE(changed->containsRect(oldTable.unionWith(box(u"t"))));
    EXPECT_FALSE(changed->intersects(box(u"before")));
    Rect caret = layout.caretRect(textOf(u"a"), 14);
    EXPECT_EQ(caret.minX(), box(u"a").maxX() - 1);

    // Spans and widths are read by the layout itself, whatever the style sheets say of them.
    element(u"b")->setAttribute(u"width", u"300");
    webView->layoutIfNeeded();
    EXPECT_EQ(box(u"b").width(), 302);
    element(u"a")->setAttribute(u"colspan", u"2");
    webView->layoutIfNeeded();
    EXPECT_EQ(box(u"a").width(), 114);
    EXPECT_EQ(box(u"b").minX(), 114);
    auto& document = *webView->mainFrameDocument();
    auto row = document.createElement(u"tr");
    for (auto* id : { u"x", u"y", u"z" }) {
        auto cell = document.createElement(u"td");
        cell->setAttribute(u"id", id);
        cell->appendChild(document.createTextNode(u"-"));
        row->appendChild(cell);
    }
    element(u"b")->parentElement()->parentElement()->appendChild(row);
    webView->layoutIfNeeded();
    EXPECT_EQ(box(u"x").width(), 57) << "a row beneath gives the span two columns, which share its width";
    EXPECT_EQ(box(u"y").minX(), 57);
    EXPECT_EQ(box(u"z").minX(), 114);
    EXPECT_EQ(box(u"a").width(), 114);

    // A line more in a cell moves what follows the table.
    double afterTop = box(u"after").minY();
    downcast<DOMCharacterData>(textOf(u"b")).appendData(u" " + std::u16string(30, u'w'));
    webView->layoutIfNeeded();
    EXPECT_EQ(box(u"after").minY(), afterTop + 20);
    EXPECT_EQ(layout.fullLayoutCount(), fullLayouts);
}

TEST_F(WebTableLayoutTest, OtherElementsStyledAsTablesShowTheirContentAsBlocks)
{
    loadBody(u"<div id=t style='display:table'><div id=r style='display:table-row'>"
             u"<div id=c style='display:table-cell'>Shown</div></div></div><p id=after>After</p>");
    EXPECT_EQ(box(u"t").width(), 800);
    EXPECT_GT(box(u"c").height(), 0);
    EXPECT_FALSE(webView->lineBoxRects(textOf(u"c")).empty()) << "the content is laid out";
    EXPECT_GE(box(u"after").minY(), box(u"c").maxY());
}
