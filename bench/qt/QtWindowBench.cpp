// A keystroke in a window on the Qt backend (offscreen platform) until the
// window's frame is repainted, beside the same keystroke on the headless
// path (the synthesizer's events into the same kind of window without a
// backend), on a 1 MB page; and the repaint of the whole window alone. The
// regeneration timer never fires (manual clock), as in the typing benchmarks.
#include "../HTMLBenchPages.h"
#include "QtBenchWindowSession.h"

#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/WindowServerConnection.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickEditorWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>

#include <cstdlib>

using namespace brevanton;

namespace {

std::string pagePath()
{
    static std::string path = [] {
        std::string file = temporaryDirectory() + "/brevanton-qt-bench-page.html";
        if (!writeFileAtomically(file, makeBenchmarkHTMLPage(1024 * 1024)))
            std::abort();
        return file;
    }();
    return path;
}

// Puts the caret in the middle of the page's middle paragraph.
bool placeCaret(VornickContentEditingView& view)
{
    auto document = view.mainFrameDocument();
    auto paragraphs = document ? document->getElementsByTagName(u"P") : nullptr;
    if (!paragraphs || paragraphs->length() < 10)
        return false;
    for (unsigned i = paragraphs->length() / 2; i < paragraphs->length(); ++i) {
        auto text = paragraphs->item(i)->firstChild();
        if (!text || !text->isTextNode() || text->length() < 4)
            continue;
        auto caret = document->createRange();
        caret->setStart(text, text->length() / 2);
        caret->setEnd(text, text->length() / 2);
        view.setTargetRange(caret);
        RunLoop::main().runOnce(0);
        return true;
    }
    return false;
}

void BM_QtKeystrokeToRepaintedFrame(benchmark::State& state)
{
    RunLoop::main().useManualClock();
    auto session = openQtBenchWindowSession(pagePath());
    if (!session.widget || !placeCaret(*session.editor->editingView())) {
        state.SkipWithError("the page did not open in a window");
        RunLoop::main().useRealClock();
        return;
    }
    session.widget->repaint();
    unsigned paints = session.widget->paintCount();
    auto paragraph = session.editor->editingView()->effectiveOperationRange()->startContainer();
    size_t before = paragraph->length();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(session.widget, &press);
        QCoreApplication::sendEvent(session.widget, &release);
        // The frame the keystroke asked for: Qt redraws what its marks asked.
        unsigned painted = session.widget->paintCount();
        for (int turns = 0; turns < 100 && session.widget->paintCount() == painted; ++turns)
            QCoreApplication::processEvents();
    }
    state.counters["paintedCommands"] = static_cast<double>(session.widget->lastPaintedCommands().size());
    QRect area = session.widget->lastPaintedArea();
    state.counters["paintedShare"] = static_cast<double>(area.width()) * area.height()
        / (static_cast<double>(session.widget->width()) * session.widget->height());
    state.counters["typed"] = static_cast<double>(paragraph->length() - before);
    if (session.widget->paintCount() <= paints)
        state.SkipWithError("nothing was repainted");
    session.editor.reset();
    session.shell.reset();
    Application::shared().resetForTesting();
    RunLoop::main().useRealClock();
}

void BM_HeadlessKeystroke(benchmark::State& state)
{
    RunLoop::main().useManualClock();
    VornickInstallHTMLServices();
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
    // No backend: the window is the view tree only.
    auto* connection = WindowServerConnection::current();
    WindowServerConnection::setCurrent(nullptr);
    auto window = VornickWindow::create(Rect(0, 0, 1280, 800));
    auto view = VornickContentEditingView::create(Rect(0, 0, 768, 800));
    window->contentView()->addSubview(view);
    window->makeKeyAndOrderFront();
    Error error;
    bool loaded = view->loadContentFromURL(URL::fileURLWithPath(pagePath()), &error);
    RunLoop::main().runUntil([&] { return view->loadingState() != VornickContentLoadingState::InProgress; }, 30);
    drain();
    if (!loaded || !window->makeFirstResponder(view->embeddedWebView()) || !placeCaret(*view)) {
        state.SkipWithError("the page did not load");
    } else {
        EventSynthesizer events;
        auto paragraph = view->effectiveOperationRange()->startContainer();
        size_t before = paragraph->length();
        for (auto _ : state) {
            events.typeText(window, u"a");
            // The turn that performs what the key proposed (the backend runs it after each event).
            RunLoop::main().runOnce(0);
        }
        state.counters["typed"] = static_cast<double>(paragraph->length() - before);
    }
    window->close();
    view.reset();
    window.reset();
    Application::shared().resetForTesting();
    WindowServerConnection::setCurrent(connection);
    RunLoop::main().useRealClock();
}

void BM_QtRepaintOfTheWholeWindow(benchmark::State& state)
{
    RunLoop::main().useManualClock();
    auto session = openQtBenchWindowSession(pagePath());
    if (!session.widget) {
        state.SkipWithError("the page did not open in a window");
        RunLoop::main().useRealClock();
        return;
    }
    for (auto _ : state)
        session.widget->repaint();
    state.counters["paintedCommands"] = static_cast<double>(session.widget->lastPaintedCommands().size());
    session.editor.reset();
    session.shell.reset();
    Application::shared().resetForTesting();
    RunLoop::main().useRealClock();
}

} // namespace

BENCHMARK(BM_HeadlessKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtKeystrokeToRepaintedFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtRepaintOfTheWholeWindow)->Unit(benchmark::kMillisecond);
