// The writer over seeded, generated markup: awkward text, entities, quotes,
// comments, raw text, preformatted text, void and unknown elements, written
// with random rule sets. The output must parse back to the same tree (up to
// whitespace that does not render), render the same text, and be a fixed
// point of writing; XHTML read as XML must stay well-formed.
#include "html/VornickHTMLWriter.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <random>
#include <set>

#include "tests/html/DOMTreeComparison.h"

#include <gtest/gtest.h>

using namespace brevanton;
using namespace brevanton::domtest;

namespace {

class MarkupGenerator {
public:
    explicit MarkupGenerator(unsigned seed, bool xml)
        : m_random(seed)
        , m_xml(xml)
    {
    }

    std::string body()
    {
        std::string out;
        content(out, 0, false);
        return out;
    }

private:
    size_t pick(size_t count) { return m_random() % count; }
    bool chance(unsigned percent) { return pick(100) < percent; }

    std::string text()
    {
        static const std::vector<std::string> pieces { "Hello", " ", "  ", "\n", "\t", "world", "a < b", "AT&T", "x > y",
            "&amp;", "&lt;", "&nbsp;", "&#x1F600;", "\xF0\x9F\x98\x80", "\xC3\xA9", "\xE2\x82\xAC", "\xE6\x97\xA5\xE6\x9C\xAC",
            "\"q\"", "'s", "]]>", "--", "-->", "{x}", "\xC2\xA0" };
        std::string out;
        for (size_t i = 0, count = 1 + pick(4); i < count; ++i)
            out += pieces[pick(pieces.size())];
        return out;
    }

    std::string attributeValue()
    {
        static const std::vector<std::string> pieces { "a", "b c", "\"", "'", "&", "&amp;", "<", ">", "\n", "\t", "x=y",
            "\xF0\x9F\x98\x80", "\xE2\x82\xAC", "&#10;", "&quot;", "" };
        std::string out;
        for (size_t i = 0, count = pick(4); i < count; ++i)
            out += pieces[pick(pieces.size())];
        return out;
    }

    std::string escapedAttribute(const std::string& value)
    {
        std::string out;
        for (char c : value) {
            if (c == '"')
                out += "&quot;";
            else if (c == '<' && m_xml)
                out += "&lt;";
            else if (c == '&' && m_xml)
                out += "&amp;";
            else
                out += c;
        }
        return out;
    }

    std::string escapedText(std::string value)
    {
        if (!m_xml)
            return value;
        std::string out;
        for (size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '<')
                out += "&lt;";
            else if (value[i] == '&')
                out += "&amp;";
            else if (value.compare(i, 3, "]]>") == 0) {
                out += "]]&gt;";
                i += 2;
            } else
                out += value[i];
        }
        return out;
    }

    std::string attributes()
    {
        static const std::vector<std::string> names { "title", "class", "id", "data-x", "lang", "hidden", "checked",
            "contenteditable", "draggable", "spellcheck" };
        std::string out;
        std::set<size_t> used;
        for (size_t i = 0, count = pick(3); i < count; ++i) {
            size_t name = pick(names.size());
            if (!used.insert(name).second)
                continue;
            out += " " + names[name] + "=\"" + escapedAttribute(attributeValue()) + "\"";
        }
        return out;
    }

    std::string comment()
    {
        static const std::vector<std::string> pieces { " note ", "a-b", "x--y", "-", "<!-", "<b>", " wp:x ", "&amp;" };
        std::string data = pieces[pick(pieces.size())];
        if (m_xml) {
            // XML comments hold neither "--" nor a final "-".
            std::string clean;
            for (char c : data) {
                if (c == '-' && (clean.empty() || clean.back() == '-'))
                    continue;
                clean += c;
            }
            while (!clean.empty() && clean.back() == '-')
                clean.pop_back();
            data = clean;
        } else if (data == "-" || data == "<!-") {
            data = " " + data + " ";
        }
        return "<!--" + data + "-->";
    }

