// The computed "display" of every element of a 1 MB page, as the brick test
// asks it: through the default display table and through the style cascade.
#include "dom/VornickCascadeComputedStyle.h"
#include "dom/VornickComputedStyle.h"
#include "dom/VornickElementExtensions.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include "HTMLBenchPages.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace brevanton;

namespace {

std::string displayBenchPage()
{
    BenchmarkPageOptions options;
    options.styleSheet = ".note { display: inline-block } table.data td { display: block } "
                         ".post > p:first-child { font-weight: bold } #sidebar li { display: inline }";
    return makeBenchmarkHTMLPage(options);
}

struct DisplayPage {
    std::shared_ptr<DOMDocument> document;
    std::vector<DOMElement*> elements;
};

DisplayPage& page()
{
    static DisplayPage displayPage = [] {
        DisplayPage made;
        made.document = DOMDocument::parseHTML(displayBenchPage(), "UTF-8");
        for (DOMNode* node = made.document.get(); node; node = node->traverseNext()) {
            if (auto* element = toElement(node))
                made.elements.push_back(element);
        }
        return made;
    }();
    return displayPage;
}

void runDisplayBenchmark(benchmark::State& state)
{
    auto& displayPage = page();
    size_t bricks = 0;
    for (auto _ : state) {
        for (DOMElement* element : displayPage.elements) {
            auto display = vornick_computedDisplay(*element);
            benchmark::DoNotOptimize(display);
            bricks += display == u"block";
        }
    }
    benchmark::DoNotOptimize(bricks);
    state.counters["elements"] = static_cast<double>(displayPage.elements.size());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * displayPage.elements.size()));
}

void BM_ComputedDisplayDefaultTable(benchmark::State& state)
{
    VornickSetComputedStyleProvider(std::make_shared<VornickDefaultDisplayStyleProvider>());
    runDisplayBenchmark(state);
    VornickSetComputedStyleProvider(nullptr);
}
BENCHMARK(BM_ComputedDisplayDefaultTable)->Unit(benchmark::kMillisecond);

void BM_ComputedDisplayCascade(benchmark::State& state)
{
    VornickInstallCascadeComputedStyleProvider();
    runDisplayBenchmark(state);
    VornickSetComputedStyleProvider(nullptr);
}
BENCHMARK(BM_ComputedDisplayCascade)->Unit(benchmark::kMillisecond);

void BM_BrickTestEveryElement(benchmark::State& state)
{
    VornickInstallCascadeComputedStyleProvider();
    auto& displayPage = page();
    for (auto _ : state) {
        size_t bricks = 0;
        for (DOMElement* element : displayPage.elements)
            bricks += vornick_isBrickElement(*element);
        benchmark::DoNotOptimize(bricks);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * displayPage.elements.size()));
    VornickSetComputedStyleProvider(nullptr);
}
BENCHMARK(BM_BrickTestEveryElement)->Unit(benchmark::kMillisecond);

} // namespace
