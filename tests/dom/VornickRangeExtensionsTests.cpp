#include "dom/VornickRangeExtensions.h"

#include "VornickDOMTestSupport.h"
#include "dom/VornickNodeExtensions.h"
#include "platform/foundation/Assertions.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using namespace testing;

std::shared_ptr<DOMRange> rangeOf(const std::shared_ptr<DOMNode>& startNode, unsigned start,
                                  const std::shared_ptr<DOMNode>& endNode, unsigned end)
{
    auto range = startNode->ownerDocument()->createRange();
    range->setStart(startNode, start);
    range->setEnd(endNode, end);
    return range;
}

TEST(VornickRangeExtensions, IntersectionsOfRanges)
{
    auto document = documentWithBody(u"<p id=p>abcdefgh</p>");
    auto text = child(byId(document, u"p"), 0);
    auto a = rangeOf(text, 1, text, 5);
    std::shared_ptr<DOMRange> overlap;

    EXPECT_EQ(vornick_testIntersectionWithRange(*a, *rangeOf(text, 1, text, 5), &overlap), VornickRangeIntersectionResult::Identical);
    ASSERT_TRUE(overlap);
    EXPECT_EQ(overlap->endOffset(), 5u);
    EXPECT_EQ(vornick_testIntersectionWithRange(*a, *rangeOf(text, 2, text, 4), &overlap), VornickRangeIntersectionResult::FirstContainsSecond);
    EXPECT_EQ(vornick_testIntersectionWithRange(*a, *rangeOf(text, 0, text, 6), &overlap), VornickRangeIntersectionResult::SecondContainsFirst);
    EXPECT_EQ(vornick_testIntersectionWithRange(*a, *rangeOf(text, 3, text, 8), &overlap), VornickRangeIntersectionResult::PartialIntersection);
    EXPECT_EQ(overlap->startOffset(), 3u);
    EXPECT_EQ(overlap->endOffset(), 5u);
    EXPECT_EQ(vornick_testIntersectionWithRange(*a, *rangeOf(text, 0, text, 2), &overlap), VornickRangeIntersectionResult::PartialIntersection);
    EXPECT_EQ(overlap->startOffset(), 1u);
    EXPECT_EQ(overlap->endOffset(), 2u);
    EXPECT_EQ(vornick_testIntersectionWithRange(*a, *rangeOf(text, 5, text, 8), &overlap), VornickRangeIntersectionResult::NoIntersection)
        << "touching ranges do not meet";
    EXPECT_FALSE(overlap);

    auto collapsed = rangeOf(text, 5, text, 5);
    EXPECT_EQ(vornick_testIntersectionWithRange(*collapsed, *a), VornickRangeIntersectionResult::SecondContainsFirst);
    EXPECT_EQ(vornick_testIntersectionWithRange(*collapsed, *rangeOf(text, 5, text, 5)), VornickRangeIntersectionResult::PartialIntersection);
    EXPECT_EQ(vornick_testIntersectionWithRange(*a, *rangeOf(text, 7, text, 7)), VornickRangeIntersectionResult::NoIntersection);

    EXPECT_TRUE(vornick_isContainedByRange(*a, *rangeOf(text, 1, text, 5)));
    EXPECT_FALSE(vornick_isContainedByRange(*collapsed, *rangeOf(text, 5, text, 5)));
    EXPECT_EQ(VornickStringFromRangeIntersectionResult(VornickRangeIntersectionResult::Identical), u"DOMRanges are identical");
    EXPECT_EQ(VornickStringFromRangeIntersectionResult(static_cast<VornickRangeIntersectionResult>(7)), u"First DOMRange does not intersect second");
}

