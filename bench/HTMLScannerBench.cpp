// Scanner throughput on a 5 MB page beside the parse of the same page into the DOM.
// The scanner runs after every edit, so it must stay well ahead of a parser.
#include "HTMLBenchPages.h"
#include "html/VornickHTMLScanner.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/Text.h"

#include <benchmark/benchmark.h>

namespace {

using namespace brevanton;

struct CountingDelegate : VornickHTMLScannerDelegate {
    size_t tokens { 0 };
    size_t elements { 0 };
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view, VornickRange,
                                 const std::u16string*) override
    {
        ++tokens;
    }
    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t, std::u16string_view) override { ++elements; }
};

const std::string& page()
{
    static const std::string text = makeBenchmarkHTMLPage(5 * 1024 * 1024);
    return text;
}

void BM_HTMLScanner5MB(benchmark::State& state)
{
    std::u16string text = toUTF16(page());
    for (auto _ : state) {
        CountingDelegate delegate;
        VornickHTMLScanner scanner;
        scanner.setIdentifiesEntityReferences(true);
        scanner.setDelegate(&delegate);
        benchmark::DoNotOptimize(scanner.parseHTMLString(text));
        benchmark::DoNotOptimize(delegate.tokens);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page().size()));
}
BENCHMARK(BM_HTMLScanner5MB)->Unit(benchmark::kMillisecond);

void BM_ParseToDOM5MB(benchmark::State& state)
{
    const std::string& text = page();
    for (auto _ : state) {
        auto document = parseHTMLDocument(text);
        benchmark::DoNotOptimize(document.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ParseToDOM5MB)->Unit(benchmark::kMillisecond);

} // namespace
