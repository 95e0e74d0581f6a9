// Replace All in the editing view: 1,000 matches of "zebra" in a 1 MB page
// made "giraffe", each an undoable replacement, the whole one undo step (the
// page is loaded outside the timing), beside a plain std::string
// find-and-replace of the same page.
#include "HTMLBenchPages.h"

#include "editing/VornickContentEditingView.h"
#include "editing/VornickFindAndReplaceController.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace brevanton;

namespace {

constexpr int matchCount = 1000;

// The generated page with the first 1,000 words "draft" of its text made "zebra".
const std::string& page()
{
    static const std::string text = [] {
        std::string html = makeBenchmarkHTMLPage(BenchmarkPageOptions { 1 << 20 });
        size_t body = html.find("<body");
        int made = 0;
        for (size_t at = html.find(" draft ", body); at != std::string::npos && made < matchCount; at = html.find(" draft ", at + 7)) {
            html.replace(at + 1, 5, "zebra");
            ++made;
        }
        return html;
    }();
    return text;
}

const std::string& pagePath()
{
    static const std::string path = [] {
        std::string file = temporaryDirectory() + "/brevanton-find-bench.html";
        if (!writeFileAtomically(file, page()))
            std::abort();
        return file;
    }();
    return path;
}

void BM_ReplaceAllThousandMatchesInMegabytePage(benchmark::State& state)
{
    VornickInstallHTMLServices();
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
    for (auto _ : state) {
        state.PauseTiming();
        auto view = VornickContentEditingView::create(Rect(0, 0, 1024, 768));
        Error error;
        if (!view->loadContentFromURL(URL::fileURLWithPath(pagePath()), &error)) {
            state.SkipWithError("the page did not load");
            return;
        }
        auto& finder = view->findAndReplaceController();
        finder.textFinder().setFindString(u"zebra");
        finder.textFinder().setReplaceString(u"giraffe");
        finder.textFinder().setOptions({ false, TextFinderMatchType::FullWord });
        state.ResumeTiming();

        bool replaced = finder.performAction(static_cast<long>(TextFinderAction::ReplaceAll));

        state.PauseTiming();
        state.counters["matches"] = static_cast<double>(std::stoi(std::string(finder.textFinder().statusText().begin(),
                                                                               finder.textFinder().statusText().end())));
        if (!replaced)
            state.SkipWithError("nothing replaced");
        view.reset();
        RunLoop::main().runFor(0.01);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReplaceAllThousandMatchesInMegabytePage)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PlainStringReplaceAllThousandMatchesInMegabytePage(benchmark::State& state)
{
    for (auto _ : state) {
        std::string text = page();
        int count = 0;
        for (size_t at = text.find("zebra"); at != std::string::npos; at = text.find("zebra", at + 7)) {
            text.replace(at, 5, "giraffe");
            ++count;
        }
        state.counters["matches"] = count;
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_PlainStringReplaceAllThousandMatchesInMegabytePage)->Unit(benchmark::kMillisecond);

} // namespace
