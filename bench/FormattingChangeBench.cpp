// A change of the user's default formatting (the HTML Formatting pane's
// indent pop-up) with ten open 100 KB documents written with those defaults:
// the change set in the user's defaults, the edited notification reaching
// every editing view, and each view's source written again by the new rules,
// beside the peer, the same ten regenerations alone, and the defaults write
// alone (its file synced to disk: wall time the processor does not spend).
// The defaults file is written by the run loop's next turn, which the
// application runs after the event, while the views' regeneration timers
// wait; the change's loop runs no turn, so its writes wait for the end.
#include "EditingViewBenchSupport.h"
#include "HTMLBenchPages.h"

#include "html/VornickHTMLFormattingPreferences.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"
#include "ui/VornickHTMLFormattingPreferencesModule.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

using namespace brevanton;

namespace {

constexpr size_t documentCount = 10;
constexpr size_t documentSize = 100 * 1024;

// The user defaults of a folder of the run's own, never the user's.
void shelterUserDefaults()
{
    static const bool sheltered = [] {
        std::string home = createTemporaryDirectory("formatting-bench").value() + "/config";
        std::filesystem::create_directories(home);
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(UserDefaults::standard());
        return true;
    }();
    benchmark::DoNotOptimize(sheltered);
}

struct OpenDocuments {
    std::vector<std::shared_ptr<VornickContentEditingView>> views;

    OpenDocuments()
    {
        for (size_t index = 0; index < documentCount; ++index) {
            BenchmarkPageOptions options;
            options.size = documentSize;
            options.seed = static_cast<unsigned>(index + 1);
            auto path = bench::writeBenchmarkPage("brevanton-formatting-bench-" + std::to_string(index) + ".html",
                                                  makeBenchmarkHTMLPage(options));
            if (auto view = bench::editingViewWithLoadedPage(path))
                views.push_back(std::move(view));
        }
    }
    // Every view's source written by the rules in force; false when one was not.
    bool regenerated() const
    {
        for (const auto& view : views) {
            if (!vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*view->mainFrame())
                || vornick_lastGeneratedHTMLStringIsOriginalSourceData(*view->mainFrame()))
                return false;
        }
        return views.size() == documentCount;
    }
    void runRegenerationTimers()
    {
        for (const auto& view : views)
            VornickContentEditingViewTestPeer::htmlUpdateTimerFired(*view);
    }
    // The sources written in all; the benchmark fails when one was not.
    void reportRegeneration(benchmark::State& state) const
    {
        if (!regenerated())
            state.SkipWithError("a source was not written again");
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * documentCount * documentSize));
    }
};

void BM_FormattingChangeWithTenOpenDocuments(benchmark::State& state)
{
    shelterUserDefaults();
    auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    OpenDocuments documents;
    if (!users || documents.views.size() != documentCount) {
        state.SkipWithError("the documents or the user's defaults are missing");
        return;
    }
    VornickHTMLFormattingPreferencesModule pane;
    pane.setActiveHTMLFormattingPreferences(users);
    unsigned width = 2;
    for (auto _ : state) {
        // What the indent pop-up does: the set's setter (which writes the
        // defaults file), then the module's edit, which tells every view.
        users->setSpacesPerIndent(width);
        pane.editOccurred(nullptr);
        documents.runRegenerationTimers();
        width = width == 2 ? 3 : 2;
    }
    RunLoop::main().runOnce(0);
    documents.reportRegeneration(state);
}

// The peer: the same rule changed without its defaults write or
// notification, and the ten sources written again.
void BM_RegeneratingTenDocumentSourcesAlone(benchmark::State& state)
{
    shelterUserDefaults();
    auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    OpenDocuments documents;
    if (!users || documents.views.size() != documentCount) {
        state.SkipWithError("the documents or the user's defaults are missing");
        return;
    }
    unsigned width = 2;
    for (auto _ : state) {
        users->VornickHTMLFormattingPreferences::setSpacesPerIndent(width);
        for (const auto& view : documents.views)
            view->scheduleHTMLUpdateForFocusedWebFrame();
        documents.runRegenerationTimers();
        width = width == 2 ? 3 : 2;
    }
    documents.reportRegeneration(state);
}

// The set's write of the defaults file (locked, replaced atomically,
// synced), made by the turn of the run loop after the change.
void BM_FormattingChangeDefaultsWriteAlone(benchmark::State& state)
{
    shelterUserDefaults();
    auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    if (!users) {
        state.SkipWithError("the user's defaults are missing");
        return;
    }
    unsigned width = 2;
    for (auto _ : state) {
        users->setSpacesPerIndent(width);
        RunLoop::main().runOnce(0);
        width = width == 2 ? 3 : 2;
    }
}

} // namespace

BENCHMARK(BM_FormattingChangeWithTenOpenDocuments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegeneratingTenDocumentSourcesAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormattingChangeDefaultsWriteAlone)->Unit(benchmark::kMillisecond);
