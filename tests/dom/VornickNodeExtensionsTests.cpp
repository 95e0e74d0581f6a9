#include "dom/VornickNodeExtensions.h"

#include "VornickDOMTestSupport.h"
#include "dom/VornickElementExtensions.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/URL.h"
#include "platform/dom/DOMCasts.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using namespace testing;

std::u16string walk(const std::shared_ptr<DOMNode>& root, unsigned options)
{
    std::u16string names;
    vornick_enumerateNodeTreeWithOptions(root, options, [&](const std::shared_ptr<DOMNode>& node, bool&) {
        if (!names.empty())
            names += u",";
        names += node->isTextNode() ? downcast<DOMText>(*node).data() : asciiLowercase(node->nodeName());
    });
    return names;
}

TEST(VornickNodeExtensions, TreeWalksRunInPreOrderAndItsExactReverse)
{
    auto document = documentWithBody(u"<p id=p>a<b>b</b></p>");
    auto p = byId(document, u"p");
    EXPECT_EQ(walk(p, 0), u"p,a,b,b");
    EXPECT_EQ(walk(p, VornickEnumerationReverse), u"b,b,a,p");

    int count = 0;
    EXPECT_FALSE(vornick_enumerateElementTreeWithOptions(p, 0, [&](const std::shared_ptr<DOMElement>&, bool& stop) {
        ++count;
        stop = true;
    }));
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(vornick_enumerateTextTreeWithOptions(p, 0, [&](const std::shared_ptr<DOMText>&, bool&) { ++count; }));
    EXPECT_EQ(count, 3);

    // As deep as browsers build pages: every level, without recursion.
    std::u16string nested;
    for (int level = 0; level < 100'000; ++level)
        nested += u"<div>";
    auto deep = byId(documentWithBody(u"<section id=s>" + nested + u"z</section>"), u"s");
    for (unsigned options : { 0u, unsigned(VornickEnumerationReverse) }) {
        std::vector<std::shared_ptr<DOMNode>> visited;
        EXPECT_TRUE(vornick_enumerateNodeTreeWithOptions(deep, options, [&](const std::shared_ptr<DOMNode>& node, bool&) {
            visited.push_back(node);
        }));
        ASSERT_EQ(visited.size(), 100'002u);
        EXPECT_EQ(options ? visited.back() : visited.front(), deep);
        EXPECT_TRUE((options ? visited.front() : visited.back())->isTextNode());
    }
}

TEST(VornickNodeExtensions, TextWalkToleratesReplacingTheVisitedNode)
{
    auto document = documentWithBody(u"<p id=p>one<i>two</i>three</p>");
    auto p = byId(document, u"p");
    std::u16string seen;
    vornick_enumerateTextTreeWithOptions(p, 0, [&](const std::shared_ptr<DOMText>& text, bool&) {
        seen += text->data() + u";";
        auto replacement = document->createElement(u"span");
        replacement->appendChild(document->createTextNode(u"[" + text->data() + u"]"));
        text->parentNode()->replaceChild(replacement, text.get());
    });
    EXPECT_EQ(seen, u"one;two;three;");
    EXPECT_EQ(p->innerHTML(), u"<span>[one]</span><i><span>[two]</span></i><span>[three]</span>");
}

TEST(VornickNodeExtensions, AncestorsSiblingsAndMarkerComments)
{
    ScopedFrameState frame;
    frame.state->substitute = u'\u23D8';
    auto document = documentWithBody(u"<p id=outer><span><p id=inner>x</p></span></p>");
    // The parser closes the outer P; build the nesting by hand instead.
    auto outer = document->createElement(u"p");
    auto inner = document->createElement(u"p");
    auto span = document->createElement(u"span");
    document->body()->appendChild(outer);
    outer->appendChild(span);
    span->appendChild(inner);
    EXPECT_EQ(vornick_nearestAncestorElementOfKind(*inner, u"P"), outer);
    EXPECT_EQ(vornick_nearestAncestorElementOfKind(*outer, u"p"), nullptr);
    EXPECT_EQ(vornick_farthestAncestorElementOfKind(*inner, u"html"), document->documentElement());
    EXPECT_TRUE(vornick_hasAncestor(*inner, document->body().get()));
    EXPECT_FALSE(vornick_hasAncestor(*inner, inner.get()));

    auto list = documentWithBody(u"<div id=d>\n<p>a</p>\n<!-- /wp:x -->\u23D8<!--other--> <em>x</em> <!--wp:y--></div>");
    auto div = byId(list, u"d");
    auto em = div->childAt(7);
    ASSERT_TRUE(em && em->isElementNode());
    EXPECT_EQ(vornick_indexOfPreviousCommentWithPrefix(*em, u"/wp:"), 3u);
    EXPECT_EQ(vornick_indexOfNextCommentWithPrefix(*em, u"wp:"), 9u);
    EXPECT_EQ(vornick_indexOfNextCommentWithPrefix(*div->lastChild(), u"wp:"), VornickNotFound);
    EXPECT_EQ(vornick_nextCommentWithPrefix(*em, u"wp:").get(), div->childAt(9));
    EXPECT_EQ(vornick_previousCommentWithPrefix(*em, u"/wp:"), nullptr) << "the unprefixed comment comes first";
    EXPECT_EQ(vornick_previousSiblingSkippingWhitespaceOnlyNodes(*em, true, true).get(), div->childAt(1));

    // The run before EM: whitespace, the substitute text and the unprefixed comment, up to the prefixed comment.
    EXPECT_EQ(vornick_startOfPrecedingWhitespaceRunExceptingCommentNodesWithPrefixes(*em, { u"/wp:" }).get(),
              div->childAt(4));
    EXPECT_EQ(vornick_startOfPrecedingWhitespaceRunExceptingCommentNodesWithPrefixes(*em, {}).get(), div->childAt(2));
    EXPECT_EQ(vornick_startOfPrecedingWhitespaceRunExceptingCommentNodesWithPrefixes(*div->childAt(1), {}).get(),
              div->childAt(0));
}

TEST(VornickNodeExtensions, SearchesForElements)
{
    auto document = documentWithBody(u"<p id=a><a><img></a></p><p id=b><a><img></a>text</p>"
                                     u"<div class=\"x Y\" id=Main></div><div class=\"x y z\"></div><span class=x></span>");
    EXPECT_TRUE(vornick_findElementWithTagName(byId(document, u"a"), u"IMG", true));
    EXPECT_FALSE(vornick_findElementWithTagName(byId(document, u"b"), u"img", true));
    EXPECT_TRUE(vornick_findElementWithTagName(byId(document, u"b"), u"img"));

    auto body = document->body();
    EXPECT_EQ(vornick_findElementsWithStringValues(body, { u"x", u"y" }, {}, u"class").size(), 2u);
    EXPECT_EQ(vornick_findElementsWithStringValues(body, { u"x", u"y" }, { u"z" }, u"class").size(), 1u);
    EXPECT_EQ(vornick_findElementsWithId(body, u"main", nullptr).size(), 1u);
    EXPECT_TRUE(vornick_findElementsWithId(body, u"main", byId(document, u"Main").get()).empty());

    auto run = vornick_findRunOfSiblingElementsWithStringValues(body, { u"x" }, {}, u"class");
    ASSERT_TRUE(run);
    EXPECT_EQ(run->startOffset(), 2u);
    EXPECT_EQ(run->endOffset(), 5u);
    EXPECT_EQ(vornick_elementsUsedInTree(byId(document, u"a")), (std::set<std::u16string> { u"p", u"a", u"img" }));
}

TEST(VornickNodeExtensions, IndicesIgnoreWhitespaceOnlyTextOnRequest)
{
    ScopedFrameState frame;
    frame.state->substitute = u'\u23D8';
    auto document = documentWithBody(u" <p>a</p>\u23D8<p id=second>b</p>");
    auto body = document->body();
    auto second = byId(document, u"second");
    EXPECT_EQ(vornick_indexOfChildNode(*body, second.get()), 3u);
    EXPECT_EQ(vornick_normalizedIndexOfChildNodeIgnoringWhitespaceOnlyNodes(*body, second.get()), 2u)
        << "the substitute is not whitespace for child indices";
    EXPECT_EQ(vornick_indexOfChildNode(*second, body.get()), VornickNotFound);
    EXPECT_EQ(vornick_indexOfFirstChildOfType(*body, DOMNode::ELEMENT_NODE), 1u);
    EXPECT_TRUE(vornick_indexIsAtEndOfNode(*child(second, 0), 1));
}

TEST(VornickNodeExtensions, ChildListSurgery)
{
    auto document = documentWithBody(u"<div id=d><p>1</p><p>2</p><p>3</p></div><div id=e><i>x</i><b>y</b></div>");
    auto d = byId(document, u"d");
    auto e = byId(document, u"e");
    vornick_appendChildNodes(*d, std::vector<std::shared_ptr<DOMNode>> { child(e, 0), child(e, 1) });
    EXPECT_EQ(d->innerHTML(), u"<p>1</p><p>2</p><p>3</p><i>x</i><b>y</b>");
    EXPECT_FALSE(e->hasChildNodes());

    vornick_replaceChildNodesInRange(*d, VornickMakeRange(1, 2), { document->createTextNode(u"t") });
    EXPECT_EQ(d->innerHTML(), u"<p>1</p>t<i>x</i><b>y</b>");
    vornick_replaceChildNodesInRange(*d, VornickMakeRange(4, 0), { document->createTextNode(u"end") });
    EXPECT_EQ(d->innerHTML(), u"<p>1</p>t<i>x</i><b>y</b>end");
    EXPECT_THROW(vornick_replaceChildNodesInRange(*d, VornickMakeRange(4, 2), {}), InternalInconsistencyException);

    auto range = vornick_unwrapChildElement(*d, downcast<DOMElement>(child(d, 2)));
    EXPECT_EQ(d->innerHTML(), u"<p>1</p>tx<b>y</b>end");
    EXPECT_EQ(range->startOffset(), 2u);
    EXPECT_EQ(range->endOffset(), 3u);
    EXPECT_THROW(vornick_unwrapChildElement(*e, downcast<DOMElement>(child(d, 0))),
                 InternalInconsistencyException);
}

TEST(VornickNodeExtensions, CleaningUpAFragmentWalksASnapshot)
{
    auto document = documentWithBody(u"");
    auto fragment = document->createDocumentFragmentWithMarkupString(
        u"<span class=\"Apple-converted-space\">&nbsp;</span><span style=\"color:red\">bare</span>"
        u"<p class=\"Apple-interchange-newline keep\" style=\"x:y\">p<span><span style=\"a:b\">deep</span></span></p>"
        u"<span class=\"Apple-interchange-newline\">gone</span>");
    vornick_cleanUpFragment(fragment);
    EXPECT_EQ(fragment->innerHTML(), u" bare<p class=\"keep\">pdeep</p>gone");
}

TEST(VornickNodeExtensions, CharactersAndEmptiness)
{
    auto document = documentWithBody(u"<p id=p>x and z</p>");
    auto p = byId(document, u"p");
    EXPECT_EQ(vornick_firstCharacterInStringNotUsedInTree(p, u"xyz"), u'y');
    EXPECT_EQ(vornick_firstCharacterInStringNotUsedInTree(p, u"xz"), 0);
    vornick_replaceOccurrencesOfCharacter(p, u' ', u'_');
    EXPECT_EQ(p->textContent(), u"x_and_z");

    auto fragment = document->createDocumentFragment();
    EXPECT_TRUE(vornick_isEffectivelyEmpty(*fragment));
    fragment->appendChild(document->createTextNode(u""));
    EXPECT_TRUE(vornick_isEffectivelyEmpty(*fragment));
    fragment->appendChild(document->createTextNode(u" "));
    EXPECT_FALSE(vornick_isEffectivelyEmpty(*fragment));
    EXPECT_FALSE(vornick_isEffectivelyEmpty(*p));
}

TEST(VornickNodeExtensions, AttachmentPointsComeFromTheFrameOrTheBody)
{
    auto document = documentWithBody(u"<div id=title><b id=b>x</b></div><div id=content><p id=p>y</p></div>");
    auto b = byId(document, u"b");
    EXPECT_EQ(vornick_enclosingAttachmentPointElement(*b), document->body());
    EXPECT_EQ(vornick_enclosingAttachmentPointElement(*document->body()), nullptr);

    ScopedFrameState frame;
    frame.state->points = { std::make_shared<TestFrameState::Point>(byId(document, u"content")),
                            std::make_shared<TestFrameState::Point>(byId(document, u"title")) };
    EXPECT_EQ(vornick_enclosingAttachmentPointElement(*b), byId(document, u"title"));
    EXPECT_EQ(vornick_enclosingAttachmentPoint(*byId(document, u"p")), frame.state->points[0]);
    EXPECT_FALSE(vornick_isContainedByAttachmentPoint(*byId(document, u"title")));
}

TEST(VornickNodeExtensions, ExpressionsAndURLAttributes)
{
    auto document = documentWithBody(u"<p title=\"{name}\">Hi {who}<!--{c}--></p><a href=\"a.html\">a</a>"
                                     u"<img src=\"img/x.png\"><link rel=stylesheet href=\"/abs/s.css\">");
    auto occurrences = vornick_findExpressionOccurrencesInTree(document->body());
    ASSERT_EQ(occurrences.size(), 3u);
    EXPECT_EQ(occurrences[0].node->nodeType(), DOMNode::ATTRIBUTE_NODE);
    EXPECT_EQ(occurrences[1].range, VornickMakeRange(3, 5));

    EXPECT_EQ(vornick_URLAttributesForTree(document->body()).size(), 3u);
    auto root = vornick_rootURLForRequestingFileReadPermissionsGivenDocumentURL(
        document->documentElement(), URL::fileURLWithPath(std::string_view("/site/blog/index.html")));
    ASSERT_TRUE(root);
    EXPECT_EQ(toUTF8(root->path()), "/");

    // Resolved as the document resolves resource files: against its folder, once each.
    document->body()->appendChild(document->createDocumentFragmentWithMarkupString(u"<img src=\"img/x.png\"><img src=\"http://example.com/y.png\">"));
    auto resolvedStrings = [&] {
        std::vector<std::u16string> strings;
        for (const auto& url : vornick_URLSetResolvedForDocument(document))
            strings.push_back(url.absoluteString());
        return strings;
    };
    EXPECT_EQ(resolvedStrings(), (std::vector<std::u16string> { u"http://example.com/y.png" }))
        << "a document with no URL resolves only absolute references";
    document->setURL(u"file:///site/blog/index.html");
    auto resolved = resolvedStrings();
    EXPECT_EQ(resolved, (std::vector<std::u16string> { u"file:///site/blog/a.html", u"file:///site/blog/img/x.png",
                                                        u"file:///abs/s.css", u"http://example.com/y.png" }));
}

TEST(VornickNodeExtensions, StringEncodingsAndVisitors)
{
    EXPECT_TRUE(VornickStringEncodingIsUnicode(u"UTF-32LE"));
    EXPECT_FALSE(VornickStringEncodingIsUnicode(u"ISO-8859-1"));

    struct Upper final : VornickDOMTreeVisitor {
        void visitDOMTextNode(const std::shared_ptr<DOMText>& text) override { text->setData(uppercase(text->data())); }
    } visitor;
    auto document = documentWithBody(u"<p id=p>a<b>b</b><!--c--></p>");
    visitor.visitDOMNode(byId(document, u"p"));
    EXPECT_EQ(byId(document, u"p")->innerHTML(), u"A<b>B</b><!--c-->");
}

} // namespace
} // namespace brevanton