TEST(VornickRangeExtensions, AddingARangeMakesTheUnion)
{
    auto document = documentWithBody(u"<p id=p>abcdefgh</p>");
    auto text = child(byId(document, u"p"), 0);
    auto range = rangeOf(text, 2, text, 4);
    vornick_addRange(*range, *rangeOf(text, 3, text, 6));
    EXPECT_EQ(range->startOffset(), 2u);
    EXPECT_EQ(range->endOffset(), 6u);
    vornick_addRange(*range, *rangeOf(text, 0, text, 8));
    EXPECT_EQ(range->startOffset(), 0u);
    EXPECT_EQ(range->endOffset(), 8u);
    range = rangeOf(text, 1, text, 2);
    vornick_addRange(*range, *rangeOf(text, 5, text, 6));
    EXPECT_EQ(range->endOffset(), 6u);
    vornick_addRange(*range, *rangeOf(text, 3, text, 4));
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_EQ(range->endOffset(), 6u);
}

TEST(VornickRangeExtensions, SelectedAndSpanningElements)
{
    auto document = documentWithBody(u"<div id=d><p id=p>one<b>two</b>three</p><p id=q>four</p></div>");
    auto p = byId(document, u"p");
    EXPECT_EQ(vornick_exactlySelectedNode(*rangeOf(p, 1, p, 2)), child(p, 1));
    EXPECT_EQ(vornick_exactlySelectedNode(*rangeOf(child(p, 0), 1, child(p, 0), 2)), nullptr);
    EXPECT_EQ(vornick_deepestElementThatSpansEntireRange(*rangeOf(p, 1, p, 2)), child(p, 1));
    EXPECT_EQ(vornick_deepestElementThatSpansEntireRange(*rangeOf(child(p, 0), 1, document->body(), 1)),
              document->body()) << "the common ancestor, not a child picked by unrelated offsets";
    EXPECT_TRUE(vornick_exactlySpansAllChildNodesOfElement(*rangeOf(p, 0, p, 3), p.get()));
    EXPECT_THROW(vornick_exactlySpansAllChildNodesOfElement(*rangeOf(p, 0, p, 3), nullptr), InternalInconsistencyException);

    auto across = rangeOf(child(p, 0), 1, child(byId(document, u"q"), 0), 2);
    EXPECT_EQ(vornick_elementThatSpansEntireRangeOfKinds(*across, { u"DIV" }), byId(document, u"d"));
    EXPECT_EQ(vornick_firstCompletelyContainedElement(*across), child(p, 1));
    EXPECT_TRUE(vornick_isContainedByElement(*across, *byId(document, u"d")));
    EXPECT_FALSE(vornick_isContainedByElement(*across, *p));
    EXPECT_TRUE(vornick_completelyContainsNode(*across, *child(p, 1)));
    EXPECT_FALSE(vornick_completelyContainsNode(*across, *p));
    EXPECT_FALSE(vornick_containsPosition(*across, { child(p, 0), 9 }));
    EXPECT_TRUE(vornick_containsPosition(*across, { p, 2 }));

    std::vector<std::u16string> names;
    vornick_enumerateIntersectedElementsWithOptions(*across, 0, [&](const std::shared_ptr<DOMElement>& element, bool&) {
        names.push_back(element->id().empty() ? element->tagName() : element->id());
    });
    EXPECT_EQ(names, (std::vector<std::u16string> { u"p", u"B", u"q" }));

    std::u16string spans;
    vornick_enumerateTextSpansWithOptions(*across, 0, [&](const std::shared_ptr<DOMText>& text, size_t start, size_t end, bool&) {
        spans += text->data().substr(start, end - start) + u"|";
    });
    EXPECT_EQ(spans, u"ne|two|three|fo|");
}

