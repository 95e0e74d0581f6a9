// Completion over 10,000 snippet and element names, one ranking per
// keystroke while "blockquote" and "pull quote" are typed, beside a plain
// case-insensitive substring filter of the same list in the same run.
// Target: under 1 ms per keystroke.
#include "toolkit/VornickCompletionSet.h"
#include "platform/foundation/Text.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

using namespace brevanton;

namespace {

const std::vector<std::u16string>& names()
{
    static const std::vector<std::u16string> list = [] {
        const char16_t* elements[] = { u"a", u"abbr", u"address", u"article", u"aside", u"audio", u"b", u"blockquote", u"body", u"br",
                                       u"button", u"caption", u"cite", u"code", u"dd", u"details", u"div", u"dl", u"dt", u"em",
                                       u"figcaption", u"figure", u"footer", u"h1", u"h2", u"h3", u"header", u"hr", u"i", u"img",
                                       u"li", u"main", u"mark", u"nav", u"ol", u"p", u"pre", u"q", u"section", u"small", u"span",
                                       u"strong", u"sub", u"summary", u"sup", u"table", u"tbody", u"td", u"th", u"tr", u"ul", u"video" };
        const char16_t* words[] = { u"Pull", u"Quote", u"Block", u"Gallery", u"Embed", u"Heading", u"List", u"Image", u"Cover",
                                    u"Media", u"Text", u"Columns", u"Button", u"Separator", u"Table", u"Code", u"Verse", u"Audio",
                                    u"Video", u"File", u"Group", u"Row", u"Stack", u"Spacer", u"Navigation", u"Search", u"Archive" };
        std::mt19937 random(17);
        std::vector<std::u16string> result;
        for (auto* element : elements)
            result.emplace_back(element);
        while (result.size() < 10'000) {
            std::u16string name;
            int count = 1 + static_cast<int>(random() % 3);
            for (int i = 0; i < count; ++i) {
                if (i)
                    name += u' ';
                name += words[random() % std::size(words)];
            }
            name += u" " + toUTF16(std::to_string(result.size()));
            result.push_back(std::move(name));
        }
        return result;
    }();
    return list;
}

const std::vector<std::u16string> typed = { u"b", u"bl", u"blo", u"bloc", u"block", u"blockq", u"blockqu", u"blockquo", u"blockquot",
                                            u"blockquote", u"p", u"pu", u"pul", u"pull", u"pull ", u"pull q", u"pull qu", u"pull quo" };

void BM_CompletionRankingPerKeystroke(benchmark::State& state)
{
    VornickCompletionSet set;
    set.setFavorsCamelCaps(true);
    for (size_t i = 0; i < names().size(); ++i)
        set.addCompletionString(names()[i], i);
    std::vector<std::u16string> folded;
    for (const auto& name : names())
        folded.push_back(VornickCompletionSet::caseFolded(name));

    double rankingSeconds = 0;
    double substringSeconds = 0;
    size_t keystrokes = 0;
    for (auto _ : state) {
        for (const auto& search : typed) {
            auto start = std::chrono::steady_clock::now();
            auto matches = set.rankedMatchesForSearchString(search);
            benchmark::DoNotOptimize(matches.data());
            auto middle = std::chrono::steady_clock::now();
            // The peer: a plain filter keeping the names that contain the search string.
            auto needle = VornickCompletionSet::caseFolded(search);
            std::vector<size_t> kept;
            for (size_t i = 0; i < folded.size(); ++i) {
                if (folded[i].find(needle) != std::u16string::npos)
                    kept.push_back(i);
            }
            benchmark::DoNotOptimize(kept.data());
            auto end = std::chrono::steady_clock::now();
            rankingSeconds += std::chrono::duration<double>(middle - start).count();
            substringSeconds += std::chrono::duration<double>(end - middle).count();
            ++keystrokes;
        }
    }
    state.counters["ranking_ms_per_keystroke"] = rankingSeconds * 1000 / static_cast<double>(keystrokes);
    state.counters["substring_ms_per_keystroke"] = substringSeconds * 1000 / static_cast<double>(keystrokes);
}
BENCHMARK(BM_CompletionRankingPerKeystroke)->Unit(benchmark::kMillisecond);

} // namespace
