// Moving around a 1.3 MB page in a window on the Qt backend (offscreen
// platform), each until the window's frame is repainted: Page Down (the
// caret moved and the page scrolled by a page) beside a scroll by the same
// distance alone, Ctrl+End, and a wheel notch.
#include "../HTMLBenchPages.h"
#include "QtBenchWindowSession.h"

#include "editing/VornickEmbeddedWebView.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"

#include <benchmark/benchmark.h>

#include <QKeyEvent>
#include <QWheelEvent>

#include <cstdlib>

using namespace brevanton;

namespace {

std::string largePagePath()
{
    static std::string path = [] {
        std::string file = temporaryDirectory() + "/brevanton-qt-navigation-bench-page.html";
        BenchmarkPageOptions options;
        options.size = 1300 * 1000;
        if (!writeFileAtomically(file, makeBenchmarkHTMLPage(options)))
            std::abort();
        return file;
    }();
    return path;
}

ClipView& pageClip(const QtBenchWindowSession& session)
{
    return *session.editor->editingView()->embeddedWebView()->mainFrame()->frameView()->clipView();
}

// Sends a key press and release and waits for the frame it asked for.
void keyToRepaintedFrame(QtWindowWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    unsigned painted = widget.paintCount();
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(&widget, &press);
    QCoreApplication::sendEvent(&widget, &release);
    for (int turns = 0; turns < 100 && widget.paintCount() == painted; ++turns)
        QCoreApplication::processEvents();
}

void waitForRepaint(QtWindowWidget& widget, unsigned painted)
{
    for (int turns = 0; turns < 100 && widget.paintCount() == painted; ++turns)
        QCoreApplication::processEvents();
}

// The window with the caret at the page's start.
bool openAtTop(QtBenchWindowSession& session)
{
    RunLoop::main().useManualClock();
    session = openQtBenchWindowSession(largePagePath());
    if (!session.widget)
        return false;
    keyToRepaintedFrame(*session.widget, Qt::Key_Home, Qt::ControlModifier);
    return session.editor->editingView()->effectiveOperationRange() != nullptr;
}

void finish(QtBenchWindowSession& session)
{
    session.close();
    RunLoop::main().useRealClock();
}

void BM_QtPageDownToRepaintedFrame(benchmark::State& state)
{
    QtBenchWindowSession session;
    if (!openAtTop(session)) {
        state.SkipWithError("the page did not open in a window");
        return finish(session);
    }
    auto& clip = pageClip(session);
    double before = clip.bounds().origin.y;
    int64_t pages = 0;
    for (auto _ : state) {
        keyToRepaintedFrame(*session.widget, Qt::Key_PageDown);
        ++pages;
        // Near the end, back to the top (not measured).
        if (clip.documentVisibleRect().maxY() >= clip.documentRect().maxY() - 1) {
            state.PauseTiming();
            keyToRepaintedFrame(*session.widget, Qt::Key_Home, Qt::ControlModifier);
            before = clip.bounds().origin.y;
            pages = 0;
            state.ResumeTiming();
        }
    }
    state.counters["scrolledPerPage"] = pages ? (clip.bounds().origin.y - before) / static_cast<double>(pages) : 0;
    finish(session);
}

void BM_QtScrollByAPageToRepaintedFrame(benchmark::State& state)
{
    QtBenchWindowSession session;
    if (!openAtTop(session)) {
        state.SkipWithError("the page did not open in a window");
        return finish(session);
    }
    auto& clip = pageClip(session);
    // The distance Page Down scrolls: what is shown less a line.
    double distance = clip.bounds().height() - session.editor->editingView()->embeddedWebView()->mainFrame()->frameView()->verticalLineScroll();
    for (auto _ : state) {
        unsigned painted = session.widget->paintCount();
        clip.scrollToPoint(Point { 0, clip.bounds().origin.y + distance });
        waitForRepaint(*session.widget, painted);
        if (clip.documentVisibleRect().maxY() >= clip.documentRect().maxY() - 1) {
            state.PauseTiming();
            clip.scrollToPoint(Point { 0, 0 });
            waitForRepaint(*session.widget, session.widget->paintCount());
            state.ResumeTiming();
        }
    }
    state.counters["distance"] = distance;
    finish(session);
}

void BM_QtControlEndToRepaintedFrame(benchmark::State& state)
{
    QtBenchWindowSession session;
    if (!openAtTop(session)) {
        state.SkipWithError("the page did not open in a window");
        return finish(session);
    }
    for (auto _ : state) {
        keyToRepaintedFrame(*session.widget, Qt::Key_End, Qt::ControlModifier);
        state.PauseTiming();
        keyToRepaintedFrame(*session.widget, Qt::Key_Home, Qt::ControlModifier);
        state.ResumeTiming();
    }
    auto& clip = pageClip(session);
    state.counters["pageHeight"] = clip.documentRect().height();
    finish(session);
}

void BM_QtWheelNotchToRepaintedFrame(benchmark::State& state)
{
    QtBenchWindowSession session;
    if (!openAtTop(session)) {
        state.SkipWithError("the page did not open in a window");
        return finish(session);
    }
    auto& clip = pageClip(session);
    auto webView = session.editor->editingView()->embeddedWebView();
    Rect visible = webView->convertRectToView(webView->visibleRect(), nullptr);
    QPointF inPage(visible.midX(), session.widget->height() - visible.maxY() + 100);
    for (auto _ : state) {
        unsigned painted = session.widget->paintCount();
        QWheelEvent wheel(inPage, session.widget->mapToGlobal(inPage), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(session.widget, &wheel);
        waitForRepaint(*session.widget, painted);
        if (clip.documentVisibleRect().maxY() >= clip.documentRect().maxY() - 1) {
            state.PauseTiming();
            clip.scrollToPoint(Point { 0, 0 });
            waitForRepaint(*session.widget, session.widget->paintCount());
            state.ResumeTiming();
        }
    }
    state.counters["notchesToCrossThePage"] = clip.documentRect().height() / (3 * webView->mainFrame()->frameView()->verticalLineScroll());
    finish(session);
}

} // namespace

BENCHMARK(BM_QtPageDownToRepaintedFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtScrollByAPageToRepaintedFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtControlEndToRepaintedFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtWheelNotchToRepaintedFrame)->Unit(benchmark::kMillisecond);
