// Table cells stand in a grid of slots: cells spanning rows keep their columns
// in the rows below, and painting, the caret and hit testing use those boxes.
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
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

TEST_F(WebTableLayoutTest, CellsSpanningRowsKeepTheirColumnsInTheRowsBelow)
{
    webView->setMainFrameURL(URL::fileURLWithPath(std::string(BREVANTON_TEST_DATA_DIR) + "/editing/tables.html").absoluteString());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 5));
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
