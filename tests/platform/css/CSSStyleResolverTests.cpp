#include "platform/css/CSSStyleResolver.h"
#include "platform/css/DOMCSSComputedStyle.h"
#include "platform/dom/DOMCSSStyleDeclaration.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include "tests/platform/css/CSSTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace brevanton;
using namespace brevanton::csstest;

namespace css_style_resolver_tests {
namespace {

class UserSheetReset : public ::testing::Test {
protected:
    void TearDown() override { CSSStyleResolver::setUserStyleSheet({}); }
};

} // namespace

TEST(CSSStyleResolver, CascadeOrdersBySpecificityThenSourceOrder)
{
    auto document = parse("<style>"
                          "#a { color: red } p.x { color: green } p { color: blue }"
                          "p.y { color: green } .y { color: red }"
                          "div p { color: olive } body > div > p { color: navy }"
                          "</style><div><p id=a class=x>a</p><p id=b class=y>b</p><p id=c>c</p></div>");
    EXPECT_EQ(value(document, u"a", u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(value(document, u"b", u"color"), "rgb(0, 128, 0)");
    EXPECT_EQ(value(document, u"c", u"color"), "rgb(0, 0, 128)");
}

TEST(CSSStyleResolver, ImportantAndInlineStyle)
{
    auto document = parse("<style>p { color: red !important; margin-top: 3px !important } #a { color: blue }"
                          "#b { color: blue }</style>"
                          "<p id=a style='color: green; margin-top: 5px'>a</p>"
                          "<p id=b style='color: green !important'>b</p><p id=c style='color: green'>c</p>");
    EXPECT_EQ(value(document, u"a", u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(value(document, u"a", u"margin-top"), "3px");
    EXPECT_EQ(value(document, u"b", u"color"), "rgb(0, 128, 0)");
    EXPECT_EQ(value(document, u"c", u"color"), "rgb(255, 0, 0)");
}

TEST(CSSStyleResolver, DisplayOfEveryHTMLElement)
{
    const std::pair<const char*, const char*> expectations[] = {
        // Blocks, HTML 4 and legacy.
        { "address", "block" }, { "blockquote", "block" }, { "center", "block" }, { "dd", "block" },
        { "dir", "block" }, { "div", "block" }, { "dl", "block" }, { "dt", "block" }, { "fieldset", "block" },
        { "form", "block" }, { "h1", "block" }, { "h2", "block" }, { "h3", "block" }, { "h4", "block" },
        { "h5", "block" }, { "h6", "block" }, { "hr", "block" }, { "legend", "block" }, { "listing", "block" },
        { "menu", "block" }, { "ol", "block" }, { "p", "block" }, { "plaintext", "block" }, { "pre", "block" },
        { "ul", "block" }, { "xmp", "block" }, { "optgroup", "block" }, { "option", "block" },
        // Blocks, HTML 5.
        { "article", "block" }, { "aside", "block" }, { "details", "block" }, { "figcaption", "block" },
        { "figure", "block" }, { "footer", "block" }, { "header", "block" }, { "hgroup", "block" },
        { "main", "block" }, { "nav", "block" }, { "search", "block" }, { "section", "block" },
        // Lists and tables.
        { "li", "list-item" }, { "summary", "block" }, { "table", "table" }, { "caption", "table-caption" },
        { "colgroup", "table-column-group" }, { "col", "table-column" }, { "thead", "table-header-group" },
        { "tbody", "table-row-group" }, { "tfoot", "table-footer-group" }, { "tr", "table-row" },
        { "td", "table-cell" }, { "th", "table-cell" },
        // Hidden.
        { "area", "none" }, { "base", "none" }, { "basefont", "none" }, { "datalist", "none" },
        { "link", "none" }, { "meta", "none" }, { "noembed", "none" }, { "noframes", "none" }, { "param", "none" },
        { "rp", "none" }, { "script", "none" }, { "style", "none" }, { "template", "none" }, { "title", "none" },
        { "dialog", "none" }, { "audio", "none" },
        // Inline blocks and ruby.
        { "button", "inline-block" }, { "input", "inline-block" }, { "select", "inline-block" },
        { "textarea", "inline-block" }, { "meter", "inline-block" }, { "progress", "inline-block" },
        { "marquee", "inline-block" }, { "ruby", "ruby" }, { "rt", "ruby-text" },
        // Inline.
        { "a", "inline" }, { "abbr", "inline" }, { "acronym", "inline" }, { "b", "inline" }, { "bdi", "inline" },
        { "bdo", "inline" }, { "big", "inline" }, { "br", "inline" }, { "canvas", "inline" }, { "cite", "inline" },
        { "code", "inline" }, { "data", "inline" }, { "del", "inline" }, { "dfn", "inline" }, { "em", "inline" },
        { "embed", "inline" }, { "font", "inline" }, { "i", "inline" }, { "iframe", "inline" }, { "img", "inline" },
        { "ins", "inline" }, { "kbd", "inline" }, { "label", "inline" }, { "map", "inline" }, { "mark", "inline" },
        { "nobr", "inline" }, { "object", "inline" }, { "output", "inline" }, { "picture", "inline" },
        { "q", "inline" }, { "s", "inline" }, { "samp", "inline" }, { "small", "inline" }, { "span", "inline" },
        { "strike", "inline" }, { "strong", "inline" }, { "sub", "inline" }, { "sup", "inline" },
        { "time", "inline" }, { "tt", "inline" }, { "u", "inline" }, { "var", "inline" }, { "video", "inline" },
        { "wbr", "inline" }, { "unknown-element", "inline" },
    };
    auto document = DOMDocument::createHTMLDocument();
    auto body = document->body();
    for (auto& [tag, display] : expectations) {
        auto element = document->createElement(toUTF16(tag));
        ASSERT_TRUE(element) << tag;
        body->appendChild(element);
        EXPECT_EQ(toUTF8(getComputedStyle(*element)->getPropertyValue(u"display")), display) << tag;
    }
    EXPECT_EQ(toUTF8(getComputedStyle(*document->documentElement())->getPropertyValue(u"display")), "block");
    EXPECT_EQ(toUTF8(getComputedStyle(*document->head())->getPropertyValue(u"display")), "none");
    EXPECT_EQ(toUTF8(getComputedStyle(*body)->getPropertyValue(u"display")), "block");

    auto states = parse("<dialog id=d open></dialog><input id=h type=HIDDEN><p id=p hidden></p>"
                        "<span id=f style='float: left'></span><span id=a style='position: absolute'></span>"
                        "<table><tr id=r style='float: right'></tr></table>");
    EXPECT_EQ(value(states, u"d", u"display"), "block");
    EXPECT_EQ(value(states, u"h", u"display"), "none");
    EXPECT_EQ(value(states, u"p", u"display"), "none");
    // Floated and absolutely positioned boxes are blocks.
    EXPECT_EQ(value(states, u"f", u"display"), "block");
    EXPECT_EQ(value(states, u"a", u"display"), "block");
    EXPECT_EQ(value(states, u"r", u"display"), "block");
}

TEST(CSSStyleResolver, UserAgentDefaultsForTextAndLists)
{
    auto document = parse("<h1 id=h1>t</h1><h2 id=h2>t</h2><p id=p>t</p><b id=b>t</b><strong id=s>t</strong>"
                          "<table><tr><th id=th>t</th><td id=td>t</td></tr></table><em id=em>t</em>"
                          "<pre id=pre>t</pre><ul id=ul><li id=li>t<ul id=ul2><li>t<ol id=ol><li>t"
                          "<ul id=ul3><li></ul></ol></ul></ul><a id=a href=x>t</a><a id=anchor>t</a>"
                          "<small id=small>t</small><blockquote id=bq></blockquote>");
    EXPECT_EQ(value(document, u"h1", u"font-size"), "32px");
    EXPECT_EQ(value(document, u"h1", u"margin-top"), "21.44px");
    EXPECT_EQ(value(document, u"h1", u"font-weight"), "bold");
    EXPECT_EQ(value(document, u"h2", u"font-size"), "24px");
    EXPECT_EQ(value(document, u"p", u"margin"), "16px 0px");
    EXPECT_EQ(value(document, u"p", u"font-weight"), "normal");
    EXPECT_EQ(value(document, u"b", u"font-weight"), "bold");
    EXPECT_EQ(value(document, u"s", u"font-weight"), "bold");
    EXPECT_EQ(value(document, u"th", u"font-weight"), "bold");
    EXPECT_EQ(value(document, u"td", u"font-weight"), "normal");
    EXPECT_EQ(value(document, u"em", u"font-style"), "italic");
    EXPECT_EQ(value(document, u"pre", u"font-family"), "monospace");
    EXPECT_EQ(value(document, u"pre", u"white-space"), "pre");
    EXPECT_EQ(value(document, u"p", u"font-family"), "\"Times New Roman\"");
    EXPECT_EQ(value(document, u"ul", u"list-style-type"), "disc");
    EXPECT_EQ(value(document, u"li", u"list-style-type"), "disc");
    EXPECT_EQ(value(document, u"ul", u"padding-left"), "40px");
    EXPECT_EQ(value(document, u"ul2", u"list-style-type"), "circle");
    EXPECT_EQ(value(document, u"ul2", u"margin-top"), "0px");
    EXPECT_EQ(value(document, u"ol", u"list-style-type"), "decimal");
    EXPECT_EQ(value(document, u"ul3", u"list-style-type"), "square");
    EXPECT_EQ(value(document, u"a", u"text-decoration"), "underline");
    EXPECT_EQ(value(document, u"a", u"color"), "rgb(0, 0, 238)");
    EXPECT_EQ(value(document, u"anchor", u"text-decoration"), "none");
    EXPECT_EQ(value(document, u"small", u"font-size"), "13.333333px");
    EXPECT_EQ(value(document, u"bq", u"margin"), "16px 40px");
}

TEST(CSSStyleResolver, InheritanceAndRelativeLengths)
{
    auto document = parse("<style>html { font-size: 20px } div { font-size: 10px; color: green; margin-left: 7px;"
                          "line-height: 1.5; border-left: 2px solid; padding-top: 1em }"
                          "#em { font-size: 2em; margin-top: 1em; margin-left: inherit; text-indent: 1rem }"
                          "#pct { font-size: 150%; line-height: 200%; margin-right: 10% }"
                          "#lh { line-height: 2em } #reset { color: initial; border-left-color: currentcolor }"
                          "#kw { font-size: larger; font-weight: bolder } #kw b { font-weight: lighter }"
                          "#none { border-top-width: 9px; outline-width: 4px; border-right: thick double }"
                          "</style><div id=div><p id=em>e</p><p id=pct>p</p><p id=lh>l</p><p id=reset>r</p>"
                          "<p id=kw><b id=kwb>b</b></p><p id=none>n</p></div>");
    EXPECT_EQ(value(document, u"div", u"padding-top"), "10px");
    EXPECT_EQ(value(document, u"em", u"font-size"), "20px");
    EXPECT_EQ(value(document, u"em", u"margin-top"), "20px"); // ems of its own font size
    EXPECT_EQ(value(document, u"em", u"margin-left"), "7px");
    EXPECT_EQ(value(document, u"em", u"text-indent"), "20px"); // rem: the root's size
    EXPECT_EQ(value(document, u"em", u"color"), "rgb(0, 128, 0)");
    EXPECT_EQ(value(document, u"em", u"padding-top"), "0px"); // not inherited
    EXPECT_EQ(value(document, u"em", u"line-height"), "1.5"); // a number inherits as a number
    EXPECT_EQ(value(document, u"pct", u"font-size"), "15px");
    EXPECT_EQ(value(document, u"pct", u"line-height"), "30px");
    EXPECT_EQ(value(document, u"pct", u"margin-right"), "10%"); // of the containing block: kept
    EXPECT_EQ(value(document, u"lh", u"line-height"), "20px");
    EXPECT_EQ(value(document, u"reset", u"color"), "rgb(0, 0, 0)");
    EXPECT_EQ(value(document, u"reset", u"border-left-color"), "rgb(0, 0, 0)");
    EXPECT_EQ(value(document, u"div", u"border-left-color"), "rgb(0, 128, 0)");
    EXPECT_EQ(value(document, u"div", u"border-left-width"), "2px");
    EXPECT_EQ(value(document, u"kw", u"font-size"), "12px");
    EXPECT_EQ(value(document, u"kw", u"font-weight"), "bold");
    EXPECT_EQ(value(document, u"kwb", u"font-weight"), "normal");
    // Widths without a border style are zero.
    EXPECT_EQ(value(document, u"none", u"border-top-width"), "0px");
    EXPECT_EQ(value(document, u"none", u"outline-width"), "0px");
    EXPECT_EQ(value(document, u"none", u"border-right-width"), "5px");
    // Used sizes come with layout.
    EXPECT_EQ(value(document, u"div", u"width"), "auto");
}

// The deepest element of a long ancestry asked for first: every ancestor is
// computed before its children, however many there are.
TEST(CSSStyleResolver, ADeepElementFirstComputesItsAncestorsFromTheTop)
{
    std::string nested;
    for (int depth = 1; depth <= 14; ++depth)
        nested += "<div id=d" + std::to_string(depth) + ">";
    nested += "x";
    for (int depth = 1; depth <= 14; ++depth)
        nested += "</div>";
    auto document = parse("<style>html { font-size: 1px } body { font-size: 1px } div { font-size: 2em; color: red }"
                          " div div div { color: blue }</style>" + nested);
    EXPECT_EQ(value(document, u"d14", u"font-size"), "16384px");
    EXPECT_EQ(value(document, u"d14", u"color"), "rgb(0, 0, 255)");
    EXPECT_EQ(value(document, u"d5", u"font-size"), "32px");
    EXPECT_EQ(value(document, u"d2", u"color"), "rgb(255, 0, 0)");
}

// A page as deep as browsers build: each level's values keep their
// parent's, and the whole chain goes without recursion.
TEST(CSSStyleResolver, ADeepAncestryIsComputedAndLetGoWithoutRecursion)
{
    std::string nested;
    for (int depth = 0; depth < 200'000; ++depth)
        nested += "<div>";
    auto document = parse("<style>div div { color: blue }</style>" + nested + "x");
    DOMNode* deepest = document->body().get();
    while (deepest->last() && deepest->last()->isElementNode())
        deepest = deepest->last();
    auto values = CSSStyleResolver::computedValuesFor(downcast<DOMElement>(*deepest));
    EXPECT_EQ(values->identifier(CSSPropertyID::Display), u"block");
    document.reset();
    values.reset();
}

TEST_F(UserSheetReset, UserSheetSitsBetweenUserAgentAndAuthor)
{
    CSSStyleResolver::setUserStyleSheet(u"p { color: red; margin-top: 1px !important } b { font-weight: normal }"
                                        u"em { font-style: normal !important }");
    auto document = parse("<style>p { color: blue; margin-top: 2px !important } em { font-style: oblique }</style>"
                          "<p id=p>t</p><b id=b>t</b><em id=em>t</em><i id=i>t</i>");
    EXPECT_EQ(value(document, u"p", u"color"), "rgb(0, 0, 255)");
    EXPECT_EQ(value(document, u"p", u"margin-top"), "1px");
    EXPECT_EQ(value(document, u"b", u"font-weight"), "normal");
    EXPECT_EQ(value(document, u"em", u"font-style"), "normal");
    EXPECT_EQ(value(document, u"i", u"font-style"), "italic");
    CSSStyleResolver::setUserStyleSheet({});
    EXPECT_EQ(value(document, u"b", u"font-weight"), "bold");
}

TEST(CSSStyleResolver, AuthorSheetsFromStyleAndLinkedFiles)
{
    auto folder = std::filesystem::temp_directory_path() / ("brevanton-css-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "css");
    {
        std::ofstream(folder / "css" / "site.css") << "\xEF\xBB\xBF.a { color: red } .img { background-image: url(i.png) }";
        std::ofstream(folder / "css" / "alt.css") << ".a { color: blue }";
        std::ofstream(folder / "print.css") << ".a { color: yellow }";
    }
    std::u16string url = u"file://" + toUTF16(folder.string()) + u"/page.html";
    auto document = parse("<link rel='StyleSheet' href='css/site.css'><link rel='alternate stylesheet' href='css/alt.css'>"
                          "<link rel=stylesheet href=print.css media=print><link rel=stylesheet href=missing.css>"
                          "<link rel=stylesheet href='http://example.com/x.css'>"
                          "<style media='screen'>.b { color: green }</style><style type='text/less'>.b { color: red }</style>"
                          "<p id=a class=a>a</p><p id=b class=b>b</p><p id=img class=img></p>",
                          url);
    EXPECT_EQ(value(document, u"a", u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(value(document, u"b", u"color"), "rgb(0, 128, 0)");
    EXPECT_EQ(value(document, u"img", u"background-image"),
              "url(\"file://" + folder.string() + "/css/i.png\")");
    EXPECT_EQ(CSSStyleResolver::forDocument(*document).authorStyleSheets().size(), 2u);

    // A BASE element moves where relative links resolve.
    auto based = parse("<base href='css/'><link rel=stylesheet href='alt.css'><p id=a class=a>a</p>", url);
    EXPECT_EQ(value(based, u"a", u"color"), "rgb(0, 0, 255)");
    std::filesystem::remove_all(folder);
}

TEST(CSSStyleResolver, CachedStyleFollowsDocumentChanges)
{
    auto document = parse("<style id=s>.x { color: red } div p { margin-top: 3px }</style><div id=d><p id=p>t</p></div>");
    auto p = document->getElementById(u"p");
    auto style = getComputedStyle(*p);
    EXPECT_EQ(toUTF8(style->getPropertyValue(u"color")), "rgb(0, 0, 0)");

    p->setAttribute(u"class", u"x");
    EXPECT_EQ(toUTF8(style->getPropertyValue(u"color")), "rgb(255, 0, 0)");

    p->style()->setProperty(u"color", u"blue");
    EXPECT_EQ(toUTF8(style->getPropertyValue(u"color")), "rgb(0, 0, 255)");
    p->removeAttribute(u"style");

    // Editing the style sheet's text.
    auto* sheetText = downcast<DOMCharacterData>(document->getElementById(u"s")->first());
    ASSERT_TRUE(sheetText && sheetText->isTextNode());
    sheetText->appendData(u" .x { color: green }");
    EXPECT_EQ(toUTF8(style->getPropertyValue(u"color")), "rgb(0, 128, 0)");

    // Moving the element out of the div.
    EXPECT_EQ(toUTF8(style->getPropertyValue(u"margin-top")), "3px");
    document->body()->appendChild(p);
    EXPECT_EQ(toUTF8(style->getPropertyValue(u"margin-top")), "16px");

    // Detached elements get the cascade without caching.
    p->remove();
    EXPECT_EQ(toUTF8(style->getPropertyValue(u"color")), "rgb(0, 128, 0)");
    EXPECT_EQ(toUTF8(style->getPropertyValue(u"display")), "block");
    auto span = document->createElement(u"span");
    EXPECT_EQ(toUTF8(getComputedStyle(*span)->getPropertyValue(u"display")), "inline");
}

TEST(CSSStyleResolver, ElementsOfOtherNamespacesGetNoHTMLDefaults)
{
    Error error;
    auto document = DOMDocument::parseXML("<?xml version='1.0'?><?xml-stylesheet href='a.css'?>"
                                          "<html xmlns='http://www.w3.org/1999/xhtml'><head><style>"
                                          "note { display: block; color: red }</style></head><body>"
                                          "<p id='p'>x</p><note xmlns='urn:x' id='n'/><div xmlns='urn:x' id='d'/>"
                                          "</body></html>",
                                          u"file:///t.xhtml", &error);
    ASSERT_TRUE(document);
    EXPECT_EQ(value(document, u"p", u"display"), "block");
    EXPECT_EQ(value(document, u"n", u"display"), "block");
    EXPECT_EQ(value(document, u"d", u"display"), "inline");
}

TEST(CSSStyleResolver, OrderAcrossSheetsShorthandsAndFallbacks)
{
    auto document = parse("<style>p { margin: 1px; margin-left: 2px } p { border-top-width: 3px }"
                          "#q { margin-left: 9px; margin: 4px } @media screen { #m { color: red } }"
                          "@media print { #m { color: green } } #bad { color: blue }</style>"
                          "<style>p { border-top-width: 6px } p { border-top-style: solid }</style>"
                          "<div style='border-top: 7px solid'><p id=p>a</p><p id=q>b</p>"
                          "<p id=m>c</p><p id=bad style='color: notacolor; margin-top: 1zz'>d</p>"
                          "<p id=inh style='border-top-width: inherit; border-top-style: inherit'>e</p></div>");
    EXPECT_EQ(value(document, u"p", u"margin-left"), "2px");
    EXPECT_EQ(value(document, u"p", u"margin-top"), "1px");
    EXPECT_EQ(value(document, u"q", u"margin-left"), "4px"); // the later shorthand wins over the longhand
    EXPECT_EQ(value(document, u"p", u"border-top-width"), "6px"); // the later sheet wins
    EXPECT_EQ(value(document, u"m", u"color"), "rgb(255, 0, 0)");
    // Invalid inline values leave the sheet's value in place.
    EXPECT_EQ(value(document, u"bad", u"color"), "rgb(0, 0, 255)");
    EXPECT_EQ(value(document, u"bad", u"margin-top"), "1px");
    // inherit works for properties that do not inherit by themselves.
    EXPECT_EQ(value(document, u"inh", u"border-top-width"), "7px");
}

TEST(CSSStyleResolver, FontSizeKeywordsAndRootRelativeSizes)
{
    auto document = parse("<style>html { font-size: 62.5% } body { font-size: 1.6rem } #k { font-size: x-large }"
                          "#r { font-size: 2rem; margin-top: 1rem } #s { font-size: smaller } #e { font-size: 0.5em }"
                          "#pt { font-size: 12pt }</style><p id=k>k</p><p id=r>r</p><p id=s>s</p><p id=e>e</p>"
                          "<p id=pt>pt</p>");
    EXPECT_EQ(toUTF8(getComputedStyle(*document->documentElement())->getPropertyValue(u"font-size")), "10px");
    EXPECT_EQ(toUTF8(getComputedStyle(*document->body())->getPropertyValue(u"font-size")), "16px");
    EXPECT_EQ(value(document, u"k", u"font-size"), "24px");
    EXPECT_EQ(value(document, u"r", u"font-size"), "20px");
    EXPECT_EQ(value(document, u"r", u"margin-top"), "10px");
    EXPECT_EQ(value(document, u"s", u"font-size"), "13.333333px");
    EXPECT_EQ(value(document, u"e", u"font-size"), "8px");
    EXPECT_EQ(value(document, u"pt", u"font-size"), "16px");
}

TEST(CSSStyleResolver, ResolversBelongToTheirDocuments)
{
    auto first = parse("<style>p { color: red }</style><p id=p>a</p>");
    auto second = parse("<p id=p>a</p>");
    EXPECT_EQ(value(first, u"p", u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(value(second, u"p", u"color"), "rgb(0, 0, 0)");
    // A node moved between documents takes the new document's sheets.
    auto moved = second->getElementById(u"p");
    first->body()->appendChild(first->importNode(*moved, true));
    EXPECT_EQ(toUTF8(getComputedStyle(*first->body()->lastElementChild())->getPropertyValue(u"color")),
              "rgb(255, 0, 0)");
    for (int i = 0; i < 20; ++i) {
        first = parse("<p id=p style='color: green'>a</p>");
        EXPECT_EQ(value(first, u"p", u"color"), "rgb(0, 128, 0)");
    }
}

// Cached values are found through the element's style slot, an index that
// goes stale when the element moves or its entry's place is taken again.
TEST(CSSStyleResolver, AnElementMovedBetweenDocumentsAndBackTakesEachDocumentsValues)
{
    auto first = parse("<style>p { color: red } .row { margin-top: 3px }</style><div id=d><p id=p>a</p></div>");
    auto second = parse("<style>p { color: blue }</style><div id=d></div>");
    auto p = first->getElementById(u"p");
    EXPECT_EQ(value(first, u"p", u"color"), "rgb(255, 0, 0)");
    second->getElementById(u"d")->appendChild(p);
    EXPECT_EQ(value(second, u"p", u"color"), "rgb(0, 0, 255)");
    // Meanwhile the first document caches the values of new elements.
    for (int i = 0; i < 4; ++i)
        first->getElementById(u"d")->appendChild(first->createElement(u"p"));
    EXPECT_EQ(toUTF8(getComputedStyle(*first->getElementById(u"d")->lastElementChild())->getPropertyValue(u"color")),
              "rgb(255, 0, 0)");
    first->getElementById(u"d")->appendChild(p);
    EXPECT_EQ(value(first, u"p", u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(value(first, u"p", u"margin-top"), "16px");
    p->setAttribute(u"class", u"row");
    EXPECT_EQ(value(first, u"p", u"margin-top"), "3px");
    second->getElementById(u"d")->appendChild(p);
    EXPECT_EQ(value(second, u"p", u"color"), "rgb(0, 0, 255)");
    EXPECT_EQ(value(second, u"p", u"margin-top"), "16px");
}

TEST(CSSStyleResolver, TextEditsKeepCachedStylesExceptStyleSheetText)
{
    auto document = parse("<style id=s>.x { color: red }</style>"
                          "<p id=p class=x>text <em id=e>more</em></p>");
    auto p = document->getElementById(u"p");
    auto& resolver = CSSStyleResolver::forDocument(*document);
    auto before = CSSStyleResolver::computedValuesFor(*p);
    uint64_t generation = resolver.styleGeneration();

    downcast<DOMCharacterData>(p->first())->appendData(u"edited");
    downcast<DOMCharacterData>(document->getElementById(u"e")->first())->deleteData(0, 2);
    EXPECT_EQ(CSSStyleResolver::computedValuesFor(*p), before) << "text never changes what selectors match";
    EXPECT_EQ(resolver.styleGeneration(), generation);

    auto* sheetText = downcast<DOMCharacterData>(document->getElementById(u"s")->first());
    sheetText->replaceData(12, 3, u"blue");
    EXPECT_EQ(value(document, u"p", u"color"), "rgb(0, 0, 255)");
    EXPECT_NE(resolver.styleGeneration(), generation);

    // A sheet edit buried under more text edits than the document remembers.
    sheetText->replaceData(12, 4, u"green");
    for (int i = 0; i < 200; ++i)
        downcast<DOMCharacterData>(p->first())->appendData(u"x");
    EXPECT_EQ(value(document, u"p", u"color"), "rgb(0, 128, 0)");

    p->setAttribute(u"class", u"y");
    EXPECT_EQ(value(document, u"p", u"color"), "rgb(0, 0, 0)");
}

namespace {

// The element of the tag that comes `index`th in document order.
std::shared_ptr<DOMElement> nthElement(const std::shared_ptr<DOMDocument>& document, std::u16string_view tag, size_t index)
{
    for (DOMNode* node = document.get(); node; node = node->traverseNext()) {
        if (auto* element = dynamicDowncast<DOMElement>(node); element && element->hasTagName(tag) && !index--)
            return std::static_pointer_cast<DOMElement>(element->shared_from_this());
    }
    return nullptr;
}

std::string css(const std::shared_ptr<DOMElement>& element, std::u16string_view property)
{
    return toUTF8(getComputedStyle(*element)->getPropertyValue(property));
}

} // namespace

TEST(CSSStyleResolver, ElementsTheCascadeCannotTellApartShareValues)
{
    auto document = parse("<style>li { color: blue } li:first-child { color: red } .draft h1 { color: gray }"
                          ".x p { margin-top: 7px } [title] { margin-left: 2px }</style>"
                          "<ul><li><h1>a</h1></li> <li><h1>b</h1></li> <li><h1>c</h1></li>"
                          "<li class=draft><h1>d</h1></li><li title=t><h1>e</h1></li></ul>"
                          "<div class=x><p>f</p></div><div class=y><p>g</p></div>");
    auto li = [&](size_t index) { return nthElement(document, u"li", index); };
    auto h1 = [&](size_t index) { return nthElement(document, u"h1", index); };
    auto values = [](const std::shared_ptr<DOMElement>& element) { return CSSStyleResolver::computedValuesFor(*element); };
    // Siblings alike, and their content.
    EXPECT_EQ(values(li(1)), values(li(2)));
    EXPECT_EQ(values(h1(1)), values(h1(2)));
    // The first child, another class, another attribute, and what stands within them.
    EXPECT_NE(values(li(0)), values(li(1)));
    EXPECT_EQ(css(li(0), u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(css(li(1), u"color"), "rgb(0, 0, 255)");
    EXPECT_EQ(css(h1(0), u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(css(h1(3), u"color"), "rgb(128, 128, 128)");
    EXPECT_EQ(css(h1(2), u"color"), "rgb(0, 0, 255)");
    EXPECT_EQ(css(li(4), u"margin-left"), "2px");
    EXPECT_EQ(css(li(2), u"margin-left"), "0px");
    // Alike elements under parents that differ.
    EXPECT_EQ(css(nthElement(document, u"p", 0), u"margin-top"), "7px");
    EXPECT_EQ(css(nthElement(document, u"p", 1), u"margin-top"), "16px");
}

TEST(CSSStyleResolver, SharedValuesFollowChangesOfOneElementAndOfTheSheets)
{
    auto document = parse("<style id=s>li:first-child { color: red } .draft h1 { color: gray }</style>"
                          "<ul id=list><li><h1>a</h1></li><li><h1>b</h1></li><li><h1>c</h1></li></ul>");
    auto li = [&](size_t index) { return nthElement(document, u"li", index); };
    auto h1 = [&](size_t index) { return nthElement(document, u"h1", index); };
    EXPECT_EQ(CSSStyleResolver::computedValuesFor(*h1(1)), CSSStyleResolver::computedValuesFor(*h1(2)));

    // A class that selectors see reaches the row's content alone.
    li(1)->setAttribute(u"class", u"draft");
    EXPECT_EQ(css(h1(1), u"color"), "rgb(128, 128, 128)");
    EXPECT_EQ(css(h1(2), u"color"), "rgb(0, 0, 0)");
    // An attribute no selector sees changes nothing.
    li(2)->setAttribute(u"title", u"t");
    EXPECT_EQ(css(h1(2), u"color"), "rgb(0, 0, 0)");
    li(1)->removeAttribute(u"class");
    EXPECT_EQ(css(h1(1), u"color"), "rgb(0, 0, 0)");

    // A new first row takes the first one's style from the row that had it.
    auto list = document->getElementById(u"list");
    list->insertBefore(document->createElement(u"li"), list->first());
    EXPECT_EQ(css(li(0), u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(css(li(1), u"color"), "rgb(0, 0, 0)");
    EXPECT_EQ(css(h1(0), u"color"), "rgb(0, 0, 0)");
    // A row put in afterwards shares the style of rows like it.
    list->appendChild(li(2)->cloneNode(true));
    EXPECT_EQ(CSSStyleResolver::computedValuesFor(*li(4)), CSSStyleResolver::computedValuesFor(*li(2)));
    EXPECT_EQ(CSSStyleResolver::computedValuesFor(*h1(3)), CSSStyleResolver::computedValuesFor(*h1(1)));

    // A change of the sheet reaches every row.
    auto* sheetText = downcast<DOMCharacterData>(document->getElementById(u"s")->first());
    sheetText->appendData(u" li h1 { color: green }");
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(css(h1(i), u"color"), "rgb(0, 128, 0)") << i;
}

TEST(CSSStyleResolver, TheFirstRowKeepsItsStandingThroughBatchesOfChanges)
{
    auto document = parse("<style>li:first-child { color: red }</style><ul id=list><li>a</li><li>b</li></ul>");
    auto list = document->getElementById(u"list");
    auto li = [&](size_t index) { return nthElement(document, u"li", index); };
    auto row = [&](std::u16string_view text) {
        auto item = document->createElement(u"li");
        item->appendChild(document->createTextNode(std::u16string(text)));
        return item;
    };
    auto colors = [&] {
        std::string shown;
        for (auto item = list->firstElementChild(); item; item = item->nextElementSibling())
            shown += (shown.empty() ? "" : " ") + toUTF8(item->textContent()) + "=" + css(item, u"color");
        return shown;
    };
    ASSERT_EQ(colors(), "a=rgb(255, 0, 0) b=rgb(0, 0, 0)");
    // Rows appended: the first stays the first.
    list->appendChild(row(u"c"));
    list->appendChild(row(u"d"));
    EXPECT_EQ(colors(), "a=rgb(255, 0, 0) b=rgb(0, 0, 0) c=rgb(0, 0, 0) d=rgb(0, 0, 0)");
    // Appended, then a new first put in before the styles are asked for.
    list->appendChild(row(u"e"));
    list->insertBefore(row(u"z"), list->first());
    EXPECT_EQ(colors(), "z=rgb(255, 0, 0) a=rgb(0, 0, 0) b=rgb(0, 0, 0) c=rgb(0, 0, 0) d=rgb(0, 0, 0) e=rgb(0, 0, 0)");
    // The first taken out and put back at the end, then a row appended.
    auto first = li(0);
    list->removeChild(first.get());
    list->appendChild(first);
    list->appendChild(row(u"f"));
    EXPECT_EQ(colors(), "a=rgb(255, 0, 0) b=rgb(0, 0, 0) c=rgb(0, 0, 0) d=rgb(0, 0, 0) e=rgb(0, 0, 0) z=rgb(0, 0, 0) f=rgb(0, 0, 0)");
    // A new first put in and taken out again, with a row appended between.
    auto loose = row(u"y");
    list->insertBefore(loose, list->first());
    list->appendChild(row(u"g"));
    list->removeChild(loose.get());
    EXPECT_EQ(toUTF8(li(0)->textContent()) + "=" + css(li(0), u"color"), "a=rgb(255, 0, 0)");
    EXPECT_EQ(css(li(1), u"color"), "rgb(0, 0, 0)");
}

} // namespace css_style_resolver_tests
