// Block enumeration and validation of a block post of 1 and 3 MB (the
// growth shows the cost is linear), beside WordPress's own parse_blocks() of
// the same post timed inside php-cli in the same run. The post is parsed into
// a DOM once. Three walks: the blocks of the body, as the post view validates
// a post; every block at every depth, entering each block's element, as
// parse_blocks() builds the whole tree; and the blocks among the children of
// every element, so that the blocks inside containers are checked too.
#include "html/VornickHTMLSpec.h"
#include "html/VornickWordPressBlockModeHelper.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "WordPressPHPTiming.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <map>

namespace {

using namespace brevanton;

// A post of about `size` bytes made of the blocks the block editor writes:
// paragraphs, headings, lists (of list item blocks too), images, galleries
// and columns holding inner blocks, groups, tables, quotes, embeds, spacers,
// reusable blocks, more and page breaks.
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
        "<!-- wp:list -->\n<ul class=\"wp-block-list\"><!-- wp:list-item -->\n<li>Take the metro</li>\n<!-- /wp:list-item -->\n\n"
        "<!-- wp:list-item -->\n<li>Follow the <strong>signs</strong></li>\n<!-- /wp:list-item --></ul>\n<!-- /wp:list -->\n\n",
        "<!-- wp:quote -->\n<blockquote class=\"wp-block-quote\"><!-- wp:paragraph -->\n<p>Order the sardines.</p>\n"
        "<!-- /wp:paragraph --><cite>A waiter</cite></blockquote>\n<!-- /wp:quote -->\n\n",
    };
    std::string post;
    for (size_t index = 0; post.size() < size; ++index)
        post += pieces[index % std::size(pieces)];
    return post;
}

struct ParsedPost {
    std::string text;
    std::shared_ptr<DOMDocument> document;
};

// The post as the body of a page (a comment before any element would
// otherwise land outside the body), made once for each size.
const ParsedPost& parsedPost(size_t size)
{
    static std::map<size_t, ParsedPost> posts;
    auto& post = posts[size];
    if (!post.document) {
        post.text = blockPost(size);
        post.document = DOMDocument::parseHTML(toUTF16("<!DOCTYPE html><html><head><title>Post</title></head><body>" + post.text + "</body></html>"));
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

struct Count {
    size_t blocks { 0 };
    size_t faults { 0 };
};

// Runs the walk once an iteration and reports its blocks; a post whose blocks
// do not validate is an error of the benchmark.
void runWalk(benchmark::State& state, const std::function<void(const VornickBlockModeHelper&, const DOMNode& body, Count&)>& walk)
{
    const auto& post = parsedPost(static_cast<size_t>(state.range(0)));
    auto body = post.document ? post.document->body() : nullptr;
    if (!body) {
        state.SkipWithError("the post did not parse");
        return;
    }
    auto helper = blockModeHelper();
    Count count;
    for (auto _ : state) {
        count = {};
        walk(*helper, *body, count);
        benchmark::DoNotOptimize(count.blocks);
    }
    if (count.faults)
        state.SkipWithError("the post's blocks did not validate");
    state.counters["blocks"] = double(count.blocks);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(post.text.size()));
}

void countBlocks(const VornickBlockModeHelper& helper, const DOMNode& node, Count& count)
{
    helper.enumerateChildBlocksOfNode(node, 0, [&](const VornickExactSelection&, const std::optional<Error>& error, bool&) {
        ++count.blocks;
        count.faults += error ? 1 : 0;
    });
}

// The blocks of the body, checked as the post view validates a post.
void BM_BlockValidation(benchmark::State& state)
{
    runWalk(state, countBlocks);
}
BENCHMARK(BM_BlockValidation)->Arg(1 << 20)->Arg(3 << 20)->Unit(benchmark::kMillisecond);

// The floor of the walk above: the body's children visited in order, their
// kind read and each comment's text looked at, with no block logic. It shows
// how much of the walk's growth with the post's size is the cost of reaching
// the nodes.
void visitBodyChildren(const VornickBlockModeHelper&, const DOMNode& node, Count& count)
{
    for (DOMNode* child = node.first(); child; child = child->next()) {
        if (child->nodeType() == DOMNode::COMMENT_NODE)
            count.blocks += downcast<DOMCharacterData>(*child).data().empty() ? 0 : 1;
    }
}

void BM_BodyChildrenWalkFloor(benchmark::State& state)
{
    runWalk(state, visitBodyChildren);
}
BENCHMARK(BM_BodyChildrenWalkFloor)->Arg(1 << 20)->Arg(3 << 20)->Unit(benchmark::kMillisecond);

// Every block at every depth: the children of each block's element are
// enumerated in turn, as parse_blocks() builds the whole tree.
void enumerateAllLevels(const VornickBlockModeHelper& helper, const DOMNode& node, Count& count)
{
    helper.enumerateChildBlocksOfNode(node, 0, [&](const VornickExactSelection& block, const std::optional<Error>& error, bool&) {
        count.faults += error ? 1 : 0;
        if (error || !block.blockStartComment())
            return;
        ++count.blocks;
        if (block.element())
            enumerateAllLevels(helper, *block.element(), count);
    });
}

void BM_BlockEnumerationAllLevels(benchmark::State& state)
{
    runWalk(state, enumerateAllLevels);
}
BENCHMARK(BM_BlockEnumerationAllLevels)->Arg(1 << 20)->Arg(3 << 20)->Unit(benchmark::kMillisecond);

// The blocks among the children of every element, containers included.
void validateUnderEveryElement(const VornickBlockModeHelper& helper, const DOMNode& node, Count& count)
{
    countBlocks(helper, node, count);
    for (DOMNode* child = node.first(); child; child = child->next()) {
        if (child->isElementNode())
            validateUnderEveryElement(helper, *child, count);
    }
}

void BM_BlockValidationEveryElement(benchmark::State& state)
{
    runWalk(state, validateUnderEveryElement);
}
BENCHMARK(BM_BlockValidationEveryElement)->Arg(1 << 20)->Arg(3 << 20)->Unit(benchmark::kMillisecond);

void BM_WordPressParseBlocks(benchmark::State& state)
{
    bench::timeWordPressParseBlocks(state, parsedPost(static_cast<size_t>(state.range(0))).text);
}
BENCHMARK(BM_WordPressParseBlocks)->Arg(1 << 20)->Arg(3 << 20)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