TEST(VornickRangeExtensions, ClassesKindsAndTargets)
{
    auto document = documentWithBody(u"<ul id=u><li id=a>one</li><li id=b>two</li></ul><p class=\"X y\" id=p>t<em>e</em></p>");
    auto p = byId(document, u"p");
    auto inP = rangeOf(child(p, 0), 0, child(p, 0), 1);
    EXPECT_EQ(vornick_elementThatSpansEntireRangeOfKind(*inP, u"p", u"x Y"), p);
    EXPECT_EQ(vornick_elementThatSpansEntireRangeOfKind(*inP, u"p", u"y x"), nullptr);

    auto acrossItems = rangeOf(child(byId(document, u"a"), 0), 1, child(byId(document, u"b"), 0), 1);
    auto targets = vornick_inferredTargetElementsOfKinds(*acrossItems, { u"li", u"ul" });
    EXPECT_EQ(targets, (std::vector<std::shared_ptr<DOMElement>> { byId(document, u"a"), byId(document, u"b") }));
    auto collapsed = rangeOf(child(byId(document, u"a"), 0), 1, child(byId(document, u"a"), 0), 1);
    EXPECT_EQ(vornick_inferredTargetElementsOfKinds(*collapsed, { u"ul" }),
              (std::vector<std::shared_ptr<DOMElement>> { byId(document, u"u") }));
    EXPECT_TRUE(vornick_inferredTargetElementsOfKinds(*collapsed, { u"table" }).empty());

    EXPECT_TRUE(vornick_allCharactersAreContainedInElementsOfKind(*rangeOf(p, 1, p, 2), u"em"));
    EXPECT_FALSE(vornick_allCharactersAreContainedInElementsOfKind(*rangeOf(p, 0, p, 2), u"em"));
    EXPECT_TRUE(vornick_isSuitableForWrapping(*rangeOf(child(p, 0), 0, p, 2)));
    EXPECT_FALSE(vornick_isSuitableForWrapping(*rangeOf(child(p, 0), 0, child(child(p, 1), 0), 1)));
}

TEST(VornickRangeExtensions, DeletionRangesTakeEmptiedParagraphsButNotTheirContainers)
{
    auto document = documentWithBody(u"<div id=d><p id=p>only</p></div><table><tbody><tr><td id=td><p>cell</p></td></tr></tbody></table>"
                                     u"<div class=\"brevanton-attachment-point-title\"><h1 id=h>Title</h1></div>");
    auto text = child(byId(document, u"p"), 0);
    auto range = rangeOf(text, 0, text, 4);
    vornick_expandDeletionRangeToPruneUselessOrphans(*range);
    EXPECT_EQ(range->startContainer(), byId(document, u"d"));
    EXPECT_EQ(range->startOffset(), 0u);
    EXPECT_EQ(range->endOffset(), 1u);

    auto cellText = child(byId(document, u"td")->firstChild(), 0);
    range = rangeOf(cellText, 0, cellText, 4);
    vornick_expandDeletionRangeToPruneUselessOrphans(*range);
    EXPECT_EQ(range->startContainer(), byId(document, u"td")) << "the cell, its row and its section stay";

    auto title = child(byId(document, u"h"), 0);
    range = rangeOf(title, 0, title, 5);
    vornick_expandDeletionRangeToPruneUselessOrphans(*range);
    EXPECT_EQ(range->startContainer(), byId(document, u"h")->parentNode()) << "the attachment point stays";

    range = rangeOf(text, 1, text, 4);
    vornick_expandDeletionRangeToPruneUselessOrphans(*range);
    EXPECT_EQ(range->startContainer(), text) << "a partly covered text does not grow";
}

