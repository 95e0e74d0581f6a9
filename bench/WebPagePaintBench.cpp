// Painting the visible area (1200 by 800) of a 1 MB page, scrolled to its
// middle: the page's draw commands recorded by the web view's views, with
// the deterministic font metrics.
#include "bench/HTMLBenchPages.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/GraphicsContext.h"
#include "platform/web/WebView.h"

#include <benchmark/benchmark.h>

using namespace brevanton;

namespace {

std::shared_ptr<WebView> loadedBenchmarkPage()
{
    auto webView = WebView::create(Rect(0, 0, 1200, 800));
    webView->mainFrame()->loadHTMLString(toUTF16(makeBenchmarkHTMLPage(size_t { 1 } << 20)), std::nullopt);
    RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 60);
    webView->layoutIfNeeded();
    auto& frameView = webView->mainFrame()->frameView();
    double height = frameView->documentView()->frame().height();
    frameView->clipView()->scrollToPoint({ 0, height / 2 });
    return webView;
}

void BM_WebPageRecordVisibleArea(benchmark::State& state)
{
    auto webView = loadedBenchmarkPage();
    size_t commands = 0;
    for (auto _ : state) {
        GraphicsContext context;
        webView->display(context);
        commands = context.commands().size();
        benchmark::DoNotOptimize(commands);
    }
    state.counters["commands"] = static_cast<double>(commands);
}
BENCHMARK(BM_WebPageRecordVisibleArea)->Unit(benchmark::kMillisecond);

} // namespace
