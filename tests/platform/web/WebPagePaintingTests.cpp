#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemColors.h"
#include "platform/views/Window.h"
#include "platform/web/WebView.h"

#include "tests/platform/web/WebPageTestSupport.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// Real fonts are proportional: here "i" is narrow, "m" wide, everything else in between.
class ProportionalProvider final : public FontMetricsProvider {
public:
    static double advance(char16_t c, double size) { return size * (c == u'i' ? 0.25 : c == u'm' ? 0.9 : 0.6); }
    double widthOfRun(const FontDescriptor& font, std::u16string_view run) const override
    {
        return caretPositions(font, run).back();
    }
    std::vector<double> caretPositions(const FontDescriptor& font, std::u16string_view run) const override
    {
        std::vector<double> positions { 0 };
        for (char16_t c : run)
            positions.push_back(positions.back() + advance(c, font.pointSize()));
        return positions;
    }
    FontLineMetrics lineMetrics(const FontDescriptor& font) const override
    {
        return { font.pointSize() * 0.9, font.pointSize() * 0.25, font.pointSize() * 1.2 };
    }
};

class WebPagePaintingTest : public WebPageTest {
protected:
    WebPagePaintingTest()
        : WebPageTest(Rect(0, 0, 400, 300))
    {
    }
    void TearDown() override
    {
        FontMetricsProvider::setCurrent(nullptr);
        WebPageTest::TearDown();
    }

    void load(const std::u16string& html, const std::optional<URL>& base = std::nullopt)
    {
        webView->mainFrame()->loadHTMLString(html, base);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
        webView->layoutIfNeeded();
    }
    const std::shared_ptr<WebDocumentView>& documentView() { return webView->mainFrame()->frameView()->documentView(); }
    static bool hasFill(const std::vector<DrawCommand>& commands, const Rect& rect, const Color& color)
    {
        for (auto& command : commands) {
            if (command.kind == DrawCommand::Kind::FillRect && command.rect == rect && command.color == color)
                return true;
        }
        return false;
    }
};

// Each recorded run is one line box of a text node, with the node's text and the positions hit testing uses.
void expectRunsMatchLayout(WebView& webView, const std::vector<DrawCommand>& runs)
{
    auto& layout = webView.mainFrame()->layout();
    size_t lines = 0;
    for (DOMNode* node = webView.mainFrameDocument().get(); node; node = node->traverseNext()) {
        if (!node->isTextNode() || !layout.lineBoxes(*node))
            continue;
        for (size_t index = 0; index < layout.lineBoxes(*node)->size(); ++index, ++lines) {
            auto run = layout.textRun(*node, index);
            ASSERT_LT(lines, runs.size());
            auto& command = runs[lines];
            EXPECT_EQ(command.rect, run->rect);
            EXPECT_EQ(command.text, run->text);
            ASSERT_EQ(command.glyphPositions.size(), run->positions.size());
            for (size_t k = 0; k < run->positions.size(); ++k)
                EXPECT_DOUBLE_EQ(command.rect.minX() + command.glyphPositions[k], run->positions[k]);
            EXPECT_GE(command.glyphPositions.front(), 0);
            EXPECT_LE(command.glyphPositions.back(), command.rect.width() + 1e-9);
            EXPECT_GT(command.baselineOffset, 0);
            EXPECT_LT(command.baselineOffset, command.rect.height());
        }
    }
    EXPECT_EQ(lines, runs.size());
}

} // namespace

