#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/GraphicsContext.h"
#include "platform/web/WebGeneratedContent.h"
#include "platform/web/WebView.h"

#include "tests/platform/web/WebPageTestSupport.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// What the page painter records for rounded corners, generated boxes,
// hidden overflow and opacity.
class WebPagePainterEffectsTest : public WebPageTest {
protected:
    WebPagePainterEffectsTest()
        : WebPageTest(Rect(0, 0, 400, 300))
    {
    }
    static void expectColor(const Color& color, double red, double green, double blue, double alpha)
    {
        EXPECT_NEAR(color.redComponent(), red / 255, 1e-9);
        EXPECT_NEAR(color.greenComponent(), green / 255, 1e-9);
        EXPECT_NEAR(color.blueComponent(), blue / 255, 1e-9);
        EXPECT_NEAR(color.alphaComponent(), alpha, 1e-9);
    }
};

} // namespace

TEST_F(WebPagePainterEffectsTest, SectionHandlesAreRoundedRectsWhileShown)
{
    useEditingStyleSheet();
    load(u"<body class=brevanton-section-handles-shown>"
         u"<div id=outer class=brevanton-brick><p id=inner class=brevanton-brick>words</p></div></body>");
    auto handles = ofKind(paint(), DrawCommand::Kind::FillRoundedRect);
    ASSERT_EQ(handles.size(), 2u);
    auto& layout = webView->mainFrame()->layout();
    // The inner brick ends first: its handle comes first, over its content.
    EXPECT_EQ(handles[0].rect, webGeneratedBoxes(layout, *element(u"inner"), 1).at(0).rect);
    EXPECT_EQ(handles[1].rect, webGeneratedBoxes(layout, *element(u"outer"), 1).at(0).rect);
    EXPECT_EQ(handles[1].cornerRadius, 3);
    EXPECT_GE(handles[1].rect.minX(), box(u"outer").maxX() - 13);
    expectColor(handles[1].color, 80, 110, 160, 0.6);

    (void)webView->mainFrameDocument()->body()->setAttribute(u"class", u"");
    webView->layoutIfNeeded();
    auto hidden = paint();
    EXPECT_TRUE(ofKind(hidden, DrawCommand::Kind::FillRoundedRect).empty());
    EXPECT_TRUE(ofKind(hidden, DrawCommand::Kind::BeginClip).empty());
}

TEST_F(WebPagePainterEffectsTest, ACollapsedBrickIsClippedAndFaded)
{
    useEditingStyleSheet();
    load(u"<body class=brevanton-section-handles-shown>"
         u"<p id=c class='brevanton-brick brevanton-collapsed'>Many words that wrap onto several lines of this "
         u"narrow page, many more than one</p><p id=after>after</p></body>");
    auto commands = paint();
    Rect collapsed = box(u"c");
    size_t begin = commands.size(), end = commands.size();
    for (size_t i = 0; i < commands.size(); ++i) {
        if (commands[i].kind == DrawCommand::Kind::BeginClip)
            begin = i;
        else if (commands[i].kind == DrawCommand::Kind::EndClip)
            end = i;
    }
    ASSERT_LT(begin, end);
    EXPECT_EQ(commands[begin].rect, collapsed);
    // Every line of the brick's text, even those below its box, is drawn inside the clip, faded.
    size_t runs = 0;
    for (size_t i = begin + 1; i < end; ++i) {
        if (commands[i].kind == DrawCommand::Kind::TextRun) {
            ++runs;
            EXPECT_NEAR(commands[i].color.alphaComponent(), 0.6, 1e-9);
        }
    }
    EXPECT_GT(runs, 1u);
    // The handle: inside the clip, in its own colour, faded with the brick.
    auto handle = std::find_if(commands.begin() + static_cast<std::ptrdiff_t>(begin),
                               commands.begin() + static_cast<std::ptrdiff_t>(end),
                               [](auto& command) { return command.kind == DrawCommand::Kind::FillRoundedRect; });
    ASSERT_NE(handle, commands.begin() + static_cast<std::ptrdiff_t>(end));
    expectColor(handle->color, 160, 110, 80, 0.7 * 0.6);
    // The outline is the brick's own: faded, outside the clip.
    auto outline = std::find_if(commands.begin(), commands.end(),
                                [](auto& command) { return command.kind == DrawCommand::Kind::StrokePath; });
    ASSERT_NE(outline, commands.end());
    EXPECT_LT(static_cast<size_t>(outline - commands.begin()), begin);
    EXPECT_NEAR(outline->color.alphaComponent(), 0.45 * 0.6, 1e-9);
    // What follows the brick is neither clipped nor faded.
    for (size_t i = end + 1; i < commands.size(); ++i) {
        if (commands[i].kind == DrawCommand::Kind::TextRun) {
            EXPECT_EQ(commands[i].color.alphaComponent(), 1);
        }
    }
}

TEST_F(WebPagePainterEffectsTest, RoundedBackgroundsAndBordersAndNestedOpacity)
{
    load(u"<style>body { margin: 0 }"
         u"#r { border-radius: 6px; background: #00ff00; height: 20px }"
         u"#b { border: 2px solid rgb(0, 0, 255); border-radius: 25%; width: 40px; height: 10px }"
         u"#mixed { border: 2px solid red; border-left-color: blue; border-radius: 4px; height: 10px }"
         u"#o { opacity: 0.5 } #o p { opacity: 50%; color: rgba(255, 0, 0, 0.8) }"
         u"</style><div id=r></div><div id=b></div><div id=mixed></div><div id=o><p>x</p></div>");
    auto commands = paint();
    auto fills = ofKind(commands, DrawCommand::Kind::FillRoundedRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect, box(u"r"));
    EXPECT_EQ(fills[0].cornerRadius, 6);
    auto strokes = ofKind(commands, DrawCommand::Kind::StrokeRoundedRect);
    ASSERT_EQ(strokes.size(), 1u) << "a border whose sides differ is drawn side by side";
    EXPECT_EQ(strokes[0].rect, box(u"b"));
    EXPECT_EQ(strokes[0].lineWidth, 2);
    Rect bordered = box(u"b");
    EXPECT_DOUBLE_EQ(strokes[0].cornerRadius, std::min(bordered.width() / 4, bordered.height() / 2))
        << "a quarter of the width, at most half the height";
    expectColor(strokes[0].color, 0, 0, 255, 1);
    // Opacity multiplies down the tree, with the colour's own alpha.
    auto runs = ofKind(commands, DrawCommand::Kind::TextRun);
    ASSERT_EQ(runs.size(), 1u);
    expectColor(runs[0].color, 255, 0, 0, 0.8 * 0.5 * 0.5);
}
