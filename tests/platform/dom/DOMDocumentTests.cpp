#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// Whether each change recorded since `version` touches the style sheets.
std::vector<bool> styleSheetTouches(const DOMDocument& document, uint64_t version)
{
    std::vector<bool> touches;
    if (auto changes = document.structureChangesSince(version)) {
        for (auto& change : *changes)
            touches.push_back(change.touchesStyleSheets);
    }
    return touches;
}

} // namespace

// Style sheet elements are found whichever way they come into the document;
// subtrees that never held one are told apart without looking inside.
TEST(DOMDocument, StyleSheetElementsAreFoundWhereverTheyComeFrom)
{
    auto document = DOMDocument::parseHTML(std::string_view("<style>p{}</style><p>a</p>"));
    auto* body = document->body().get();
    auto version = [&] { return document->connectedStructureVersion(); };

    // Parsed rows without any: nothing to walk.
    auto rows = parseFragment(*document, u"<li><h1>A &amp; B</h1><ul><li>x</li></ul></li>\n<li>y</li>", body);
    ASSERT_TRUE(rows);
    EXPECT_FALSE(rows->mayHoldStyleSheetElement());
    auto start = version();
    body->appendChild(rows);
    EXPECT_EQ(styleSheetTouches(*document, start), (std::vector<bool> { false, false, false }));

    // Made, nested in a detached subtree, then put in.
    start = version();
    auto outer = document->createElement(u"div");
    auto inner = document->createElement(u"span");
    outer->appendChild(inner);
    inner->appendChild(document->createElement(u"base"));
    EXPECT_TRUE(outer->mayHoldStyleSheetElement());
    body->appendChild(outer);
    // Parsed deep in a fragment; parsed and put in with its neighbours.
    body->appendChild(parseFragment(*document, u"<div><p><link rel=stylesheet href=a.css></p></div>", body));
    auto target = document->createElement(u"section");
    body->appendChild(target);
    target->appendChild(document->createDocumentFragmentWithMarkupString(u"<p>text</p><style>q{}</style>"));
    EXPECT_EQ(styleSheetTouches(*document, start), (std::vector<bool> { true, true, false, false, true }));

    // Taken out (which touches the sheets), put into a plain detached
    // subtree and that put back: the element carries the mark along.
    auto* style = document->head()->first();
    ASSERT_TRUE(toElement(style) && toElement(style)->hasTagName(u"style"));
    auto plain = document->createElement(u"div");
    plain->appendChild(document->createElement(u"p"));
    ASSERT_FALSE(plain->mayHoldStyleSheetElement());
    start = version();
    plain->firstChild()->appendChild(style->shared_from_this());
    body->appendChild(plain);
    EXPECT_EQ(styleSheetTouches(*document, start), (std::vector<bool> { true, true }));

    // Deep copies, and elements from another document.
    start = version();
    body->appendChild(plain->cloneNode(true));
    auto other = DOMDocument::parseHTML(std::string_view("<div><link rel=stylesheet href=b.css></div>"));
    body->appendChild(other->body()->firstChild()->shared_from_this());
    EXPECT_EQ(styleSheetTouches(*document, start), (std::vector<bool> { true, true }));

    // A subtree whose style sheet element left it is only walked, and found without one;
    // elements of other namespaces named alike are not style sheets.
    auto emptied = document->createElement(u"div");
    auto link = emptied->appendChild(document->createElement(u"link"));
    emptied->removeChild(link);
    auto svgStyle = document->createElementNS(u"http://www.w3.org/2000/svg", u"style");
    ASSERT_TRUE(svgStyle);
    EXPECT_FALSE(svgStyle->mayHoldStyleSheetElement());
    start = version();
    body->appendChild(emptied);
    body->appendChild(svgStyle);
    EXPECT_EQ(styleSheetTouches(*document, start), (std::vector<bool> { false, false }));
}
