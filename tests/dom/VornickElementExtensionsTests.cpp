#include "dom/VornickElementExtensions.h"

#include "VornickDOMTestSupport.h"
#include "dom/VornickComputedStyle.h"
#include "dom/VornickNodeExtensions.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/URL.h"
#include "platform/dom/DOMCasts.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using namespace testing;

std::shared_ptr<DOMElement> elementWithClass(const std::shared_ptr<DOMDocument>& document, std::u16string_view value)
{
    auto element = document->createElement(u"p");
    element->setAttribute(u"class", value);
    return element;
}

TEST(VornickElementExtensions, ClassesAreCaseSensitiveTokens)
{
    auto document = documentWithBody(u"");
    auto element = elementWithClass(document, u"has-background-dim has-background");
    vornick_removeClass(*element, u"has-background");
    EXPECT_EQ(element->getAttribute(u"class"), u"has-background-dim");

    element = elementWithClass(document, u"x-point-10");
    vornick_addClass(*element, u"x-point-1");
    EXPECT_EQ(element->getAttribute(u"class"), u"x-point-10 x-point-1");
    vornick_addClass(*element, u"x-point-1");
    EXPECT_EQ(element->getAttribute(u"class"), u"x-point-10 x-point-1");

    element = elementWithClass(document, u"Big");
    vornick_addClass(*element, u"big");
    EXPECT_EQ(element->getAttribute(u"class"), u"Big big");
    EXPECT_TRUE(vornick_hasClass(*element, u"big"));
    vornick_removeClass(*element, u"BIG");
    EXPECT_EQ(element->getAttribute(u"class"), u"Big big");

    auto bare = document->createElement(u"p");
    vornick_addClass(*bare, u"first");
    EXPECT_EQ(bare->getAttribute(u"class"), u"first");
    element = elementWithClass(document, u"  ");
    vornick_addClass(*element, u"only");
    EXPECT_EQ(element->getAttribute(u"class"), u"only");

    element = elementWithClass(document, u"a");
    vornick_removeClass(*element, u"a");
    EXPECT_FALSE(element->hasAttribute(u"class"));
    element = elementWithClass(document, u"x a  y a");
    vornick_removeClass(*element, u"a");
    EXPECT_EQ(element->getAttribute(u"class"), u"x y");
    EXPECT_THROW(vornick_addClass(*element, u""), InternalInconsistencyException);
}

TEST(VornickElementExtensions, ClassAndIdListsCompareAsTokenLists)
{
    EXPECT_TRUE(VornickHTMLClassOrIdListsAreEquivalent(u"A b", u"a B"));
    EXPECT_TRUE(VornickHTMLClassOrIdListsAreEquivalent(u" a  b\n", u"a b"));
    EXPECT_FALSE(VornickHTMLClassOrIdListsAreEquivalent(u"a b", u"b a"));
    EXPECT_TRUE(VornickHTMLClassOrIdListsAreEquivalent(u"", u"   "));
    EXPECT_FALSE(VornickHTMLClassOrIdListsAreEquivalent(u"", u"a"));
}

TEST(VornickElementExtensions, LabelsLeaveOutTheEditorsOwnClasses)
{
    auto document = documentWithBody(u"<p id=main class=\"a brevanton-x b\">x</p><div class=\"brevanton-attachment-point-title\"></div>");
    auto p = byId(document, u"main");
    EXPECT_EQ(vornick_attributesLabelForPathSegment(*p), u"#main.a.b");
    EXPECT_EQ(vornick_labelForPathControl(*p), u"p#main.a brevanton-x b");
    auto div = downcast<DOMElement>(child(document->body(), 1));
    EXPECT_EQ(vornick_attributesLabelForPathSegment(*div), u"");
    EXPECT_TRUE(vornick_isAttachmentPoint(*div));
    EXPECT_EQ(vornick_vornickClassNamesArray(*p), std::vector<std::u16string> { u"brevanton-x" });
}

