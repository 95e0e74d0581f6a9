// What a keystroke marks for display in the web view: only what the
// relayout of the typed paragraph changed, and the caret, never the whole
// visible page.
#include "UndoableEditChecks.h"

#include "app/VornickWindow.h"
#include "platform/views/ClipView.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/web/WebFrameView.h"
#include "platform/web/WebLayout.h"

namespace brevanton::testing {
namespace {

class TypingRepaint : public UndoableEditTest {
protected:
    void TearDown() override
    {
        if (window) {
            window->close();
            window.reset();
        }
        UndoableEditTest::TearDown();
    }
    // A long page of paragraphs in a window, with the page's focus.
    void openLongPage()
    {
        std::string body;
        for (int i = 0; i < 200; ++i)
            body += "<p>Paragraph " + std::to_string(i) + " holds a few words of text.</p>\n";
        loadBody(body);
        window = VornickWindow::create(Rect(0, 0, 800, 600));
        view->setFrame(Rect(0, 0, 800, 600));
        window->contentView()->addSubview(view);
        window->makeKeyAndOrderFront();
        ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
        drain();
    }
    void drain()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
    }
    // Draws what is marked, so that the next marks start from nothing.
    void display() { window->displayIfNeeded(); }
    WebDocumentView& documentView() const { return *view->embeddedWebView()->mainFrame()->frameView()->documentView(); }
    // The part of the page (document view coordinates) the views from the
    // web view down to the page have marked for display.
    Rect markedInPage() const
    {
        Rect marked;
        auto& page = documentView();
        for (View* v = &page; v; v = v->superview().get()) {
            if (v->needsDisplay())
                marked = marked.unionWith(page.convertRectFromView(v->dirtyRect(), v));
            if (v == view->embeddedWebView().get())
                break;
        }
        return marked;
    }

    std::shared_ptr<Window> window;
    EventSynthesizer events;
};

TEST_F(TypingRepaint, AKeystrokeMarksOnlyTheTypedParagraph)
{
    openLongPage();
    auto text = textNode(u"Paragraph 3 ");
    ASSERT_TRUE(text);
    select(rangeIn(text, 5, 5));
    drain();
    display();
    auto webView = view->embeddedWebView();
    webView->layoutIfNeeded();
    Rect paragraph = webView->boundingBox(*text->parentNode());
    Rect visible = documentView().visibleRect();
    ASSERT_GT(visible.height(), paragraph.height() * 5);

    events.typeText(window, u"x");
    drain();
    ASSERT_EQ(text->data().substr(0, 6), u"Paragx");
    // The typed paragraph (with the caret before and after) is marked, and
    // nothing above or below it.
    Rect marked = markedInPage();
    EXPECT_FALSE(marked.isEmpty()) << "the typed character is never drawn";
    EXPECT_GE(marked.minY(), paragraph.minY() - 3);
    EXPECT_LE(marked.maxY(), paragraph.maxY() + 3);
    EXPECT_LT(marked.height(), visible.height() / 4);
}

TEST_F(TypingRepaint, AKeystrokeThatAddsALineMarksEverythingBelowIt)
{
    openLongPage();
    auto text = textNode(u"Paragraph 3 ");
    ASSERT_TRUE(text);
    unsigned end = text->length();
    select(rangeIn(text, end, end));
    drain();
    auto webView = view->embeddedWebView();
    webView->layoutIfNeeded();
    Rect paragraph = webView->boundingBox(*text->parentNode());
    Rect visible = documentView().visibleRect();
    // Type until the paragraph takes a second line.
    for (int typed = 0; typed < 200 && webView->boundingBox(*text->parentNode()).height() == paragraph.height(); ++typed) {
        display();
        events.typeText(window, u"w");
        drain();
        webView->layoutIfNeeded();
    }
    Rect taller = webView->boundingBox(*text->parentNode());
    ASSERT_GT(taller.height(), paragraph.height());
    // The paragraphs below moved: all of what shows below is drawn again.
    Rect marked = markedInPage();
    EXPECT_LE(marked.minY(), taller.minY() + 3);
    EXPECT_GE(marked.maxY(), visible.maxY());
    // A keystroke within the new line marks that paragraph alone again.
    display();
    events.typeText(window, u"w");
    drain();
    marked = markedInPage();
    EXPECT_FALSE(marked.isEmpty());
    EXPECT_LT(marked.maxY(), taller.maxY() + 3);
}

TEST_F(TypingRepaint, MovingTheCaretMarksItsOldAndNewPlaceOnly)
{
    openLongPage();
    auto first = textNode(u"Paragraph 2 ");
    auto second = textNode(u"Paragraph 6 ");
    ASSERT_TRUE(first && second);
    select(rangeIn(first, 3, 3));
    drain();
    display();
    select(rangeIn(second, 4, 4));
    drain();
    auto webView = view->embeddedWebView();
    Rect from = webView->boundingBox(*first->parentNode());
    Rect to = webView->boundingBox(*second->parentNode());
    Rect marked = markedInPage();
    // Both places are marked (the union reaches from one to the other).
    EXPECT_LE(marked.minY(), from.maxY());
    EXPECT_GE(marked.maxY(), to.minY());
    EXPECT_LE(marked.height(), to.maxY() - from.minY() + 6);
    EXPECT_LT(marked.width(), 40) << "carets, not lines across the page";
}

} // namespace
} // namespace brevanton::testing