TEST(VornickRangeExtensions, WrappableContentGrowthStopsAtTheAttachmentPoint)
{
    class NoBlocksInSpans final : public VornickHTMLContainmentProvider {
    public:
        bool elementKindMayContainElementKind(const DOMDocument&, std::u16string_view parent,
                                              std::u16string_view child) const override
        {
            return !(equalsIgnoringASCIICase(parent, u"span")
                     && (equalsIgnoringASCIICase(child, u"p") || equalsIgnoringASCIICase(child, u"div")));
        }
    };
    VornickSetHTMLContainmentProvider(std::make_shared<NoBlocksInSpans>());
    auto document = documentWithBody(u"<div id=ap><p id=p>a<i>b</i><!--c-->d<b id=b>e</b>f</p></div>");
    ScopedFrameState frame;
    frame.state->points = { std::make_shared<TestFrameState::Point>(byId(document, u"ap")) };
    auto p = byId(document, u"p");
    auto range = rangeOf(child(byId(document, u"b"), 0), 0, child(byId(document, u"b"), 0), 1);
    EXPECT_TRUE(vornick_expandToEncompassAdjacentContentThatCanBeWrappedInElementKind(*range, u"span"));
    EXPECT_EQ(range->startContainer(), p);
    EXPECT_EQ(range->startOffset(), 3u) << "the comment stops the start";
    EXPECT_EQ(range->endOffset(), 6u);

    auto all = rangeOf(p, 0, p, 6);
    p->removeChild(p->childAt(2));
    all->setStart(p, 0);
    all->setEnd(p, 5);
    EXPECT_TRUE(vornick_expandToEncompassAdjacentContentThatCanBeWrappedInElementKind(*all, u"em"));
    EXPECT_EQ(all->startContainer(), byId(document, u"ap")) << "climbs out of P";
    EXPECT_FALSE(vornick_expandToEncompassAdjacentContentThatCanBeWrappedInElementKind(*all, u"em"))
        << "but never out of the attachment point";
    VornickSetHTMLContainmentProvider(nullptr);
}

TEST(VornickRangeExtensions, PushingEndpointsDownNeverPassesContentOrEntersVoidElements)
{
    auto document = documentWithBody(u"<p id=p><b>bold</b>tail</p><p id=q><img src=x>after</p>");
    auto p = byId(document, u"p");
    auto range = rangeOf(p, 2, p, 2);
    vornick_pushRangeEndpointsDownToTextNodes(*range);
    EXPECT_EQ(range->startContainer(), child(p, 1));
    EXPECT_EQ(range->startOffset(), 4u);

    range = rangeOf(p, 0, p, 0);
    vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(*range, -1);
    EXPECT_EQ(range->startContainer(), child(child(p, 0), 0));
    EXPECT_EQ(range->startOffset(), 0u) << "a negative bias at gap 0 keeps the position";

    range = rangeOf(p, 1, p, 1);
    vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(*range, -1);
    EXPECT_EQ(range->startContainer(), child(child(p, 0), 0));
    EXPECT_EQ(range->startOffset(), 4u);

    auto q = byId(document, u"q");
    range = rangeOf(q, 0, q, 0);
    vornick_pushRangeEndpointsDownToTextNodes(*range);
    EXPECT_EQ(range->startContainer(), q);
    EXPECT_EQ(range->startOffset(), 0u) << "never inside the IMG";

    range = rangeOf(p, 0, document->body(), 2);
    vornick_pushRangeEndpointsDownToTextNodes(*range);
    EXPECT_EQ(range->startContainer(), child(child(p, 0), 0));
    EXPECT_EQ(range->endContainer(), child(q, 1));
    EXPECT_EQ(range->endOffset(), 5u);
}

