// End-to-end `brevanton --save` beside `tidy -q -i -m -f /dev/null` (its
// peer: one tidy run that reads, repairs and writes the page, its report
// written to a file as Brevanton's tidy writes it, not to standard error one
// byte per write) on a copy of the same page in the same iteration, both run
// as processes, each iteration starting with the other side. The pages: the generated clean
// page and the generated page with the faults of pages found in the wild, at
// 1 MB and 5 MB, and every page of the save round-trip test data. Brevanton
// runs tidy itself, so one tidy run is the floor; the targets are ratios of
// at most 1.2 on a clean page and 1.5 on a broken one. Each side's wall time
// and the CPU time of its processes ("_cpu_ms") are counted.
//
// The hostile pages (those of the executable's hostile input test: deep
// nesting, piled-up formatting, 50,000 attributes, a 30 MB single line,
// 10,000 srcdoc frames) have an absolute target instead: each opens and saves
// in under 3 s on a quiet machine, whatever tidy takes ("under_3s" is 1 when
// the mean is). Tidy alone may take minutes on them: the peer is stopped at
// 20 s ("tidy_stopped" counts the runs stopped, whose time is the limit).
#include "HTMLBenchPages.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/time.h>

#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace {

using namespace brevanton;
using Clock = std::chrono::steady_clock;

double seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// The CPU time, user and system, of the children waited for so far.
double childrenCPUSeconds()
{
    rusage usage {};
    if (getrusage(RUSAGE_CHILDREN, &usage) != 0)
        return 0;
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
    double wall { -1 };
    double cpu { 0 };
    // Stopped at the time limit (its wall time is the limit).
    bool stopped { false };
};

Timing timeToRun(const std::string& executable, std::vector<std::string> arguments,
                 std::optional<std::chrono::milliseconds> limit = std::nullopt)
{
    ProcessLaunch launch;
    launch.executable = executable;
    launch.arguments = std::move(arguments);
    launch.timeout = limit;
    double cpu = childrenCPUSeconds();
    auto start = Clock::now();
    auto result = Process::run(launch);
    Timing timing;
    timing.wall = std::chrono::duration<double>(Clock::now() - start).count();
    timing.cpu = childrenCPUSeconds() - cpu;
    timing.stopped = result && result->timedOut;
    if (!result || (!result->exited() && !timing.stopped))
        timing.wall = -1;
    return timing;
}

struct SaveOptions {
    // The peer is stopped after this long.
    std::optional<std::chrono::milliseconds> tidyLimit;
    // Brevanton's target, in seconds, when it is absolute rather than a ratio.
    std::optional<double> target;
};

void saveBesideTidy(benchmark::State& state, const std::string& page, const std::string& extension, SaveOptions options = {})
{
    std::string folder = createTemporaryDirectory("brevanton-save-bench").value();
    std::string copy = folder + "/page" + extension;
    std::string peerCopy = folder + "/peer" + extension;
    double brevantonTotal = 0, tidyTotal = 0, brevantonCPU = 0, tidyCPU = 0, tidyStopped = 0;
    size_t iteration = 0;
    for (auto _ : state) {
        // Each save starts from the page as it was, not from its last save.
        if (!writeFileAtomically(copy, page) || !writeFileAtomically(peerCopy, page)) {
            state.SkipWithError("could not copy the page");
            break;
        }
        // Tidy's exit status is 1 or 2 on a page with findings: only its running counts.
        auto runTidy = [&] {
            return timeToRun("/bin/sh", { "-c", "tidy -q -i -m -f /dev/null \"$0\" >/dev/null 2>&1; exit 0", peerCopy },
                             options.tidyLimit);
        };
        bool tidyFirst = iteration++ % 2 == 1;
        Timing tidy;
        if (tidyFirst)
            tidy = runTidy();
        auto brevanton = timeToRun(BREVANTON_EXECUTABLE, { "--save", copy });
        if (!tidyFirst)
            tidy = runTidy();
        if (brevanton.wall < 0 || tidy.wall < 0) {
            state.SkipWithError("brevanton or tidy did not run");
            break;
        }
        state.SetIterationTime(brevanton.wall);
        brevantonTotal += brevanton.wall;
        tidyTotal += tidy.wall;
        brevantonCPU += brevanton.cpu;
        tidyCPU += tidy.cpu;
        tidyStopped += tidy.stopped ? 1 : 0;
    }
    double iterations = std::max<double>(1, static_cast<double>(state.iterations()));
    state.counters["brevanton_ms"] = 1000 * brevantonTotal / iterations;
    state.counters["tidy_ms"] = 1000 * tidyTotal / iterations;
    state.counters["brevanton_cpu_ms"] = 1000 * brevantonCPU / iterations;
    state.counters["tidy_cpu_ms"] = 1000 * tidyCPU / iterations;
    state.counters["ratio"] = tidyTotal > 0 ? brevantonTotal / tidyTotal : 0;
    if (options.tidyLimit)
        state.counters["tidy_stopped"] = tidyStopped;
    if (options.target)
        state.counters["under_3s"] = brevantonTotal / iterations < *options.target ? 1 : 0;
    if (!removeItem(folder)) std::fprintf(stderr, "could not remove a benchmark folder\n");
}

