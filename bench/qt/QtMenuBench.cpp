// Opening the largest menu of a document window's menu bar on a 1 MB page,
// with a word selected: its items validated (each asks the responder that
// would take its action, the editing view's validation table first) and the
// menu drawn; beside it the same menu drawn without validation.
#include "../HTMLBenchPages.h"

#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "QtBenchApplication.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickEditorWindow.h"

#include <benchmark/benchmark.h>

#include <QPixmap>

using namespace brevanton;

namespace {

std::string menuBenchPagePath()
{
    static std::string path = [] {
        std::string file = temporaryDirectory() + "/brevanton-qt-menu-bench-page.html";
        if (!writeFileAtomically(file, makeBenchmarkHTMLPage(1024 * 1024)))
            std::abort();
        return file;
    }();
    return path;
}

size_t itemCount(const Menu& menu)
{
    size_t count = 0;
    for (const auto& item : menu.items())
        count += 1 + (item->hasSubmenu() ? itemCount(*item->submenu()) : 0);
    return count;
}

struct MenuSession {
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickEditorWindow> editor;
    std::shared_ptr<Menu> largest;
};

MenuSession openMenuSession()
{
    ensureQtBenchApplication();
    VornickInstallHTMLServices();
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    MenuSession session;
    session.shell = std::make_unique<VornickApplicationShell>(argc, argv);
    Error error;
    session.editor = session.shell->openFile(menuBenchPagePath(), &error);
    if (!session.editor)
        return session;
    auto& view = *session.editor->editingView();
    RunLoop::main().runUntil([&] { return view.loadingState() != VornickContentLoadingState::InProgress; }, 30);
    for (int turns = 0; turns < 20 && RunLoop::main().runOnce(0); ++turns) {
    }
    // A word of the middle paragraph selected.
    auto paragraphs = view.mainFrameDocument()->getElementsByTagName(u"P");
    for (unsigned i = paragraphs->length() / 2; i < paragraphs->length(); ++i) {
        auto text = paragraphs->item(i)->firstChild();
        if (!text || !text->isTextNode() || text->length() < 8)
            continue;
        auto range = view.mainFrameDocument()->createRange();
        range->setStart(text, 2);
        range->setEnd(text, 6);
        view.setTargetRange(range);
        break;
    }
    RunLoop::main().runOnce(0);
    for (const auto& item : session.shell->mainMenu()->items()) {
        if (item->hasSubmenu() && (!session.largest || itemCount(*item->submenu()) > itemCount(*session.largest)))
            session.largest = item->submenu();
    }
    return session;
}

void closeMenuSession(MenuSession& session)
{
    session.editor.reset();
    session.shell.reset();
    Application::shared().resetForTesting();
}

void runMenuBenchmark(benchmark::State& state, bool validate)
{
    auto session = openMenuSession();
    if (!session.editor || !session.largest) {
        state.SkipWithError("the page did not open in a window");
        return;
    }
    auto* widget = session.shell->backend().widgetForWindow(*session.editor->window());
    QtMenu menu(session.largest, widget);
    menu.prepareToShow();
    menu.adjustSize();
    for (auto _ : state) {
        if (validate)
            menu.prepareToShow();
        else
            menu.refresh();
        QPixmap drawn = menu.grab();
        benchmark::DoNotOptimize(drawn);
    }
    state.counters["items"] = static_cast<double>(itemCount(*session.largest));
    closeMenuSession(session);
}

void BM_QtLargestMenuValidatedAndDrawn(benchmark::State& state)
{
    runMenuBenchmark(state, true);
}

void BM_QtLargestMenuDrawnOnly(benchmark::State& state)
{
    runMenuBenchmark(state, false);
}

} // namespace

BENCHMARK(BM_QtLargestMenuValidatedAndDrawn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtLargestMenuDrawnOnly)->Unit(benchmark::kMillisecond);
