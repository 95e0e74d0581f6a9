// Syntax colouring plus range map of a 1 MB page (target: under 30 ms), and
// lookups in the map of a 5 MB page (logarithmic in the fan-out).
#include "HTMLBenchPages.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "platform/foundation/Text.h"

#include <benchmark/benchmark.h>

namespace {

using namespace brevanton;

std::shared_ptr<const VornickDOMToNSRangeMap> paint(const std::u16string& text, std::shared_ptr<const AttributedString>* string = nullptr)
{
    std::shared_ptr<const VornickDOMToNSRangeMap> result;
    VornickHTMLStringSyntaxPainterAndMapper painter;
    painter.paintAndMapHTMLString(text, nullptr, nullptr, true,
        [&](std::shared_ptr<const AttributedString> painted, std::shared_ptr<const VornickDOMToNSRangeMap> map) {
            result = std::move(map);
            if (string)
                *string = std::move(painted);
        });
    return result;
}

void BM_SyntaxPaintAndMap1MB(benchmark::State& state)
{
    std::u16string text = toUTF16(makeBenchmarkHTMLPage(1024 * 1024));
    for (auto _ : state) {
        std::shared_ptr<const AttributedString> string;
        auto map = paint(text, &string);
        benchmark::DoNotOptimize(map.get());
        benchmark::DoNotOptimize(string.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size() * 2));
}
BENCHMARK(BM_SyntaxPaintAndMap1MB)->Unit(benchmark::kMillisecond);

// One lookup per iteration at spread-out locations; time per lookup should
// barely grow from the 64 KB page to the 5 MB page.
void BM_RangeMapLookup(benchmark::State& state)
{
    std::u16string text = toUTF16(makeBenchmarkHTMLPage(size_t(state.range(0)) * 1024));
    auto map = paint(text);
    size_t location = 0;
    size_t step = 7919;
    for (auto _ : state) {
        location = (location + step) % text.size();
        auto path = map->hitTestPathForRangeLocation(location, &text, 1);
        benchmark::DoNotOptimize(path);
    }
}
BENCHMARK(BM_RangeMapLookup)->Arg(64)->Arg(1024)->Arg(5 * 1024);

} // namespace
