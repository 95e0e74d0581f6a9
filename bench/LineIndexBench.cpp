// The line index of a 5 MB HTML text beside a plain memchr count of the
// newlines of the same text.
#include "toolkit/VornickLineIndex.h"
#include "platform/foundation/Text.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace brevanton;

constexpr size_t textSize = 5 * 1024 * 1024;

// HTML-like lines of varying length, each ending with `newline`.
std::string makeText(const char* newline)
{
    static const char* const lines[] = {
        "<p>Lorem ipsum dolor sit amet, <em>consectetur</em> adipiscing elit.</p>",
        "    <li><a href=\"https://example.com/page\">A link</a></li>",
        "",
        "\t<div class=\"entry-content\">",
        "Sed do eiusmod tempor incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud.",
        "</div>",
    };
    std::string text;
    text.reserve(textSize + 256);
    for (size_t i = 0; text.size() < textSize; ++i) {
        text += lines[i % std::size(lines)];
        text += newline;
    }
    text.resize(textSize);
    return text;
}

const std::string& utf8Text()
{
    static const std::string text = makeText("\n");
    return text;
}

void MemchrNewlineCount(benchmark::State& state)
{
    const std::string& text = utf8Text();
    for (auto _ : state) {
        size_t count = 0;
        const char* p = text.data();
        const char* end = p + text.size();
        while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))))) {
            ++count;
            ++p;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(MemchrNewlineCount)->Unit(benchmark::kMicrosecond);

void LineIndexBuild(benchmark::State& state, const char* newline)
{
    auto text = std::make_shared<const std::u16string>(toUTF16(makeText(newline)));
    for (auto _ : state) {
        auto index = VornickLineIndex::createByIndexingString(text, 1, 1, 4);
        benchmark::DoNotOptimize(index->numberOfLines());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * textSize));
}
BENCHMARK_CAPTURE(LineIndexBuild, LF, "\n")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LineIndexBuild, CRLF, "\r\n")->Unit(benchmark::kMicrosecond);

} // namespace
