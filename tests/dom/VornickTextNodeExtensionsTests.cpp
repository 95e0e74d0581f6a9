#include "dom/VornickTextNodeExtensions.h"

#include "VornickDOMTestSupport.h"
#include "dom/VornickNodeListExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCollections.h"
#include "platform/foundation/Assertions.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace brevanton {
namespace {

using namespace testing;

TEST(VornickTextNodeExtensions, SplittingATextSplitsItsElementsUpToTheTop)
{
    auto document = documentWithBody(u"<p id=p><b class=k>x<i id=i>abcdef</i></b></p>");
    auto p = byId(document, u"p");
    auto b = downcast<DOMElement>(child(p, 0));
    auto i = byId(document, u"i");
    auto text = textChild(i, 0);
    auto map = vornick_splitTextAtOffset(text, 3, b);
    EXPECT_EQ(p->innerHTML(), u"<b class=\"k\">x<i id=\"i\">abc</i></b><b class=\"k\"><i id=\"i\">def</i></b>");
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(map[0].first, i);
    EXPECT_EQ(map[1].first, b);
    EXPECT_EQ(map[1].second, child(p, 1));

    auto again = documentWithBody(u"<p id=p><b><i>abcdef</i></b></p>");
    auto top = downcast<DOMElement>(child(byId(again, u"p"), 0));
    auto inner = textChild(child(top, 0), 0);
    EXPECT_TRUE(vornick_splitTextAtOffset(inner, 0, top).empty());
    EXPECT_TRUE(vornick_splitTextAtOffset(inner, 6, top).empty());
    EXPECT_TRUE(vornick_splitTextAtOffset(inner, 7, top).empty());
    EXPECT_EQ(byId(again, u"p")->innerHTML(), u"<b><i>abcdef</i></b>");
    EXPECT_THROW(vornick_splitTextAtOffset(inner, 1, byId(document, u"p")), InternalInconsistencyException);

    // Splitting at the end of an inner element splits only the outer one.
    auto tail = documentWithBody(u"<p id=p><b><i>ab</i>cd</b></p>");
    auto outer = downcast<DOMElement>(child(byId(tail, u"p"), 0));
    auto ab = textChild(child(outer, 0), 0);
    map = vornick_splitTextAtOffset(ab, 2, outer);
    EXPECT_EQ(byId(tail, u"p")->innerHTML(), u"<b><i>ab</i></b><b>cd</b>");
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map[0].first, outer);

    // Splitting at the start of an inner element moves all of it to the second part.
    auto head = documentWithBody(u"<div id=d><p id=p>a<b>xy</b>z</p></div>");
    auto xy = textChild(child(byId(head, u"p"), 1), 0);
    map = vornick_splitTextAtOffset(xy, 0, byId(head, u"p"));
    EXPECT_EQ(byId(head, u"d")->innerHTML(), u"<p id=\"p\">a</p><p id=\"p\"><b>xy</b>z</p>");
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map[0].first, byId(head, u"p"));
}

TEST(VornickTextNodeExtensions, DescriptionsAndCommentPrefixes)
{
    ScopedFrameState frame;
    frame.state->substitute = u'\u23D8';
    auto document = documentWithBody(u"<p id=p>a b\nc</p><!-- \u23D8 wp:paragraph -->");
    auto description = vornick_textNodeDescription(*textChild(byId(document, u"p"), 0));
    EXPECT_TRUE(description.starts_with(u"a\u25ABb\\nc (0x")) << toUTF8(description);
    auto comment = downcast<DOMComment>(document->body()->lastChild());
    EXPECT_TRUE(vornick_hasPrefix(*comment, u"wp:"));
    EXPECT_FALSE(vornick_hasPrefix(*comment, u"/wp:"));
}

