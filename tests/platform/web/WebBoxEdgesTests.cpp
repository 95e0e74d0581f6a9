// Blocks give their borders and padding room: content, line boxes, the caret
// and hit testing stand inside them, and what follows starts below them.
#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/views/GraphicsContext.h"
#include "platform/web/WebBoxEdges.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebLayout.h"
#include "platform/web/WebView.h"

#include "tests/platform/web/WebPageTestSupport.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

using WebBoxEdgesTest = WebPageTest;

} // namespace

TEST_F(WebBoxEdgesTest, ContentStandsInsideBordersAndPadding)
{
    loadBody(u"<div id=a style='border:3px solid;border-left-width:5px;padding:4px 6px'>abcd efgh</div>"
             u"<div id=b style='border-top:2px dotted;border-bottom:7px none'>x</div>"
             u"<div id=outer style='border:10px solid;padding:1px'><p id=inner style='margin:0;border:2px solid'>y</p></div>"
             u"<div id=empty style='border-left:4px solid;padding:9px'></div>");
    EXPECT_EQ(box(u"a"), Rect(0, 0, 800, 3 + 4 + 20 + 4 + 3));
    EXPECT_EQ(line(u"a"), Rect(5 + 6, 3 + 4, 9 * 8, 20));
    EXPECT_EQ(box(u"b"), Rect(0, 34, 800, 22)) << "a side without a drawn style takes no room";
    EXPECT_EQ(line(u"b").minY(), 36);
    EXPECT_EQ(box(u"inner"), Rect(11, 56 + 11, 800 - 22, 24)) << "nested boxes add up";
    EXPECT_EQ(line(u"inner").origin, (Point { 13, 56 + 13 }));
    EXPECT_EQ(box(u"outer").height(), 24 + 22);
    auto used = layout().usedSize(*element(u"a"));
    ASSERT_TRUE(used);
    EXPECT_EQ(*used, (Size { 800 - 11 - 9, 20 })) << "the content box";

    // Caret, hit testing and the drawn run agree, inside the edges.
    auto& text = textOf(u"a");
    auto run = layout().textRun(text, 0);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->positions.front(), 11);
    EXPECT_EQ(layout().caretRect(text, 0), Rect(11, 7, 1, 20));
    EXPECT_EQ(layout().caretRect(text, 2).minX(), run->positions[2]);
    EXPECT_EQ(layout().offsetForPoint(text, { run->positions[2] + 3, 10 }), 2u);
    EXPECT_EQ(layout().caretRect(*element(u"a"), 0).minX(), 11) << "before the first child: where its text starts";
    auto* document = webView->mainFrameDocument().get();
    EXPECT_EQ(layout().nodeAtPoint(*document, { 2, 10 }), element(u"a").get()) << "the border belongs to the box";
    EXPECT_EQ(layout().nodeAtPoint(*document, { 12, 10 }), &text);
    EXPECT_EQ(layout().caretRect(*element(u"empty"), 0).minX(), 13) << "an empty block's caret stands inside its edges";
}

TEST_F(WebBoxEdgesTest, ExplicitWidthsBoxSizingAndAutoMargins)
{
    loadBody(u"<div id=a style='width:100px;border:2px solid;padding:4px'>aaaa bbbb cccc</div>"
             u"<div id=b style='width:100px;border:2px solid;padding:4px;box-sizing:border-box'>z</div>"
             u"<div id=c style='width:200px;margin:5px auto'>c</div>"
             u"<div id=d style='width:200px;margin-left:auto;margin-right:10px'>d</div>"
             u"<div id=e style='margin:0 auto'>e</div>"
             u"<div id=f style='width:900px;margin:0 auto'>f</div>"
             u"<div id=g style='height:50px;padding:5px;border:5px solid;box-sizing:border-box'>g</div>");
    EXPECT_EQ(box(u"a").size, (Size { 112, 12 + 40 }));
    EXPECT_EQ(webView->lineBoxRects(textOf(u"a")).size(), 2u) << "lines wrap at the content width, 100px";
    EXPECT_EQ(box(u"b").width(), 100);
    EXPECT_EQ(line(u"b").minX(), 6);
    EXPECT_EQ(box(u"c").minX(), 300) << "auto margins centre a block of a set width";
    EXPECT_EQ(line(u"c").minX(), 300);
    EXPECT_EQ(box(u"d").minX(), 590);
    EXPECT_EQ(box(u"e"), Rect(0, box(u"d").maxY(), 800, 20)) << "without a width there is nothing to centre";
    EXPECT_EQ(box(u"f").minX(), 0) << "a block wider than its container is not pushed left";
    EXPECT_EQ(box(u"g").height(), 50) << "border-box heights hold the edges";
    EXPECT_EQ(layout().usedSize(*element(u"g"))->height, 30);
}

