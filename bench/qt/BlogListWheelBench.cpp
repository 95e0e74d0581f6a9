// A wheel step over the blog window's post list in a Qt window (offscreen
// platform), painted by the Qt backend: the list with 10,000 rows loaded
// (a generated blog, BlogWindowBenchBlog.h), scrolled to its middle, beside
// the same list with 50. The steps go down and up by turns.
#include "QtBenchApplication.h"
#include "../BlogWindowBenchBlog.h"

#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtFontMetricsProvider.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "platform/web/WebFrame.h"
#include "publishing/VornickBlogPostListViewController.h"
#include "ui/VornickWebListView.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

#include <QCoreApplication>
#include <QPixmap>
#include <QWheelEvent>

using namespace brevanton;

namespace {

void wheelStepWithRowsLoaded(benchmark::State& state, size_t rows)
{
    ensureQtBenchApplication();
    installQtFontMetricsProvider();
    auto& blog = BlogWindowBenchBlog::shared();
    {
        QtWindowBackend backend;
        auto window = Window::create(Rect(100, 100, 400, 800));
        auto content = std::make_shared<View>(Rect(0, 0, 400, 800));
        window->setContentView(content);
        window->makeKeyAndOrderFront();
        auto controller = VornickWebListViewController::create<VornickBlogPostListViewController>(Rect(0, 0, 400, 800));
        controller->setAutoRefreshInterval(0);
        content->addSubview(controller->webView());
        RunLoop::main().runUntil([&] { return !controller->webView()->isLoading(); }, 10);
        auto arrayController = std::make_shared<BlogWindowBenchPostsArrayController>();
        arrayController->objects.assign(blog.posts.begin(), blog.posts.begin() + static_cast<std::ptrdiff_t>(rows));
        controller->setArrayController(arrayController);
        controller->refreshListContent();
        while (controller->numberOfItemsLoaded() < rows)
            controller->loadMoreItems();
        auto& webView = *controller->webView();
        webView.layoutIfNeeded();
        webView.scrollNodeIntoViewIfNeeded(*controller->listItemForRow(static_cast<long>(rows / 2)));
        QtWindowWidget* widget = backend.widgetForWindow(*window);
        QCoreApplication::processEvents();
        widget->grab();

        QPointF at(200, 400);
        bool down = true;
        // Where the time goes: the scroll the wheel makes, and the painting.
        std::chrono::duration<double, std::micro> scrolling {}, painting {};
        for (auto _ : state) {
            auto start = std::chrono::steady_clock::now();
            QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, down ? -120 : 120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            down = !down;
            QCoreApplication::sendEvent(widget, &wheel);
            auto scrolled = std::chrono::steady_clock::now();
            QPixmap picture = widget->grab();
            benchmark::DoNotOptimize(picture.cacheKey());
            scrolling += scrolled - start;
            painting += std::chrono::steady_clock::now() - scrolled;
        }
        double steps = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
        state.counters["usScroll"] = scrolling.count() / steps;
        state.counters["usPaint"] = painting.count() / steps;
        state.counters["rowsLoaded"] = static_cast<double>(controller->numberOfItemsLoaded());
        controller->webView()->removeFromSuperview();
        controller.reset();
        window->close();
    }
    Application::shared().resetForTesting();
    FontMetricsProvider::setCurrent(nullptr);
}

void BM_QtBlogListWheelStepFiftyRows(benchmark::State& state)
{
    wheelStepWithRowsLoaded(state, 50);
}
BENCHMARK(BM_QtBlogListWheelStepFiftyRows)->Unit(benchmark::kMillisecond);

void BM_QtBlogListWheelStepTenThousandRows(benchmark::State& state)
{
    wheelStepWithRowsLoaded(state, BlogWindowBenchBlog::postCount);
}
BENCHMARK(BM_QtBlogListWheelStepTenThousandRows)->Unit(benchmark::kMillisecond);

} // namespace
