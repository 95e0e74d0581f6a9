// The web view: loading a 1 MB page with 50 subresources to the main frame's
// finish, layout after a one-character edit of a 1 MB page, and hit testing.
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebView.h"

#include "HTMLBenchPages.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include <random>
#include <string>

using namespace brevanton;

namespace {

std::string webBenchPage()
{
    BenchmarkPageOptions options;
    options.seed = 11;
    options.subresources = 50;
    return makeBenchmarkHTMLPage(options);
}

struct BenchFolder {
    std::string path;
    BenchFolder()
    {
        path = *createTemporaryDirectory("webbench");
        if (!writeFileAtomically(path + "/page.html", webBenchPage())) std::abort();
        for (int i = 0; i < 25; ++i)
            if (!writeFileAtomically(path + "/s" + std::to_string(i) + ".css", "p { margin: 0 } .post h2 { margin: 4px }")) std::abort();
        for (int i = 1; i <= 25; ++i)
            if (!writeFileAtomically(path + "/i" + std::to_string(i) + ".png", "not an image")) std::abort();
    }
    ~BenchFolder() { if (!removeItem(path)) std::fprintf(stderr, "could not remove a benchmark folder\n"); }
};

std::shared_ptr<WebView> loadedWebView(const std::string& path)
{
    auto webView = WebView::create(Rect(0, 0, 1024, 768));
    webView->setMainFrameURL(URL::fileURLWithPath(path).absoluteString());
    RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 60);
    return webView;
}

void BM_WebViewLoadPageWithSubresources(benchmark::State& state)
{
    BenchFolder folder;
    for (auto _ : state) {
        auto webView = WebView::create(Rect(0, 0, 1024, 768));
        webView->setMainFrameURL(URL::fileURLWithPath(folder.path + "/page.html").absoluteString());
        RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 60);
        benchmark::DoNotOptimize(webView->mainFrameDocument());
    }
}
BENCHMARK(BM_WebViewLoadPageWithSubresources)->Unit(benchmark::kMillisecond);

void BM_WebViewRelayoutAfterOneCharacterEdit(benchmark::State& state)
{
    BenchFolder folder;
    auto webView = loadedWebView(folder.path + "/page.html");
    webView->layoutIfNeeded();
    auto document = webView->mainFrameDocument();
    DOMNode* text = document->body()->first();
    while (text && !text->isTextNode())
        text = text->traverseNext();
    for (DOMNode* node = document->body().get(); node; node = node->traverseNext()) {
        if (node->isTextNode() && node->length() > 3) {
            text = node;
            break;
        }
    }
    auto& data = downcast<DOMCharacterData>(*text);
    for (auto _ : state) {
        data.appendData(u"x");
        webView->layoutIfNeeded();
        state.PauseTiming();
        data.deleteData(data.length() - 1, 1);
        webView->layoutIfNeeded();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WebViewRelayoutAfterOneCharacterEdit)->Unit(benchmark::kMillisecond);

void BM_WebViewElementAtPoint(benchmark::State& state)
{
    BenchFolder folder;
    auto webView = loadedWebView(folder.path + "/page.html");
    webView->layoutIfNeeded();
    double height = webView->mainFrame()->layout().documentSize().height;
    std::mt19937 random(3);
    for (auto _ : state) {
        Point point { static_cast<double>(random() % 1000), static_cast<double>(random() % static_cast<unsigned>(height)) };
        benchmark::DoNotOptimize(webView->elementAtPoint(point));
    }
}
BENCHMARK(BM_WebViewElementAtPoint)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {
void BM_WebViewLayoutWithStylesCached(benchmark::State& state)
{
    BenchFolder folder;
    auto webView = loadedWebView(folder.path + "/page.html");
    webView->layoutIfNeeded();
    for (auto _ : state) {
        webView->mainFrame()->layout().invalidate();
        webView->layoutIfNeeded();
    }
}
BENCHMARK(BM_WebViewLayoutWithStylesCached)->Unit(benchmark::kMillisecond);
}