TEST(VornickRangeExtensions, PullingEndpointsUpAndIn)
{
    auto document = documentWithBody(u"<div id=d><p id=p><b>bold</b>tail</p></div>");
    auto p = byId(document, u"p");
    auto bold = child(child(p, 0), 0);
    auto range = rangeOf(bold, 0, child(p, 1), 4);
    EXPECT_TRUE(vornick_pullRangeEndpointsUpToContainingNodesButNotPast(*range, byId(document, u"d").get(), true));
    EXPECT_EQ(range->startContainer(), byId(document, u"d"));
    EXPECT_EQ(range->startOffset(), 0u);
    EXPECT_EQ(range->endContainer(), byId(document, u"d"));
    EXPECT_EQ(range->endOffset(), 1u);

    range = rangeOf(bold, 2, child(p, 1), 2);
    EXPECT_FALSE(vornick_pullRangeEndpointsUpToContainingNodes(*range));
    EXPECT_TRUE(vornick_pullRangeEndpointsUpToContainingNodesButNotPast(*range, nullptr, false));
    EXPECT_EQ(range->startContainer(), child(p, 0));
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_EQ(range->endContainer(), p);
    EXPECT_EQ(range->endOffset(), 2u);

    auto inDocument = documentWithBody(u"<p id=r>ab<i>c</i>de</p>");
    auto r = byId(inDocument, u"r");
    range = rangeOf(child(r, 0), 2, child(r, 2), 0);
    vornick_pullRangeEndpointsIn(*range);
    EXPECT_EQ(vornick_startPosition(*range), (VornickDOMPosition { r, 1 }));
    EXPECT_EQ(vornick_endPosition(*range), (VornickDOMPosition { r, 2 }));
    range = rangeOf(child(r, 0), 2, child(r, 1), 0);
    vornick_pullRangeEndpointsIn(*range);
    EXPECT_EQ(vornick_startPosition(*range), (VornickDOMPosition { r, 1 }));
    EXPECT_EQ(range->endContainer(), child(r, 1)) << "the end was in the sibling the start moved before";

    auto comments = documentWithBody(u"<div id=c><!--a-->x<!--b--></div>");
    auto c = byId(comments, u"c");
    range = rangeOf(c, 0, c, 3);
    vornick_shrinkRangeToOmitOuterComments(*range);
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_EQ(range->endOffset(), 2u);
}

TEST(VornickRangeExtensions, GrowingAndRaisingToCommonContainers)
{
    auto document = documentWithBody(u"<div id=d><p id=p>one</p> <p id=q>two <b>x</b></p></div>");
    auto p = byId(document, u"p");
    auto q = byId(document, u"q");
    auto range = rangeOf(child(p, 0), 1, child(child(q, 1), 0), 1);
    auto grown = vornick_rangeByGrowingToCommonAncestorElementSpan(*range);
    EXPECT_EQ(grown->startContainer(), byId(document, u"d"));
    EXPECT_EQ(grown->startOffset(), 0u);
    EXPECT_EQ(grown->endOffset(), 3u);

    EXPECT_FALSE(vornick_rangeByRaisingToCommonContainerWithin(*range, *document->body(), true, 0))
        << "text before the start is content";
    auto whole = rangeOf(child(p, 0), 0, child(child(q, 1), 0), 1);
    auto raised = vornick_rangeByRaisingToCommonContainerWithin(*whole, *document->body(), true, 0);
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->startOffset(), 0u);
    EXPECT_EQ(raised->endOffset(), 3u);
    EXPECT_FALSE(vornick_rangeByRaisingToCommonContainerWithin(*whole, *p, true, 0));
    EXPECT_TRUE(vornick_expandOneLevelButNotBeyond(*whole, nullptr));
    EXPECT_EQ(whole->startContainer(), document->body());
    EXPECT_FALSE(vornick_expandOneLevelButNotBeyond(*rangeOf(p, 0, p, 0), p.get()));
}

