// The writer over real pages of every document type and over WordPress block
// content: the output parses back to the same DOM (up to whitespace that does
// not render) and the same rendered text, writing that DOM again gives the
// same text, and tidy finds nothing new in it. Run for a spread of
// formatting rule sets.
#include "html/VornickHTMLWriter.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <random>
#include <set>

#include "tests/html/DOMTreeComparison.h"

#include <gtest/gtest.h>

using namespace brevanton;
using namespace brevanton::domtest;

namespace vornick_html_writer_round_trip_tests {
namespace {

struct Page {
    std::string name;
    bool xml { false };
    bool blockContent { false };
    // Tidy may warn about what the parser made of broken markup.
    bool malformed { false };
};

const std::vector<Page> pages {
    { "html401-transitional.html" }, { "html401-strict.html" }, { "html401-frameset.html" },
    { "xhtml10-transitional.html" }, { "xhtml10-strict.html" }, { "xhtml10-frameset.html" },
    { "xhtml11.xhtml", true }, { "html5.html" }, { "wordpress-blocks.html", false, true },
    { "../html-pages/blog-post.html" }, { "../html-pages/legacy.html" }, { "../html-pages/malformed.html", false, false, true },
    { "../html-pages/xhtml-served-as-html.html" },
};

std::string pageBytes(const std::string& name)
{
    auto bytes = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/html-writer/" + name);
    EXPECT_TRUE(bytes) << name;
    return bytes ? *bytes : std::string();
}

std::shared_ptr<DOMDocument> parse(const std::string& bytes, bool xml, bool blockContent = false)
{
    if (blockContent) {
        // Post content: parsed as the content of the body.
        auto document = DOMDocument::createHTMLDocument();
        document->body()->appendChild(parseFragment(*document, toUTF16(bytes), nullptr));
        return document;
    }
    return xml ? DOMDocument::parseXML(bytes) : DOMDocument::parseHTML(std::string_view(bytes), "UTF-8");
}

std::u16string write(DOMDocument& document, const Page& page, const VornickHTMLFormattingPreferences& preferences,
                     VornickNewlineConvention newlineConvention = VornickNewlineConvention::LF)
{
    VornickHTMLWriter writer(preferences, 0, newlineConvention);
    if (page.blockContent)
        return writer.htmlStringFromChildrenOfNode(*document.body());
    return writer.htmlStringFromDocument(document);
}

const std::set<std::u16string> phrasing { u"a", u"abbr", u"b", u"big", u"button", u"cite", u"code", u"dfn", u"em", u"font",
    u"i", u"img", u"input", u"kbd", u"label", u"mark", u"q", u"s", u"samp", u"select", u"small", u"span", u"strike",
    u"strong", u"sub", u"sup", u"time", u"tt", u"u", u"var", u"option", u"svg", u"circle", u"picture", u"source", u"video" };

// Roughly what a reader sees: text with whitespace collapsed as a browser
// does, and block edges as line breaks.
void rendered(const DOMNode& node, std::u16string& out, bool preserve)
{
    for (DOMNode* child = node.first(); child; child = child->next()) {
        if (auto* element = toElement(child)) {
            auto name = asciiLowercase(element->localName());
            if (name == u"head" || name == u"script" || name == u"style" || name == u"template" || name == u"select")
                continue;
            if (name == u"br") {
                out += u'\n';
                continue;
            }
            bool block = !phrasing.count(name);
            if (block)
                out += u'\n';
            rendered(*element, out, preserve || keepsWhitespace(asciiLowercase(element->localName())));
            if (block)
                out += u'\n';
        } else if (child->isTextNode()) {
            auto& data = downcast<DOMCharacterData>(*child).data();
            if (preserve) {
                out += data;
                continue;
            }
            for (char16_t c : data)
                out += isHTMLWhitespace(c) ? u' ' : c;
        }
    }
}

std::u16string renderedText(const DOMNode& node)
{
    std::u16string raw;
    rendered(node, raw, false);
    std::u16string result;
    for (char16_t c : raw) {
        if (c == u' ' && (result.empty() || result.back() == u' ' || result.back() == u'\n'))
            continue;
        if (c == u'\n') {
            while (!result.empty() && result.back() == u' ')
                result.pop_back();
            if (result.empty() || result.back() == u'\n')
                continue;
        }
        result += c;
    }
    return result;
}

const DOMNode& root(DOMDocument& document, const Page& page)
{
    if (page.blockContent)
        return *document.body();
    return document;
}

// A spread of rule sets: the defaults, each rule off alone, everything off,
// and seeded random sets with random widths.
std::vector<VornickHTMLFormattingPreferences> ruleSets()
{
    std::vector<VornickHTMLFormattingPreferences> sets;
    sets.push_back(*VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences());
    const std::u16string letters = u"tixbeshqorracnd";
    for (char16_t letter : letters)
        sets.push_back(*VornickHTMLFormattingPreferences::createWithStringRepresentation(u"4,4-" + std::u16string(1, letter)));
    sets.push_back(*VornickHTMLFormattingPreferences::createWithStringRepresentation(u"1,1-" + letters));
    std::mt19937 random(7);
    for (int i = 0; i < 80; ++i) {
        std::u16string string = toUTF16(std::to_string(random() % 10 + 1) + "," + std::to_string(random() % 10 + 1) + "-");
        for (char16_t letter : letters) {
            if (random() % 2)
                string += letter;
        }
        auto preferences = VornickHTMLFormattingPreferences::createWithStringRepresentation(string);
        if (random() % 3 == 0)
            preferences->setPutCommentsOnNewLine(true);
        if (random() % 3 == 0)
            preferences->setDontEscapeGreaterThanCharacter(true);
        sets.push_back(*preferences);
    }
    return sets;
}

} // namespace

TEST(VornickHTMLWriterRoundTrip, EveryPageAndRuleSetReparsesToTheSameDocumentAndIsIdempotent)
{
    auto sets = ruleSets();
    for (auto& page : pages) {
        auto bytes = pageBytes(page.name);
        auto original = parse(bytes, page.xml, page.blockContent);
        ASSERT_TRUE(original) << page.name;
        auto expectedTree = canonical(root(*original, page));
        auto expectedText = renderedText(root(*original, page));
        VornickNewlineConvention convention = VornickNewlineConvention::LF;
        for (auto& preferences : sets) {
            // Every line-break convention in turn.
            convention = static_cast<VornickNewlineConvention>((static_cast<int>(convention) + 1) % 3);
            auto label = page.name + " " + toUTF8(preferences.stringRepresentation()) + " " + std::to_string(static_cast<int>(convention));
            auto first = write(*original, page, preferences, convention);
            auto reparsed = parse(toUTF8(first), page.xml, page.blockContent);
            ASSERT_TRUE(reparsed) << label << "\n" << toUTF8(first);
            EXPECT_EQ(toUTF8(canonical(root(*reparsed, page))), toUTF8(expectedTree)) << label << "\n" << toUTF8(first);
            EXPECT_EQ(toUTF8(renderedText(root(*reparsed, page))), toUTF8(expectedText)) << label << "\n" << toUTF8(first);
            auto second = write(*reparsed, page, preferences, convention);
            EXPECT_EQ(toUTF8(second), toUTF8(first)) << label;
        }
    }
}

TEST(VornickHTMLWriterRoundTrip, TidyFindsNothingNewInTheOutput)
{
    if (findExecutable("tidy").empty())
        GTEST_SKIP() << "tidy is not installed";
    auto folder = createTemporaryDirectory("brevanton-writer");
    ASSERT_TRUE(folder);
    auto messages = [&](const std::string& text, bool xml) {
        std::string path = *folder + "/page.html";
        EXPECT_TRUE(writeFileAtomically(path, text));
        ProcessLaunch launch;
        launch.executable = "tidy";
        launch.arguments = { "-q", "-e", "-utf8" };
        if (xml)
            launch.arguments.push_back("-xml");
        launch.arguments.push_back(path);
        launch.timeout = std::chrono::seconds(20);
        auto result = Process::run(launch);
        EXPECT_TRUE(result && !result->timedOut);
        std::set<std::string> found;
        std::string all = result ? result->standardError : std::string();
        size_t start = 0;
        while (start < all.size()) {
            size_t end = all.find('\n', start);
            if (end == std::string::npos)
                end = all.size();
            std::string line = all.substr(start, end - start);
            auto dash = line.find(" - ");
            if (dash != std::string::npos && line.starts_with("line "))
                line = line.substr(dash + 3);
            if (!line.empty())
                found.insert(line);
            start = end + 1;
        }
        return found;
    };
    for (auto& page : pages) {
        auto bytes = pageBytes(page.name);
        auto document = parse(bytes, page.xml, page.blockContent);
        ASSERT_TRUE(document);
        auto before = messages(bytes, page.xml);
        auto output = toUTF8(write(*document, page, *VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences()));
        for (auto& message : messages(output, page.xml)) {
            if (page.malformed && message.find("Error:") == std::string::npos)
                continue;
            EXPECT_TRUE(before.count(message)) << page.name << ": " << message << "\n" << output;
        }
    }
    EXPECT_TRUE(removeItem(*folder));
}

TEST(VornickHTMLWriterRoundTrip, FormattingSampleShowsEveryRule)
{
    auto bytes = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/../../resources/FormattingSample.html");
    ASSERT_TRUE(bytes);
    Page page { "FormattingSample.html" };
    auto document = parse(*bytes, false);
    auto defaults = VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences();
    auto written = toUTF8(write(*document, page, *defaults));
    // Each rule turned off on its own changes the sample's output.
    // (Named and decimal references show where characters are not written natively.)
    for (char16_t letter : std::u16string(u"tixbeshqoracnd")) {
        std::u16string base = letter == u'n' || letter == u'd' ? u"3,4-c" : u"3,4-";
        auto preferences = VornickHTMLFormattingPreferences::createWithStringRepresentation(base + std::u16string(1, letter));
        auto same = VornickHTMLFormattingPreferences::createWithStringRepresentation(base);
        auto changed = toUTF8(write(*document, page, *preferences));
        EXPECT_NE(changed, toUTF8(write(*document, page, *same))) << static_cast<char>(letter);
        // And the output still reads back as the same document.
        auto reparsed = parse(changed, false);
        EXPECT_EQ(canonical(*reparsed), canonical(*document)) << static_cast<char>(letter);
    }
    auto widths = VornickHTMLFormattingPreferences::createWithStringRepresentation(u"2,8");
    EXPECT_NE(toUTF8(write(*document, page, *widths)), written);
}

TEST(VornickHTMLWriterRoundTrip, ColouredOutputIsThePlainOutputAndMapsEveryBodyNode)
{
    auto preferences = VornickHTMLFormattingPreferences::createWithStringRepresentation(u"2,4-t");
    for (auto& page : pages) {
        if (page.blockContent)
            continue;
        auto document = parse(pageBytes(page.name), page.xml);
        ASSERT_TRUE(document);
        VornickHTMLWriter writer(*preferences, 0, VornickNewlineConvention::LF);
        auto plain = writer.htmlStringFromDocument(*document);
        std::shared_ptr<const AttributedString> coloured;
        std::shared_ptr<const VornickDOMToNSRangeMap> map;
        writer.writeAttributedStringFromDocument(*document, false, [&](auto string, auto rangeMap) {
            coloured = string;
            map = rangeMap;
        });
        ASSERT_TRUE(coloured && map);
        EXPECT_EQ(toUTF8(coloured->string()), toUTF8(plain)) << page.name;
        // Each element of the body maps to the text that starts with its tag.
        auto body = document->body();
        ASSERT_TRUE(body);
        for (DOMNode* node = body->first(); node; node = node->traverseNext(body.get())) {
            auto* element = toElement(node);
            if (!element)
                continue;
            auto range = document->createRange();
            range->selectNode(*element);
            auto mapped = map->rangeForDOMRange(*range, &coloured->string());
            ASSERT_FALSE(mapped.isNotFound()) << page.name;
            auto tag = u"<" + asciiLowercase(element->localName());
            EXPECT_EQ(toUTF8(asciiLowercase(coloured->string().substr(mapped.location, tag.size()))), toUTF8(tag)) << page.name;
        }
        std::shared_ptr<const AttributedString> search;
        writer.writeAttributedStringFromDocument(*document, true, [&](auto string, auto) { search = string; });
        ASSERT_TRUE(search);
        EXPECT_EQ(search->string().find(u"&amp;"), std::u16string::npos) << page.name;
    }
}

} // namespace vornick_html_writer_round_trip_tests
