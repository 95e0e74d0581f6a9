// Computed "display" for every element of a generated 1 MB blog page with an
// author style sheet: from a cold cache (after a mutation) and from a warm one.
#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include "HTMLBenchPages.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace brevanton;

namespace {

std::string styledPage()
{
    BenchmarkPageOptions options;
    options.styleSheet = "body { font: 15px/1.4 Georgia, serif; margin: 0 auto }"
                         ".post { margin: 2em 0; padding: 1em; border-bottom: 1px solid #ccc }"
                         ".post h2 { font-size: 1.6em; color: #333 } .post p.lead { font-weight: bold }"
                         "#sidebar li a { text-decoration: none } .post > ul li { list-style-type: square }"
                         "table.data td, table.data th { padding: 4px 8px; border: 1px solid #ddd }"
                         "em.k, strong.k { color: rgb(120, 20, 20) } .hidden { display: none }"
                         "[data-kind=note] { background-color: #ffd } .post img { float: right; margin: 0 0 1em 1em }";
    return makeBenchmarkHTMLPage(options);
}

struct Page {
    std::shared_ptr<DOMDocument> document;
    std::vector<DOMElement*> elements;
};

Page& page()
{
    static Page result = [] {
        Page built;
        built.document = DOMDocument::parseHTML(styledPage());
        for (auto* node = built.document->first(); node; node = node->traverseNext())
            if (auto* element = toElement(node))
                built.elements.push_back(element);
        return built;
    }();
    return result;
}

void BM_ComputedDisplayColdCache(benchmark::State& state)
{
    auto& p = page();
    auto& resolver = CSSStyleResolver::forDocument(*p.document);
    size_t blocks = 0;
    for (auto _ : state) {
        // A mutation invalidates every cached style.
        p.elements.back()->setAttribute(u"data-touch", std::u16string(1, u'a' + state.iterations() % 26));
        for (auto* element : p.elements)
            blocks += resolver.computedValues(*element)->identifier(CSSPropertyID::Display) == u"block";
    }
    benchmark::DoNotOptimize(blocks);
    state.counters["elements"] = static_cast<double>(p.elements.size());
    state.counters["ns_per_element"] = benchmark::Counter(
        static_cast<double>(p.elements.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ComputedDisplayColdCache)->Unit(benchmark::kMillisecond);

void BM_ComputedDisplayWarmCache(benchmark::State& state)
{
    auto& p = page();
    auto& resolver = CSSStyleResolver::forDocument(*p.document);
    for (auto* element : p.elements)
        resolver.computedValues(*element);
    size_t blocks = 0;
    for (auto _ : state) {
        for (auto* element : p.elements)
            blocks += resolver.computedValues(*element)->identifier(CSSPropertyID::Display) == u"block";
    }
    benchmark::DoNotOptimize(blocks);
    state.counters["elements"] = static_cast<double>(p.elements.size());
}
BENCHMARK(BM_ComputedDisplayWarmCache)->Unit(benchmark::kMillisecond);

} // namespace