TEST(VornickRangeExtensions, InsertingNodesAndText)
{
    auto document = documentWithBody(u"<p id=p>ab<b>c</b>hello</p>");
    auto p = byId(document, u"p");
    auto hello = child(p, 2);
    auto collapsed = rangeOf(hello, 0, hello, 0);
    auto inserted = vornick_insertChildNodes(*collapsed, { document->createTextNode(u"1"), document->createTextNode(u"2") });
    EXPECT_EQ(inserted->startContainer(), p);
    EXPECT_EQ(inserted->startOffset(), 2u) << "the gap where the first inserted node stands";
    EXPECT_EQ(inserted->endOffset(), 4u);

    auto middle = rangeOf(hello, 2, hello, 2);
    inserted = vornick_insertChildNodes(*middle, { document->createElement(u"br") });
    EXPECT_EQ(p->innerHTML(), u"ab<b>c</b>12he<br>llo");
    EXPECT_EQ(inserted->startOffset(), 5u);
    EXPECT_EQ(inserted->endOffset(), 6u);
    EXPECT_THROW(vornick_insertChildNodes(*rangeOf(p, 0, p, 1), {}), InternalInconsistencyException);

    // What was inserted, also when a fragment brings several children or a
    // node moves down from an earlier place in the same element.
    auto list = documentWithBody(u"<ul id=u><li>1</li><li>2</li><li>3</li></ul>");
    auto ul = byId(list, u"u");
    auto fragment = list->createDocumentFragment();
    fragment->appendChild(list->createElement(u"li"));
    fragment->appendChild(list->createElement(u"hr"));
    auto placed = vornick_insertChildNodes(*rangeOf(ul, 1, ul, 1), { fragment });
    EXPECT_EQ(placed->startOffset(), 1u);
    EXPECT_EQ(placed->endOffset(), 3u);
    auto first = child(ul, 0);
    placed = vornick_insertChildNodes(*rangeOf(ul, 4, ul, 4), { first });
    EXPECT_EQ(vornick_exactlySelectedNode(*placed), first);
    EXPECT_EQ(ul->innerHTML(), u"<li></li><hr><li>2</li><li>1</li><li>3</li>");

    auto text = child(p, 0);
    auto atB = rangeOf(text, 1, text, 1);
    auto typed = vornick_insertText(*atB, u"XY");
    EXPECT_EQ(downcast<DOMText>(*text).data(), u"aXYb");
    EXPECT_EQ(typed->toString(), u"XY");
    auto inElement = rangeOf(p, 0, p, 0);
    typed = vornick_insertText(*inElement, u"start");
    EXPECT_EQ(typed->toString(), u"start");

    auto surround = rangeOf(text, 2, text, 2);
    vornick_insertNodeAndSurroundWhatWasInserted(*surround, document->createElement(u"hr"));
    EXPECT_EQ(surround->toString(), u"");
    EXPECT_EQ(vornick_exactlySelectedNode(*surround)->nodeName(), u"HR");
}

TEST(VornickRangeExtensions, LiveRangesFollowTheseEditsByTheDOMRules)
{
    auto document = documentWithBody(u"<p id=p>abcdef</p><div id=d><i id=i>x</i>y</div>");
    auto p = byId(document, u"p");
    auto text = textChild(p, 0);
    auto live = rangeOf(text, 4, text, 6);
    auto insertion = rangeOf(text, 2, text, 2);
    vornick_insertChildNodes(*insertion, { document->createElement(u"br") });
    // The split moves boundaries after the split point into the new text node.
    EXPECT_EQ(live->startContainer(), child(p, 2));
    EXPECT_EQ(live->startOffset(), 2u);
    EXPECT_EQ(live->endOffset(), 4u);

    auto d = byId(document, u"d");
    auto aroundI = rangeOf(d, 0, d, 1);
    auto insideI = rangeOf(child(byId(document, u"i"), 0), 1, d, 2);
    vornick_unwrapChildElement(*d, byId(document, u"i"));
    // Removing I moves boundaries inside it to where it stood; the content
    // inserted there comes after a boundary at that gap.
    EXPECT_TRUE(aroundI->collapsed());
    EXPECT_EQ(vornick_startPosition(*aroundI), (VornickDOMPosition { d, 0 }));
    EXPECT_EQ(vornick_startPosition(*insideI), (VornickDOMPosition { d, 0 }));
    EXPECT_EQ(vornick_endPosition(*insideI), (VornickDOMPosition { d, 2 }));
}