    void content(std::string& out, unsigned depth, bool inlineOnly)
    {
        static const std::vector<std::string> inlines { "b", "i", "span", "a", "em", "code", "my-element", "q", "small" };
        static const std::vector<std::string> blocks { "p", "div", "h2", "ul", "blockquote", "section", "table" };
        for (size_t i = 0, count = 1 + pick(depth < 3 ? 5 : 2); i < count; ++i) {
            size_t kind = pick(depth < 4 ? 12 : 5);
            if (kind < 3) {
                out += escapedText(text());
            } else if (kind == 3) {
                out += comment();
            } else if (kind == 4) {
                static const std::vector<std::string> voids { "<br>", "<img alt=\"x\">", "<wbr>", "<input type=\"text\">" };
                std::string element = voids[pick(voids.size())];
                if (m_xml)
                    element.insert(element.size() - 1, "/");
                out += element;
            } else if (kind <= 7) {
                std::string name = inlines[pick(inlines.size())];
                out += "<" + name + attributes() + ">";
                if (chance(80))
                    content(out, depth + 1, true);
                out += "</" + name + ">";
            } else if (kind <= 9 && !inlineOnly) {
                std::string name = blocks[pick(blocks.size())];
                out += "<" + name + attributes() + ">";
                if (name == "ul") {
                    out += chance(50) ? "\n  " : "";
                    for (size_t item = 0, items = 1 + pick(3); item < items; ++item) {
                        out += "<li>";
                        content(out, depth + 1, false);
                        out += "</li>" + std::string(chance(50) ? "\n" : "");
                    }
                } else if (name == "table") {
                    out += "<tbody><tr><td>";
                    content(out, depth + 1, false);
                    out += "</td></tr></tbody>";
                } else {
                    content(out, depth + 1, name == "p" || name == "h2");
                }
                out += "</" + name + ">";
            } else if (kind == 10) {
                // Whitespace is content in these.
                static const std::vector<std::string> keep { "pre", "textarea" };
                std::string name = inlineOnly ? "code" : keep[pick(keep.size())];
                out += "<" + name + ">" + (chance(30) ? "\n\n" : "") + escapedText("  " + text() + "\n    " + text() + " ")
                    + "</" + name + ">";
            } else if (kind == 11 && !m_xml && chance(40)) {
                // Foreign content, templates and the other raw text elements.
                static const std::vector<std::string> others { "<svg viewBox=\"0 0 1 1\"><circle r=\"1\"/><text>a &lt; b</text></svg>",
                    "<template><p>t</p> <b>u</b></template>", "<xmp>a < b & </p></xmp>", "<math><mi>x</mi></math>",
                    "<select><option selected>a</option> <option value=\"&quot;\">b</option></select>" };
                out += others[pick(others.size())];
            } else if (!inlineOnly) {
                static const std::vector<std::string> scripts { "if (a < b && c > d) x = '</div>';", "\n  var s = \"<p>\";\n",
                    "// <!-- not a comment", "p > a { content: \"&amp;\" }" };
                std::string name = chance(50) ? "script" : "style";
                std::string code = scripts[pick(scripts.size())];
                if (m_xml)
                    out += "<" + name + "><![CDATA[" + code + "]]></" + name + ">";
                else
                    out += "<" + name + ">" + code + "</" + name + ">";
            }
        }
    }

    std::mt19937 m_random;
    bool m_xml;
};

