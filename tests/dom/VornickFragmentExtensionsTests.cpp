#include "dom/VornickFragmentExtensions.h"

#include "VornickDOMTestSupport.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using namespace testing;

std::shared_ptr<DOMDocumentFragment> fragmentOf(const std::shared_ptr<DOMDocument>& document,
                                                const std::vector<std::u16string>& tags)
{
    auto fragment = document->createDocumentFragment();
    for (const auto& tag : tags) {
        if (tag == u"text" || tag == u" ")
            fragment->appendChild(document->createTextNode(tag == u" " ? u"\n  " : u"t"));
        else
            fragment->appendChild(document->createElement(tag));
    }
    return fragment;
}

std::u16string fixedUp(const std::shared_ptr<DOMDocument>& document, const std::vector<std::u16string>& tags,
                       const std::shared_ptr<DOMNode>& target)
{
    auto fragment = fragmentOf(document, tags);
    std::shared_ptr<DOMElement> targetElement;
    vornick_modifyFragmentForInsertionAt(*fragment, { target, 0 }, targetElement);
    EXPECT_EQ(targetElement, target->isElementNode() ? target : target->parentNode());
    return fragment->innerHTML();
}

TEST(VornickFragmentExtensions, FixUpWrapsRunsForTheirInsertionPoint)
{
    auto document = documentWithBody(u"<div id=div>x</div><ol id=ol></ol><table><tbody id=tbody><tr id=tr></tr></tbody></table>");
    auto div = byId(document, u"div");
    EXPECT_EQ(fixedUp(document, { u"li", u"li", u"text", u"li" }, div), u"<ul><li></li><li></li></ul>t<ul><li></li></ul>");
    EXPECT_EQ(fixedUp(document, { u"li", u"li" }, byId(document, u"ol")), u"<li></li><li></li>");
    EXPECT_EQ(fixedUp(document, { u"li", u" ", u"li" }, div), u"<ul><li></li>\n  <li></li></ul>")
        << "whitespace between items joins the run";
    EXPECT_EQ(fixedUp(document, { u"th", u"td", u"td" }, byId(document, u"tbody")), u"<tr><th></th><td></td><td></td></tr>");
    EXPECT_EQ(fixedUp(document, { u"td", u"th" }, div), u"<table><tbody><tr><td></td><th></th></tr></tbody></table>");
    EXPECT_EQ(fixedUp(document, { u"td" }, byId(document, u"tr")), u"<td></td>");
    EXPECT_EQ(fixedUp(document, { u"dt", u"dd", u"figcaption" }, child(div, 0)),
              u"<dl><dt></dt><dd></dd></dl><figure><figcaption></figcaption></figure>");
}

TEST(VornickFragmentExtensions, WrappingTransformingAndSummaries)
{
    auto document = documentWithBody(u"<p id=model class=c title=t>x</p>");
    auto fragment = document->createDocumentFragmentWithMarkupString(u"a<b>b</b>");
    auto wrapped = vornick_fragmentByWrappingInElementOfKind(*fragment, u"p", byId(document, u"model").get());
    EXPECT_EQ(wrapped->innerHTML(), u"<p id=\"model\" class=\"c\" title=\"t\">a<b>b</b></p>");
    EXPECT_FALSE(fragment->hasChildNodes());

    auto list = document->createDocumentFragmentWithMarkupString(u"<b class=x>1</b><i>2</i><b>3</b>");
    vornick_transformChildElementsOfKind(*list, u"B", u"strong");
    EXPECT_EQ(list->innerHTML(), u"<strong>1</strong><i>2</i><strong>3</strong>");

    auto summary = document->createDocumentFragmentWithMarkupString(u"text<p class=x>y</p><!--c--><br>");
    summary->appendChild(document->createProcessingInstruction(u"x", u"y"));
    EXPECT_EQ(vornick_fragmentSummary(*summary), u"\u2026<p class='x'>\u2026</p><br></br><?>");
}

} // namespace
} // namespace brevanton