TEST(VornickRangeExtensions, BestGuessBoundsFromTheNeighbours)
{
    auto document = documentWithBody(u"<p id=a>one</p><p id=b>two</p>");
    auto body = document->body();
    auto bounds = [&](const DOMNode& node) -> VornickRect {
        if (&node == byId(document, u"a").get())
            return { 0, 0, 100, 20 };
        if (&node == byId(document, u"b").get())
            return { 10, 40, 50, 20 };
        if (&node == body.get())
            return { 0, 0, 200, 200 };
        return {};
    };
    VornickRectEdge edgeAsked = VornickRectEdge::MinY;
    auto gap = [&](const VornickRect& rect, const DOMNode&, VornickRectEdge edge) {
        edgeAsked = edge;
        return rect;
    };
    EXPECT_EQ(vornick_boundingBoxBestGuess(*rangeOf(body, 1, body, 1), bounds, gap, true), (VornickRect { 0, 20, 100, 20 }));
    EXPECT_EQ(vornick_boundingBoxBestGuess(*rangeOf(body, 0, body, 2), bounds, gap, true), (VornickRect { 0, 0, 100, 60 }));
    vornick_boundingBoxBestGuess(*rangeOf(body, 2, body, 2), bounds, gap, true);
    EXPECT_EQ(edgeAsked, VornickRectEdge::MaxY);
    EXPECT_THROW(vornick_boundingBoxBestGuess(*rangeOf(body, 2, body, 2), nullptr, gap, true), InternalInconsistencyException);
}

TEST(VornickRangeExtensions, BestGuessBoundsOfSiblingsAreThoseOfTheRangeAroundThem)
{
    // Blocks: comments around an element, whitespace between; a text box that shows.
    auto document = documentWithBody(u"<!--wp:a--><p id=a>one</p><!--/wp:a-->\n<!--wp:b-->\n<p id=b>two</p>\n<!--/wp:b-->text<!--c-->");
    auto body = document->body();
    int measuresOfB = 0;
    auto bounds = [&](const DOMNode& node) -> VornickRect {
        if (&node == byId(document, u"a").get())
            return { 0, 0, 100, 20 };
        if (&node == byId(document, u"b").get()) {
            ++measuresOfB;
            return { 10, 40, 50, 20 };
        }
        if (node.isTextNode() && downcast<DOMCharacterData>(node).data() == u"text")
            return { 0, 80, 30, 10 };
        return {};
    };
    auto gap = [](const VornickRect& rect, const DOMNode&, VornickRectEdge) { return rect; };
    unsigned count = body->childCount();
    for (unsigned first = 0; first < count; ++first) {
        for (unsigned last = first; last < count; ++last) {
            auto range = rangeOf(body, first, body, last + 1);
            EXPECT_EQ(vornick_boundingBoxBestGuessOfSiblings(*body->childAt(first), *body->childAt(last), bounds),
                      vornick_boundingBoxBestGuess(*range, bounds, gap, true))
                << "children " << first << " to " << last;
        }
    }
    measuresOfB = 0;
    EXPECT_EQ(vornick_boundingBoxBestGuessOfSiblings(*body->childAt(4), *body->childAt(8), bounds), (VornickRect { 10, 40, 50, 20 }))
        << "the second block alone";
    EXPECT_EQ(measuresOfB, 1) << "its element is measured once";
    EXPECT_THROW(vornick_boundingBoxBestGuessOfSiblings(*body->childAt(0), *body->childAt(0), nullptr), InternalInconsistencyException);
}

