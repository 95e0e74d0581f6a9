#include "EditingTestSupport.h"

#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMRange.h"

#include <cmath>

using namespace brevanton;
using namespace brevanton::testing;

namespace {

using EmbeddedWebView = EditingViewTest;

TEST_F(EmbeddedWebView, StashingKeepsTheSelectionOnlyWhileTheViewHasNoTargetRange)
{
    load("page.html");
    auto webView = view->embeddedWebView();
    auto text = element(u"H1")->firstChild();
    auto selection = document()->createRange();
    selection->setStart(text, 1);
    selection->setEnd(text, 3);

    view->setTargetRange(selection);
    webView->vornick_stashSelectedDOMRange();
    EXPECT_FALSE(webView->vornick_stashedSelectedDOMRange());

    view->setTargetRange(nullptr);
    webView->setSelectedDOMRange(selection, WebSelectionAffinityDownstream);
    webView->vornick_stashSelectedDOMRange();
    ASSERT_TRUE(webView->vornick_stashedSelectedDOMRange());
    webView->setSelectedDOMRange(nullptr, WebSelectionAffinityDownstream);
    // The stash stands in for the selection while there is none.
    EXPECT_EQ(view->effectiveOperationRange(), webView->vornick_stashedSelectedDOMRange());
    webView->vornick_restoreSelectedDOMRange();
    EXPECT_FALSE(webView->vornick_stashedSelectedDOMRange());
    ASSERT_TRUE(webView->selectedDOMRange());
    EXPECT_EQ(webView->selectedDOMRange()->startOffset(), 1u);
    EXPECT_EQ(webView->selectedDOMRange()->endOffset(), 3u);
}

TEST_F(EmbeddedWebView, ACaretFarDownAParagraphAimsAtItsOwnLine)
{
    std::string words;
    for (int i = 0; i < 200; ++i)
        words += "word ";
    ASSERT_TRUE(writeFileAtomically(path("long.html"), "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>T</title></head>"
                                                       "<body><p>" + words + "</p><p id=e></p></body></html>\n"));
    load("long.html");
    auto webView = view->embeddedWebView();
    auto text = element(u"P")->firstChild();
    auto lines = webView->lineBoxRects(*text);
    ASSERT_GT(lines.size(), 2u);
    auto caret = document()->createRange();
    unsigned end = static_cast<unsigned>(downcast<DOMCharacterData>(*text).length());
    caret->setStart(text, end);
    caret->setEnd(text, end);
    auto& documentView = *view->mainFrame()->frameView()->documentView();
    EXPECT_EQ(webView->vornick_bestGuessBoundsOfRangeForScrollTarget(*caret, documentView), lines.back());

    // An empty text node has no line to aim at, and divides nothing by zero.
    auto empty = document()->createTextNode(u"");
    element(u"P", 1)->appendChild(empty);
    auto inEmpty = document()->createRange();
    inEmpty->setStart(empty, 0);
    inEmpty->setEnd(empty, 0);
    auto bounds = webView->vornick_bestGuessBoundsOfRangeForScrollTarget(*inEmpty, documentView);
    EXPECT_TRUE(std::isfinite(bounds.minY()));
    view->scrollRangeToVisible(inEmpty);
    view->scrollRangeToVerticallyCentered(nullptr);
}

TEST_F(EmbeddedWebView, ACollapsedRangeInAnEmptyBlockGetsAStripInsideIt)
{
    ASSERT_TRUE(writeFileAtomically(path("empty.html"), "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>T</title></head>"
                                                        "<body><p>before</p><div style=\"height: 40px\"></div></body></html>\n"));
    load("empty.html");
    auto block = element(u"DIV");
    auto caret = document()->createRange();
    caret->setStart(block, 0);
    caret->setEnd(block, 0);
    auto bounds = view->embeddedWebView()->vornick_bestGuessBoundsOfRange(*caret);
    auto box = view->embeddedWebView()->boundingBox(*block);
    EXPECT_GE(bounds.height(), 1);
    EXPECT_GE(bounds.minY(), box.minY());
    EXPECT_LE(bounds.maxY(), box.maxY() + 1);
}

TEST_F(EmbeddedWebView, ScrollingInsideAFrameReachesTheEditingView)
{
    load("page.html");
    auto webView = view->embeddedWebView();
    EXPECT_GT(webView->latchedClipViewCount(), 0u);
    EXPECT_EQ(webView->vornick_contentEditingView(), view);
    auto count = webView->latchedClipViewCount();
    webView->vornick_latchOntoClipViewsInSubtree(*webView);
    EXPECT_GE(webView->latchedClipViewCount(), count);
    webView->vornick_letGoOfClipViewsInSubtree(*webView);
    EXPECT_EQ(webView->latchedClipViewCount(), 0u);
}

} // namespace