TEST_F(WebBoxEdgesTest, TablesAndCellsKeepTheirRowsInsideTheirEdges)
{
    loadBody(u"<table id=t style='margin:0;border:4px solid;padding:3px;border-spacing:0'>"
             u"<tr id=r><td id=c style='padding:2px;border:1px solid'>cell</td><td>x</td></tr></table>"
             u"<table id=centred style='width:400px;margin:0 auto'><tr><td>m</td></tr></table><p id=after style='margin:0'>p</p>");
    Rect table = box(u"t");
    Rect row = box(u"r");
    EXPECT_EQ(row.origin, (Point { 7, 7 }));
    EXPECT_EQ(row.width(), table.width() - 14);
    EXPECT_EQ(table.height(), row.height() + 14);
    EXPECT_EQ(line(u"c").origin, (Point { 10, 10 }));
    EXPECT_EQ(row.height(), 20 + 6);
    EXPECT_EQ(box(u"centred").minX(), 200) << "tables are border-box sized and centred by auto margins";
    EXPECT_EQ(box(u"after").minY(), box(u"centred").maxY());
}

TEST_F(WebBoxEdgesTest, BlocksPutIntoABorderedContainerStandWhereAFullLayoutPutsThem)
{
    loadBody(u"<div id=c style='border:6px solid;padding:3px 5px'><p id=first style='margin:0'>one</p></div><p id=next>n</p>");
    auto& document = *webView->mainFrameDocument();
    auto added = document.createElement(u"p");
    added->setAttribute(u"id", u"added");
    added->setAttribute(u"style", u"margin:0");
    added->appendChild(document.createTextNode(u"two"));
    element(u"c")->appendChild(added);
    webView->layoutIfNeeded();
    Rect incremental = box(u"added");
    Rect next = box(u"next");
    Rect container = box(u"c");
    EXPECT_EQ(incremental, Rect(11, 9 + 20, 800 - 22, 20));
    layout().invalidate();
    webView->layoutIfNeeded();
    EXPECT_EQ(box(u"added"), incremental);
    EXPECT_EQ(box(u"next"), next);
    EXPECT_EQ(box(u"c"), container);
}

namespace {

// Whether a node is laid out as a block (it has a used size and is no replaced content).
bool isBlockBox(WebLayout& layout, const DOMNode& node)
{
    return node.isElementNode() && layout.usedSize(downcast<DOMElement>(node))
        && !webIsReplacedElement(downcast<DOMElement>(node));
}

// On a real page: every line of text stands inside the borders of the block
// holding it (a lone word wider than the box may stick out on the right),
// and blocks that follow each other do not overlap.
void expectNothingOverlapsItsEdges(WebView& webView, const std::string& what)
{
    auto& layout = webView.mainFrame()->layout();
    auto& document = *webView.mainFrameDocument();
    size_t checkedLines = 0;
    for (DOMNode* node = document.first(); node; node = node->traverseNext()) {
        if (node->isTextNode()) {
            const DOMElement* block = node->parentElement().get();
            while (block && !isBlockBox(layout, *block))
                block = block->parentElement().get();
            auto* lines = layout.lineBoxes(*node);
            if (!block || !lines)
                continue;
            Rect outer = layout.boundingBox(*block);
            auto style = CSSStyleResolver::computedValuesFor(*block);
            Rect inner = webBorderWidths(*style).inset(outer);
            auto& data = downcast<DOMCharacterData>(*node).data();
            std::string where = what + ": " + toUTF8(data);
            auto* height = style->value(CSSPropertyID::Height);
            bool fixedHeight = height && height->isPrimitiveValue() && static_cast<const CSSPrimitiveValue*>(height)->isLength();
            for (auto& line : *lines) {
                ++checkedLines;
                EXPECT_GE(line.rect.minX(), inner.minX() - 1e-6) << where;
                EXPECT_GE(line.rect.minY(), inner.minY() - 1e-6) << where;
                bool oneWord = data.substr(line.startOffset, line.endOffset - line.startOffset).find(u' ') == std::u16string::npos;
                if (!oneWord) {
                    EXPECT_LE(line.rect.maxX(), inner.maxX() + 1e-6) << where;
                }
                if (!fixedHeight) {
                    EXPECT_LE(line.rect.maxY(), inner.maxY() + 1e-6) << where;
                }
            }
            continue;
        }
        if (!isBlockBox(layout, *node))
            continue;
        const DOMNode* previous = node->previous();
        while (previous && !isBlockBox(layout, *previous))
            previous = previous->previous();
        if (previous && !layout.boundingBox(*node).isEmpty() && !layout.boundingBox(*previous).isEmpty()
            && !downcast<DOMElement>(node)->hasTagName(u"td") && !downcast<DOMElement>(node)->hasTagName(u"th")) {
            EXPECT_GE(layout.boundingBox(*node).minY(), layout.boundingBox(*previous).maxY() - 1e-6)
                << what << ": " << toUTF8(downcast<DOMElement>(node)->tagName());
        }
    }
    EXPECT_GT(checkedLines, 5u) << what;
}

} // namespace

