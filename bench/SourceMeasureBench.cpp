// Measuring a painted source for its pane (sizeOfAttributedString, as the
// source loupe fits its view to the text): a page written on one line, of
// 1 MB and 5 MB, coloured by the syntax painter into hundreds of thousands
// of runs. The time should grow with the text, not with its square.
#include "HTMLBenchPages.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "platform/foundation/Text.h"
#include "platform/views/TextLayout.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using namespace brevanton;

void BM_MeasurePaintedSingleLineSource(benchmark::State& state)
{
    std::string page = makeBenchmarkHTMLPage(static_cast<size_t>(state.range(0)) << 20);
    std::replace(page.begin(), page.end(), '\n', ' ');
    std::shared_ptr<const AttributedString> painted;
    VornickHTMLStringSyntaxPainterAndMapper painter;
    painter.paintAndMapHTMLString(toUTF16(page), nullptr, nullptr, true,
                                  [&](std::shared_ptr<const AttributedString> string, std::shared_ptr<const VornickDOMToNSRangeMap>) {
                                      painted = std::move(string);
                                  });
    if (!painted) {
        state.SkipWithError("the page was not painted");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(sizeOfAttributedString(*painted));
    state.counters["runs"] = static_cast<double>(painted->runs().size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_MeasurePaintedSingleLineSource)->Arg(1)->Arg(5)->ArgName("MB")->Unit(benchmark::kMillisecond);

} // namespace
