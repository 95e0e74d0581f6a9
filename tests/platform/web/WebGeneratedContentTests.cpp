#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebGeneratedContent.h"
#include "platform/web/WebView.h"

#include "tests/platform/web/WebPageTestSupport.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// The editing view's own style sheet as the user sheet of a 400-point web view.
class WebGeneratedContentTest : public WebPageTest {
protected:
    WebGeneratedContentTest()
        : WebPageTest(Rect(0, 0, 400, 300))
    {
    }
    std::vector<WebGeneratedBox> generated(const char16_t* id)
    {
        webView->layoutIfNeeded();
        return webGeneratedBoxes(webView->mainFrame()->layout(), *element(id), 1);
    }

    // The strip along a brick's right edge where a click selects it.
    static bool liesInHandleStrip(const Rect& handle, const Rect& brick)
    {
        return handle.minX() >= brick.maxX() - 13 && handle.maxX() <= brick.maxX() && handle.minY() >= brick.minY()
            && handle.maxY() <= brick.maxY();
    }
};

} // namespace

TEST_F(WebGeneratedContentTest, SectionHandlesStandInTheirBricksRightStrip)
{
    useEditingStyleSheet();
    load(u"<body class=brevanton-section-handles-shown>"
         u"<div id=outer class=brevanton-brick><p id=inner class=brevanton-brick>Some words in a brick</p>"
         u"<p id=plain>not a brick</p></div></body>");
    auto outer = generated(u"outer");
    ASSERT_EQ(outer.size(), 1u);
    EXPECT_EQ(outer[0].pseudoElement, CSSPseudoElement::Before);
    EXPECT_TRUE(outer[0].text.empty());
    Rect outerBox = box(u"outer");
    EXPECT_EQ(outer[0].rect, Rect(outerBox.maxX() - 12, outerBox.minY() + 0.2 * 16, 12, 12));
    EXPECT_TRUE(liesInHandleStrip(outer[0].rect, outerBox));

    // A nested brick's handle is smaller and keeps off the edge.
    auto inner = generated(u"inner");
    ASSERT_EQ(inner.size(), 1u);
    Rect innerBox = box(u"inner");
    EXPECT_EQ(inner[0].rect, Rect(innerBox.maxX() - 2 - 8, innerBox.minY() + 0.2 * 16, 8, 8));
    EXPECT_TRUE(liesInHandleStrip(inner[0].rect, innerBox));
    EXPECT_TRUE(generated(u"plain").empty());

    // The handle is out of the flow: the brick's text starts at its left and the brick is one line high.
    auto& layout = webView->mainFrame()->layout();
    auto lines = layout.lineBoxRects(*element(u"inner")->firstChild());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].minX(), innerBox.minX());
    EXPECT_EQ(innerBox.height(), lines[0].height());

    // Hidden handles: no generated boxes.
    (void)webView->mainFrameDocument()->body()->setAttribute(u"class", u"");
    EXPECT_TRUE(generated(u"outer").empty());
    EXPECT_TRUE(generated(u"inner").empty());
}

TEST_F(WebGeneratedContentTest, ACollapsedBrickShowsOnlyItsFirstLine)
{
    useEditingStyleSheet();
    load(u"<body class=brevanton-section-handles-shown style='margin:0'>"
         u"<p id=collapsed class='brevanton-brick brevanton-collapsed' style='margin:0'>"
         u"Many words that wrap onto several lines of this narrow page, many more than one line; "
         u"as many words again, and then some more words to fill a fourth line of the page</p>"
         u"<p id=next style='margin:0'>next</p>"
         u"<div id=limited style='max-height: 30px'><p id=inside style='margin:0'>x</p></div><p id=last>last</p></body>");
    Rect collapsed = box(u"collapsed");
    EXPECT_DOUBLE_EQ(collapsed.height(), 1.4 * 16);
    EXPECT_GT(webView->mainFrame()->layout().lineBoxRects(*element(u"collapsed")->firstChild()).size(), 2u);
    EXPECT_DOUBLE_EQ(box(u"next").minY(), collapsed.maxY()) << "what follows moves up";
    auto handle = generated(u"collapsed");
    ASSERT_EQ(handle.size(), 1u);
    EXPECT_TRUE(liesInHandleStrip(handle[0].rect, collapsed));

    // Collapsing and expanding later lays the page out again.
    (void)element(u"collapsed")->setAttribute(u"class", u"brevanton-brick");
    webView->layoutIfNeeded();
    EXPECT_GT(box(u"collapsed").height(), 3 * 20);
    EXPECT_DOUBLE_EQ(box(u"next").minY(), box(u"collapsed").maxY());
    (void)element(u"collapsed")->setAttribute(u"class", u"brevanton-brick brevanton-collapsed");
    webView->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(box(u"collapsed").height(), 1.4 * 16);
    EXPECT_DOUBLE_EQ(box(u"next").minY(), box(u"collapsed").maxY());
    // Typing into it adds lines that stay hidden.
    downcast<DOMCharacterData>(*element(u"collapsed")->firstChild()).appendData(u" and a great many more words");
    webView->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(box(u"collapsed").height(), 1.4 * 16);
    EXPECT_DOUBLE_EQ(box(u"next").minY(), box(u"collapsed").maxY());
    // So does typing into a block within a block of limited height.
    EXPECT_DOUBLE_EQ(box(u"limited").height(), 20);
    downcast<DOMCharacterData>(*element(u"inside")->firstChild())
        .appendData(u" and a great many more words, enough of them to wrap onto a second and a third line");
    webView->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(box(u"limited").height(), 30);
    EXPECT_GT(box(u"inside").height(), 30);
    EXPECT_DOUBLE_EQ(box(u"last").minY(), box(u"limited").maxY() + 16) << "after the margin of the last paragraph";
}