TEST_F(WebBoxEdgesTest, RealPagesKeepTheirTextInsideTheirBoxes)
{
    webView->setFrameSize({ 700, 500 });
    auto data = std::string(BREVANTON_TEST_DATA_DIR);
    for (auto page : { "/web/boxes.html", "/html-pages/blog-post.html", "/wordpress/travel-article.html",
                       "/wordpress/recipe-notes.html", "/editing/tables.html" }) {
        webView->setMainFrameURL(URL::fileURLWithPath(data + page).absoluteString());
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
        webView->layoutIfNeeded();
        expectNothingOverlapsItsEdges(*webView, page);
    }

    // The styled page: a centred column, its edges honoured, lines aligned.
    webView->setMainFrameURL(URL::fileURLWithPath(data + "/web/boxes.html").absoluteString());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    webView->layoutIfNeeded();
    Rect page = box(u"page");
    EXPECT_EQ(page, Rect((700 - 602) / 2, 0, 602, page.height()));
    EXPECT_EQ(box(u"intro").minX(), page.minX() + 21);
    Rect title = line(u"title");
    EXPECT_NEAR(title.midX(), page.midX(), 0.5) << "the centred heading";
    EXPECT_EQ(line(u"tagline", webView->lineBoxRects(textOf(u"tagline")).size() - 1).maxX(), page.maxX() - 21);
    Rect note = box(u"note");
    EXPECT_EQ(note.minX(), page.minX() + 21 + 40);
    EXPECT_EQ(line(u"tip").minX(), note.minX() + 8 + 14);
    EXPECT_EQ(line(u"tip").minY(), note.minY() + 2 + 10);
    Rect length = line(u"length");
    EXPECT_EQ(length.maxX(), box(u"length").maxX() - 1 - 6) << "a price aligned right in its cell";
    EXPECT_EQ(box(u"routes").width(), 560) << "a border-box table as wide as its container's content";
    auto footer = webView->lineBoxRects(textOf(u"footer"));
    ASSERT_FALSE(footer.empty());
    EXPECT_GE(footer[0].minY(), box(u"routes").maxY() + 20 + 1 + 8);
}

TEST_F(WebBoxEdgesTest, ListMarkersStandOnTheFirstLineInsideTheItemsEdges)
{
    loadBody(u"<ol><li id=item style='border-top:2px solid;padding-top:10px'>first</li></ol>");
    Rect item = box(u"item");
    EXPECT_EQ(line(u"item").minY(), item.minY() + 12);
    GraphicsContext context;
    webView->display(context);
    bool marker = false;
    for (auto& command : context.commandsOfView(webView->mainFrame()->frameView()->documentView().get())) {
        if (command.kind == DrawCommand::Kind::TextRun && command.text == u"1.") {
            marker = true;
            EXPECT_EQ(command.rect.minY(), line(u"item").minY()) << "level with the item's text";
            EXPECT_EQ(command.baselineOffset, layout().textRun(textOf(u"item"), 0)->baseline - line(u"item").minY());
        }
    }
    EXPECT_TRUE(marker);
}
