// Painting the visible area (1200 by 800) of a 1 MB page, scrolled to its
// middle, the way a window does it: the page laid out with the Qt font
// metrics, its draw commands recorded and replayed with QPainter onto an
// image (offscreen platform).
#include "QtBenchApplication.h"
#include "../HTMLBenchPages.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/qt/QtDrawCommandPainter.h"
#include "platform/views/qt/QtFontMetricsProvider.h"
#include "platform/web/WebView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>

using namespace brevanton;

namespace {

void BM_QtPageRecordAndPaintVisibleArea(benchmark::State& state)
{
    ensureQtBenchApplication();
    installQtFontMetricsProvider();
    auto webView = WebView::create(Rect(0, 0, 1200, 800));
    webView->mainFrame()->loadHTMLString(toUTF16(makeBenchmarkHTMLPage(size_t { 1 } << 20)), std::nullopt);
    RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 60);
    webView->layoutIfNeeded();
    auto& frameView = webView->mainFrame()->frameView();
    frameView->clipView()->scrollToPoint({ 0, frameView->documentView()->frame().height() / 2 });
    QImage image(1200, 800, QImage::Format_ARGB32_Premultiplied);
    size_t commands = 0;
    for (auto _ : state) {
        GraphicsContext context;
        webView->display(context);
        QPainter painter(&image);
        QtDrawCommandPainter(painter, QtDrawCommandPainter::forWindowContentHeight(800)).paint(context.commands());
        commands = context.commands().size();
    }
    state.counters["commands"] = static_cast<double>(commands);
    // Rows with ink: the text is there, not only the canvas.
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                ++inked;
                break;
            }
        }
    }
    state.counters["inkedRows"] = inked;
    webView.reset();
    FontMetricsProvider::setCurrent(nullptr);
}
BENCHMARK(BM_QtPageRecordAndPaintVisibleArea)->Unit(benchmark::kMillisecond);

} // namespace
