// End-to-end `brevanton --save` on a 1 MB and a 5 MB page, beside
// `tidy -q -i` on the same page in the same iteration, both run as
// processes. Tidy runs twice: with its outputs collected through pipes, as
// brevanton's are ("tidy_ms", "ratio"), and with them discarded to
// /dev/null, where its one-byte writes to standard error cost least
// ("tidy_quiet_ms", "quiet_ratio"). Brevanton runs tidy itself, so tidy's
// own time is the floor; the target is a ratio of at most 1.2.
#include "HTMLBenchPages.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include <chrono>

namespace {

using namespace brevanton;
using Clock = std::chrono::steady_clock;

double secondsToRun(const std::string& executable, std::vector<std::string> arguments)
{
    ProcessLaunch launch;
    launch.executable = executable;
    launch.arguments = std::move(arguments);
    auto start = Clock::now();
    auto result = Process::run(launch);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!result || !result->exited())
        return -1;
    return seconds;
}

void BM_BrevantonSaveBesideTidy(benchmark::State& state)
{
    std::string folder = createTemporaryDirectory("brevanton-save-bench").value();
    std::string page = makeBenchmarkHTMLPage(static_cast<size_t>(state.range(0)) << 20);
    std::string original = folder + "/original.html";
    std::string copy = folder + "/page.html";
    if (!writeFileAtomically(original, page)) {
        state.SkipWithError("could not write the page");
        return;
    }
    double brevantonTotal = 0, tidyTotal = 0, quietTidyTotal = 0;
    for (auto _ : state) {
        // Each save starts from the page as generated, not from its last save.
        if (!writeFileAtomically(copy, page)) {
            state.SkipWithError("could not copy the page");
            break;
        }
        double brevanton = secondsToRun(BREVANTON_EXECUTABLE, { "--save", copy });
        double tidy = secondsToRun("tidy", { "-q", "-i", original });
        double quietTidy = secondsToRun("/bin/sh", { "-c", "exec tidy -q -i \"$0\" >/dev/null 2>&1", original });
        if (brevanton < 0 || tidy < 0 || quietTidy < 0) {
            state.SkipWithError("brevanton or tidy did not run");
            break;
        }
        state.SetIterationTime(brevanton);
        brevantonTotal += brevanton;
        tidyTotal += tidy;
        quietTidyTotal += quietTidy;
    }
    double iterations = static_cast<double>(state.iterations());
    state.counters["brevanton_ms"] = 1000 * brevantonTotal / iterations;
    state.counters["tidy_ms"] = 1000 * tidyTotal / iterations;
    state.counters["tidy_quiet_ms"] = 1000 * quietTidyTotal / iterations;
    state.counters["ratio"] = tidyTotal > 0 ? brevantonTotal / tidyTotal : 0;
    state.counters["quiet_ratio"] = quietTidyTotal > 0 ? brevantonTotal / quietTidyTotal : 0;
    if (!removeItem(folder)) std::fprintf(stderr, "could not remove a benchmark folder\n");
}
BENCHMARK(BM_BrevantonSaveBesideTidy)->Arg(1)->Arg(5)->ArgName("MB")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
