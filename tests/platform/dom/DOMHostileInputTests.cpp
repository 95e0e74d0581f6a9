// Inputs that once crashed or stalled the HTML parser, kept in tests/data/hostile/.
// A file named NAME.in-CONTEXT.html is a fragment parsed in a CONTEXT element
// (svg and math in their namespaces); any other file is a whole page.
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace brevanton;

namespace {

std::string hostileInput(const std::string& name)
{
    std::ifstream stream(std::string(BREVANTON_TEST_DATA_DIR) + "/hostile/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

std::u16string asUTF16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

std::shared_ptr<DOMElement> contextElement(DOMDocument& document, const std::string& name)
{
    if (name == "svg")
        return document.createElementNS(SVGNamespace, u"svg");
    if (name == "math")
        return document.createElementNS(MathMLNamespace, u"math");
    return document.createElement(asUTF16(name));
}

// The element names and texts of a subtree, in document order.
std::string outline(const DOMNode& root)
{
    std::string result;
    for (auto* node = root.first(); node; node = node->traverseNext(&root)) {
        if (auto* element = toElement(node)) {
            auto name = element->localName();
            result += "<" + std::string(name.begin(), name.end()) + ">";
        } else if (node->isTextNode()) {
            auto& data = downcast<DOMText>(node)->data();
            result += std::string(data.begin(), data.end());
        }
    }
    return result;
}

} // namespace

TEST(DOMHostileInput, EveryKeptInputParsesAndWritesBack)
{
    unsigned count = 0;
    for (auto& entry : std::filesystem::directory_iterator(std::string(BREVANTON_TEST_DATA_DIR) + "/hostile")) {
        auto name = entry.path().filename().string();
        SCOPED_TRACE(name);
        auto bytes = hostileInput(name);
        auto marker = name.find(".in-");
        if (marker == std::string::npos) {
            auto document = DOMDocument::parseHTML(bytes);
            ASSERT_TRUE(document->documentElement());
            auto markup = document->documentElement()->outerHTML();
            EXPECT_TRUE(DOMDocument::parseHTML(markup)->documentElement());
        } else {
            auto contextName = name.substr(marker + 4, name.rfind('.') - marker - 4);
            auto document = DOMDocument::parseHTML(std::u16string_view(u""));
            auto context = contextElement(*document, contextName);
            std::u16string markup(bytes.begin(), bytes.end());
            auto fragment = document->createDocumentFragmentWithMarkupString(markup, {}, context.get());
            ASSERT_TRUE(fragment);
            fragment->innerHTML();
        }
        ++count;
    }
    EXPECT_GE(count, 2u);
}

TEST(DOMHostileInput, ForeignElementsNamedLikeTablePartsKeepTheirNamesAndContent)
{
    // A MathML select holding a text integration point with a template, inside a table.
    auto page = DOMDocument::parseHTML(hostileInput("foreign-select-reset-in-table.html"));
    EXPECT_EQ(outline(*page->body()), "<math><select><mi><template><table>\n");
    auto select = toElement(page->body()->first()->first());
    EXPECT_EQ(select->namespaceURI(), MathMLNamespace);

    // An SVG html element in an svg fragment, with a template in its title.
    auto document = DOMDocument::parseHTML(std::u16string_view(u""));
    auto svg = contextElement(*document, "svg");
    auto fragment = document->createDocumentFragmentWithMarkupString(
        asUTF16(hostileInput("foreign-html-reset.in-svg.html")), {}, svg.get());
    EXPECT_EQ(outline(*fragment), "<html><title><template>");
    EXPECT_EQ(toElement(fragment->first())->namespaceURI(), SVGNamespace);

    // The same names in SVG, with content, end tags and what follows.
    auto more = DOMDocument::parseHTML(std::string_view(
        "<table><tr><td><svg><td>a<tr>b</tr>c<template>d</template><foreignObject><template>e</template></foreignObject>"
        "</td>f</svg>g</td></tr></table>h"));
    EXPECT_EQ(more->body()->innerHTML(),
              u"<table><tbody><tr><td><svg><td>a<tr>b</tr>c<template>d</template><foreignObject><template>e</template>"
              u"</foreignObject></td>f</svg>g</td></tr></tbody></table>h");
}
