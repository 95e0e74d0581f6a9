#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/GumboInputGuard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace brevanton;

namespace {

std::string repeated(std::string_view piece, int count)
{
    std::string result;
    for (int i = 0; i < count; ++i)
        result += piece;
    return result;
}

std::optional<std::string> guarded(std::string_view markup, unsigned depth = DOMMaximumNestingDepth)
{
    auto result = guardGumboInput(markup, {}, depth);
    if (!result.changed)
        return std::nullopt;
    return result.markup;
}

} // namespace

TEST(GumboInputGuard, LeavesOrdinaryPagesAlone)
{
    // Real pages of the test data.
    for (auto folder : { "html-pages", "html-writer", "web" }) {
        for (auto& entry : std::filesystem::directory_iterator(std::string(BREVANTON_TEST_DATA_DIR) + "/" + folder)) {
            std::ifstream stream(entry.path(), std::ios::binary);
            std::stringstream bytes;
            bytes << stream.rdbuf();
            EXPECT_FALSE(guarded(bytes.str())) << entry.path();
        }
    }
    // Thousands of elements whose end tags are implied never count as nested.
    for (auto page : { repeated("<p>x", 2000), "<ul>" + repeated("<li>x", 2000),
                       "<table>" + repeated("<tr><td>a<td>b<th>c", 2000), "<select>" + repeated("<option>x", 2000),
                       "<dl>" + repeated("<dt>a<dd>b", 2000), repeated("<h1>a<h2>b", 2000),
                       repeated("<a href=x>link ", 2000), repeated("<div><p>x<ul><li>y</ul></div>", 2000),
                       repeated("<b>x</b><br><img src=a><input>", 2000),
                       "<table>" + repeated("<tbody><tr><td><table><tr><td>x</table>", 2000),
                       repeated("<svg><path/><g><rect/></g></svg><math><mi>x</mi></math>", 2000),
                       repeated("<script>for (a = 0; a < b; ++a) '<div>';</script><style>p<q</style>", 2000),
                       repeated("<textarea><div><div></textarea><title><b></title><!-- <div> --><?pi <div>?>", 2000) })
        EXPECT_FALSE(guarded(page)) << page.substr(0, 40);
}

TEST(GumboInputGuard, RemovesStartTagsBeyondTheCapWithTheirEndTags)
{
    auto rewritten = guarded(repeated("<div>", 5) + "x" + repeated("</div>", 5) + "y", 3);
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(*rewritten, "<div><div><div>x</div></div></div>y");

    // Elements that close themselves or one another free room again.
    rewritten = guarded("<span><span><span><b>deep</b></span></span><p>a<p>b</p></span><i><u>c</u></i>", 2);
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(*rewritten, "<span><span>deep</span><p>a<p>b</p></span><i><u>c</u></i>");

    // Raw text, comments and quoted attribute values are not markup.
    EXPECT_FALSE(guarded("<div><script><div><div></script><!--<div><div>--><p title='<div><div>'>", 2));
}

TEST(GumboInputGuard, DeepPagesKeepTheirContentWithinTheCap)
{
    for (auto piece : { "<div>x", "<b>x", "<span><div>x", "<li><ul>x", "<table><tr><td>x", "<svg><g>x", "<i>x</p>" }) {
        SCOPED_TRACE(piece);
        auto document = DOMDocument::parseHTML(repeated(piece, 3000));
        auto body = document->body();
        unsigned depth = 0;
        for (DOMNode* node = body.get(); node->last(); node = node->last())
            depth += node->isElementNode();
        EXPECT_LE(depth, DOMMaximumNestingDepth);
        EXPECT_EQ(body->textContent(), std::u16string(3000, u'x'));
    }
}

TEST(GumboInputGuard, MarksForeignElementsThatGumboWouldTakeForHTMLOnes)
{
    auto rewritten = guarded("<svg><select>a</select><desc><select></select></desc><td/></svg><math><mi><tr>");
    ASSERT_TRUE(rewritten);
    std::string mark(GumboGuardNameMark);
    EXPECT_EQ(*rewritten, "<svg><select" + mark + ">a</select" + mark + "><desc><select></select></desc><td/></svg>"
                              "<math><mi><tr>");

    GumboGuardContext inSVG { GumboGuardNamespace::SVG, "svg" };
    auto inContext = guardGumboInput("<html><title><template></template></title></html>", inSVG, DOMMaximumNestingDepth);
    ASSERT_TRUE(inContext.changed);
    EXPECT_EQ(inContext.markup, "<html" + mark + "><title><template></template></title></html" + mark + ">");
}