TEST(VornickElementExtensions, OpenTagsEscapeValuesAndKeepStyleOrder)
{
    auto document = documentWithBody(u"<br id=br><p id=p class=x>t</p>");
    EXPECT_EQ(vornick_openTagHTML(*byId(document, u"br"), 15), u"<br id=\"br\" />");
    auto p = byId(document, u"p");
    p->removeAttribute(u"id");
    EXPECT_EQ(vornick_openTagHTML(*p), u"<P CLASS='x'>");
    auto bare = document->createElement(u"br");
    EXPECT_EQ(vornick_openTagHTML(*bare, 15), u"<br />");
    EXPECT_EQ(vornick_openTagHTML(*bare, 5), u"<br/>");
    EXPECT_EQ(vornick_closeTagHTML(*p, 1), u"</p>");

    p->setAttribute(u"title", u"Tom & \"Jerry\"'s");
    EXPECT_EQ(vornick_openTagHTML(*p, 3), u"<p class=\"x\" title=\"Tom &amp; &quot;Jerry&quot;'s\">");
    EXPECT_EQ(vornick_openTagHTML(*p, 1), u"<p class='x' title='Tom &amp; \"Jerry\"&#39;s'>");

    p->setAttribute(u"style", u"z-index: 2; color: red !important; margin: 0");
    VornickStyleAttributeChanges changes;
    changes.additionsAndChanges = { { u"margin", u"4px" }, { u"align", u"left" } };
    changes.deletions = { u"z-index" };
    EXPECT_EQ(vornick_attributesHTML(*p, 35, &changes, nullptr), u"class=\"x\"");
    EXPECT_EQ(vornick_openTagHTML(*p, 3, &changes),
              u"<p class=\"x\" title=\"Tom &amp; &quot;Jerry&quot;'s\" style=\"color: red !important; margin: 4px; "
              u"align: left; \">");
    changes = {};
    changes.deletions = { u"z-index", u"color", u"margin" };
    EXPECT_EQ(vornick_openTagHTML(*p, 35, &changes), u"<p class=\"x\">");
    EXPECT_EQ(vornick_attributesHTML(*p, 33, &changes, nullptr), u"class='x'");

    auto span = document->createElement(u"span");
    span->setAttribute(u"class", u"brevanton-only");
    EXPECT_EQ(vornick_openTagHTML(*span, 17), u"<span>");
}

TEST(VornickElementExtensions, OpenTagsResolveURLAttributes)
{
    auto document = documentWithBody(u"<a id=a href=\"../x.html\" title=\"../y\">x</a>");
    URL base = *URL::create(std::u16string_view(u"https://example.com/blog/post/index.html"));
    EXPECT_EQ(vornick_openTagHTML(*byId(document, u"a"), 3, nullptr, &base),
              u"<a id=\"a\" href=\"https://example.com/blog/x.html\" title=\"../y\">");
}

TEST(VornickElementExtensions, AttributesKeepTheirOrder)
{
    auto document = documentWithBody(u"<img id=img src=a.png width=10 height=20>");
    auto img = byId(document, u"img");
    img->removeAttribute(u"id");
    vornick_insertAttribute(*img, u"alt", u"A", 1);
    std::u16string names;
    vornick_enumerateAttributeNamesAndValuesForMutation(*img, false, [&](const std::u16string& name, const std::u16string&, uint32_t, bool&) {
        names += name + u" ";
    });
    EXPECT_EQ(names, u"src alt width height ");
    vornick_insertAttribute(*img, u"title", u"T", 4);
    EXPECT_EQ(img->attributeList()[4].name, u"title");
    EXPECT_THROW(vornick_insertAttribute(*img, u"alt", u"again", 0), InternalInconsistencyException);
    EXPECT_THROW(vornick_insertAttribute(*img, u"x", u"", 9), InternalInconsistencyException);

    // A mutating walk sees the snapshot while it removes attributes.
    uint32_t visited = 0;
    EXPECT_TRUE(vornick_enumerateAttributeNamesAndValuesForMutation(
        *img, true, [&](const std::u16string& name, const std::u16string&, uint32_t, bool&) {
            img->removeAttribute(name);
            ++visited;
        }));
    EXPECT_EQ(visited, 5u);
    EXPECT_FALSE(img->hasAttributes());

    auto a = document->createElement(u"p");
    auto b = document->createElement(u"P");
    a->setAttribute(u"x", u"1");
    EXPECT_FALSE(vornick_hasSameTagNameAndAttributesAs(*a, b.get()));
    vornick_copyAttributesFromElement(*b, *a);
    EXPECT_TRUE(vornick_hasSameTagNameAndAttributesAs(*a, b.get()));
    vornick_setBooleanAttribute(*b, u"checked", true);
    EXPECT_EQ(b->getAttribute(u"checked"), u"checked");
}

