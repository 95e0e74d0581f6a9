// The scanner, the painter and mapper and the source view builder over
// real-world pages, with the DOM that the HTML parser builds from them.
#include "html/VornickHTMLScanner.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "html/VornickHTMLStringTextExtractor.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include "HTMLScannerRecorder.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::u16string page(const std::string& name)
{
    auto bytes = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/html-pages/" + name);
    EXPECT_TRUE(bytes) << name;
    return bytes ? toUTF16(*bytes) : std::u16string();
}

// The text a span of source stands for: its character references decoded.
std::u16string decoded(std::u16string_view source)
{
    struct Decoder : VornickHTMLScannerDelegate {
        std::u16string text;
        void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                     const std::u16string* value) override
        {
            text += value ? std::u16string_view(*value) : string;
        }
    } decoder;
    VornickHTMLScanner scanner;
    scanner.setIdentifiesEntityReferences(true);
    scanner.setDelegate(&decoder);
    scanner.parseHTMLString(source);
    return decoder.text;
}

const std::vector<std::string> wellFormedPages { "blog-post.html", "legacy.html", "xhtml-served-as-html.html" };

struct Mapped {
    std::shared_ptr<const AttributedString> string;
    std::shared_ptr<const VornickDOMToNSRangeMap> map;
};

Mapped paint(const std::u16string& html)
{
    Mapped mapped;
    VornickHTMLStringSyntaxPainterAndMapper painter;
    painter.paintAndMapHTMLString(html, nullptr, nullptr, true,
        [&](std::shared_ptr<const AttributedString> string, std::shared_ptr<const VornickDOMToNSRangeMap> map) {
            mapped.string = std::move(string);
            mapped.map = std::move(map);
        });
    return mapped;
}

// Checks that every location inside a mapped node resolves to a DOM node of
// the same kind and name; answers the number of locations checked.
size_t checkNode(const VornickDOMNodeToNSRangeMap& node, const VornickDOMToNSRangeMap& map, const std::u16string& html,
                 DOMDocument& document, const std::string& pageName, bool atTopLevel = false)
{
    // The parser puts the DOCTYPE first, before comments that precede it.
    if (atTopLevel && (node.nodeType() == 8 || node.nodeType() == 10))
        return 0;
    size_t checked = 0;
    auto resolve = [&](size_t location) -> std::optional<std::pair<std::shared_ptr<DOMNode>, unsigned>> {
        auto path = map.hitTestPathForRangeLocation(location, &html, 1);
        if (!path)
            return std::nullopt;
        return map.positionForRelativeDOMPath(*path, document);
    };
    std::string where = pageName + " at " + std::to_string(node.startOffset()) + " " + toUTF8(node.name());
    if (node.nodeType() == 3) {
        std::u16string expected = decoded(html.substr(node.startOffset(), node.range().length));
        bool rawText = false;
        for (size_t location = node.startOffset() + 1; location < node.endOffset(); ++location) {
            auto position = resolve(location);
            if (!position) {
                ADD_FAILURE() << "no position " << where << " + " << location - node.startOffset();
                return checked;
            }
            auto& [domNode, offset] = *position;
            if (!domNode->isTextNode()) {
                ADD_FAILURE() << "not text " << where;
                return checked;
            }
            // Script and style text is not decoded.
            rawText = rawText || domNode->nodeValue() == html.substr(node.startOffset(), node.range().length);
            if (!rawText && domNode->nodeValue() != expected) {
                ADD_FAILURE() << "text differs " << where << ": " << toUTF8(domNode->nodeValue()) << " / " << toUTF8(expected);
                return checked;
            }
            EXPECT_LE(offset, domNode->length()) << where;
            ++checked;
        }
        // The text node's contents map back to the node's span.
        if (auto position = resolve(node.startOffset() + 1); position && !rawText) {
            auto range = document.createRange();
            range->selectNodeContents(position->first);
            EXPECT_EQ(map.rangeForDOMRange(*range, &html), node.range()) << where;
        }
        return checked;
    }
    if (node.nodeType() != 9) {
        auto position = resolve(node.startOffset() + 1);
        if (!position) {
            ADD_FAILURE() << "no position " << where;
            return checked;
        }
        auto& domNode = position->first;
        EXPECT_EQ(domNode->nodeType(), node.nodeType()) << where;
        if (node.nodeType() == 1) {
            EXPECT_TRUE(equalsIgnoringASCIICase(domNode->nodeName(), node.name())) << where << " is " << toUTF8(domNode->nodeName());
        }
        ++checked;
    }
    for (auto& child : node.childNodes())
        checked += checkNode(*child, map, html, document, pageName, node.nodeType() == 9);
    return checked;
}

} // namespace

