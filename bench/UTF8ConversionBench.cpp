// Converting UTF-8 to UTF-16 beside ICU's own conversion of the same bytes
// (U+FFFD for ill-formed sequences too), in the same run: a text of blog
// posts' mix (markup, English, French, German, Japanese, Russian), and one of
// Russian alone, where no run of ASCII is long.
#include "platform/foundation/Text.h"

#include <benchmark/benchmark.h>
#include <unicode/ustring.h>

#include <string>

using namespace brevanton;

namespace {

std::string repeated(std::initializer_list<const char*> parts, size_t bytes)
{
    std::string out;
    while (out.size() < bytes) {
        for (const char* part : parts)
            out += part;
    }
    return out;
}

const std::string& postsText()
{
    static const std::string text = repeated({
        "<!-- wp:paragraph -->\n<p>The harbour was quiet at dawn, and the boats lay still on grey water. ",
        "Caf\xC3\xA9 cr\xC3\xA8me, cro\xC3\xAEssants et confiture \xE2\x80\x94 le petit d\xC3\xA9jeuner parfait. ",
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE7\xAB\xA0\xE3\x82\x82\xE5\xB0\x91\xE3\x81\x97\xE5\x85\xA5\xE3\x82\x8C\xE3\x81\xBE\xE3\x81\x99\xE3\x80\x82 ",
        "Stra\xC3\x9F" "e, Gr\xC3\xB6\xC3\x9F" "e und \xC3\x9C" "berraschungen am Wegesrand. ",
        "<a href=\"http://127.0.0.1:8080/?p=12\">more</a></p>\n<!-- /wp:paragraph -->\n\n",
        "\xD0\x9C\xD0\xBE\xD1\x80\xD0\xB5 \xD0\xB1\xD1\x8B\xD0\xBB\xD0\xBE \xD1\x81\xD0\xBF\xD0\xBE\xD0\xBA\xD0\xBE\xD0\xB9\xD0\xBD\xD1\x8B\xD0\xBC. ",
    }, 1 << 20);
    return text;
}

const std::string& russianText()
{
    static const std::string text = repeated({
        "\xD0\x9C\xD0\xBE\xD1\x80\xD0\xB5 \xD0\xB1\xD1\x8B\xD0\xBB\xD0\xBE \xD1\x81\xD0\xBF\xD0\xBE\xD0\xBA\xD0\xBE\xD0\xB9\xD0\xBD\xD1\x8B\xD0\xBC. ",
    }, 1 << 20);
    return text;
}

const std::string& textOf(const benchmark::State& state)
{
    return state.range(0) ? russianText() : postsText();
}

void BM_UTF8ToUTF16(benchmark::State& state)
{
    const std::string& text = textOf(state);
    for (auto _ : state) {
        std::u16string utf16 = toUTF16(text);
        benchmark::DoNotOptimize(utf16.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_UTF8ToUTF16)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_UTF8ToUTF16ICU(benchmark::State& state)
{
    const std::string& text = textOf(state);
    for (auto _ : state) {
        std::u16string utf16(text.size(), u'\0');
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8WithSub(reinterpret_cast<UChar*>(utf16.data()), static_cast<int32_t>(utf16.size()), &length, text.data(),
            static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
        utf16.resize(static_cast<size_t>(length));
        benchmark::DoNotOptimize(utf16.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_UTF8ToUTF16ICU)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
