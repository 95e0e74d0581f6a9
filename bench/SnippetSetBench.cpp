// A 500-snippet set read from its file and validated for HTML 5 on the
// fragment validation queue, until every result is in on the main thread.
// Target: under 100 ms.
#include "html/VornickFragmentSet.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

using namespace brevanton;

namespace {

std::shared_ptr<VornickFragmentSet> fiveHundredSnippets()
{
    auto set = VornickFragmentSet::createWithTitle(u"Large");
    set->setDocumentType(VornickHTMLDocumentType::HTML5);
    const char16_t* markups[] = {
        u"<blockquote class=\"pull\">\n\t<p>{content}</p>\n</blockquote>",
        u"<figure>\n\t<img src=\"{url}\" alt=\"\">\n\t<figcaption>{content}</figcaption>\n</figure>",
        u"<table>\n\t<thead>\n\t\t<tr><th>{content}</th></tr>\n\t</thead>\n\t<tbody>\n\t\t<tr><td></td></tr>\n\t</tbody>\n</table>",
        u"<p class=\"note\"><strong>Note:</strong> {content}</p>",
        u"<ul>\n\t<li>{content}</li>\n\t<li></li>\n</ul>",
    };
    for (int g = 0; g < 20; ++g) {
        auto group = VornickFragmentGroup::create(u"Group " + toUTF16(std::to_string(g)));
        for (int s = 0; s < 25; ++s) {
            auto number = toUTF16(std::to_string(g * 25 + s));
            group->addFragmentDescription(std::make_shared<VornickGeneralFragmentDescription>(
                u"snippet-" + number, u"Snippet " + number, u"s" + number, u"", markups[s % 5], u""));
        }
        set->addGroup(group);
    }
    return set;
}

void BM_SnippetSetLoadAndValidate(benchmark::State& state)
{
    std::string folder = createTemporaryDirectory("brevanton-snippet-bench").value();
    auto url = URL::fileURLWithPath(folder + "/Large.brevantonsnippets");
    Error error;
    if (!fiveHundredSnippets()->writeToURL(url, &error)) {
        state.SkipWithError("cannot write the set");
        return;
    }
    double loadSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        // Released at the end of each iteration, so the registry reads the file again.
        auto set = VornickFragmentSet::fragmentSetWithContentsOfURL(url, &error);
        auto loaded = std::chrono::steady_clock::now();
        set->requestValidationForDocumentType(VornickHTMLDocumentType::HTML5);
        RunLoop::main().runUntil([&set] { return set->numberOfValidationsInProgress() == 0; }, 30);
        loadSeconds += std::chrono::duration<double>(loaded - start).count();
        benchmark::DoNotOptimize(set.get());
    }
    state.counters["load_ms"] = loadSeconds * 1000 / static_cast<double>(state.iterations());
    (void)removeItem(folder);
}
BENCHMARK(BM_SnippetSetLoadAndValidate)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
