// Pages that were quadratic or took too much memory: deep nesting, piled-up
// formatting elements, thousands of attributes, undeclared named characters
// in XHTML, and a 50 MB page with the peak memory of its parse.
#include "bench/HTMLBenchPages.h"

#include "platform/dom/DOMDocument.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <fstream>

using namespace brevanton;

namespace {

void parseHTMLPage(benchmark::State& state, const std::string& page)
{
    for (auto _ : state) {
        auto document = DOMDocument::parseHTML(page, "UTF-8");
        benchmark::DoNotOptimize(document.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_ParseNestedDivs(benchmark::State& state)
{
    static const auto page = makeRepeatedPiecePage("<div>x", 100000);
    parseHTMLPage(state, page);
}
BENCHMARK(BM_ParseNestedDivs)->Unit(benchmark::kMillisecond);

void BM_ParseUnclosedBold(benchmark::State& state)
{
    static const auto page = makeRepeatedPiecePage("<b>x", 200000);
    parseHTMLPage(state, page);
}
BENCHMARK(BM_ParseUnclosedBold)->Unit(benchmark::kMillisecond);

void BM_ParseNestedElements(benchmark::State& state)
{
    static const auto page = makeNestedElementsPage(100000);
    parseHTMLPage(state, page);
}
BENCHMARK(BM_ParseNestedElements)->Unit(benchmark::kMillisecond);

void BM_ParseManyAttributes(benchmark::State& state)
{
    static const auto page = makeManyAttributesPage(50000);
    parseHTMLPage(state, page);
}
BENCHMARK(BM_ParseManyAttributes)->Unit(benchmark::kMillisecond);

void BM_ParseXHTMLUndeclaredEntities(benchmark::State& state)
{
    static const auto page = makeUndeclaredEntitiesXHTMLPage(200000, 10000);
    for (auto _ : state) {
        auto document = DOMDocument::parseXML(page);
        benchmark::DoNotOptimize(document.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ParseXHTMLUndeclaredEntities)->Unit(benchmark::kMillisecond);

// Kilobytes of a "Vm..." line of /proc/self/status, -1 when unreadable.
long processStatusKilobytes(std::string_view field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field))
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

// Peak memory: free memory goes back to the system first, the peak resident
// size is reset (writing 5 to /proc/self/clear_refs), and the peak reached
// while parsing is read back (VmHWM) less the resident size before. Run it
// alone for the figure of a fresh process: after other parses in the same
// run, node blocks kept for the next document and pages freed lazily are
// resident before and taken again, and the figure reads about one byte lower.
void BM_Parse50MBPage(benchmark::State& state)
{
    static const auto page = makeBenchmarkHTMLPage(50 << 20);
    double peakPerByte = -1;
    for (auto _ : state) {
        state.PauseTiming();
        malloc_trim(0);
        bool reset = static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5");
        long before = processStatusKilobytes("VmRSS:");
        state.ResumeTiming();
        auto document = DOMDocument::parseHTML(page, "UTF-8");
        state.PauseTiming();
        long peak = processStatusKilobytes("VmHWM:");
        if (reset && before >= 0 && peak >= 0)
            peakPerByte = static_cast<double>(peak - before) * 1024 / static_cast<double>(page.size());
        document.reset();
        state.ResumeTiming();
    }
    state.counters["PeakBytesPerInputByte"] = peakPerByte;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Parse50MBPage)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
