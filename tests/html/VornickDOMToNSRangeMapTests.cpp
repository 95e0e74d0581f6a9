#include "dom/VornickRelativeDOMPath.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<const VornickDOMToNSRangeMap> mapOf(std::u16string_view html, bool omitWhitespace = true)
{
    std::shared_ptr<const VornickDOMToNSRangeMap> result;
    VornickHTMLStringSyntaxPainterAndMapper painter;
    painter.paintAndMapHTMLString(html, nullptr, nullptr, omitWhitespace,
        [&](std::shared_ptr<const AttributedString>, std::shared_ptr<const VornickDOMToNSRangeMap> map) { result = std::move(map); });
    return result;
}

// "name:offset/name:offset/..."
std::string pathString(const std::optional<VornickDOMToNSRangeMapPath>& path)
{
    if (!path)
        return "none";
    std::string result;
    for (auto& component : *path)
        result += (result.empty() ? "" : "/") + toUTF8(component.name) + ":" + std::to_string(component.offsetInNode);
    return result;
}

} // namespace

TEST(DOMToNSRangeMap, HitTestsWithDirectionBias)
{
    std::u16string html = u"<div><p>a&amp;b</p><p>c</p><br><p>d</p></div>";
    auto map = mapOf(html);
    // Just after the reference's "&": forward past it, backward before it.
    size_t afterAmpersand = html.find(u"&") + 1;
    EXPECT_EQ(pathString(map->hitTestPathForRangeLocation(afterAmpersand, &html, 1)), "Document:0/div:0/p:0/text:2");
    EXPECT_EQ(pathString(map->hitTestPathForRangeLocation(afterAmpersand, &html, -1)), "Document:0/div:0/p:0/text:1");
    // Without the string, offsets count source units.
    EXPECT_EQ(pathString(map->hitTestPathForRangeLocation(afterAmpersand, nullptr, 1)), "Document:0/div:0/p:0/text:2");
    // Between two elements: forward into the second, backward into the first.
    size_t between = html.find(u"</p>") + 4;
    EXPECT_EQ(pathString(map->hitTestPathForRangeLocation(between, &html, 1)), "Document:0/div:1/p:0");
    EXPECT_EQ(pathString(map->hitTestPathForRangeLocation(between, &html, -1)), "Document:0/div:0/p:1");
    EXPECT_EQ(pathString(map->hitTestPathForRangeLocation(html.size() + 1, &html, 1)), "none");
    EXPECT_THROW(map->hitTestPathForRangeLocation(0, &html, 0), InternalInconsistencyException);

    // Text positions map back to string locations, references whole.
    VornickDOMToNSRangeMapPath path = *map->hitTestPathForRangeLocation(afterAmpersand, &html, 1);
    EXPECT_EQ(map->rangeForRelativeDOMPath(path, &html), (VornickRange { html.find(u"b</p>"), 0 }));
    path.back().offsetInNode = 1;
    EXPECT_EQ(map->rangeForRelativeDOMPath(path, &html), (VornickRange { html.find(u"&"), 0 }));
    path[1].offsetInNode = 7;
    EXPECT_EQ(map->rangeForRelativeDOMPath(path, &html).location, VornickNotFound);
}

TEST(DOMToNSRangeMap, EmptyNodesAndOmittedWhitespace)
{
    VornickDOMToNSRangeMap map(false);
    map.beginNodeOfType(1, u"p", 0);
    map.beginNodeOfType(3, u"DOMText", 3);
    map.endNodeOfType(3, u"DOMText", 4);
    map.beginNodeOfType(1, u"span", 4);
    map.endNodeOfType(1, u"span", 4); // nothing written
    map.beginNodeOfType(3, u"DOMText", 4);
    map.endNodeOfType(3, u"DOMText", 5);
    map.endNodeOfType(1, u"p", 9);
    map.endNodeOfType(1, u"p", 9); // only the root is open: logged and ignored
    EXPECT_EQ(map.description(), u"(9)Document[0:9] {\n(1)p[0:9] {\n(3)DOMText[3:4],(1)span[4:4],(3)DOMText[4:5]}}");
    EXPECT_EQ(pathString(map.hitTestPathForRangeLocation(4, nullptr, 1)), "Document:0/p:2/DOMText:0");
    EXPECT_EQ(pathString(map.hitTestPathForRangeLocation(4, nullptr, -1)), "Document:0/p:0/DOMText:1");
    map.beginNodeOfType(1, u"p", 9);
    EXPECT_THROW(map.endNodeOfType(3, u"x", 9), InternalInconsistencyException);

    // Omitted whitespace belongs to the parent; indices count the other children.
    std::u16string html = u"<ul>\n  <li>a</li>\n  <li>b</li>\n</ul>";
    auto omitting = mapOf(html, true);
    EXPECT_EQ(omitting->description(), u"(9)Document[0:36] {\n(1)ul[0:36] {\n(1)li[7:17] {\n(3)text[11:12]},(1)li[20:30] {\n(3)text[24:25]}}}");
    EXPECT_EQ(pathString(omitting->hitTestPathForRangeLocation(17, &html, 1)), "Document:0/ul:1");
    EXPECT_EQ(pathString(omitting->hitTestPathForRangeLocation(24, &html, 1)), "Document:0/ul:1/li:0/text:0");
    auto keeping = mapOf(html, false);
    EXPECT_EQ(pathString(keeping->hitTestPathForRangeLocation(24, &html, 1)), "Document:0/ul:3/li:0/text:0");
    EXPECT_NE(keeping->splat().find(u"includes whitespace"), std::u16string::npos);

    std::vector<std::string> tags;
    omitting->enumerateStartAndEndTagRangesForRelativeDOMPath(*omitting->hitTestPathForRangeLocation(24, &html, 1),
        [&](const std::u16string& name, VornickRange start, VornickRange end) {
            tags.push_back(toUTF8(name) + " " + toUTF8(html.substr(start.location, start.length)) + " "
                           + (end.location == VornickNotFound ? "-" : toUTF8(html.substr(end.location, end.length))));
        });
    EXPECT_EQ(tags, (std::vector<std::string> { "Document  ", "ul <ul>\n   \n</ul>", "li <li> </li>" }));
}