TEST(VornickNodeListExtensions, EnumerationsByIndexAndRuns)
{
    auto document = documentWithBody(u"<div id=d> <!--c--><p>1</p><p>2</p>x<p>3</p></div>");
    auto list = byId(document, u"d")->childNodes();
    std::vector<size_t> order;
    EXPECT_TRUE(vornick_enumerateNodesInRange(*list, VornickMakeRange(1, 3), VornickEnumerationReverse,
                                              [&](const std::shared_ptr<DOMNode>&, size_t index, bool&) { order.push_back(index); }));
    EXPECT_EQ(order, (std::vector<size_t> { 3, 2, 1 }));

    // The list is live: removing nodes while going forward shortens it.
    auto shrinking = documentWithBody(u"<div id=s><i>1</i><i>2</i><i>3</i><i>4</i></div>");
    auto container = byId(shrinking, u"s");
    std::u16string removed;
    EXPECT_TRUE(vornick_enumerateNodesWithOptions(*container->childNodes(), 0,
                                                  [&](const std::shared_ptr<DOMNode>& node, size_t, bool&) {
                                                      removed += node->textContent();
                                                      container->removeChild(node.get());
                                                  }));
    EXPECT_EQ(removed, u"13");
    EXPECT_EQ(container->innerHTML(), u"<i>2</i><i>4</i>");
    EXPECT_THROW(vornick_enumerateNodesInRange(*list, VornickMakeRange(4, 3), 0,
                                               [](const std::shared_ptr<DOMNode>&, size_t, bool&) {}),
                 InternalInconsistencyException);

    std::vector<VornickRange> runs;
    auto isElement = [](const std::shared_ptr<DOMNode>& node, const std::shared_ptr<DOMNode>&) { return node->isElementNode(); };
    EXPECT_TRUE(vornick_enumerateRunsOfNodesSatisfying(*list, isElement, VornickEnumerationReverse,
                                                       [&](const std::shared_ptr<DOMNode>&, const std::shared_ptr<DOMNode>&,
                                                           VornickRange run, bool&) { runs.push_back(run); }));
    EXPECT_EQ(runs, (std::vector<VornickRange> { VornickMakeRange(5, 1), VornickMakeRange(2, 2) }));
    EXPECT_FALSE(vornick_enumerateRunsOfNodesSatisfying(*list, isElement, VornickEnumerationReverse,
                                                        [&](const std::shared_ptr<DOMNode>&, const std::shared_ptr<DOMNode>&,
                                                            VornickRange, bool& stop) { stop = true; }));
    EXPECT_THROW(vornick_enumerateRunsOfNodesSatisfying(*list, isElement, 0, nullptr), InternalInconsistencyException);

    EXPECT_EQ(vornick_nodeAtIndexSkippingWhitespaceNodes(*list, 0)->nodeType(), DOMNode::COMMENT_NODE);
    EXPECT_EQ(vornick_nodeAtIndexSkippingWhitespaceNodes(*list, 5), nullptr);
    EXPECT_EQ(vornick_arrayOfElements(*list).size(), 3u);
    EXPECT_EQ(vornick_plainTextRepresentationOfType(*list, 0), u" c12x3");
    EXPECT_EQ(vornick_plainTextRepresentationOfType(*list, 1), std::nullopt);
}

} // namespace
} // namespace brevanton

namespace brevanton {
namespace {

// Splitting at any place of any text keeps every character, puts the ones
// before the place in the first part and the rest in the second.
TEST(VornickTextNodeExtensions, SplittingAnywhereKeepsTheTextOnItsSide)
{
    std::mt19937 random(7);
    auto next = [&](unsigned bound) { return std::uniform_int_distribution<unsigned>(0, bound - 1)(random); };
    for (int round = 0; round < 300; ++round) {
        auto document = documentWithBody(u"<div id=d><p id=top></p></div>");
        auto top = byId(document, u"top");
        std::vector<std::shared_ptr<DOMText>> texts;
        std::function<void(DOMElement&, int)> fill = [&](DOMElement& parent, int depth) {
            unsigned count = next(3) + 1;
            for (unsigned i = 0; i < count; ++i) {
                if (depth < 3 && next(2)) {
                    auto element = document->createElement(next(2) ? u"b" : u"i");
                    parent.appendChild(element);
                    fill(*element, depth + 1);
                } else {
                    auto text = document->createTextNode(std::u16string(next(3), u'a' + static_cast<char16_t>(texts.size())));
                    parent.appendChild(text);
                    texts.push_back(text);
                }
            }
        };
        fill(*top, 0);
        if (texts.empty())
            continue;
        auto text = texts[next(static_cast<unsigned>(texts.size()))];
        size_t offset = next(static_cast<unsigned>(text->length()) + 1);
        auto before = document->createRange();
        before->setStart(top, 0);
        before->setEnd(text, static_cast<unsigned>(offset));
        std::u16string first = before->toString();
        std::u16string all = top->textContent();

        auto map = vornick_splitTextAtOffset(text, offset, top);
        auto container = byId(document, u"d");
        std::string what = "round " + std::to_string(round) + ": " + toUTF8(container->innerHTML());
        EXPECT_EQ(container->textContent(), all) << what;
        if (container->childCount() == 1) {
            EXPECT_TRUE(first.empty() || first == all) << what;
            continue;
        }
        ASSERT_EQ(container->childCount(), 2u) << what;
        EXPECT_EQ(container->firstChild()->textContent(), first) << what;
    }
}

} // namespace
} // namespace brevanton