TEST(VornickElementExtensions, LanguageIsInheritedAndXMLLangWins)
{
    auto document = documentWithBody(u"<div lang=fr><p id=p>x</p><p id=q lang=\"\">y</p></div>");
    EXPECT_EQ(vornick_effectiveBCP47Language(*byId(document, u"p")), u"fr");
    EXPECT_EQ(vornick_effectiveBCP47Language(*byId(document, u"q")), u"");
    EXPECT_EQ(vornick_BCP47Language(*document->body()), std::nullopt);
}

TEST(VornickElementExtensions, BricksFollowTheTableOfTagsThenDisplay)
{
    auto document = documentWithBody(u"<div id=embed class=\"wp-block-embed__wrapper\"></div><table><tbody><tr id=tr style=\"display:inline\">"
                                     u"<td id=td style=\"display:block\">x</td></tr></tbody></table>"
                                     u"<span id=ib style=\"display: inline-block\">s</span><span id=s>s</span>"
                                     u"<div id=cell style=\"display: table-cell\"></div><li id=li></li>");
    EXPECT_FALSE(vornick_isBrickElement(*byId(document, u"embed")));
    EXPECT_TRUE(vornick_isBrickElement(*byId(document, u"tr")));
    EXPECT_FALSE(vornick_isBrickElement(*byId(document, u"td")));
    EXPECT_TRUE(vornick_isBrickElement(*byId(document, u"ib")));
    EXPECT_FALSE(vornick_isBrickElement(*byId(document, u"s")));
    EXPECT_FALSE(vornick_isBrickElement(*byId(document, u"cell")));
    EXPECT_TRUE(vornick_isBrickElement(*byId(document, u"li")));

    auto body = document->body();
    EXPECT_EQ(vornick_firstDescendantBrickElement(*body), byId(document, u"tr"));
    EXPECT_EQ(vornick_lastDescendantBrickElement(*body), byId(document, u"li"));
}

TEST(VornickElementExtensions, SiblingRunsTransformAndHoist)
{
    auto document = documentWithBody(u"<p id=a>1</p><p id=b>2</p><!--c--><p id=c>3</p>text<span></span><p id=d>4</p>");
    auto runs = VornickGroupElementsIntoSiblingRuns(
        { byId(document, u"a"), byId(document, u"b"), byId(document, u"c"), byId(document, u"d") });
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].size(), 3u) << "comments and text between siblings do not break a run";
    EXPECT_TRUE(VornickGroupElementsIntoSiblingRuns({}).empty());

    auto h2 = vornick_transformIntoElementOfKind(byId(document, u"a"), u"h2");
    ASSERT_TRUE(h2);
    EXPECT_EQ(h2->outerHTML(), u"<h2>1</h2>");
    EXPECT_FALSE(vornick_transformIntoElementOfKind(document->createElement(u"p"), u"h2"));

    auto list = documentWithBody(u"<ul><li id=li>a<ul><li>b</li></ul>tail</li><li>c</li></ul>");
    auto li = byId(list, u"li");
    EXPECT_TRUE(vornick_hoistListOutOfListItem(*li));
    EXPECT_EQ(li->parentNode()->innerHTML(), u"<li id=\"li\">a</li><ul><li>b</li></ul>tail<li>c</li>");
    EXPECT_FALSE(vornick_hoistListOutOfListItem(*li));

    vornick_setInnerText(*li, u"new");
    EXPECT_EQ(li->innerHTML(), u"new");
    EXPECT_TRUE(vornick_isEffectivelyEmpty(*list->createElement(u"p")));
}

