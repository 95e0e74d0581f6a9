// Check Spelling over a whole 1 MB page in the editing view's way: the text
// gatherer cuts the page's text into runs (blocks and languages) and each
// run goes to the spell checker (Hunspell, en_US, warm), every run of the
// page once; beside the `hunspell -l` command on the page's text.
#include "HTMLBenchPages.h"
#include "HunspellCommandTiming.h"

#include "editing/VornickDOMTextGatherer.h"
#include "html/VornickHTMLServices.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/views/HunspellSpellChecker.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>

using namespace brevanton;

namespace {

const std::shared_ptr<DOMDocument>& document()
{
    static const auto parsed = DOMDocument::parseHTML(makeBenchmarkHTMLPage(BenchmarkPageOptions { 1 << 20 }), "UTF-8");
    return parsed;
}

void BM_CheckSpellingOfMegabytePage(benchmark::State& state)
{
    if (!std::filesystem::exists("/usr/share/hunspell/en_US.dic")) {
        state.SkipWithError("no en_US dictionary");
        return;
    }
    VornickInstallHTMLServices();
    HunspellSpellChecker checker;
    long tag = checker.uniqueSpellDocumentTag();
    for (auto _ : state) {
        VornickDOMTextGatherer gatherer;
        size_t runs = 0;
        size_t findings = 0;
        size_t characters = 0;
        while (auto run = gatherer.nextTextRunInDocument(document())) {
            if (run->wrapped)
                break;
            ++runs;
            characters += run->text.size();
            auto results = checker.checkString(run->text, { 0, run->text.size() }, TextCheckingTypeSpelling, run->orthography(), tag);
            findings += results.size();
        }
        state.counters["runs"] = static_cast<double>(runs);
        state.counters["misspellings"] = static_cast<double>(findings);
        state.counters["characters"] = static_cast<double>(characters);
    }
}
BENCHMARK(BM_CheckSpellingOfMegabytePage)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_HunspellCommandOnMegabytePageText(benchmark::State& state)
{
    static_cast<void>(bench::timeHunspellCommand(state, toUTF8(document()->body()->textContent())));
}
BENCHMARK(BM_HunspellCommandOnMegabytePageText)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
