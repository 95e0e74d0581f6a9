// Our block comment recognition against WordPress's own parser (PHP, from
// Debian's wordpress package, run with php-cli): the same block tree, names
// and attributes for the bundled block patterns and for hand-made posts.
#include "WordPressBlockOracle.h"

#include "html/VornickScannedHTMLPart.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "html/VornickWordPressHTMLTreeRecognizer.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::optional<std::string> runOracleText(const std::string& mode, const std::string& input)
{
    return brevanton::testing::runWordPressOracleText(mode, input);
}

std::optional<Value> runOracle(const std::string& mode, const std::string& input)
{
    return brevanton::testing::runWordPressOracle(mode, input);
}

Value normalized(const Value& value)
{
    return brevanton::testing::normalizedOracleValue(value);
}

// The server's block name: "wp:paragraph" is "core/paragraph", "wp:ns/name" is "ns/name".
std::u16string serverName(std::u16string_view typeName)
{
    auto name = typeName.substr(3);
    if (name.find(u'/') == std::u16string_view::npos)
        return u"core/" + std::u16string(name);
    return std::u16string(name);
}

void collectBlocks(const VornickScannedHTMLPart& part, std::u16string_view source, Array& out);

Value blockValue(const VornickScannedHTMLBlockStartComment& comment, std::u16string_view source)
{
    auto range = comment.range();
    auto text = source.substr(range.location + 4, range.length - 7);
    auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(text);
    Dictionary block;
    block.emplace(u"name", Value(serverName(comment.typeName())));
    block.emplace(u"attrs", metadata && metadata->properties() ? normalized(Value(*metadata->properties())) : Value(Array()));
    Array inner;
    for (const auto& child : comment.children())
        collectBlocks(*child, source, inner);
    block.emplace(u"inner", Value(std::move(inner)));
    return Value(std::move(block));
}

void collectBlocks(const VornickScannedHTMLPart& part, std::u16string_view source, Array& out)
{
    if (auto* comment = dynamic_cast<const VornickScannedHTMLBlockStartComment*>(&part)) {
        out.push_back(blockValue(*comment, source));
        return;
    }
    for (const auto& child : part.children())
        collectBlocks(*child, source, out);
}

class RootCollector : public VornickHTMLTreeRecognizerDelegate {
public:
    void htmlTreeRecognizerDidPushPart(VornickHTMLTreeRecognizer& recognizer, const std::shared_ptr<VornickScannedHTMLPart>& part) override
    {
        if (recognizer.partStack().size() == 1)
            roots.push_back(part);
    }
    std::vector<std::shared_ptr<VornickScannedHTMLPart>> roots;
};

Value ourTree(std::u16string_view source)
{
    VornickWordPressHTMLTreeRecognizer recognizer;
    RootCollector collector;
    recognizer.setDelegate(&collector);
    (void)recognizer.parseHTMLString(source);
    Array blocks;
    for (const auto& root : collector.roots)
        collectBlocks(*root, source, blocks);
    return Value(std::move(blocks));
}

void expectSameTree(const std::string& post, const std::string& label)
{
    auto theirs = runOracle("tree", post);
    ASSERT_TRUE(theirs) << label;
    EXPECT_EQ(ourTree(toUTF16(post)).description(), normalized(*theirs).description()) << label << "\n" << post;
}

} // namespace

TEST(VornickWordPressBlockParity, BundledBlockPatternsParseAsTheServerParsesThem)
{
    auto patterns = runOracle("patterns", "");
    ASSERT_TRUE(patterns && patterns->isDictionary());
    EXPECT_GE(patterns->count(), 1u);
    for (const auto& [name, content] : patterns->dictionary())
        expectSameTree(toUTF8(content.string()), toUTF8(name));
}