TEST_F(WebPagePaintingTest, TextRunsStandInTheirLineBoxesWithTheirFonts)
{
    load(u"<body style='margin:0'><p id=p style='color:#ff0000'>Some   words that wrap <b>bold</b> <i>it</i></p>"
         u"<pre>a  b\nc</pre><p>mmm iii</p></body>");
    auto runs = ofKind(paint(), DrawCommand::Kind::TextRun);
    expectRunsMatchLayout(*webView, runs);
    ASSERT_GE(runs.size(), 4u);
    EXPECT_EQ(runs[0].text, u"Some words that wrap") << "collapsed white space is one space; the node's trailing space is not in its line";
    EXPECT_EQ(runs[0].color, Color::sRGB(1, 0, 0, 1));
    EXPECT_EQ(runs[0].font->metricsRole(), FontMetricsRole::Page);
    EXPECT_EQ(runs[1].text, u"bold");
    EXPECT_TRUE(runs[1].font->isBold());
    EXPECT_TRUE(runs[2].font->isItalic());
    EXPECT_EQ(runs[3].text, u"a  b") << "pre keeps its spaces";
    EXPECT_NE(runs[3].font->familyName().find(u"monospace"), std::u16string::npos);

    // The same with proportional metrics: lines are measured with them and hit testing uses the drawn positions.
    FontMetricsProvider::setCurrent(std::make_shared<ProportionalProvider>());
    auto proportional = ofKind(paint(), DrawCommand::Kind::TextRun);
    expectRunsMatchLayout(*webView, proportional);
    const DrawCommand* widths = nullptr;
    for (auto& run : proportional)
        widths = run.text == u"mmm iii" ? &run : widths;
    ASSERT_TRUE(widths);
    EXPECT_DOUBLE_EQ(widths->rect.width(), 16 * (3 * 0.9 + 0.6 + 3 * 0.25));
    auto& layout = webView->mainFrame()->layout();
    auto& text = *element(u"p")->firstChild();
    auto run = layout.textRun(text, 0);
    double y = run->rect.midY();
    // Left of the middle of "o" in "Some": before it; right of it: after it.
    double oLeft = run->positions[1], oRight = run->positions[2];
    EXPECT_EQ(layout.offsetForPoint(text, { (oLeft + oRight) / 2 - 0.5, y }), 1u);
    EXPECT_EQ(layout.offsetForPoint(text, { (oLeft + oRight) / 2 + 0.5, y }), 2u);
    // Just after the collapsed spaces: the start of "words", past all three spaces.
    EXPECT_EQ(layout.offsetForPoint(text, { run->positions[5] - 0.5, y }), 7u);
    EXPECT_EQ(layout.caretRect(text, 7).minX(), run->positions[5]);

    FontMetricsProvider::setCurrent(nullptr);
    webView->layoutIfNeeded();
    EXPECT_EQ(webView->lineBoxRects(text).front().width(), 20 * 8) << "the default metrics come back";
}

TEST_F(WebPagePaintingTest, BackgroundsBordersImagesAndListMarkersComeFromTheCascade)
{
    auto folder = std::string(BREVANTON_TEST_DATA_DIR);
    load(u"<body style='margin:0;background:#00ff00'>"
         u"<div id=box style='background-color:#0000ff;border:2px solid #ff0000;border-left-style:none;height:30px'>x</div>"
         u"<img id=img src='picture.png' width=20 height=10>"
         u"<ul><li id=disc>one</li></ul><ol start=4><li>a</li><li id=second>b</li></ol>"
         u"<table border=1><tr><td id=cell>c</td></tr></table></body>",
         URL::fileURLWithPath(folder + "/page.html"));
    auto commands = paint();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands[0].kind, DrawCommand::Kind::FillRect);
    EXPECT_EQ(commands[0].color, Color::sRGB(0, 1, 0, 1)) << "the body's background covers the canvas";

    Rect box = webView->boundingBox(*element(u"box"));
    EXPECT_TRUE(hasFill(commands, box, Color::sRGB(0, 0, 1, 1)));
    EXPECT_TRUE(hasFill(commands, Rect(box.minX(), box.minY(), box.width(), 2), Color::sRGB(1, 0, 0, 1)));
    EXPECT_TRUE(hasFill(commands, Rect(box.maxX() - 2, box.minY(), 2, box.height()), Color::sRGB(1, 0, 0, 1)));
    EXPECT_FALSE(hasFill(commands, Rect(box.minX(), box.minY(), 2, box.height()), Color::sRGB(1, 0, 0, 1)));

    auto images = ofKind(commands, DrawCommand::Kind::ImageFile);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].imagePath, folder + "/picture.png");
    EXPECT_EQ(images[0].rect, webView->boundingBox(*element(u"img")));

    Rect item = webView->boundingBox(*element(u"disc"));
    bool disc = false;
    for (auto& command : ofKind(commands, DrawCommand::Kind::FillPath))
        disc = disc || (command.rect.maxX() <= item.minX() && command.rect.minY() >= item.minY() && command.rect.maxY() <= item.maxY());
    EXPECT_TRUE(disc) << "a disc left of the item, on its first line";
    Rect second = webView->boundingBox(*element(u"second"));
    bool number = false;
    for (auto& command : ofKind(commands, DrawCommand::Kind::TextRun))
        number = number || (command.text == u"5." && command.rect.maxX() <= second.minX() && command.rect.minY() == second.minY());
    EXPECT_TRUE(number) << "the second item of a list starting at 4";

    bool cellGrid = false;
    Rect cell = webView->boundingBox(*element(u"cell"));
    for (auto& command : ofKind(commands, DrawCommand::Kind::StrokeRect))
        cellGrid = cellGrid || command.rect == cell;
    EXPECT_TRUE(cellGrid);
}

