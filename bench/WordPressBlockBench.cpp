// Block enumeration and validation of a 3 MB block post, beside WordPress's
// own parse_blocks() of the same post timed inside php-cli in the same run
// (the start of php and the reading of its files are not counted; skipped
// without php and Debian's WordPress files). The post is parsed into a DOM
// once; each iteration checks the blocks among the children of every node,
// so that the blocks inside containers are checked too.
#include "html/VornickWordPressBlockModeHelper.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/Text.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using namespace brevanton;

const char* const wordPressRoot = "/usr/share/wordpress";

// A post of about `size` bytes made of the blocks the block editor writes:
// paragraphs, headings, lists, images, galleries and columns holding inner
// blocks, groups, tables, quotes, embeds, spacers, reusable blocks, more and
// page breaks.
std::string blockPost(size_t size)
{
    const char* const pieces[] = {
        "<!-- wp:paragraph -->\n<p>A paragraph with <strong>bold</strong> text, <a href=\"https://example.com/a?b=1&amp;c=2\">a link</a> "
        "and ünïcödé — 日本語.</p>\n<!-- /wp:paragraph -->\n\n",
        "<!-- wp:heading {\"level\":3} -->\n<h3 class=\"wp-block-heading\">A heading</h3>\n<!-- /wp:heading -->\n\n",
        "<!-- wp:list {\"ordered\":true} -->\n<ol><li>one</li><li>two <em>and</em> more</li><li>three</li></ol>\n<!-- /wp:list -->\n\n",
        "<!-- wp:image {\"id\":41,\"sizeSlug\":\"large\",\"linkDestination\":\"none\"} -->\n<figure class=\"wp-block-image size-large\">"
        "<img src=\"https://example.com/wp-content/uploads/photo.jpg\" alt=\"\" class=\"wp-image-41\"/></figure>\n<!-- /wp:image -->\n\n",
        "<!-- wp:gallery {\"linkTo\":\"none\"} -->\n<figure class=\"wp-block-gallery has-nested-images columns-default is-cropped\">"
        "<!-- wp:image {\"id\":42,\"sizeSlug\":\"large\"} -->\n<figure class=\"wp-block-image size-large\"><img src=\"a.jpg\" alt=\"\" "
        "class=\"wp-image-42\"/></figure>\n<!-- /wp:image -->\n\n<!-- wp:image {\"id\":43,\"sizeSlug\":\"large\"} -->\n<figure "
        "class=\"wp-block-image size-large\"><img src=\"b.jpg\" alt=\"\" class=\"wp-image-43\"/></figure>\n<!-- /wp:image --></figure>\n"
        "<!-- /wp:gallery -->\n\n",
        "<!-- wp:columns -->\n<div class=\"wp-block-columns\"><!-- wp:column -->\n<div class=\"wp-block-column\"><!-- wp:paragraph -->\n"
        "<p>Left</p>\n<!-- /wp:paragraph --></div>\n<!-- /wp:column -->\n\n<!-- wp:column -->\n<div class=\"wp-block-column\">"
        "<!-- wp:paragraph -->\n<p>Right</p>\n<!-- /wp:paragraph --></div>\n<!-- /wp:column --></div>\n<!-- /wp:columns -->\n\n",
        "<!-- wp:group {\"layout\":{\"type\":\"constrained\"}} -->\n<div class=\"wp-block-group\"><!-- wp:spacer {\"height\":\"20px\"} -->\n"
        "<div style=\"height:20px\" aria-hidden=\"true\" class=\"wp-block-spacer\"></div>\n<!-- /wp:spacer -->\n\n<!-- wp:quote -->\n"
        "<blockquote class=\"wp-block-quote\"><!-- wp:paragraph -->\n<p>Quoted.</p>\n<!-- /wp:paragraph --><cite>Someone</cite>"
        "</blockquote>\n<!-- /wp:quote --></div>\n<!-- /wp:group -->\n\n",
        "<!-- wp:table -->\n<figure class=\"wp-block-table\"><table><tbody><tr><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr>"
        "</tbody></table></figure>\n<!-- /wp:table -->\n\n",
        "<!-- wp:embed {\"url\":\"https://www.youtube.com/watch?v=abc\",\"type\":\"video\",\"providerNameSlug\":\"youtube\","
        "\"responsive\":true} -->\n<figure class=\"wp-block-embed is-type-video is-provider-youtube wp-block-embed-youtube\"><div "
        "class=\"wp-block-embed__wrapper\">\nhttps://www.youtube.com/watch?v=abc\n</div></figure>\n<!-- /wp:embed -->\n\n",
        "<!-- wp:block {\"ref\":12} /-->\n\n<!-- wp:separator -->\n<hr class=\"wp-block-separator has-alpha-channel-opacity\"/>\n"
        "<!-- /wp:separator -->\n\n",
        "<!-- wp:more -->\n<!--more-->\n<!-- /wp:more -->\n\n<!-- wp:nextpage -->\n<!--nextpage-->\n<!-- /wp:nextpage -->\n\n",
    };
    std::string post;
    for (size_t index = 0; post.size() < size; ++index)
        post += pieces[index % std::size(pieces)];
    return post;
}