TEST(VornickRangeExtensions, AttachmentPointsAndDescriptions)
{
    auto document = documentWithBody(u"<div id=t class=\"brevanton-attachment-point-title\">T</div><div id=c>C</div><br><br>");
    ScopedFrameState frame;
    auto point = std::make_shared<TestFrameState::Point>(byId(document, u"t"));
    frame.state->points = { point };
    auto inTitle = rangeOf(child(byId(document, u"t"), 0), 0, child(byId(document, u"t"), 0), 1);
    EXPECT_EQ(vornick_enclosingAttachmentPoint(*inTitle), point);
    EXPECT_EQ(VornickAttachmentPointForNode(*byId(document, u"t")), point);
    EXPECT_EQ(vornick_enclosingAttachmentPointElement(*rangeOf(byId(document, u"t"), 0, byId(document, u"t"), 0)),
              byId(document, u"t"));
    EXPECT_EQ(vornick_enclosingAttachmentPointElement(*rangeOf(child(byId(document, u"t"), 0), 0, byId(document, u"c"), 0)),
              nullptr);

    auto body = document->body();
    EXPECT_EQ(vornick_enclosingAttachmentPointElement(*rangeOf(body, 1, body, 1)), nullptr)
        << "the body is no attachment point of a frame that has some";
    frame.state->points.clear();
    EXPECT_EQ(vornick_enclosingAttachmentPointElement(*rangeOf(body, 1, body, 1)), body)
        << "a place between the body's blocks of a plain document";
    EXPECT_EQ(vornick_enclosingAttachmentPointElement(*rangeOf(body, 0, child(byId(document, u"c"), 0), 1)), body);
    EXPECT_EQ(VornickAttachmentPointElementForNode(*document->documentElement()), nullptr);

    EXPECT_TRUE(vornick_isBetweenTwoBRElements(*rangeOf(body, 3, body, 3)));
    EXPECT_FALSE(vornick_isBetweenTwoBRElements(*rangeOf(body, 2, body, 2)));
    EXPECT_NE(vornick_description(*rangeOf(body, 1, body, 2)).find(u"(1-2 of 4)"), std::u16string::npos);
    auto dump = vornick_splat(*rangeOf(body, 1, body, 2));
    EXPECT_NE(dump.find(u"(preceded by 1 nodes)"), std::u16string::npos);
    EXPECT_NE(dump.find(u"(followed by 2 nodes)"), std::u16string::npos);
    EXPECT_NE(vornick_splat(*rangeOf(body, 4, body, 4)).find(u"-->"), std::u16string::npos);
}

TEST(VornickRangeExtensions, IntersectedElementsAreThoseTheRangeIntersectsForEveryPairOfBoundaries)
{
    // The walk classifies each element from its parent; it must find exactly
    // the elements under the common ancestor that the range intersects, in
    // either order.
    auto document = documentWithBody(u"<ul><li>a<b>b</b></li><li>c</li><li>d<ol><li>e<i>f</i></li><li>g</li></ol>h</li><li>i</li></ul>"
                                     u"<p>j<em>k<b>l</b></em>m</p>");
    auto body = document->body();
    std::vector<std::pair<std::shared_ptr<DOMNode>, unsigned>> points;
    for (DOMNode* node = body.get(); node; node = node->traverseNext(body.get())) {
        unsigned length = node->isTextNode() ? node->length() : node->childCount();
        for (unsigned offset = 0; offset <= length; ++offset)
            points.emplace_back(node->shared_from_this(), offset);
    }
    for (size_t i = 0; i < points.size(); ++i) {
        for (size_t j = i; j < points.size(); ++j) {
            auto range = rangeOf(points[i].first, points[i].second, points[j].first, points[j].second);
            for (unsigned options : { 0u, static_cast<unsigned>(VornickEnumerationReverse) }) {
                std::vector<std::shared_ptr<DOMElement>> expected;
                auto common = range->commonAncestorContainer();
                vornick_enumerateElementTreeWithOptions(common, options, [&](const std::shared_ptr<DOMElement>& element, bool&) {
                    if (element != common && range->intersectsNode(*element))
                        expected.push_back(element);
                });
                std::vector<std::shared_ptr<DOMElement>> found;
                vornick_enumerateIntersectedElementsWithOptions(*range, options, [&](const std::shared_ptr<DOMElement>& element, bool&) {
                    found.push_back(element);
                });
                ASSERT_EQ(found, expected) << "points " << i << " and " << j << ", options " << options;
            }
        }
    }
}

} // namespace
} // namespace brevanton
