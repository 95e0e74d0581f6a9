// The HTML writer on generated pages of 100 KB, 1 MB and 5 MB: the plain
// write and the coloured write with its range map and line index, each
// beside the parse of the same page, and tidy's pretty-printing of the
// page as the tool a user would otherwise run.
#include "toolkit/VornickLineIndex.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"

#include "HTMLBenchPages.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include <map>
#include <string>

using namespace brevanton;

namespace {

const std::string& pageOfKilobytes(int64_t kilobytes)
{
    static std::map<int64_t, std::string> pages;
    auto& page = pages[kilobytes];
    if (page.empty())
        page = makeBenchmarkHTMLPage(static_cast<size_t>(kilobytes) << 10);
    return page;
}

std::shared_ptr<DOMDocument> documentOfKilobytes(int64_t kilobytes)
{
    static std::map<int64_t, std::shared_ptr<DOMDocument>> documents;
    auto& document = documents[kilobytes];
    if (!document)
        document = DOMDocument::parseHTML(pageOfKilobytes(kilobytes), "UTF-8");
    return document;
}

void BM_HTMLWriterBesideParse(benchmark::State& state)
{
    auto& page = pageOfKilobytes(state.range(0));
    for (auto _ : state) {
        auto document = parseHTMLDocument(page);
        benchmark::DoNotOptimize(document.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_HTMLWriterPlainWrite(benchmark::State& state)
{
    auto document = documentOfKilobytes(state.range(0));
    VornickHTMLWriter writer(*VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences(), 0,
                             VornickNewlineConvention::LF);
    size_t length = 0;
    for (auto _ : state) {
        auto html = writer.htmlStringFromDocument(*document);
        length = html.size();
        benchmark::DoNotOptimize(html.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pageOfKilobytes(state.range(0)).size()));
    state.counters["outputUnits"] = static_cast<double>(length);
}

void BM_HTMLWriterColouredWriteWithRangeMapAndLineIndex(benchmark::State& state)
{
    auto document = documentOfKilobytes(state.range(0));
    VornickHTMLWriter writer(*VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences(), 0,
                             VornickNewlineConvention::LF);
    writer.setSyntaxColoringPreferences(std::make_shared<VornickHTMLSyntaxColoringPreferences>());
    for (auto _ : state) {
        std::shared_ptr<const AttributedString> coloured;
        std::shared_ptr<const VornickDOMToNSRangeMap> map;
        writer.writeAttributedStringFromDocument(*document, false, [&](auto string, auto rangeMap) {
            coloured = std::move(string);
            map = std::move(rangeMap);
        });
        auto lineIndex = VornickLineIndex::createByIndexingString(coloured->string(), 1, 1, 4);
        benchmark::DoNotOptimize(lineIndex.get());
        benchmark::DoNotOptimize(map.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pageOfKilobytes(state.range(0)).size()));
}

void BM_HTMLWriterTidyPrettyPrintAsPeer(benchmark::State& state)
{
    auto& page = pageOfKilobytes(state.range(0));
    if (findExecutable("tidy").empty()) {
        state.SkipWithError("tidy is not installed");
        return;
    }
    std::string path = temporaryDirectory() + "/brevanton-writer-bench-" + std::to_string(state.range(0)) + ".html";
    if (!writeFileAtomically(path, page)) std::abort();
    ProcessLaunch launch;
    launch.executable = "tidy";
    launch.arguments = { "-q", "-i", "-utf8", "--show-warnings", "no", path };
    for (auto _ : state) {
        auto result = Process::run(launch);
        benchmark::DoNotOptimize(result);
    }
    if (!removeItem(path)) std::fprintf(stderr, "could not remove a benchmark folder\n");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

} // namespace

BENCHMARK(BM_HTMLWriterBesideParse)->Arg(100)->Arg(1024)->Arg(5120)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HTMLWriterPlainWrite)->Arg(100)->Arg(1024)->Arg(5120)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HTMLWriterColouredWriteWithRangeMapAndLineIndex)->Arg(100)->Arg(1024)->Arg(5120)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HTMLWriterTidyPrettyPrintAsPeer)->Arg(100)->Arg(1024)->Arg(5120)->Unit(benchmark::kMillisecond)->Iterations(3);