TEST(VornickWordPressBlockParity, EdgeCasesParseAsTheServerParsesThem)
{
    const char* posts[] = {
        // Escaped hyphens, markup characters and non-ASCII text in attributes.
        "<!-- wp:paragraph {\"className\":\"a\\u002d\\u002db\",\"x\":\"\\u003c/p\\u003e \\u0026\"} --><p>x</p><!-- /wp:paragraph -->",
        "<!-- wp:heading {\"level\":3,\"content\":\"Überschrift — 見出し 🎉\"} --><h3>Ü</h3><!-- /wp:heading -->",
        // Namespaced names and names with hyphens and underscores.
        "<!-- wp:my-plugin/fancy_box {\"n\":1} --><div>a</div><!-- /wp:my-plugin/fancy_box -->",
        "<!-- wp:media-text {\"mediaId\":5} --><div><!-- wp:paragraph --><p>a</p><!-- /wp:paragraph --></div><!-- /wp:media-text -->"
        "<!-- wp:image-compare /-->",
        // Self-closing blocks inside containers, and siblings after them.
        "<!-- wp:group {\"layout\":{\"type\":\"constrained\"}} --><div class=\"wp-block-group\">"
        "<!-- wp:spacer {\"height\":\"20px\"} /--><!-- wp:columns --><div><!-- wp:column --><div><!-- wp:separator /-->"
        "<!-- wp:paragraph --><p>p</p><!-- /wp:paragraph --></div><!-- /wp:column --></div><!-- /wp:columns -->"
        "<!-- wp:block {\"ref\":12} /--></div><!-- /wp:group --><!-- wp:more --><!--more--><!-- /wp:more -->"
        "<!-- wp:nextpage --><!--nextpage--><!-- /wp:nextpage -->",
        // A closer of another type inside an open block does not end it.
        "<!-- wp:quote --><blockquote><!-- wp:paragraph --><p>q</p><!-- /wp:list --><!-- /wp:paragraph --></blockquote><!-- /wp:quote -->",
        // Nested objects, arrays, Booleans, reals and null in attributes.
        "<!-- wp:list {\"ordered\":true,\"start\":-2,\"r\":1.5,\"e\":null,\"style\":{\"spacing\":{\"margin\":[\"1px\",{}]}}} -->"
        "<ol><li>a</li></ol><!-- /wp:list -->",
        // Ordinary comments and classic HTML between blocks.
        "<p>classic</p><!-- note --><!-- wp:paragraph --><p>a</p><!-- /wp:paragraph --><!-- wpx:paragraph -->",
    };
    for (const char* post : posts)
        expectSameTree(post, "edge case");
}

TEST(VornickWordPressBlockParity, CommentsWithoutSpacesAreOursOnly)
{
    // The server's parser needs whitespace inside the delimiters and leaves
    // such comments as classic HTML; the editor still keeps them as blocks so
    // that posts written by other tools keep their structure when edited.
    std::string post = "<!--wp:paragraph--><p>a</p><!--/wp:paragraph--><!--wp:spacer/-->";
    auto theirs = runOracle("tree", post);
    ASSERT_TRUE(theirs);
    EXPECT_EQ(theirs->count(), 0u);
    auto expected = readJSON(R"([{"name":"core/paragraph","attrs":[],"inner":[]},{"name":"core/spacer","attrs":[],"inner":[]}])", nullptr);
    ASSERT_TRUE(expected);
    EXPECT_EQ(ourTree(toUTF16(post)).description(), expected->description());
}

TEST(VornickWordPressBlockParity, WrittenCommentsReadBackAndEscapeAsTheServerDoes)
{
    Dictionary properties;
    properties.emplace(u"className", Value(u"x-->y <b>&\"q\"</b>"));
    properties.emplace(u"ordered", Value(true));
    properties.emplace(u"url", Value(u"https://example.org/a/b?é=1"));
    properties.emplace(u"level", Value(3));
    VornickWordPressBlockMetadata metadata(u"wp:my-ns/list-item", properties);
    auto text = metadata.encodedAsCommentText();
    const std::u16string head = u" wp:my-ns/list-item ";
    ASSERT_TRUE(text.starts_with(head) && text.ends_with(u"} "));
    auto json = toUTF8(text.substr(head.size(), text.size() - head.size() - 1));
    // The server's writer, given the same object in our key order, writes the same text.
    auto theirs = runOracleText("attributes", "{\"level\":3,\"url\":\"https://example.org/a/b?é=1\",\"className\":\"x-->y <b>&\\\"q\\\"</b>\","
                                              "\"ordered\":true}");
    ASSERT_TRUE(theirs);
    EXPECT_EQ(json, *theirs);
    std::string post = "<!--" + toUTF8(text) + "--><ul><li>a</li></ul><!-- /wp:my-ns/list-item -->";
    auto tree = runOracle("tree", post);
    ASSERT_TRUE(tree && tree->count() == 1) << post;
    EXPECT_EQ(normalized((*tree).array()[0][u"attrs"]).description(), normalized(Value(properties)).description());
    EXPECT_EQ(json, "{\"level\":3,\"url\":\"https://example.org/a/b?é=1\",\"className\":\"x\\u002d\\u002d\\u003ey \\u003cb\\u003e\\u0026"
                            "\\u0022q\\u0022\\u003c/b\\u003e\",\"ordered\":true}");
}