TEST(VornickElementExtensions, URLAttributesAndRewiring)
{
    auto document = documentWithBody(u"<video id=v src=a.mp4 poster=p.png></video><link id=l rel=icon href=i.png>"
                                     u"<img id=img src=\"file:///site/img/a.png\"><a id=a href=\"page.html\">x</a>");
    EXPECT_EQ(vornick_attributeNamesOfURLAttributes(*byId(document, u"v")), (std::vector<std::u16string> { u"src", u"poster" }));
    EXPECT_TRUE(vornick_attributeNamesOfURLAttributes(*byId(document, u"l")).empty());
    EXPECT_TRUE(vornick_isURLAttributeOnElementKind(u"poster", u"video"));
    EXPECT_FALSE(vornick_isURLAttributeOnElementKind(u"href", u"img"));

    URL newBase = URL::fileURLWithPath(std::string_view("/site/posts/"), true);
    EXPECT_TRUE(vornick_rewireReferencesRelativeToNewDocumentBaseURL(*byId(document, u"img"), &newBase, nullptr));
    EXPECT_EQ(byId(document, u"img")->getAttribute(u"src"), u"../img/a.png");

    URL oldBase = *URL::create(std::u16string_view(u"https://example.com/blog/"));
    EXPECT_FALSE(vornick_rewireReferencesRelativeToNewDocumentBaseURL(*byId(document, u"a"), &newBase, &oldBase));
    EXPECT_TRUE(vornick_rewireReferencesRelativeToNewDocumentBaseURL(*byId(document, u"a"), nullptr, &oldBase));
    EXPECT_EQ(byId(document, u"a")->getAttribute(u"href"), u"https://example.com/blog/page.html");
}

TEST(VornickElementExtensions, ContainedTextNodesAreWalkedThroughElementsOnly)
{
    auto document = documentWithBody(u"<div id=d>a<b>b<i>c</i></b><!--x-->d<span>e</span>f</div>");
    auto div = byId(document, u"d");
    auto walk = [&](VornickRange range, unsigned options, size_t stopAfter = 0) {
        std::u16string seen;
        bool completed = vornick_recursiveEnumerateContainedTextNodesInRange(
            *div, range, options, [&](const std::shared_ptr<DOMText>& text, size_t index, bool& stop) {
                seen += text->data() + std::u16string(1, static_cast<char16_t>(u'0' + index));
                stop = stopAfter && seen.size() / 2 == stopAfter;
            });
        return std::make_pair(seen, completed);
    };
    EXPECT_EQ(walk(VornickMakeRange(0, 6), 0), std::make_pair(std::u16string(u"a0b0c0d3e0f5"), true));
    EXPECT_EQ(walk(VornickMakeRange(1, 3), 0), std::make_pair(std::u16string(u"b0c0d3"), true));
    EXPECT_EQ(walk(VornickMakeRange(0, 6), VornickEnumerationReverse), std::make_pair(std::u16string(u"f5e0d3c0b0a0"), true));
    EXPECT_EQ(walk(VornickMakeRange(0, 6), 0, 2), std::make_pair(std::u16string(u"a0b0"), false)) << "a stop inside an element ends it all";
    EXPECT_THROW(walk(VornickMakeRange(4, 3), 0), InternalInconsistencyException);
    EXPECT_THROW(vornick_recursiveEnumerateContainedTextNodesInRange(*div, VornickMakeRange(0, 1), 0, nullptr),
                 InternalInconsistencyException);
}

} // namespace
} // namespace brevanton