// The post as the body of a page (a comment before any element would
// otherwise land outside the body).
std::shared_ptr<DOMDocument> pageOfPost(const std::string& post)
{
    return DOMDocument::parseHTML(toUTF16("<!DOCTYPE html><html><head><title>Post</title></head><body>" + post + "</body></html>"));
}

const std::string& threeMegabytePost()
{
    static const std::string post = blockPost(3 * 1024 * 1024);
    return post;
}

// Every block and every fault under the node, containers included.
void validateBlocks(const VornickBlockModeHelper& helper, const DOMNode& node, size_t& blocks, size_t& faults)
{
    helper.enumerateChildBlocksOfNode(node, 0, [&](const VornickExactSelection&, const std::optional<Error>& error, bool&) {
        ++blocks;
        if (error)
            ++faults;
    });
    for (DOMNode* child = node.first(); child; child = child->next()) {
        if (child->isElementNode())
            validateBlocks(helper, *child, blocks, faults);
    }
}

void BM_BlockValidation3MB(benchmark::State& state)
{
    auto document = pageOfPost(threeMegabytePost());
    auto body = document ? document->body() : nullptr;
    if (!body) {
        state.SkipWithError("the post did not parse");
        return;
    }
    VornickWordPressBlockModeHelper helper;
    helper.setOperatingInBlockMode(true);
    size_t blocks = 0;
    size_t faults = 0;
    for (auto _ : state) {
        blocks = 0;
        faults = 0;
        validateBlocks(helper, *body, blocks, faults);
        benchmark::DoNotOptimize(blocks);
    }
    if (faults)
        state.SkipWithError("the post's blocks did not validate");
    state.counters["blocks"] = double(blocks);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(threeMegabytePost().size()));
}
BENCHMARK(BM_BlockValidation3MB)->Unit(benchmark::kMillisecond);

// Linear growth: the same walk over a post of a third of the size.
void BM_BlockValidation1MB(benchmark::State& state)
{
    static const std::string post = blockPost(1024 * 1024);
    auto document = pageOfPost(post);
    VornickWordPressBlockModeHelper helper;
    helper.setOperatingInBlockMode(true);
    size_t faults = 0;
    for (auto _ : state) {
        size_t blocks = 0;
        faults = 0;
        validateBlocks(helper, *document->body(), blocks, faults);
        benchmark::DoNotOptimize(blocks);
    }
    if (faults)
        state.SkipWithError("the post's blocks did not validate");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(post.size()));
}
BENCHMARK(BM_BlockValidation1MB)->Unit(benchmark::kMillisecond);

void BM_WordPressParseBlocks3MB(benchmark::State& state)
{
    std::string parser = std::string(wordPressRoot) + "/wp-includes/class-wp-block-parser.php";
    if (findExecutable("php").empty() || !std::filesystem::exists(parser)) {
        state.SkipWithError("php or WordPress's files are missing");
        return;
    }
    for (auto _ : state) {
        ProcessLaunch launch;
        launch.executable = "php";
        launch.arguments = { "-r", "require '" + parser + "';"
                                   "$text = file_get_contents('php://stdin'); $start = hrtime(true);"
                                   "$parser = new WP_Block_Parser(); $parser->parse($text);"
                                   "echo (hrtime(true) - $start) / 1e9;" };
        launch.standardInput = threeMegabytePost();
        Error error;
        auto result = Process::run(launch, &error);
        if (!result || !result->succeeded()) {
            state.SkipWithError("php failed");
            return;
        }
        state.SetIterationTime(std::stod(result->standardOutput));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(threeMegabytePost().size()));
}
BENCHMARK(BM_WordPressParseBlocks3MB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
