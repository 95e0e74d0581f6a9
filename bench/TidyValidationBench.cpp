// Tidy validation of a 1 MB page through the tidy process (wall time).
#include "HTMLBenchPages.h"
#include "html/VornickTidyFilter.h"
#include "platform/foundation/Text.h"

#include <benchmark/benchmark.h>

namespace {

using namespace brevanton;

void BM_TidyValidation1MB(benchmark::State& state)
{
    std::u16string text = toUTF16(makeBenchmarkHTMLPage(1024 * 1024));
    size_t advisoryCount = 0;
    for (auto _ : state) {
        std::vector<VornickValidationAdvisory> advisories;
        benchmark::DoNotOptimize(VornickTidyFilter::validateHTMLStringNow(text, advisories));
        advisoryCount = advisories.size();
    }
    state.counters["advisories"] = double(advisoryCount);
}
BENCHMARK(BM_TidyValidation1MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