TEST(DOMToNSRangeMap, DOMRangesBothWays)
{
    std::u16string html = u"<!DOCTYPE html><html><head><title>T</title></head><body><p>one <b>two</b> th&amp;ree</p></body></html>";
    auto document = parseHTMLDocument(toUTF8(html));
    ASSERT_TRUE(document);
    auto map = mapOf(html);
    size_t two = html.find(u"two");
    auto range = map->domRangeForRange({ two + 1, 8 }, &html, *document);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->startContainer()->nodeValue(), u"two");
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_EQ(range->endContainer()->nodeValue(), u" th&ree");
    EXPECT_EQ(range->endOffset(), 2u);
    EXPECT_EQ(map->rangeForDOMRange(*range, &html), (VornickRange { two + 1, 8 }));

    // The relative DOM path of a location finds the same place in the document.
    auto relative = map->relativeDOMPathForRangeLocation(two + 1, &html, 1);
    ASSERT_TRUE(relative);
    EXPECT_TRUE(relative->skipsWhitespaceNodes());
    auto position = relative->positionRelativeToNewAncestor(document);
    ASSERT_TRUE(position.node);
    EXPECT_EQ(position.node->nodeValue(), u"two");
    EXPECT_EQ(position.offset, 1);
    EXPECT_EQ(map->rangeForRelativeDOMPath(*relative, &html), (VornickRange { two + 1, 0 }));

    auto collapsed = map->domRangeForRange({ html.find(u"&amp;") + 2, 0 }, &html, *document);
    ASSERT_TRUE(collapsed);
    EXPECT_TRUE(collapsed->collapsed());
    EXPECT_EQ(collapsed->startOffset(), 4u);

    // A DOM range that reaches outside the mapped part gives no string range.
    auto added = document->createElement(u"div");
    document->body()->appendChild(added);
    auto outside = document->createRange();
    outside->setStart(document->body()->firstChild(), 0);
    outside->setEnd(added, 0);
    EXPECT_EQ(map->rangeForDOMRange(*outside, &html).location, VornickNotFound);
    EXPECT_EQ(map->domRangeForRange({ VornickNotFound, 0 }, &html, *document), nullptr);
}

// A writer trims the leading white space of a text at the start of a block:
// the map counts offsets in the text's span from after it, both ways.
TEST(DOMToNSRangeMap, WrittenTextWithTrimmedLeadingWhitespaceMapsBothWays)
{
    auto document = DOMDocument::parseHTML(std::string_view("<!DOCTYPE html><html><head><title>t</title></head>"
                                                            "<body><p>\n    text &amp; more</p></body></html>"),
                                           "UTF-8");
    ASSERT_TRUE(document);
    auto paragraph = document->body()->first();
    auto text = paragraph->first()->shared_from_this();
    ASSERT_EQ(toUTF8(text->nodeValue()), "\n    text & more");
    VornickHTMLWriter writer(VornickHTMLFormattingPreferences(), 0, VornickNewlineConvention::LF);
    for (bool forSearch : { false, true }) {
        std::shared_ptr<const AttributedString> string;
        std::shared_ptr<const VornickDOMToNSRangeMap> map;
        writer.writeAttributedStringFromDocument(*document, forSearch, [&](auto written, auto rangeMap) {
            string = written;
            map = rangeMap;
        });
        ASSERT_TRUE(string && map);
        const std::u16string& source = string->string();
        // The search text is no markup: no string to read references from.
        const std::u16string* mapped = forSearch ? nullptr : &source;
        auto more = document->createRange();
        more->setStart(text, 12);
        more->setEnd(text, 16);
        VornickRange range = map->rangeForDOMRange(*more, mapped);
        ASSERT_NE(range.location, VornickNotFound);
        EXPECT_EQ(toUTF8(source.substr(range.location, range.length)), "more") << toUTF8(source);
        auto back = map->domRangeForRange(range, mapped, *document);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->startContainer(), text);
        EXPECT_EQ(back->startOffset(), 12u);
        EXPECT_EQ(back->endOffset(), 16u);
    }
}