TEST(GumboInputGuard, ForeignEndTagsAreBareNamesSoGumboEndsTheirElements)
{
    // The parsing rules ignore what follows an end tag's name; gumbo kept the
    // element open. HTML end tags and unmatched ones are left as written.
    std::string mark(GumboGuardNameMark);
    EXPECT_EQ(guarded("<math><mi></mi/>a</math ><p></p >"), "<math><mi></mi>a</math><p></p >");
    EXPECT_EQ(guarded("<svg><desc></desc\n class=x><select></select\t></svg>"),
              "<svg><desc></desc><select" + mark + "></select" + mark + "></svg>");
    EXPECT_FALSE(guarded("<svg></g ></svg>"));

    // In a table context gumbo failed an assertion on CDATA after such an
    // end tag; now the element ends there.
    auto document = DOMDocument::parseHTML(std::u16string_view(u""));
    auto tfoot = document->createElement(u"tfoot");
    auto fragment = document->createDocumentFragmentWithMarkupString(u"<math><mi></mi/><![CDATA[y]]>x", {}, tfoot.get());
    ASSERT_TRUE(fragment);
    auto math = fragment->firstChild();
    ASSERT_TRUE(math);
    ASSERT_TRUE(math->firstChild());
    EXPECT_FALSE(math->firstChild()->firstChild()); // the mi is empty

    // CDATA in foreign content in a table is the text it stands for.
    EXPECT_EQ(guardGumboInput("<svg><![CDATA[a<b&c]]></svg>", { GumboGuardNamespace::HTML, "tfoot" }, DOMMaximumNestingDepth).markup,
              "<svg>a&lt;b&amp;c</svg>");
    EXPECT_FALSE(guarded("<svg><![CDATA[a<b&c]]></svg>"));
    // </x> ends nothing (the SVG title is special), so the inner svg stays
    // open and the section in it is the text it stands for.
    fragment = document->createDocumentFragmentWithMarkupString(u"<svg><title><e><svg></x><![CDATA[a<b]]> ", {}, tfoot.get());
    ASSERT_TRUE(fragment);
    EXPECT_EQ(fragment->innerHTML(), u"<svg><title><e><svg>a&lt;b </svg></e></title></svg>");
}

TEST(GumboInputGuard, EndTagsEndWhatGumboEnds)
{
    // Gumbo ends the nearest HTML element whose name it does not know at an end
    // tag of any such name, with the foreign elements inside it; a known or
    // special element below stops it. The guard leaves such end tags alone.
    EXPECT_FALSE(guarded("<e><f></t>x<e><svg></T >y<b><svg></t>z"));

    // After </t> the svg is closed for gumbo, so the first section is a bogus
    // comment up to '>', and the one in the table's integration point becomes
    // the comment gumbo would otherwise have failed an assertion on.
    EXPECT_EQ(guarded("<e><svg></t><![CDATA[><table><svg><foreignObject><![CDATA[a]]>l"),
              "<e><svg></t><![CDATA[><table><svg><foreignObject><!--[CDATA[a]]-->l");
    // An SVG element of that name stays open: it is not the one gumbo ends.
    EXPECT_EQ(guarded("<table><td><e><svg><e></t><![CDATA[a]]>x"), "<table><td><e><svg><e></t><!--[CDATA[a]]-->x");
    // Foreign content ends an SVG element at its own name first.
    EXPECT_EQ(guarded("<table><td><e><svg><t></t><![CDATA[a<]]>x"), "<table><td><e><svg><t></t>a&lt;x");

    // Under HTML content an end tag is no match for a foreign element: the desc
    // or mi stays open, and so the section in it is a comment, not text.
    EXPECT_EQ(guarded("<table><td><svg><desc><b></desc><![CDATA[a]]>x"),
              "<table><td><svg><desc><b></desc><!--[CDATA[a]]-->x");
    EXPECT_EQ(guarded("<table><td><math><mi><b></mi/><![CDATA[a]]>x"),
              "<table><td><math><mi><b></mi/><!--[CDATA[a]]-->x");

    // The trees hold the parsing algorithm's answer: an end tag of an unknown
    // name ends no element it does not name, so the svg stays open and the
    // section in it is text.
    auto page = DOMDocument::parseHTML(std::string_view("<b><svg></t><![CDATA[x]]>y"));
    EXPECT_EQ(page->body()->innerHTML(), u"<b><svg>xy</svg></b>");
    page = DOMDocument::parseHTML(std::string_view("<e><svg></t><![CDATA[x]]>y"));
    EXPECT_EQ(page->body()->innerHTML(), u"<e><svg>xy</svg></e>");
    page = DOMDocument::parseHTML(std::string_view("<table><td><dialog><svg></search><![CDATA[a]]>x</table>"));
    EXPECT_EQ(page->body()->textContent(), u"ax");
}

TEST(GumboInputGuard, TagsWithThousandsOfAttributesKeepThemAll)
{
    std::string page = "<p id=first";
    for (int i = 0; i < 1000; ++i)
        page += " a" + std::to_string(i) + "='" + std::to_string(i) + "&amp;'";
    page += " id=repeated a5=again><svg";
    for (int i = 0; i < 600; ++i)
        page += " viewbox=" + std::to_string(i) + " xlink:href=x" + std::to_string(i);
    page += "/></p>";
    auto document = DOMDocument::parseHTML(page);
    auto paragraph = document->getElementById(u"first");
    ASSERT_TRUE(paragraph);
    EXPECT_EQ(paragraph->attributeCount(), 1001u);
    EXPECT_EQ(paragraph->getAttribute(u"a999"), u"999&");
    EXPECT_EQ(paragraph->getAttribute(u"a5"), u"5&");
    auto svg = toElement(paragraph->firstChild());
    ASSERT_TRUE(svg);
    EXPECT_EQ(svg->attributeCount(), 2u);
    EXPECT_EQ(svg->getAttribute(u"viewBox"), u"0");
    EXPECT_EQ(svg->getAttribute(u"xlink:href"), u"x0");
    EXPECT_EQ(document->body()->last(), paragraph.get());
}