TEST(RealWorldPages, ScannerCoversEveryCharacter)
{
    for (auto name : { "blog-post.html", "legacy.html", "xhtml-served-as-html.html", "malformed.html" }) {
        std::u16string html = page(name);
        HTMLScannerRecorder recorder;
        VornickHTMLScanner scanner;
        scanner.setDelegate(&recorder);
        scanner.setIdentifiesEntityReferences(true);
        scanner.parseHTMLString(html);
        EXPECT_EQ(recorder.concatenated, html) << name;
        EXPECT_EQ(recorder.events.back(), "end @" + std::to_string(html.size())) << name;
    }
}

TEST(RealWorldPages, TokenStreams)
{
    HTMLScannerRecorder blog;
    VornickHTMLScanner scanner;
    scanner.setDelegate(&blog);
    scanner.setIdentifiesEntityReferences(true);
    EXPECT_TRUE(scanner.parseHTMLString(page("blog-post.html")));
    EXPECT_TRUE(blog.advisories.empty());
    auto values = blog.tokenTexts(VornickHTMLScannerTokenElementAttributeValue);
    EXPECT_NE(std::find(values.begin(), values.end(), "utf-8"), values.end());
    EXPECT_NE(std::find(values.begin(), values.end(), "images/chips.jpg"), values.end());
    auto texts = blog.tokenTexts(VornickHTMLScannerTokenText);
    auto script = std::find_if(texts.begin(), texts.end(), [](auto& t) { return t.find("document.write(\"</p><b>\")") != std::string::npos; });
    ASSERT_NE(script, texts.end());
    EXPECT_NE(script->find("function less(a, b) { return a<b; }"), std::string::npos);
    auto references = blog.tokenTexts(VornickHTMLScannerTokenEntityReference);
    EXPECT_NE(std::find(references.begin(), references.end(), "&#x1F600;"), references.end());
    EXPECT_EQ(std::count(references.begin(), references.end(), "&amp;"), 1); // the others are in attributes and raw text
    EXPECT_EQ(blog.tokenTexts(VornickHTMLScannerTokenComment).size(), 3u);

    HTMLScannerRecorder broken;
    VornickHTMLScanner forgiving;
    forgiving.setDelegate(&broken);
    forgiving.setIdentifiesEntityReferences(true);
    EXPECT_FALSE(forgiving.parseHTMLString(page("malformed.html")));
    std::vector<std::u16string> messages;
    for (auto& advisory : broken.advisories)
        messages.push_back(advisory.message());
    EXPECT_NE(std::find(messages.begin(), messages.end(), u"Unterminated comment"), messages.end());
    EXPECT_NE(std::find(messages.begin(), messages.end(), u"Missing closing '>' at end of tag"), messages.end());
    EXPECT_NE(std::find(messages.begin(), messages.end(), u"Tag name expected after \"</\""), messages.end());
    auto tags = broken.tokenTexts(VornickHTMLScannerTokenElementTagName);
    EXPECT_NE(std::find(tags.begin(), tags.end(), "span"), tags.end());
    EXPECT_EQ(std::count(tags.begin(), tags.end(), "li"), 2);
}

TEST(RealWorldPages, MapRoundTripsThroughTheDOM)
{
    for (auto& name : wellFormedPages) {
        std::u16string html = page(name);
        auto mapped = paint(html);
        ASSERT_TRUE(mapped.map);
        EXPECT_EQ(mapped.string->string(), html);
        EXPECT_EQ(mapped.map->rootNode().endOffset(), html.size()) << name;
        EXPECT_EQ(mapped.map->openNodeCount(), 1u);
        auto document = parseHTMLDocument(toUTF8(html));
        ASSERT_TRUE(document);
        size_t checked = checkNode(mapped.map->rootNode(), *mapped.map, html, *document, name);
        EXPECT_GT(checked, html.size() / 5) << name;
    }
}

TEST(RealWorldPages, SourceViewStringIsTheSource)
{
    for (auto name : { "blog-post.html", "legacy.html", "xhtml-served-as-html.html", "malformed.html" }) {
        std::u16string html = page(name);
        VornickHTMLSourceViewAttributedStringBuilder builder;
        EXPECT_EQ(builder.generateAttributedStringFromHTMLString(html).string(), html) << name;
        auto mapped = paint(html);
        EXPECT_EQ(mapped.map->openNodeCount(), 1u) << name;
        EXPECT_EQ(mapped.map->rootNode().endOffset(), html.size()) << name;
    }
}
