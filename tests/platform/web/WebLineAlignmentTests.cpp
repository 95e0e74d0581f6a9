// text-align moves each line box by the room it leaves; the drawn runs, the
// caret and hit testing move with it.
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/GraphicsContext.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebLayout.h"
#include "platform/web/WebView.h"

#include "tests/platform/web/WebPageTestSupport.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

using WebLineAlignmentTest = WebPageTest;

} // namespace

TEST_F(WebLineAlignmentTest, EachKeywordPlacesTheLineInTheContentBox)
{
    loadBody(u"<div style='width:200px;padding-left:10px;border-left:2px solid'>"
             u"<p id=left style='margin:0;text-align:left'>abcd</p>"
             u"<p id=center style='margin:0;text-align:center'>abcd</p>"
             u"<p id=right style='margin:0;text-align:right'>abcd</p>"
             u"<p id=start style='margin:0;text-align:start'>abcd</p>"
             u"<p id=end style='margin:0;text-align:end'>abcd</p>"
             u"<p id=justify style='margin:0;text-align:justify'>abcd</p>"
             u"<p id=rtl style='margin:0;direction:rtl'>abcd</p>"
             u"<p id=wide style='margin:0;text-align:right'>abcdefghijklmnopqrstuvwxyz</p></div>"
             u"<div style='text-align:center;width:100px'><p id=inherited style='margin:0'>ab</p></div>");
    EXPECT_EQ(line(u"left").minX(), 12);
    EXPECT_EQ(line(u"center").minX(), 12 + (200 - 32) / 2);
    EXPECT_EQ(line(u"right").minX(), 12 + 200 - 32);
    EXPECT_EQ(line(u"start").minX(), 12);
    EXPECT_EQ(line(u"end").minX(), 12 + 200 - 32);
    EXPECT_EQ(line(u"justify").minX(), 12) << "the last line of a justified paragraph stands at the start";
    EXPECT_EQ(line(u"rtl").minX(), 12 + 200 - 32) << "the start of a right-to-left block is its right edge";
    EXPECT_EQ(line(u"wide").minX(), 12) << "a line too long for its box is not pushed left";
    EXPECT_EQ(line(u"inherited").minX(), 42) << "text-align is inherited";
    EXPECT_EQ(box(u"center").minX(), 12) << "the block itself does not move";
    EXPECT_EQ(box(u"center").width(), 200);
}

TEST_F(WebLineAlignmentTest, EveryLineAndInlineBoxOfAParagraphMoves)
{
    loadBody(u"<p id=p style='margin:0;width:100px;text-align:right'>aaaa bb <b id=b>cc</b> dddddd<br id=br>"
             u"<img id=img width=20 height=10> e</p>");
    // Lines: "aaaa bb cc" (80px), "dddddd" (48px), then the image and "e" (20 + 8 + 8).
    auto lines = webView->lineBoxRects(textOf(u"p"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], Rect(20, 0, 56, 20)) << "\"aaaa bb\" on a line of 80px pushed right by 20";
    EXPECT_EQ(line(u"b"), Rect(84, 0, 16, 20));
    EXPECT_EQ(box(u"b"), line(u"b")) << "an inline element's box follows its content";
    auto& tail = *element(u"b")->nextSibling();
    auto tailLines = webView->lineBoxRects(tail);
    ASSERT_EQ(tailLines.size(), 1u);
    EXPECT_EQ(tailLines[0], Rect(52, 20, 48, 20));
    EXPECT_EQ(box(u"br").minX(), 100) << "a break stands at the end of its line";
    EXPECT_EQ(box(u"img").minX(), 100 - 36);
    auto& last = *element(u"img")->nextSibling();
    EXPECT_EQ(webView->lineBoxRects(last).at(0).maxX(), 100);
    EXPECT_EQ(layout().nodeAtPoint(*webView->mainFrameDocument(), { 90, 5 }), &textOf(u"b"));
    EXPECT_EQ(layout().nodeAtPoint(*webView->mainFrameDocument(), { 70, 45 }), element(u"img").get());
}