// The text a reader sees, with whitespace collapsed across inline elements.
void rendered(const DOMNode& node, std::u16string& out, bool preserve)
{
    static const std::set<std::u16string> inlines { u"b", u"i", u"span", u"a", u"em", u"code", u"my-element", u"q", u"small",
        u"img", u"wbr", u"input", u"svg", u"circle", u"text", u"math", u"mi", u"select", u"option" };
    for (DOMNode* child = node.first(); child; child = child->next()) {
        if (auto* element = toElement(child)) {
            auto name = asciiLowercase(element->localName());
            if (name == u"script" || name == u"style" || name == u"head" || name == u"select" || name == u"template")
                continue;
            bool block = !inlines.count(name);
            out += block ? u"\n" : u"";
            rendered(*element, out, preserve || keepsWhitespace(name));
            out += block ? u"\n" : u"";
        } else if (child->isTextNode() || child->nodeType() == DOMNode::CDATA_SECTION_NODE) {
            for (char16_t c : downcast<DOMCharacterData>(*child).data())
                out += !preserve && isHTMLWhitespace(c) ? u' ' : c;
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
    while (!result.empty() && (result.back() == u' ' || result.back() == u'\n'))
        result.pop_back();
    return result;
}

// The coloured output is the plain output, and its range map closes every node it opens.
void expectColouredOutputMatches(VornickHTMLWriter& writer, DOMDocument& document, const std::u16string& plain,
                                 const std::string& label)
{
    std::shared_ptr<const AttributedString> coloured;
    std::shared_ptr<const VornickDOMToNSRangeMap> map;
    writer.writeAttributedStringFromDocument(document, false, [&](auto string, auto rangeMap) {
        coloured = string;
        map = rangeMap;
    });
    ASSERT_TRUE(coloured && map) << label;
    EXPECT_EQ(toUTF8(coloured->string()), toUTF8(plain)) << label;
    writer.writeAttributedStringFromDocument(document, true, [&](auto string, auto) { coloured = string; });
    EXPECT_TRUE(coloured) << label;
}

VornickHTMLFormattingPreferences randomRules(std::mt19937& random)
{
    std::u16string string = toUTF16(std::to_string(random() % 8 + 1) + "," + std::to_string(random() % 8 + 1) + "-");
    for (char16_t letter : std::u16string(u"tixbeshqorracnd")) {
        if (random() % 2)
            string += letter;
    }
    auto preferences = *VornickHTMLFormattingPreferences::createWithStringRepresentation(string);
    preferences.setPutCommentsOnNewLine(random() % 2);
    preferences.setDontEscapeGreaterThanCharacter(random() % 3 == 0);
    return preferences;
}

} // namespace

TEST(VornickHTMLWriterGeneratedMarkup, HTMLRoundTripsAndIsAFixedPoint)
{
    std::mt19937 random(20261207);
    for (unsigned seed = 0; seed < 300; ++seed) {
        MarkupGenerator generator(seed, false);
        std::string markup = "<!DOCTYPE html><html><head><title>t</title></head><body>" + generator.body() + "</body></html>";
        auto original = DOMDocument::parseHTML(std::string_view(markup), "UTF-8");
        ASSERT_TRUE(original);
        auto rules = randomRules(random);
        VornickHTMLWriter writer(rules, 0, static_cast<VornickNewlineConvention>(random() % 3));
        auto first = writer.htmlStringFromDocument(*original);
        auto reparsed = DOMDocument::parseHTML(std::string_view(toUTF8(first)), "UTF-8");
        ASSERT_TRUE(reparsed);
        auto label = "seed " + std::to_string(seed) + " rules " + toUTF8(rules.stringRepresentation()) + "\n" + markup
            + "\n---\n" + toUTF8(first);
        ASSERT_EQ(toUTF8(canonical(*reparsed->body())), toUTF8(canonical(*original->body()))) << label;
        ASSERT_EQ(toUTF8(renderedText(*reparsed->body())), toUTF8(renderedText(*original->body()))) << label;
        ASSERT_EQ(toUTF8(writer.htmlStringFromDocument(*reparsed)), toUTF8(first)) << label;
        expectColouredOutputMatches(writer, *original, first, label);
    }
}

TEST(VornickHTMLWriterGeneratedMarkup, XHTMLReadAsXMLStaysWellFormed)
{
    std::mt19937 random(7);
    for (unsigned seed = 0; seed < 150; ++seed) {
        MarkupGenerator generator(seed, true);
        std::string markup = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
                             "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n"
                             "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>t</title></head><body>"
            + generator.body() + "</body></html>";
        Error error;
        auto original = DOMDocument::parseXML(markup, {}, &error);
        ASSERT_TRUE(original) << markup;
        auto rules = randomRules(random);
        VornickHTMLWriter writer(rules, 0, VornickNewlineConvention::LF);
        auto first = writer.htmlStringFromDocument(*original);
        auto label = "seed " + std::to_string(seed) + " rules " + toUTF8(rules.stringRepresentation()) + "\n" + markup
            + "\n---\n" + toUTF8(first);
        auto reparsed = DOMDocument::parseXML(toUTF8(first), {}, &error);
        ASSERT_TRUE(reparsed) << label;
        ASSERT_EQ(toUTF8(canonical(*reparsed)), toUTF8(canonical(*original))) << label;
        ASSERT_EQ(toUTF8(writer.htmlStringFromDocument(*reparsed)), toUTF8(first)) << label;
        expectColouredOutputMatches(writer, *original, first, label);
    }
}

TEST(VornickHTMLWriterGeneratedMarkup, LegacyEncodingsHoldEveryCharacterAsAReference)
{
    std::mt19937 random(11);
    for (unsigned seed = 0; seed < 100; ++seed) {
        MarkupGenerator generator(seed + 1000, false);
        std::string markup = "<!DOCTYPE html><html><head><meta charset=\"windows-1252\"><title>t</title></head><body>"
            + generator.body() + "</body></html>";
        auto original = DOMDocument::parseHTML(std::string_view(markup), "UTF-8");
        ASSERT_TRUE(original);
        original->setCharacterSet(u"windows-1252");
        auto rules = randomRules(random);
        VornickHTMLWriter writer(rules, 0, VornickNewlineConvention::LF);
        Error error;
        auto bytes = writer.htmlDataFromDocument(*original, &error);
        ASSERT_TRUE(bytes) << markup;
        auto reparsed = DOMDocument::parseHTML(std::string_view(*bytes), "windows-1252");
        ASSERT_TRUE(reparsed);
        ASSERT_EQ(toUTF8(canonical(*reparsed->body())), toUTF8(canonical(*original->body())))
            << "seed " << seed << " rules " << toUTF8(rules.stringRepresentation()) << "\n" << markup;
    }
}
