// An editor window on the Qt backend (offscreen platform) opened on a 1 MB
// page until its first complete frame is painted, and the same window
// repainted after each resize (between two sizes); beside a plain Qt widget
// window of the same size showing the same page's text (a QTextBrowser given
// the page), opened to its first frame and repainted after the same resizes.
#include "../HTMLBenchPages.h"
#include "QtBenchWindowSession.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QString>
#include <QTextBrowser>

#include <cstdlib>
#include <memory>

using namespace brevanton;

namespace {

const std::string& pageText()
{
    static std::string text = makeBenchmarkHTMLPage(1024 * 1024);
    return text;
}

const std::string& pagePath()
{
    static std::string path = [] {
        std::string file = temporaryDirectory() + "/brevanton-qt-first-frame-page.html";
        if (!writeFileAtomically(file, pageText()))
            std::abort();
        return file;
    }();
    return path;
}

// The two sizes the resize benchmarks go between.
const QSize largeSize(1280, 800);
const QSize smallSize(1040, 660);

void BM_QtEditorWindowOpensToItsFirstFrame(benchmark::State& state)
{
    RunLoop::main().useManualClock();
    pagePath();
    double paintedHeight = 0;
    for (auto _ : state) {
        auto session = openQtBenchWindowSession(pagePath());
        if (!session.widget) {
            state.SkipWithError("the page did not open in a window");
            break;
        }
        session.widget->repaint();
        paintedHeight = session.widget->lastPaintedArea().height();
        state.PauseTiming();
        session.close();
        state.ResumeTiming();
    }
    state.counters["paintedHeight"] = paintedHeight;
    RunLoop::main().useRealClock();
}

void BM_QtTextBrowserOpensToItsFirstFramePeer(benchmark::State& state)
{
    ensureQtBenchApplication();
    QString html = QString::fromStdString(pageText());
    for (auto _ : state) {
        auto browser = std::make_unique<QTextBrowser>();
        browser->resize(largeSize);
        browser->setHtml(html);
        browser->show();
        browser->repaint();
        state.PauseTiming();
        browser.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_QtEditorWindowRepaintAfterResize(benchmark::State& state)
{
    RunLoop::main().useManualClock();
    auto session = openQtBenchWindowSession(pagePath());
    if (!session.widget) {
        state.SkipWithError("the page did not open in a window");
        RunLoop::main().useRealClock();
        return;
    }
    session.widget->repaint();
    bool large = true;
    for (auto _ : state) {
        large = !large;
        session.widget->resize(large ? largeSize : smallSize);
        session.widget->repaint();
    }
    state.counters["paintedCommands"] = static_cast<double>(session.widget->lastPaintedCommands().size());
    session.close();
    RunLoop::main().useRealClock();
}

void BM_QtTextBrowserRepaintAfterResizePeer(benchmark::State& state)
{
    ensureQtBenchApplication();
    QTextBrowser browser;
    browser.resize(largeSize);
    browser.setHtml(QString::fromStdString(pageText()));
    browser.show();
    browser.repaint();
    bool large = true;
    for (auto _ : state) {
        large = !large;
        browser.resize(large ? largeSize : smallSize);
        browser.viewport()->repaint();
    }
}

} // namespace

BENCHMARK(BM_QtEditorWindowOpensToItsFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QtTextBrowserOpensToItsFirstFramePeer)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QtEditorWindowRepaintAfterResize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtTextBrowserRepaintAfterResizePeer)->Unit(benchmark::kMillisecond);
