// The highlight path of a range spanning 1,000 block boxes: each block's box
// from the laid-out page, a rounded rectangle around it, and the path's
// bounds; and, as its peer, the same path built from boxes already known.
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/BezierPath.h"
#include "platform/web/WebView.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace brevanton;

namespace {

constexpr int BlockCount = 1000;

struct BlockPage {
    std::shared_ptr<WebView> webView;
    std::vector<std::shared_ptr<DOMNode>> blocks;

    BlockPage()
    {
        std::u16string html = u"<!DOCTYPE html><html><body><div id=\"range\">";
        for (int i = 0; i < BlockCount; ++i) {
            auto number = std::to_string(i);
            html += u"<p>Block " + std::u16string(number.begin(), number.end()) + u" of the range</p>";
        }
        html += u"</div></body></html>";
        webView = WebView::create(Rect(0, 0, 1024, 768));
        webView->mainFrame()->loadHTMLString(html, std::nullopt);
        RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 60);
        webView->layoutIfNeeded();
        auto range = webView->mainFrameDocument()->getElementById(u"range");
        for (auto child = range ? range->firstChild() : nullptr; child; child = child->nextSibling())
            blocks.push_back(child);
        if (blocks.size() != BlockCount)
            std::abort();
    }
};

Rect indicatorBounds(const BezierPath& path)
{
    return path.isEmpty() ? Rect() : path.bounds().insetBy(-2, -2);
}

void BM_IndicatorPathFor1000Blocks(benchmark::State& state)
{
    BlockPage page;
    for (auto _ : state) {
        BezierPath path;
        for (auto& block : page.blocks) {
            Rect box = page.webView->boundingBox(*block);
            path.moveToPoint({ box.midX(), box.midY() });
            path.appendBezierPathWithRoundedRect(box, 2, 2);
        }
        benchmark::DoNotOptimize(indicatorBounds(path));
    }
}
BENCHMARK(BM_IndicatorPathFor1000Blocks)->Unit(benchmark::kMillisecond);

void BM_IndicatorPathFrom1000KnownBoxes(benchmark::State& state)
{
    BlockPage page;
    std::vector<Rect> boxes;
    for (auto& block : page.blocks)
        boxes.push_back(page.webView->boundingBox(*block));
    for (auto _ : state) {
        BezierPath path;
        for (auto& box : boxes) {
            path.moveToPoint({ box.midX(), box.midY() });
            path.appendBezierPathWithRoundedRect(box, 2, 2);
        }
        benchmark::DoNotOptimize(indicatorBounds(path));
    }
}
BENCHMARK(BM_IndicatorPathFrom1000KnownBoxes)->Unit(benchmark::kMillisecond);

} // namespace
