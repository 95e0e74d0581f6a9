// Rows appended to a list in one batch are laid out alone: the rows before
// them keep their boxes and only the new blocks are laid out, with the same
// boxes a layout from scratch gives.
#include "tests/platform/web/WebPageTestSupport.h"

#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/Text.h"

#include <algorithm>

namespace brevanton {
namespace {

class WebLayoutAppendedRowsTest : public WebPageTest {
protected:
    std::u16string rows(int from, int to)
    {
        std::u16string markup;
        for (int i = from; i < to; ++i)
            markup += u"<li>Row " + toUTF16(std::to_string(i)) + u" with a few words</li>\n";
        return markup;
    }
    void loadList(int count, bool withPlaceholder, std::u16string_view style = {})
    {
        loadBody(u"<style>" + std::u16string(style) + u"</style><ul id='list' style='margin:0;padding:0'>" + rows(0, count) + u"</ul>"
                 + (withPlaceholder ? u"<div id='placeholder' style='height:30px'></div>" : u"") + u"\n<p id='after'>After</p>\n");
    }
    std::shared_ptr<DOMElement> list() { return element(u"list"); }
    void append(int from, int to)
    {
        auto list = element(u"list");
        auto fragment = parseFragment(*webView->mainFrameDocument(), rows(from, to), list.get());
        list->appendChild(fragment);
    }
    void expectSameAsFromScratch()
    {
        auto& document = *webView->mainFrameDocument();
        WebLayout full;
        full.layoutIfNeeded(document, webView->bounds().width(), 1);
        auto list = element(u"list");
        size_t index = 0;
        for (auto item = list->firstElementChild(); item; item = item->nextElementSibling(), ++index) {
            ASSERT_EQ(layout().boundingBox(*item), full.boundingBox(*item)) << "row " << index;
            ASSERT_EQ(layout().boundingBox(*item->firstChild()), full.boundingBox(*item->firstChild())) << "row " << index;
        }
        EXPECT_EQ(layout().boundingBox(*list), full.boundingBox(*list));
        EXPECT_EQ(layout().boundingBox(*element(u"after")), full.boundingBox(*element(u"after")));
        EXPECT_EQ(layout().documentSize(), full.documentSize());
    }
};

TEST_F(WebLayoutAppendedRowsTest, ABatchOfRowsIsLaidOutWithoutTheRowsBefore)
{
    loadList(50, true);
    uint64_t full = layout().fullLayoutCount();
    uint64_t blocks = layout().blockLayoutCount();
    append(50, 100);
    webView->layoutIfNeeded();
    EXPECT_EQ(layout().fullLayoutCount(), full);
    EXPECT_EQ(layout().blockLayoutCount() - blocks, 50u) << "the new rows alone";
    expectSameAsFromScratch();

    // The last batch takes the placeholder away with it.
    blocks = layout().blockLayoutCount();
    append(100, 120);
    element(u"placeholder")->remove();
    webView->layoutIfNeeded();
    EXPECT_EQ(layout().fullLayoutCount(), full);
    EXPECT_EQ(layout().blockLayoutCount() - blocks, 20u);
    expectSameAsFromScratch();
    EXPECT_EQ(element(u"list")->childElementCount(), 120u);
}

TEST_F(WebLayoutAppendedRowsTest, RowsReplacedAndRemovedInOneBatch)
{
    loadList(30, false);
    uint64_t full = layout().fullLayoutCount();
    auto list = element(u"list");
    auto fifth = list->firstElementChild();
    for (int i = 0; i < 5; ++i)
        fifth = fifth->nextElementSibling();
    auto replacement = parseFragment(*webView->mainFrameDocument(), u"<li>A longer row that wraps onto more lines than one: "
                                                                     u"words words words words words words words words words "
                                                                     u"words words words words words words</li>", list.get());
    list->replaceChild(replacement, fifth.get());
    list->lastElementChild()->remove();
    webView->layoutIfNeeded();
    EXPECT_EQ(layout().fullLayoutCount(), full);
    expectSameAsFromScratch();
}

TEST_F(WebLayoutAppendedRowsTest, RowsReplacedInTheirPlacesAreLaidOutAlone)
{
    loadList(30, false, u"li:first-child { padding-top: 10px }");
    uint64_t full = layout().fullLayoutCount();
    uint64_t blocks = layout().blockLayoutCount();
    auto list = element(u"list");
    auto row = [&](int index) {
        auto item = list->firstElementChild();
        for (int i = 0; i < index; ++i)
            item = item->nextElementSibling();
        return item;
    };
    auto replace = [&](int index, std::u16string_view markup) {
        list->replaceChild(parseFragment(*webView->mainFrameDocument(), markup, list.get()), row(index).get());
    };
    // Hit testing finds a row replaced by one as high in the old one's place.
    auto& document = *webView->mainFrameDocument();
    Rect seventh = layout().boundingBox(*row(7));
    ASSERT_TRUE(list->isInclusiveAncestorOf(layout().nodeAtPoint(document, Point { seventh.midX(), seventh.midY() })));
    replace(7, u"<li>Row seven again</li>");
    webView->layoutIfNeeded();
    EXPECT_EQ(layout().boundingBox(*row(7)), seventh);
    auto* hit = layout().nodeAtPoint(document, Point { seventh.midX(), seventh.midY() });
    EXPECT_TRUE(hit && row(7)->isInclusiveAncestorOf(hit));
    blocks = layout().blockLayoutCount();

    // The first row (which keeps its first-child style), one as high as before, one higher.
    replace(0, u"<li>The new first row</li>");
    replace(5, u"<li>Row five again</li>");
    replace(9, u"<li>A longer row that wraps onto more lines than one: words words words words words words words words "
               u"words words words words words words words words</li>");
    webView->layoutIfNeeded();
    EXPECT_EQ(layout().fullLayoutCount(), full);
    EXPECT_EQ(layout().blockLayoutCount() - blocks, 3u) << "the new rows alone";
    expectSameAsFromScratch();
    Rect tenth = layout().boundingBox(*row(10));
    hit = layout().nodeAtPoint(document, Point { tenth.midX(), tenth.midY() });
    EXPECT_TRUE(hit && row(10)->isInclusiveAncestorOf(hit)) << "rows that moved are found where they are now";

    // A row replaced by what is not a block, or by a row that goes elsewhere, starts over.
    replace(3, u"<span>Not a row</span>");
    webView->layoutIfNeeded();
    EXPECT_GT(layout().fullLayoutCount(), full);
    expectSameAsFromScratch();
    full = layout().fullLayoutCount();
    auto fourth = row(4);
    fourth->remove();
    list->insertBefore(parseFragment(*webView->mainFrameDocument(), u"<li>Moved up</li>", list.get()), row(1).get());
    webView->layoutIfNeeded();
    expectSameAsFromScratch();
}

TEST_F(WebLayoutAppendedRowsTest, FirstRowsOfAnEmptyListAndListsWithLooseText)
{
    loadList(0, false, u"li:first-child { padding-top: 10px }");
    uint64_t full = layout().fullLayoutCount();
    append(0, 10);
    webView->layoutIfNeeded();
    EXPECT_EQ(layout().fullLayoutCount(), full) << "no row was first before";
    expectSameAsFromScratch();

    // Text that makes a line among the rows: a row replaced there is laid out with the rest.
    auto list = element(u"list");
    list->insertBefore(webView->mainFrameDocument()->createTextNode(u"loose words"), list->firstElementChild()->nextSibling());
    webView->layoutIfNeeded();
    full = layout().fullLayoutCount();
    list->replaceChild(parseFragment(*webView->mainFrameDocument(), u"<li>Another second row</li>", list.get()),
                       list->firstElementChild()->nextElementSibling().get());
    webView->layoutIfNeeded();
    EXPECT_GT(layout().fullLayoutCount(), full);
    expectSameAsFromScratch();
}

// A list emptied and filled again, round after round (a list view showing
// other objects), lays out its new rows alone, and the records the rows that
// went leave behind serve the rows that come: later changes within them move
// and lay out what they must.
TEST_F(WebLayoutAppendedRowsTest, AListEmptiedAndFilledAgainLaysOutItsRowsAlone)
{
    loadList(0, true, u"li h1 { margin: 2px 0; font-size: 15px } li div { padding: 1px }");
    auto list = element(u"list");
    auto& document = *webView->mainFrameDocument();
    for (int round = 0; round < 4; ++round) {
        std::string when = "round " + std::to_string(round);
        while (list->firstChild())
            list->removeChild(list->firstChild());
        webView->layoutIfNeeded();
        uint64_t full = layout().fullLayoutCount();
        std::u16string markup;
        for (int i = 0; i < 40; ++i) {
            markup += u"<li><h1>Title " + toUTF16(std::to_string(round * 100 + i)) + u"</h1><div>";
            for (int word = 0; word < (i + round) % 7 * 6; ++word)
                markup += u"words ";
            markup += u"</div><div><span>Term</span> <span>Other</span></div></li>\n";
        }
        list->appendChild(parseFragment(document, markup, list.get()));
        webView->layoutIfNeeded();
        EXPECT_EQ(layout().fullLayoutCount(), full) << when;
        expectSameAsFromScratch();
        if (HasFailure())
            return;
    }
    // Text grows in one row's block, another row is replaced by a taller one.
    auto row = list->firstElementChild();
    for (int i = 0; i < 3; ++i)
        row = row->nextElementSibling();
    downcast<DOMCharacterData>(*row->firstElementChild()->firstChild()).appendData(u" and a title long enough to wrap onto another line");
    list->replaceChild(parseFragment(document, u"<li><h1>Replaced</h1><div>" + std::u16string(400, u'w') + u"</div></li>", list.get()),
                       row->nextElementSibling().get());
    webView->layoutIfNeeded();
    expectSameAsFromScratch();
    size_t index = 0;
    WebLayout fromScratch;
    fromScratch.layoutIfNeeded(document, webView->bounds().width(), 1);
    for (auto item = list->firstElementChild(); item; item = item->nextElementSibling(), ++index) {
        for (auto block = item->firstElementChild(); block; block = block->nextElementSibling())
            ASSERT_EQ(layout().boundingBox(*block), fromScratch.boundingBox(*block)) << "row " << index;
    }
}

TEST_F(WebLayoutAppendedRowsTest, BatchesWithOtherChangesStartOver)
{
    loadList(10, false);
    uint64_t full = layout().fullLayoutCount();
    // Text that makes a line among the rows, and an attribute change.
    auto list = element(u"list");
    list->appendChild(webView->mainFrameDocument()->createTextNode(u"loose words"));
    append(10, 12);
    webView->layoutIfNeeded();
    EXPECT_GT(layout().fullLayoutCount(), full);
    expectSameAsFromScratch();

    full = layout().fullLayoutCount();
    append(12, 14);
    list->firstElementChild()->setAttribute(u"style", u"height:80px");
    webView->layoutIfNeeded();
    EXPECT_GT(layout().fullLayoutCount(), full);
    expectSameAsFromScratch();
}

// Hit testing and painting find the nodes a layout from scratch finds, after
// the indexes they use were made and rows came and went since.
TEST_F(WebLayoutAppendedRowsTest, HitTestingAndPaintingAfterRowsAreAppendedAndRemoved)
{
    loadList(20, true, u"li.pulled { margin-top: -30px }");
    auto& document = *webView->mainFrameDocument();
    auto nodesIn = [&](const WebLayout& from, const Rect& rect) {
        std::vector<const DOMNode*> nodes;
        from.enumerateNodesInRect(document, rect, [&](const DOMNode& node, const Rect&) { nodes.push_back(&node); });
        return nodes;
    };
    // Every row's middle, below the rows, and rectangles over the list's end.
    auto expectSameFinds = [&](const char* when) {
        WebLayout full;
        full.layoutIfNeeded(document, webView->bounds().width(), 1);
        for (auto item = list()->firstElementChild(); item; item = item->nextElementSibling()) {
            Rect box = full.boundingBox(*item);
            for (Point point : { Point { box.midX(), box.midY() }, Point { box.minX() + 1, box.maxY() - 0.5 } })
                ASSERT_EQ(layout().nodeAtPoint(document, point), full.nodeAtPoint(document, point)) << when;
        }
        Rect listBox = full.boundingBox(*list());
        Point below { listBox.midX(), full.documentSize().height - 1 };
        EXPECT_EQ(layout().nodeAtPoint(document, below), full.nodeAtPoint(document, below)) << when;
        for (double top : { 0.0, listBox.maxY() - 150, listBox.maxY() - 40 }) {
            Rect rect(0, top, webView->bounds().width(), 200);
            EXPECT_EQ(nodesIn(layout(), rect), nodesIn(full, rect)) << when << " at " << top;
        }
    };
    auto paintEverything = [&] {
        for (double top = 0; top < layout().documentSize().height; top += 100)
            nodesIn(layout(), Rect(0, top, webView->bounds().width(), 100));
    };

    paintEverything();
    append(20, 40);
    webView->layoutIfNeeded();
    expectSameFinds("appended");

    // A row pulled up over the one before it by a negative margin.
    paintEverything();
    list()->appendChild(parseFragment(document, u"<li class='pulled'>Pulled up</li>\n", list().get()));
    webView->layoutIfNeeded();
    expectSameFinds("pulled up");

    // The last batch, the placeholder taken away with it.
    paintEverything();
    append(41, 50);
    element(u"placeholder")->remove();
    webView->layoutIfNeeded();
    expectSameFinds("last batch");

    // Rows put in before others, and a row removed.
    paintEverything();
    list()->insertBefore(parseFragment(document, rows(100, 103), list().get()), list()->firstElementChild().get());
    webView->layoutIfNeeded();
    expectSameFinds("put in first");
    paintEverything();
    list()->firstElementChild()->nextElementSibling()->remove();
    webView->layoutIfNeeded();
    expectSameFinds("removed");
}

// Painting finds every node whose box or line box meets the rectangle, in
// document order, in lists short enough to be looked at child by child and
// in those long enough to be indexed, rows pulled over others included.
TEST_F(WebLayoutAppendedRowsTest, PaintingFindsWhatMeetsTheRectangleInListsShortAndLong)
{
    for (int count : { 1, 3, 15, 16, 17, 40 }) {
        std::u16string markup;
        for (int i = 0; i < count; ++i) {
            markup += i % 5 == 3 ? u"<li class='pulled'>" : u"<li>";
            markup += u"Row " + toUTF16(std::to_string(i)) + (i % 4 ? u"" : u" with words enough to wrap onto a second line in the list")
                + u" <b>bold</b></li>\n";
        }
        loadBody(u"<style>li.pulled { margin-top: -12px } li { width: 300px }</style><ul id='list' style='margin:0'>" + markup + u"</ul><p>After</p>");
        auto& document = *webView->mainFrameDocument();
        auto meets = [&](const DOMNode& node, const Rect& rect) {
            if (node.isTextNode()) {
                auto* lines = layout().lineBoxes(node);
                return lines && std::any_of(lines->begin(), lines->end(), [&](const WebLineBox& line) { return line.rect.intersects(rect); });
            }
            return node.isElementNode() && layout().boundingBox(node).intersects(rect);
        };
        for (double top = -10; top < layout().documentSize().height + 10; top += 7) {
            Rect rect(0, top, 800, 9);
            std::vector<const DOMNode*> found, expected;
            layout().enumerateNodesInRect(document, rect, [&](const DOMNode& node, const Rect&) { found.push_back(&node); });
            for (DOMNode* node = document.first(); node; node = node->traverseNext()) {
                if (meets(*node, rect))
                    expected.push_back(node);
            }
            ASSERT_EQ(found, expected) << count << " rows, at " << top;
        }
    }
}

TEST_F(WebLayoutAppendedRowsTest, ScrollingANodeIntoView)
{
    webView->setFrameSize(Size { 400, 100 });
    loadList(40, false);
    auto& clip = webView->mainFrame()->frameView()->clipView();
    auto list = element(u"list");
    auto row = list->firstElementChild();
    for (int i = 0; i < 30; ++i)
        row = row->nextElementSibling();
    EXPECT_FALSE(webView->scrollNodeIntoViewIfNeeded(*list->firstElementChild())) << "shown already";
    EXPECT_TRUE(webView->scrollNodeIntoViewIfNeeded(*row));
    Rect visible = clip->documentVisibleRect();
    Rect box = webView->boundingBox(*row);
    EXPECT_LE(visible.minY(), box.minY());
    EXPECT_GE(visible.maxY(), box.maxY());
    EXPECT_EQ(visible.maxY(), box.maxY()) << "as little as possible";
    EXPECT_FALSE(webView->scrollNodeIntoViewIfNeeded(*row));
    EXPECT_TRUE(webView->scrollNodeIntoViewIfNeeded(*list->firstElementChild()));
    EXPECT_EQ(clip->documentVisibleRect().minY(), 0);
}

} // namespace
} // namespace brevanton
