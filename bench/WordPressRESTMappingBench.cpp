// Mapping a 50-post "context=edit" page of the WordPress REST API (reading
// the JSON and making the post descriptions) beside nlohmann-json parsing
// the same bytes alone, in the same run.
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "wordpress/VornickWordPressRESTMapping.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <string>

using namespace brevanton;

namespace {

const std::string& postsPage()
{
    static const std::string page = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/wordpress-rest/posts-page.json").value_or("");
    return page;
}

void BM_WordPressRESTPostsPageNlohmannParse(benchmark::State& state)
{
    const std::string& page = postsPage();
    for (auto _ : state) {
        auto json = nlohmann::json::parse(page);
        benchmark::DoNotOptimize(json.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_WordPressRESTPostsPageNlohmannParse)->Unit(benchmark::kMicrosecond);

void BM_WordPressRESTPostsPageMapping(benchmark::State& state)
{
    const std::string& page = postsPage();
    for (auto _ : state) {
        auto json = readJSON(page, nullptr);
        const Array* list = json ? vornickWordPressListInReply(*json, u"posts") : nullptr;
        if (!list) {
            state.SkipWithError("the page did not read");
            break;
        }
        std::vector<Dictionary> descriptions;
        descriptions.reserve(list->size());
        for (const auto& post : *list)
            descriptions.push_back(vornickPostDescriptionFromWordPressPostDescription(post.dictionary(), 2));
        benchmark::DoNotOptimize(descriptions.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_WordPressRESTPostsPageMapping)->Unit(benchmark::kMicrosecond);

} // namespace
