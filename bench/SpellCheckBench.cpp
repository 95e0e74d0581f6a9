// The spelling check of about 1 MB of a page's text through the spell
// checker (Hunspell with the en_US dictionary), beside the `hunspell -l`
// command on the same text. "Cold" makes a new checker each time, which
// opens the dictionary as the command does; "warm" reuses one checker.
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/views/HunspellSpellChecker.h"

#include "HTMLBenchPages.h"
#include "HunspellCommandTiming.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace brevanton;

namespace {

const std::u16string& megabyteOfText()
{
    static const std::u16string text = [] {
        auto document = DOMDocument::parseHTML(makeBenchmarkHTMLPage(4 << 20), "UTF-8");
        std::u16string all = document->body()->textContent();
        size_t cut = std::min(all.size(), static_cast<size_t>(1 << 20));
        cut = all.rfind(u' ', cut);
        return all.substr(0, cut == std::u16string::npos ? all.size() : cut);
    }();
    return text;
}

bool hasDictionary()
{
    return std::filesystem::exists("/usr/share/hunspell/en_US.dic");
}

void checkOnce(HunspellSpellChecker& checker, benchmark::State& state)
{
    const auto& text = megabyteOfText();
    auto results = checker.checkString(text, { 0, text.size() }, TextCheckingTypeSpelling, std::nullopt, 0);
    state.counters["misspellings"] = static_cast<double>(results.size());
    benchmark::DoNotOptimize(results);
}

void BM_SpellCheckMegabyteTextCold(benchmark::State& state)
{
    if (!hasDictionary()) {
        state.SkipWithError("no en_US dictionary");
        return;
    }
    for (auto _ : state) {
        HunspellSpellChecker checker;
        checkOnce(checker, state);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * toUTF8(megabyteOfText()).size()));
}
BENCHMARK(BM_SpellCheckMegabyteTextCold)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SpellCheckMegabyteTextWarm(benchmark::State& state)
{
    if (!hasDictionary()) {
        state.SkipWithError("no en_US dictionary");
        return;
    }
    HunspellSpellChecker checker;
    checkOnce(checker, state);
    for (auto _ : state)
        checkOnce(checker, state);
}
BENCHMARK(BM_SpellCheckMegabyteTextWarm)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_HunspellCommandMegabyteText(benchmark::State& state)
{
    if (!hasDictionary()) {
        state.SkipWithError("no en_US dictionary");
        return;
    }
    std::string text = toUTF8(megabyteOfText());
    if (bench::timeHunspellCommand(state, text))
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_HunspellCommandMegabyteText)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
