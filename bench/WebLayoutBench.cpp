// Relayout after a one-character edit that changes a paragraph's height near
// the top of a 1 MB page: everything below moves.
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebView.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace brevanton;

namespace {

// `page`, closed, loaded and laid out in a 1024-point view.
std::shared_ptr<WebView> laidOutWebView(std::u16string page)
{
    page += u"</body></html>";
    auto webView = WebView::create(Rect(0, 0, 1024, 768));
    webView->mainFrame()->loadHTMLString(page, std::nullopt);
    RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 60);
    webView->layoutIfNeeded();
    return webView;
}

// `page` filled up to 1 MB with short posts, closed and laid out in a 1024-point view.
std::shared_ptr<WebView> webViewWithPosts(std::u16string page)
{
    while (page.size() < (1u << 20))
        page += u"<div class=post><h2>Title</h2><p>Some words <em>with emphasis</em> and <a href=/x>links</a></p></div>\n";
    return laidOutWebView(std::move(page));
}

// Times appending `added` to the text and laying the page out again; the
// text is put back, untimed, after each.
void timeRelayoutAfterAppending(benchmark::State& state, WebView& webView, DOMCharacterData& text, const std::u16string& added)
{
    for (auto _ : state) {
        text.appendData(added);
        webView.layoutIfNeeded();
        state.PauseTiming();
        text.deleteData(text.length() - added.size(), added.size());
        webView.layoutIfNeeded();
        state.ResumeTiming();
    }
}

void BM_WebLayoutRelayoutAfterEditThatWraps(benchmark::State& state)
{
    std::u16string page = u"<!DOCTYPE html><html><body><p id=first>";
    // 126 characters fill 1008 of the view's 1024 pixels at 8 pixels each; one more word wraps.
    page += std::u16string(125, u'a') + u"</p>";
    auto webView = webViewWithPosts(std::move(page));
    auto& text = downcast<DOMCharacterData>(*webView->mainFrameDocument()->getElementById(u"first")->first());
    timeRelayoutAfterAppending(state, *webView, text, u" b");
}
BENCHMARK(BM_WebLayoutRelayoutAfterEditThatWraps)->Unit(benchmark::kMillisecond);


// A full layout of a 1 MB page of boxed, centred posts: every block reads its
// margins, borders and padding and every centred line is moved.
void BM_WebLayoutFullLayoutOfBoxedPage(benchmark::State& state)
{
    std::u16string page = u"<!DOCTYPE html><html><head><style>.post { border: 1px solid; padding: 4px 8px; margin: 6px auto;"
                          u" width: 900px } h2 { text-align: center }</style></head><body>";
    auto webView = webViewWithPosts(std::move(page));
    auto& layout = webView->mainFrame()->layout();
    for (auto _ : state) {
        layout.invalidate();
        webView->layoutIfNeeded();
    }
}
BENCHMARK(BM_WebLayoutFullLayoutOfBoxedPage)->Unit(benchmark::kMillisecond);


// A 1 MB page of small tables (two columns, a header row, a spanning row),
// laid out in a 1024-point view; the first cell's id is "first".
std::shared_ptr<WebView> webViewWithTables()
{
    std::u16string page = u"<!DOCTYPE html><html><body><table><tr><td id=first>Name</td><td>Some longer words here</td></tr></table>";
    while (page.size() < (1u << 20))
        page += u"<table border=1><tr><th>Name</th><th>Role</th></tr><tr><td>Ada</td><td>Counts <em>numbers</em></td></tr>"
                u"<tr><td colspan=2>A row of words that spans both columns</td></tr></table><p>Between the tables</p>\n";
    return laidOutWebView(std::move(page));
}

// Relayout after an edit in a cell near the top of a page of tables that adds
// a line to the cell (its white space is kept): the edited column may change
// width, so its table is laid out again, and everything below moves.
void BM_WebLayoutRelayoutAfterEditInTable(benchmark::State& state)
{
    auto webView = webViewWithTables();
    auto& cell = *webView->mainFrameDocument()->getElementById(u"first");
    cell.setAttribute(u"style", u"white-space: pre");
    webView->layoutIfNeeded();
    auto& text = downcast<DOMCharacterData>(*cell.first());
    timeRelayoutAfterAppending(state, *webView, text, u"\ns");
}
BENCHMARK(BM_WebLayoutRelayoutAfterEditInTable)->Unit(benchmark::kMillisecond);

// A full layout of the page of tables: every column is measured before it is laid out.
void BM_WebLayoutFullLayoutOfTablePage(benchmark::State& state)
{
    auto webView = webViewWithTables();
    auto& layout = webView->mainFrame()->layout();
    for (auto _ : state) {
        layout.invalidate();
        webView->layoutIfNeeded();
    }
}
BENCHMARK(BM_WebLayoutFullLayoutOfTablePage)->Unit(benchmark::kMillisecond);

} // namespace
