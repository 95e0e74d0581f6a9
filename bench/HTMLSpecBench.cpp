// HTML specifications: loading the eight specification files, and escaping
// a 1 MB text with named character references.
#include "html/VornickHTMLSpec.h"
#include "html/VornickNamedCharacterReferenceMap.h"

#include <benchmark/benchmark.h>

namespace brevanton {
namespace {

void BM_LoadAllHTMLSpecifications(benchmark::State& state)
{
    for (auto _ : state) {
        for (auto type : VornickEveryHTMLDocumentType) {
            auto spec = VornickHTMLSpec::loadHTMLSpecForDocumentType(type, Bundle::main());
            if (!spec)
                state.SkipWithError("a specification failed to load");
            benchmark::DoNotOptimize(spec);
        }
    }
}
BENCHMARK(BM_LoadAllHTMLSpecifications)->Unit(benchmark::kMillisecond);

std::u16string megabyteOfText()
{
    // Prose with markup characters, accented letters, non-breaking spaces,
    // dashes and characters beyond the basic plane.
    const std::u16string sample = u"Caf\u00E9 & cr\u00E8me <br> \u201Cquoted\u201D \u2014 na\u00EFve\u00A0text 1 < 2 > 0; "
                                  u"\u00C5ngstr\u00F6m \u03B1\u03B2\u03B3 \U0001D504 plain ASCII words follow here. ";
    std::u16string text;
    text.reserve(1 << 20);
    while (text.size() * sizeof(char16_t) < (1u << 20))
        text += sample;
    return text;
}

void BM_EscapeMegabyteWithNamedReferences(benchmark::State& state)
{
    auto map = VornickNamedCharacterReferenceMap::html5NamedCharacterReferenceMap();
    if (!map) {
        state.SkipWithError("HTML5-entities.json did not load");
        return;
    }
    std::u16string text = megabyteOfText();
    for (auto _ : state) {
        auto escaped = map->stringByEscapingSpecialCharactersInString(text, u"", VornickEscapeOptionNamedReferences);
        benchmark::DoNotOptimize(escaped);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_EscapeMegabyteWithNamedReferences)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace brevanton
