// The refresh after a file on disk changed, in a page showing 1,000 images
// (and 1,000 linked style sheets) of their own files: finding what uses the
// file among every reference and style sheet of the page, and starting the
// reload of what does.
#include "HTMLBenchPages.h"

#include "editing/VornickContentEditingView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

using namespace brevanton;

namespace {

const std::string& folder()
{
    static const std::string path = [] {
        std::string directory = temporaryDirectory() + "/brevanton-refresh-bench";
        std::filesystem::create_directories(directory);
        BenchmarkPageOptions options { 256 << 10 };
        options.subresources = 2000;
        if (!writeFileAtomically(directory + "/page.html", makeBenchmarkHTMLPage(options)))
            std::abort();
        const std::string png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x14\0\0\0\x14\x08\x06\0\0\0\0\0\0\0", 33);
        for (int i = 0; i <= 1000; ++i) {
            if (!writeFileAtomically(directory + "/i" + std::to_string(i) + ".png", png)
                || !writeFileAtomically(directory + "/s" + std::to_string(i) + ".css", "p { margin: 0 }"))
                std::abort();
        }
        return directory;
    }();
    return path;
}

void BM_RefreshAfterImageFileChangeWithThousandImages(benchmark::State& state)
{
    VornickInstallHTMLServices();
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
    auto view = VornickContentEditingView::create(Rect(0, 0, 1024, 768));
    Error error;
    if (!view->loadContentFromURL(URL::fileURLWithPath(folder() + "/page.html"), &error)) {
        state.SkipWithError("the page did not load");
        return;
    }
    RunLoop::main().runFor(0.5);
    state.counters["watchers"] = static_cast<double>(VornickContentEditingViewTestPeer::resourceFileWatcherCount(*view));
    URL changed = URL::fileURLWithPath(folder() + "/i500.png");
    for (auto _ : state) {
        VornickContentEditingViewTestPeer::refreshForResourceFileChangeAtURL(*view, changed);
        state.PauseTiming();
        RunLoop::main().runFor(0.005);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RefreshAfterImageFileChangeWithThousandImages)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
