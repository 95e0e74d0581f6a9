// Parsing generated HTML pages into the DOM beside gumbo's parse alone (the
// parser ours replaced, kept here as its peer) and parse5's in node, the
// memory the DOM keeps per byte of input, the tree builder on decoded text
// and on pathological pages (gumbo alone takes minutes on the first,
// unguarded), and random mutations under live ranges. The pages are of 1 and
// 5 MB, with (second argument 1) and without the faults of pages in the wild.
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMNodeArena.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/HTMLTreeBuilder.h"

#include "HTMLBenchPages.h"
#include "Parse5Timing.h"

#include <benchmark/benchmark.h>
#include <gumbo.h>
#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

using namespace brevanton;

namespace {

const std::string& pageOfSize(int megabytes, bool faults = false)
{
    static std::string one = makeBenchmarkHTMLPage(1 << 20);
    static std::string five = makeBenchmarkHTMLPage(5 << 20);
    static std::string brokenOne = makeBrokenBenchmarkHTMLPage(1 << 20);
    static std::string brokenFive = makeBrokenBenchmarkHTMLPage(5 << 20);
    if (faults)
        return megabytes == 1 ? brokenOne : brokenFive;
    return megabytes == 1 ? one : five;
}

// Bytes in use in the heap and in node slabs.
size_t domBytes()
{
    return mallinfo2().uordblks + DOMNodeArena::liveSlabCountForTesting() * DOMNodeArena::slabSize;
}

// Minor page faults of the process so far: fresh pages the parse touched.
long pageFaults()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

void countPageFaults(benchmark::State& state, long before)
{
    state.counters["PageFaultsPerParse"] = static_cast<double>(pageFaults() - before) / static_cast<double>(state.iterations());
}

const std::string& pageOfState(const benchmark::State& state)
{
    return pageOfSize(static_cast<int>(state.range(0)), state.range(1));
}

void pageSizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgsProduct({ { 1, 5 }, { 0, 1 } });
}

void BM_GumboParseAlone(benchmark::State& state)
{
    auto& page = pageOfState(state);
    long faults = pageFaults();
    for (auto _ : state) {
        GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size());
        benchmark::DoNotOptimize(output);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    countPageFaults(state, faults);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
// At least two seconds each: at 5 MB gumbo takes over 300 ms a parse, and
// one or two parses a run swing with whatever else the machine does.
BENCHMARK(BM_GumboParseAlone)->Apply(pageSizes)->MinTime(2)->Unit(benchmark::kMillisecond);

void BM_Parse5ParseInNode(benchmark::State& state)
{
    bench::timeParse5(state, pageOfState(state), 5);
}
BENCHMARK(BM_Parse5ParseInNode)->Apply(pageSizes)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_DOMParseHTML(benchmark::State& state)
{
    auto& page = pageOfState(state);
    long faults = pageFaults();
    for (auto _ : state) {
        auto document = DOMDocument::parseHTML(page, "UTF-8");
        benchmark::DoNotOptimize(document.get());
    }
    countPageFaults(state, faults);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));

    // The memory the finished DOM keeps, per byte of input: what it holds of
    // the heap and of node slabs.
    malloc_trim(0);
    size_t before = domBytes();
    auto document = DOMDocument::parseHTML(page, "UTF-8");
    size_t after = domBytes();
    state.counters["DOMBytesPerInputByte"] = static_cast<double>(after - before) / static_cast<double>(page.size());
    unsigned nodes = 0;
    for (auto* node = document->first(); node; node = node->traverseNext())
        ++nodes;
    state.counters["nodes"] = nodes;
}
BENCHMARK(BM_DOMParseHTML)->Apply(pageSizes)->Unit(benchmark::kMillisecond);