TEST_F(WebGeneratedContentTest, AbsoluteBoxesAgainstTheirContainingBlock)
{
    load(u"<style>"
         u"body { margin: 0 }"
         u"#page::before { content: ''; position: absolute; left: 5px; top: 7px; width: 3px; height: 4px }"
         u"#rel { position: relative; margin-left: 10px; width: 200px; height: 100px; border: 2px solid black; font-size: 20px }"
         u"#rel::after { content: ''; position: absolute; right: 10%; bottom: 1em; width: 5px; height: 6px; padding: 1px }"
         u"#stretch::before { content: ''; position: absolute; left: 1px; right: 2px; top: 0; bottom: 0 }"
         u"#static::before { content: ''; position: absolute; width: 4px; height: 4px }"
         u"#text::after { content: 'abc'; position: absolute; left: 0; top: 0 }"
         u"#none::before { content: none; position: absolute } #inflow::before { content: 'x' }"
         u"#hiddenbox { display: none } #hiddenbox::before { content: ''; position: absolute }"
         u"</style><div id=page>page</div><div id=rel><div id=stretch>s</div></div>"
         u"<div id=static style='padding: 3px'>t</div><div id=text>u</div><div id=none>v</div><div id=inflow>w</div>"
         u"<div id=hiddenbox>x</div>");
    // No positioned ancestor: against the page.
    auto page = generated(u"page");
    ASSERT_EQ(page.size(), 1u);
    EXPECT_EQ(page[0].rect, Rect(5, 7, 3, 4));

    // Against the positioned element's padding box; percentages of its width, em of the font size.
    Rect rel = box(u"rel");
    Rect padding(rel.minX() + 2, rel.minY() + 2, rel.width() - 4, rel.height() - 4);
    auto after = generated(u"rel");
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].pseudoElement, CSSPseudoElement::After);
    EXPECT_DOUBLE_EQ(after[0].rect.width(), 7);
    EXPECT_DOUBLE_EQ(after[0].rect.height(), 8);
    EXPECT_DOUBLE_EQ(after[0].rect.maxX(), padding.maxX() - padding.width() * 0.1);
    EXPECT_DOUBLE_EQ(after[0].rect.maxY(), padding.maxY() - 20);

    // Both offsets and no width: stretched between them; the nearest positioned ancestor holds it.
    auto stretch = generated(u"stretch");
    ASSERT_EQ(stretch.size(), 1u);
    EXPECT_EQ(stretch[0].rect, Rect(padding.minX() + 1, padding.minY(), padding.width() - 3, padding.height()));

    // No offsets: where the element's content starts.
    Rect staticBox = box(u"static");
    auto atStart = generated(u"static");
    ASSERT_EQ(atStart.size(), 1u);
    EXPECT_EQ(atStart[0].rect, Rect(staticBox.minX() + 3, staticBox.minY() + 3, 4, 4));

    // Text content sizes its box (half an em per unit, 1.25 em high with the default metrics).
    auto text = generated(u"text");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].text, u"abc");
    EXPECT_EQ(text[0].rect, Rect(0, 0, 3 * 8, 20));

    EXPECT_TRUE(generated(u"none").empty());
    EXPECT_TRUE(generated(u"inflow").empty()) << "generated content in the flow is not laid out";
    EXPECT_TRUE(generated(u"hiddenbox").empty()) << "an element without a box generates nothing";
}