TEST_F(WebPagePaintingTest, SelectionCoversTheSelectedUnitsAndTheCaretStandsWhereLayoutSays)
{
    load(u"<body style='margin:0'><p id=p>hello world</p><p id=q>next</p></body>");
    auto& text = *element(u"p")->firstChild();
    auto range = DOMRange::create(*webView->mainFrameDocument());
    range->setStart(text.shared_from_this(), 2);
    range->setEnd(element(u"q")->firstChild(), 2);
    webView->setSelectedDOMRange(range, WebSelectionAffinityDownstream);
    auto commands = paint();
    Color selection = systemColor(SystemColor::SelectedTextBackground);
    auto& layout = webView->mainFrame()->layout();
    auto run = layout.textRun(text, 0);
    EXPECT_TRUE(hasFill(commands, Rect(run->positions[2], run->rect.minY(), run->positions.back() - run->positions[2], run->rect.height()), selection));
    auto next = layout.textRun(*element(u"q")->firstChild(), 0);
    EXPECT_TRUE(hasFill(commands, Rect(next->positions[0], next->rect.minY(), next->positions[2] - next->positions[0], next->rect.height()), selection));
    // The highlight goes under its text.
    size_t fill = 0, drawn = 0;
    for (size_t i = 0; i < commands.size(); ++i) {
        if (commands[i].kind == DrawCommand::Kind::FillRect && commands[i].color == selection && !fill)
            fill = i;
        if (commands[i].kind == DrawCommand::Kind::TextRun && commands[i].text == u"hello world")
            drawn = i;
    }
    EXPECT_LT(fill, drawn);

    // A caret is drawn only in an editable view, where the layout puts it.
    range->collapse(true);
    webView->setSelectedDOMRange(range, WebSelectionAffinityDownstream);
    Rect caret = layout.caretRect(text, 2);
    EXPECT_EQ(caret, Rect(run->positions[2], run->rect.minY(), 1, run->rect.height()));
    EXPECT_EQ(webView->firstRectForDOMRange(*range), caret) << "what an input method is told";
    EXPECT_FALSE(hasFill(paint(), caret, Color::sRGB(0, 0, 0, 1)));
    webView->setEditable(true);
    EXPECT_TRUE(hasFill(paint(), caret, Color::sRGB(0, 0, 0, 1)));

    // In a window, only while the web view has the focus; a selection without it is drawn unemphasized.
    auto window = Window::create(Rect(0, 0, 400, 300));
    window->contentView()->addSubview(webView);
    auto other = std::make_shared<View>(Rect(0, 0, 10, 10));
    window->contentView()->addSubview(other);
    EXPECT_FALSE(hasFill(paint(), caret, Color::sRGB(0, 0, 0, 1)));
    ASSERT_TRUE(window->makeFirstResponder(webView));
    EXPECT_TRUE(hasFill(paint(), caret, Color::sRGB(0, 0, 0, 1)));
    range->setEnd(text.shared_from_this(), 4);
    webView->setSelectedDOMRange(range, WebSelectionAffinityDownstream);
    Rect selected(run->positions[2], run->rect.minY(), run->positions[4] - run->positions[2], run->rect.height());
    EXPECT_TRUE(hasFill(paint(), selected, selection));
    window->makeFirstResponder(nullptr);
    EXPECT_TRUE(hasFill(paint(), selected, systemColor(SystemColor::UnemphasizedSelectedTextBackground)));
}

TEST_F(WebPagePaintingTest, OnlyTheVisiblePartOfALongPageIsRecorded)
{
    std::u16string html = u"<body style='margin:0'>";
    for (int i = 0; i < 2000; ++i)
        html += u"<p style='margin:0'>line</p>";
    load(html);
    auto& clip = webView->mainFrame()->frameView()->clipView();
    clip->scrollToPoint({ 0, 20000 });
    auto runs = ofKind(paint(), DrawCommand::Kind::TextRun);
    ASSERT_EQ(runs.size(), 15u) << "300 points of 20-point lines";
    EXPECT_EQ(runs.front().rect.minY(), 20000);
}

TEST_F(WebPagePaintingTest, TheEditingStyleSheetOutlinesBricksWithDashes)
{
    webView->preferences().userStyleSheetEnabled = true;
    webView->preferences().userStyleSheetLocation
        = URL::fileURLWithPath(std::string(BREVANTON_RESOURCES_DIR) + "/VornickEditingViewUserStyleSheet.css");
    ASSERT_TRUE(webView->applyUserStyleSheet());
    load(u"<body class=brevanton-section-handles-shown><div id=brick class=brevanton-brick>one</div></body>");
    Rect brick = webView->boundingBox(*element(u"brick"));
    bool outlined = false;
    for (auto& command : ofKind(paint(), DrawCommand::Kind::StrokePath)) {
        outlined = outlined
            || (command.path->bounds() == brick.insetBy(-0.5, -0.5) && !command.path->lineDash().empty()
                && command.color.alphaComponent() < 1);
    }
    EXPECT_TRUE(outlined);
    webView->preferences().userStyleSheetEnabled = false;
    ASSERT_TRUE(webView->applyUserStyleSheet());
}
