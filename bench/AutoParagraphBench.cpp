// Paragraphs and line breaks of a 1 MB classic post, beside WordPress's own
// wpautop() of the same post, timed inside php-cli (the start of php is not
// counted; skipped without php and Debian's WordPress files).
#include "html/VornickWordPressAutoParagraphAdder.h"
#include "platform/foundation/Text.h"
#include "WordPressPHPTiming.h"

#include <benchmark/benchmark.h>

namespace {

using namespace brevanton;

const std::string& classicPost()
{
    static const std::string text = [] {
        const char* const pieces[] = {
            "A paragraph of plain text with <b>bold</b> and <a href=\"https://example.com/\">a link</a>.\nA second line.\n\n",
            "Ünïcödé words — and 日本語 too.\n\n",
            "<ul>\n<li>one</li>\n<li>two</li>\n</ul>\n\n",
            "<blockquote>Quoted text\n\nin two paragraphs</blockquote>\n",
            "<pre>code\n\nmore code</pre>\n\n",
            "<h2>A heading</h2>\nText under the heading.\n\n",
        };
        std::string post;
        for (size_t index = 0; post.size() < 1024 * 1024; ++index)
            post += pieces[index % std::size(pieces)];
        return post;
    }();
    return text;
}

void BM_AutoParagraph1MB(benchmark::State& state)
{
    std::u16string text = toUTF16(classicPost());
    for (auto _ : state)
        benchmark::DoNotOptimize(VornickWordPressAutoParagraphAdder::addImplicitParagraphsAndLineBreaksToPostBody(text, false));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(classicPost().size()));
}
BENCHMARK(BM_AutoParagraph1MB)->Unit(benchmark::kMillisecond);

void BM_WordPressAutop1MB(benchmark::State& state)
{
    bench::timeWordPressAutop(state, classicPost());
}
BENCHMARK(BM_WordPressAutop1MB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