TEST_F(WebLineAlignmentTest, TheCaretHitTestingAndPaintingFollowTheMovedRuns)
{
    loadBody(u"<p id=p style='margin:0;width:200px;text-align:center'>one two three four five six seven</p>");
    auto& text = textOf(u"p");
    auto lines = webView->lineBoxRects(text);
    ASSERT_EQ(lines.size(), 2u);
    for (size_t index = 0; index < lines.size(); ++index) {
        auto run = layout().textRun(text, index);
        ASSERT_TRUE(run);
        EXPECT_NEAR(run->positions.front(), 200 - run->positions.back(), 1e-9) << "as much room on each side";
        EXPECT_EQ(run->positions.front(), lines[index].minX());
        // Every unit: the caret stands at its drawn x, and a point just right of that x finds its offset.
        for (size_t k = 0; k + 1 < run->sourceOffsets.size(); ++k) {
            unsigned offset = run->sourceOffsets[k];
            EXPECT_EQ(layout().caretRect(text, offset).minX(), run->positions[k]);
            EXPECT_EQ(layout().offsetForPoint(text, { run->positions[k] + 1, lines[index].midY() }), offset);
        }
    }
    GraphicsContext context;
    webView->display(context);
    std::vector<Rect> drawn;
    for (auto& command : context.commandsOfView(webView->mainFrame()->frameView()->documentView().get())) {
        if (command.kind == DrawCommand::Kind::TextRun)
            drawn.push_back(command.rect);
    }
    EXPECT_EQ(drawn, lines);
}

TEST_F(WebLineAlignmentTest, EditedTextIsAlignedAgainAsAFullLayoutWould)
{
    loadBody(u"<div id=d style='text-align:center;border:2px solid'><p id=p style='margin:0'>ab</p><p id=q>x</p></div>");
    auto& text = downcast<DOMCharacterData>(textOf(u"p"));
    EXPECT_EQ(line(u"p").minX(), 2 + (796 - 16) / 2);
    text.appendData(u"cd");
    webView->layoutIfNeeded();
    EXPECT_EQ(line(u"p").minX(), 2 + (796 - 32) / 2);
    auto& document = *webView->mainFrameDocument();
    auto added = document.createElement(u"p");
    added->appendChild(document.createTextNode(u"new"));
    element(u"d")->insertBefore(added, element(u"q"));
    webView->layoutIfNeeded();
    Rect addedLine = webView->lineBoxRects(*added->firstChild()).at(0);
    Rect qLine = line(u"q");
    EXPECT_EQ(addedLine.minX(), 2 + (796 - 24) / 2);
    layout().invalidate();
    webView->layoutIfNeeded();
    EXPECT_EQ(webView->lineBoxRects(*added->firstChild()).at(0), addedLine);
    EXPECT_EQ(line(u"q"), qLine);
}

TEST_F(WebLineAlignmentTest, JustifiedLinesSpreadTheirRoomOverTheirSpaces)
{
    loadBody(u"<p id=p style='margin:0;width:100px;text-align:justify'>aa <b id=b>bb</b> cc dd ee ff<br>gg hh</p>"
             u"<p id=long style='margin:0;width:100px;text-align:justify'>abcdefghijklmn op</p>"
             u"<pre id=pre style='margin:0;width:100px;text-align:justify'>aa bb cc dd ee ff</pre>");
    // "aa bb cc dd" is 88px of 100: three gaps, each 4px wider.
    auto& first = textOf(u"p");
    EXPECT_EQ(webView->lineBoxRects(first).at(0), Rect(0, 0, 16, 20));
    EXPECT_EQ(line(u"b"), Rect(28, 0, 16, 20)) << "the gap between two nodes widens too";
    auto& third = *element(u"b")->nextSibling();
    auto lines = webView->lineBoxRects(third);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], Rect(56, 0, 44, 20)) << "the line now ends at the right edge";
    EXPECT_EQ(lines[1], Rect(0, 20, 40, 20)) << "a line ended by a break is not stretched";
    auto run = layout().textRun(third, 0);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->text, u"cc dd");
    EXPECT_EQ(run->positions[3], 56 + 16 + 12) << "the drawn space is wider";
    EXPECT_EQ(run->positions.back(), 100);
    EXPECT_EQ(layout().caretRect(third, 4).minX(), 84);
    EXPECT_EQ(layout().offsetForPoint(third, { 85, 10 }), 4u);
    EXPECT_EQ(webView->lineBoxRects(textOf(u"p")).size(), 1u);
    auto last = webView->lineBoxRects(*element(u"p")->lastChild());
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0], Rect(0, 40, 40, 20)) << "the last line stands at the start";
    // A lone word on a line has nothing to widen; kept white space is not stretched.
    EXPECT_EQ(line(u"long").minX(), 0);
    EXPECT_EQ(line(u"pre").width(), 17 * 8);
}