void BM_BrevantonSaveBesideTidy(benchmark::State& state)
{
    saveBesideTidy(state, makeBenchmarkHTMLPage(static_cast<size_t>(state.range(0)) << 20), ".html");
}
BENCHMARK(BM_BrevantonSaveBesideTidy)->Arg(1)->Arg(5)->ArgName("MB")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BrevantonSaveBrokenPageBesideTidy(benchmark::State& state)
{
    saveBesideTidy(state, makeBrokenBenchmarkHTMLPage(static_cast<size_t>(state.range(0)) << 20), ".html");
}
BENCHMARK(BM_BrevantonSaveBrokenPageBesideTidy)->Arg(1)->Arg(5)->ArgName("MB")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

std::string hostileHead()
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>hostile</title></head><body>\n";
}

void saveHostilePage(benchmark::State& state, const std::string& page)
{
    saveBesideTidy(state, page, ".html", SaveOptions { std::chrono::milliseconds(20000), 3.0 });
}

void BM_BrevantonSaveHostileNestedDivs(benchmark::State& state)
{
    saveHostilePage(state, hostileHead() + makeRepeatedPiecePage("<div>x", 100000));
}
BENCHMARK(BM_BrevantonSaveHostileNestedDivs)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BrevantonSaveHostileUnclosedBold(benchmark::State& state)
{
    saveHostilePage(state, hostileHead() + makeRepeatedPiecePage("<b>x", 200000));
}
BENCHMARK(BM_BrevantonSaveHostileUnclosedBold)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BrevantonSaveHostileManyAttributes(benchmark::State& state)
{
    std::string paragraph = "<p";
    for (int i = 0; i < 50000; ++i)
        paragraph += " data-a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    saveHostilePage(state, hostileHead() + paragraph + ">many attributes</p>\n</body></html>\n");
}
BENCHMARK(BM_BrevantonSaveHostileManyAttributes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BrevantonSaveHostileSingleLine(benchmark::State& state)
{
    std::string line = hostileHead() + "<p>";
    while (line.size() < (size_t(30) << 20))
        line += "word <i>slanted</i> and <b>bold</b> &amp; more ";
    saveHostilePage(state, line + "end</p></body></html>");
}
BENCHMARK(BM_BrevantonSaveHostileSingleLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BrevantonSaveHostileSrcdocFrames(benchmark::State& state)
{
    saveHostilePage(state, hostileHead() + makeRepeatedPiecePage("<iframe srcdoc=\"<p>framed <b>text</b></p>\" title=\"f\"></iframe>\n", 10000)
                               + "</body></html>\n");
}
BENCHMARK(BM_BrevantonSaveHostileSrcdocFrames)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Every page of the save round-trip test data, one benchmark each.
[[maybe_unused]] const bool roundTripPagesRegistered = [] {
    std::error_code error;
    std::vector<std::filesystem::path> pages;
    for (const auto& entry : std::filesystem::directory_iterator(BREVANTON_TEST_DATA_DIR "/save-roundtrip", error)) {
        if (entry.is_regular_file())
            pages.push_back(entry.path());
    }
    std::sort(pages.begin(), pages.end());
    for (const auto& page : pages) {
        auto contents = readFile(page.string());
        if (!contents)
            continue;
        benchmark::RegisterBenchmark(("BM_BrevantonSaveBesideTidy/" + page.filename().string()).c_str(),
                                     [contents = *contents, extension = page.extension().string()](benchmark::State& state) {
                                         saveBesideTidy(state, contents, extension);
                                     })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    return true;
}();

} // namespace
