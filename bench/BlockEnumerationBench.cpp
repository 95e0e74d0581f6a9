// Block enumeration and validation of a 3 MB block post (every block of the
// body, as the post view validates it, and every block at every depth),
// beside WordPress's own parse_blocks() of the same post timed inside php-cli
// (the start of php is not counted; skipped without php and Debian's
// WordPress files). The 0.75 and 1.5 MB runs show how the cost grows.
#include "html/VornickHTMLSpec.h"
#include "html/VornickWordPressBlockModeHelper.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/Text.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>

namespace {

using namespace brevanton;

// A post of about `size` bytes made of the blocks a real post holds.
std::string blockPost(size_t size)
{
    const char* const pieces[] = {
        "<!-- wp:paragraph -->\n<p>We left <a href=\"https://example.com/lisbon\">Lisbon</a> before sunrise, with the "
        "<em>Alfama</em> still asleep and the trams parked in a row \xE2\x80\x94 caf\xC3\xA9 in hand.</p>\n<!-- /wp:paragraph -->\n\n",
        "<!-- wp:heading {\"level\":3} -->\n<h3 class=\"wp-block-heading\">What to eat</h3>\n<!-- /wp:heading -->\n\n",
        "<!-- wp:list -->\n<ul class=\"wp-block-list\"><!-- wp:list-item -->\n<li>Take the metro</li>\n<!-- /wp:list-item -->\n\n"
        "<!-- wp:list-item -->\n<li>Follow the <strong>signs</strong></li>\n<!-- /wp:list-item --></ul>\n<!-- /wp:list -->\n\n",
        "<!-- wp:image {\"id\":412,\"sizeSlug\":\"large\",\"linkDestination\":\"none\"} -->\n<figure class=\"wp-block-image size-large\">"
        "<img src=\"https://example.com/ferry.jpg\" alt=\"The ferry\" class=\"wp-image-412\"/><figcaption class=\"wp-element-caption\">"
        "The ferry</figcaption></figure>\n<!-- /wp:image -->\n\n",
        "<!-- wp:quote -->\n<blockquote class=\"wp-block-quote\"><!-- wp:paragraph -->\n<p>Order the sardines.</p>\n"
        "<!-- /wp:paragraph --><cite>A waiter</cite></blockquote>\n<!-- /wp:quote -->\n\n",
        "<!-- wp:columns -->\n<div class=\"wp-block-columns\"><!-- wp:column -->\n<div class=\"wp-block-column\"><!-- wp:paragraph -->\n"
        "<p>Morning walk.</p>\n<!-- /wp:paragraph --></div>\n<!-- /wp:column -->\n\n<!-- wp:column -->\n<div class=\"wp-block-column\">"
        "<!-- wp:paragraph -->\n<p>Evening view.</p>\n<!-- /wp:paragraph --></div>\n<!-- /wp:column --></div>\n<!-- /wp:columns -->\n\n",
        "<!-- wp:separator -->\n<hr class=\"wp-block-separator has-alpha-channel-opacity\"/>\n<!-- /wp:separator -->\n\n",
        "<!-- wp:spacer {\"height\":\"40px\"} -->\n<div style=\"height:40px\" aria-hidden=\"true\" class=\"wp-block-spacer\"></div>\n"
        "<!-- /wp:spacer -->\n\n",
        "<!-- wp:block {\"ref\":128} /-->\n\n",
        "<!-- wp:table -->\n<figure class=\"wp-block-table\"><table><tbody><tr><td>Cais do Sodr\xC3\xA9</td><td>08:40</td></tr>"
        "</tbody></table></figure>\n<!-- /wp:table -->\n\n",
    };
    std::string post;
    for (size_t index = 0; post.size() < size; ++index)
        post += pieces[index % std::size(pieces)];
    return post;
}

struct ParsedPost {
    std::shared_ptr<DOMDocument> document;
    size_t bytes { 0 };
};

const ParsedPost& parsedPost(size_t size)
{
    static std::map<size_t, ParsedPost> posts;
    auto& post = posts[size];
    if (!post.document) {
        auto text = blockPost(size);
        post.bytes = text.size();
        post.document = DOMDocument::parseHTML(u"<html><body>" + toUTF16(text) + u"</body></html>");
    }
    return post;
}

std::unique_ptr<VornickWordPressBlockModeHelper> blockModeHelper()
{
    auto helper = std::make_unique<VornickWordPressBlockModeHelper>();
    helper->setHtmlSpec(VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5));
    helper->setOperatingInBlockMode(true);
    return helper;
}

// The blocks of the body, checked as the post view validates a post.
void BM_BlockValidation(benchmark::State& state)
{
    const auto& post = parsedPost(static_cast<size_t>(state.range(0)));
    auto helper = blockModeHelper();
    size_t blocks = 0;
    size_t errors = 0;
    for (auto _ : state) {
        blocks = errors = 0;
        helper->enumerateChildBlocksOfNode(*post.document->body(), 0, [&](const VornickExactSelection&, const std::optional<Error>& error, bool&) {
            ++blocks;
            errors += error ? 1 : 0;
        });
        benchmark::DoNotOptimize(blocks);
    }
    if (errors)
        state.SkipWithError("the post has block errors");
    state.counters["blocks"] = static_cast<double>(blocks);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(post.bytes));
}
BENCHMARK(BM_BlockValidation)->Arg(3 << 18)->Arg(3 << 19)->Arg(3 << 20)->Unit(benchmark::kMillisecond);

// Every block at every depth: the children of each block's element are
// enumerated in turn, as parse_blocks() builds the whole tree.
void BM_BlockEnumerationAllLevels(benchmark::State& state)
{
    const auto& post = parsedPost(static_cast<size_t>(state.range(0)));
    auto helper = blockModeHelper();
    size_t blocks = 0;
    for (auto _ : state) {
        blocks = 0;
        std::function<void(const DOMNode&)> enumerate = [&](const DOMNode& node) {
            helper->enumerateChildBlocksOfNode(node, 0, [&](const VornickExactSelection& block, const std::optional<Error>& error, bool&) {
                if (error || !block.blockStartComment())
                    return;
                ++blocks;
                if (block.element())
                    enumerate(*block.element());
            });
        };
        enumerate(*post.document->body());
        benchmark::DoNotOptimize(blocks);
    }
    state.counters["blocks"] = static_cast<double>(blocks);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(post.bytes));
}
BENCHMARK(BM_BlockEnumerationAllLevels)->Arg(3 << 18)->Arg(3 << 19)->Arg(3 << 20)->Unit(benchmark::kMillisecond);

void BM_WordPressParseBlocks(benchmark::State& state)
{
    const char* parser = "/usr/share/wordpress/wp-includes/class-wp-block-parser.php";
    if (findExecutable("php").empty() || !std::filesystem::exists(parser)) {
        state.SkipWithError("php or WordPress's files are missing");
        return;
    }
    auto post = blockPost(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        ProcessLaunch launch;
        launch.executable = "php";
        launch.arguments = { "-r", std::string("require '") + parser + "';"
                                   "$text = file_get_contents('php://stdin'); $start = hrtime(true);"
                                   "$parser = new WP_Block_Parser(); $parser->parse($text);"
                                   "echo (hrtime(true) - $start) / 1e9;" };
        launch.standardInput = post;
        Error error;
        auto result = Process::run(launch, &error);
        if (!result || !result->succeeded()) {
            state.SkipWithError("php failed");
            return;
        }
        state.SetIterationTime(std::stod(result->standardOutput));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(post.size()));
}
BENCHMARK(BM_WordPressParseBlocks)->Arg(3 << 19)->Arg(3 << 20)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