// Our tokenizer and tree builder on the page as decoded text (what the load has
// once the bytes are decoded), timed as node times parse5: from decoded text to
// the finished tree, the tree's release left out (node's collector frees dead
// trees when it likes). The release is timed on its own as a counter.
void BM_TreeBuilderParseDecoded(benchmark::State& state)
{
    auto& page = pageOfState(state);
    std::u16string markup;
    appendUTF8AsUTF16(markup, page.data(), page.size());
    double releaseSeconds = 0;
    for (auto _ : state) {
        auto document = buildHTMLDocument(markup);
        benchmark::DoNotOptimize(document.get());
        state.PauseTiming();
        auto start = std::chrono::steady_clock::now();
        document.reset();
        releaseSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["ReleaseMilliseconds"] = releaseSeconds * 1000 / static_cast<double>(state.iterations());

    malloc_trim(0);
    size_t before = domBytes();
    auto document = buildHTMLDocument(markup);
    size_t after = domBytes();
    state.counters["DOMBytesPerInputByte"] = static_cast<double>(after - before) / static_cast<double>(page.size());
}
BENCHMARK(BM_TreeBuilderParseDecoded)->Apply(pageSizes)->Unit(benchmark::kMillisecond);

// Pages that take careless parsers quadratic time or deep recursion: 0 nests 100,000 DIVs, 1 leaves 200,000 B elements open, 2
// gives one P 50,000 attributes, 3 closes 100,000 Ps that are not open.
std::string pathologicalPage(int kind)
{
    auto repeat = [](std::string_view piece, int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += piece;
        return text;
    };
    switch (kind) {
    case 0:
        return repeat("<div>", 100000) + "x";
    case 1:
        return repeat("<b>x", 200000);
    case 2: {
        std::string tag = "<p";
        for (int i = 0; i < 50000; ++i)
            tag += " a" + std::to_string(i) + "=v";
        return tag + ">";
    }
    default:
        return "<body>" + repeat("</p>", 100000);
    }
}

void BM_PathologicalPage(benchmark::State& state)
{
    auto page = pathologicalPage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto document = DOMDocument::parseHTML(page, "UTF-8");
        benchmark::DoNotOptimize(document.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_PathologicalPage)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);



// 10,000 random mutations of a parsed page with 100 live ranges at random places.
void BM_DOMRandomMutationsWithLiveRanges(benchmark::State& state)
{
    constexpr int mutations = 10000;
    auto source = makeBenchmarkHTMLPage(200 << 10);
    for (auto _ : state) {
        state.PauseTiming();
        auto document = DOMDocument::parseHTML(source, "UTF-8");
        std::vector<std::shared_ptr<DOMNode>> pool;
        for (auto* node = document->body()->first(); node; node = node->traverseNext(document->body().get()))
            pool.push_back(node->shared_from_this());
        std::mt19937 random(1);
        auto pick = [&]() -> std::shared_ptr<DOMNode>& { return pool[random() % pool.size()]; };
        std::vector<std::shared_ptr<DOMRange>> ranges;
        for (int i = 0; i < 100; ++i) {
            auto range = document->createRange();
            auto& a = pick();
            auto& b = pick();
            range->setStart(a, random() % (a->length() + 1));
            range->setEnd(b, random() % (b->length() + 1));
            ranges.push_back(range);
        }
        auto body = document->body();
        state.ResumeTiming();

        for (int step = 0; step < mutations; ++step) {
            auto& node = pick();
            auto* parent = node->parent();
            switch (random() % 8) {
            case 0: // insert a text node before the node
                if (parent)
                    parent->insertBefore(document->createTextNode(u"inserted"), node.get());
                break;
            case 1: { // insert an element into the node or its parent
                auto element = document->createElement(u"span");
                if (node->isElementNode())
                    node->appendChild(element);
                else if (parent)
                    parent->insertBefore(element, node->next());
                pool.push_back(element);
                break;
            }
            case 2: // remove the node (it may come back later)
                if (parent && !node->isInclusiveAncestorOf(body.get()))
                    parent->removeChild(node.get());
                break;
            case 3: // re-insert somewhere in the body
                if (!parent && !node->isInclusiveAncestorOf(body.get()))
                    body->insertBefore(node, body->first());
                break;
            case 4:
                if (node->isTextNode()) {
                    auto* text = downcast<DOMText>(node.get());
                    text->replaceData(random() % (text->length() + 1), random() % 4, u"xy");
                }
                break;
            case 5:
                if (node->isTextNode())
                    downcast<DOMText>(node.get())->setData(u"replaced data");
                break;
            case 6:
                if (node->isTextNode() && parent) {
                    auto* text = downcast<DOMText>(node.get());
                    pool.push_back(text->splitText(random() % (text->length() + 1)));
                }
                break;
            default:
                if (node->isTextNode())
                    downcast<DOMText>(node.get())->appendData(u"!");
                else if (node->isElementNode() && node->childCount() < 8)
                    node->normalize();
                break;
            }
        }

        state.PauseTiming();
        ranges.clear();
        pool.clear();
        body.reset();
        document.reset();
        state.ResumeTiming();
    }
    state.counters["PerMutation"] = benchmark::Counter(static_cast<double>(state.iterations() * mutations),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DOMRandomMutationsWithLiveRanges)->Unit(benchmark::kMillisecond);

} // namespace
