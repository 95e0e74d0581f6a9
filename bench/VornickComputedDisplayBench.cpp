// The computed "display" of every element of a 1 MB page, as the brick test
// asks it: through the default display table and through the style cascade.
#include "dom/VornickCascadeComputedStyle.h"
#include "dom/VornickComputedStyle.h"
#include "dom/VornickElementExtensions.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

using namespace brevanton;

namespace {

// A blog-like page of about `size` bytes with a style sheet, classes and inline styles.
std::string displayBenchPage(size_t size)
{
    std::mt19937 random(7);
    std::string page = "<!DOCTYPE html><html><head><title>Bench</title><style>"
                       ".note { display: inline-block } .wide td { display: block } "
                       "article > p:first-child { font-weight: bold } #side li { display: inline }"
                       "</style></head><body><div id=side><ul><li>a</li><li>b</li></ul></div>\n";
    const char* words[] = { "editor", "markup", "blog", "entry", "draft", "style", "with", "and" };
    while (page.size() < size) {
        page += "<article class=\"post\"><h2>Title</h2>";
        for (int p = 0; p < 4; ++p) {
            page += "<p>";
            for (int w = 0; w < 12; ++w) {
                const char* word = words[random() % std::size(words)];
                switch (random() % 6) {
                case 0:
                    page += std::string("<a href=\"/x\">") + word + "</a> ";
                    break;
                case 1:
                    page += std::string("<span class=\"note\">") + word + "</span> ";
                    break;
                case 2:
                    page += std::string("<em style=\"display:block\">") + word + "</em> ";
                    break;
                default:
                    page += std::string(word) + " ";
                }
            }
            page += "</p>\n";
        }
        page += "<ul><li>one</li><li>two</li></ul><table class=\"wide\"><tr><td>1</td><td>2</td></tr></table>";
        page += "<blockquote><p>quote</p></blockquote></article>\n";
    }
    return page + "</body></html>";
}

struct DisplayPage {
    std::shared_ptr<DOMDocument> document;
    std::vector<DOMElement*> elements;
};

DisplayPage& page()
{
    static DisplayPage displayPage = [] {
        DisplayPage made;
        made.document = DOMDocument::parseHTML(displayBenchPage(1 << 20), "UTF-8");
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
