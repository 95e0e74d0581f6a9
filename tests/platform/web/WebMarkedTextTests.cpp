#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/GraphicsContext.h"
#include "platform/web/WebFrameView.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class WebMarkedText : public ::testing::Test {
protected:
    void SetUp() override
    {
        webView = WebView::create(Rect(0, 0, 400, 300));
        webView->mainFrame()->loadHTMLString(u"<body style='margin:0'><p id=p style='font-size:20px'>hello world</p></body>", std::nullopt);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
        webView->layoutIfNeeded();
        text = webView->mainFrameDocument()->getElementById(u"p")->firstChild();
        caret = DOMRange::create(*webView->mainFrameDocument());
        caret->setStart(text, 5);
        caret->collapse(true);
        webView->setSelectedDOMRange(caret, WebSelectionAffinityDownstream);
        webView->setEditable(true);
    }
    const std::shared_ptr<WebDocumentView>& documentView() { return webView->mainFrame()->frameView()->documentView(); }
    std::vector<DrawCommand> paint()
    {
        GraphicsContext context;
        webView->display(context);
        return context.commandsOfView(documentView().get());
    }
    static const DrawCommand* runOf(const std::vector<DrawCommand>& commands, std::u16string_view text)
    {
        for (auto& command : commands) {
            if (command.kind == DrawCommand::Kind::TextRun && command.text == text)
                return &command;
        }
        return nullptr;
    }
    static size_t linesOfWidth(const std::vector<DrawCommand>& commands, double width)
    {
        size_t count = 0;
        for (auto& command : commands)
            count += command.kind == DrawCommand::Kind::Line && command.lineWidth == width ? 1 : 0;
        return count;
    }

    std::shared_ptr<WebView> webView;
    std::shared_ptr<DOMNode> text;
    std::shared_ptr<DOMRange> caret;
};

TEST_F(WebMarkedText, IsDrawnOverThePageAtTheCaretWithoutChangingTheDocument)
{
    Rect caretRect = webView->mainFrame()->layout().caretRect(*text, 5);
    auto before = paint();
    GraphicsContext shown;
    webView->displayIfNeeded(shown);
    webView->setMarkedText({ u"kana", 2, true, { { 0, 2, true }, { 2, 2, false } } });
    ASSERT_TRUE(webView->hasMarkedText());
    EXPECT_TRUE(documentView()->dirtyRect().containsPoint({ caretRect.minX() + 4, caretRect.midY() })) << "its place is redrawn";
    auto commands = paint();
    const DrawCommand* run = runOf(commands, u"kana");
    ASSERT_TRUE(run);
    // In the text's own font, from the caret, after the page's text and over a box of its own.
    EXPECT_EQ(run->font, *webView->mainFrame()->layout().fontOfText(*text));
    EXPECT_EQ(run->rect.origin, caretRect.origin);
    EXPECT_GT(run - &commands.front(), runOf(commands, u"hello world") - &commands.front());
    bool boxed = false;
    for (auto& command : commands)
        boxed = boxed || (command.kind == DrawCommand::Kind::FillRect && command.rect.minX() == caretRect.minX()
                          && command.rect.width() > run->glyphPositions.back());
    EXPECT_TRUE(boxed);
    // The clause being converted is underlined thickly, the other thinly.
    EXPECT_EQ(linesOfWidth(commands, 2), 1u);
    EXPECT_EQ(linesOfWidth(commands, 1), 1u);
    EXPECT_EQ(text->textContent(), u"hello world");
    EXPECT_EQ(webView->selectedDOMRange()->startOffset(), 5u);

    // The input method's cursor: after "ka", in window-independent base coordinates.
    auto cursor = webView->firstRectForMarkedTextOffset(2);
    ASSERT_TRUE(cursor);
    EXPECT_DOUBLE_EQ(cursor->minX(), caretRect.minX() + run->glyphPositions[2]);
    EXPECT_EQ(cursor->height(), caretRect.height());

    // Gone again, the page is drawn as before.
    webView->unmarkText();
    EXPECT_FALSE(webView->hasMarkedText());
    EXPECT_FALSE(webView->firstRectForMarkedTextOffset(0));
    auto after = paint();
    EXPECT_FALSE(runOf(after, u"kana"));
    EXPECT_EQ(after.size(), before.size());
}

TEST_F(WebMarkedText, FollowsTheCaretAndIsRefusedWhereNothingCanBeTyped)
{
    webView->setMarkedText({ u"ab", 2, false, {} });
    caret->setStart(text, 0);
    caret->collapse(true);
    webView->setSelectedDOMRange(caret, WebSelectionAffinityDownstream);
    auto commands = paint();
    const DrawCommand* run = runOf(commands, u"ab");
    ASSERT_TRUE(run);
    EXPECT_EQ(run->rect.minX(), webView->mainFrame()->layout().caretRect(*text, 0).minX());
    // Without clauses the whole text is one thin underline; a hidden cursor draws no bar.
    EXPECT_EQ(linesOfWidth(commands, 1), 1u);
    for (auto& command : commands)
        EXPECT_FALSE(command.kind == DrawCommand::Kind::FillRect && command.rect.width() == 1
                     && command.rect.minX() == run->rect.minX() + run->glyphPositions.back());

    // An empty text unmarks; a read-only view or one without a selection takes none.
    webView->setMarkedText({});
    EXPECT_FALSE(webView->hasMarkedText());
    webView->setEditable(false);
    webView->setMarkedText({ u"x", 1, true, {} });
    EXPECT_FALSE(webView->hasMarkedText());
    webView->setEditable(true);
    webView->setSelectedDOMRange(nullptr, WebSelectionAffinityDownstream);
    webView->setMarkedText({ u"x", 1, true, {} });
    EXPECT_FALSE(webView->hasMarkedText());
}

} // namespace
