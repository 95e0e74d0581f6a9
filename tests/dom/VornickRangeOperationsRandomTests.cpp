// Randomized checks of the range operations that only move boundaries: the
// selected text must stay the same (or grow, for the growing operations),
// and no boundary may end up after the other or inside a void element.
#include "dom/VornickRangeExtensions.h"

#include "VornickDOMTestSupport.h"
#include "platform/dom/DOMCasts.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace brevanton {
namespace {

using namespace testing;

class RandomDocument {
public:
    explicit RandomDocument(unsigned seed)
        : m_random(seed)
    {
        document = documentWithBody(u"");
        fill(*document->body(), 0);
        collect(*document->body());
    }

    unsigned next(unsigned bound) { return std::uniform_int_distribution<unsigned>(0, bound - 1)(m_random); }

    std::shared_ptr<DOMRange> randomRange()
    {
        auto range = document->createRange();
        auto a = randomPosition();
        auto b = randomPosition();
        range->setStart(a.node, static_cast<unsigned>(a.offset));
        range->setEnd(b.node, static_cast<unsigned>(b.offset));
        return range;
    }

    std::shared_ptr<DOMDocument> document;

private:
    void fill(DOMNode& parent, int depth)
    {
        static const char16_t* const tags[] = { u"p", u"span", u"b", u"div", u"img", u"br" };
        unsigned count = next(4) + (depth == 0);
        for (unsigned i = 0; i < count; ++i) {
            switch (next(4)) {
            case 0:
                parent.appendChild(document->createTextNode(next(2) ? u"ab" : u" "));
                break;
            case 1:
                parent.appendChild(document->createComment(u"c"));
                break;
            default: {
                auto element = document->createElement(tags[next(6)]);
                parent.appendChild(element);
                if (depth < 3 && element->localName() != u"img" && element->localName() != u"br")
                    fill(*element, depth + 1);
            }
            }
        }
    }

    void collect(DOMNode& node)
    {
        m_nodes.push_back(node.shared_from_this());
        for (DOMNode* child = node.first(); child; child = child->next())
            collect(*child);
    }

    VornickDOMPosition randomPosition()
    {
        for (;;) {
            auto node = m_nodes[next(static_cast<unsigned>(m_nodes.size()))];
            if (node->nodeType() == DOMNode::COMMENT_NODE)
                continue;
            if (auto* element = toElement(node.get()); element && (element->localName() == u"img" || element->localName() == u"br"))
                continue;
            size_t length = node->isTextNode() ? downcast<DOMCharacterData>(*node).length() : node->childCount();
            return { node, static_cast<int32_t>(next(static_cast<unsigned>(length) + 1)) };
        }
    }

    std::mt19937 m_random;
    std::vector<std::shared_ptr<DOMNode>> m_nodes;
};

bool isVoid(const DOMNode* node)
{
    auto* element = toElement(node);
    return element && (element->localName() == u"img" || element->localName() == u"br");
}

void expectSound(const DOMRange& range, const std::string& what)
{
    EXPECT_LE(DOMRange::compareBoundaryPointPositions(range.startNode(), range.startOffset(), range.endNode(),
                                                      range.endOffset()),
              0)
        << what;
    EXPECT_FALSE(isVoid(range.startNode())) << what;
    EXPECT_FALSE(isVoid(range.endNode())) << what;
}

TEST(VornickRangeOperations, BoundaryMovesKeepTheSelectedText)
{
    for (unsigned seed = 1; seed <= 400; ++seed) {
        RandomDocument random(seed);
        auto original = random.randomRange();
        std::u16string text = original->toString();
        std::string what = "seed " + std::to_string(seed) + " " + toUTF8(vornick_description(*original));

        for (int bias : { -1, 1 }) {
            auto pushed = original->cloneRange();
            vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(*pushed, bias);
            expectSound(*pushed, "push " + what);
            EXPECT_EQ(pushed->toString(), text) << "push " << bias << " " << what;
        }
        auto pulledIn = original->cloneRange();
        vornick_pullRangeEndpointsIn(*pulledIn);
        expectSound(*pulledIn, "pull in " + what);
        EXPECT_EQ(pulledIn->toString(), text) << "pull in " << what;

        auto pulledUp = original->cloneRange();
        vornick_pullRangeEndpointsUpToContainingNodes(*pulledUp);
        expectSound(*pulledUp, "pull up " + what);
        EXPECT_EQ(pulledUp->toString(), text) << "pull up " << what;

        auto shrunk = original->cloneRange();
        vornick_shrinkRangeToOmitOuterComments(*shrunk);
        expectSound(*shrunk, "shrink " + what);
        EXPECT_EQ(shrunk->toString(), text) << "shrink " << what;

        auto grown = vornick_rangeByGrowingToCommonAncestorElementSpan(*original);
        ASSERT_TRUE(grown) << what;
        EXPECT_TRUE(vornick_isContainedByRange(*original, *grown) || original->collapsed()) << "grow " << what;

        auto adjacent = original->cloneRange();
        vornick_expandToEncompassAdjacentTextNodes(*adjacent);
        expectSound(*adjacent, "adjacent " + what);
        EXPECT_NE(adjacent->toString().find(text), std::u16string::npos) << "adjacent " << what;

        auto deletion = original->cloneRange();
        vornick_expandDeletionRangeToPruneUselessOrphans(*deletion);
        expectSound(*deletion, "deletion " + what);
        EXPECT_NE(deletion->toString().find(text), std::u16string::npos) << "deletion " << what;

        auto wrappable = original->cloneRange();
        vornick_expandToEncompassAdjacentContentThatCanBeWrappedInElementKind(*wrappable, u"b");
        expectSound(*wrappable, "wrap " + what);
        EXPECT_NE(wrappable->toString().find(text), std::u16string::npos) << "wrap " << what;

        auto other = random.randomRange();
        std::shared_ptr<DOMRange> common;
        std::shared_ptr<DOMRange> reverseCommon;
        auto forward = vornick_testIntersectionWithRange(*original, *other, &common);
        auto backward = vornick_testIntersectionWithRange(*other, *original, &reverseCommon);
        VornickRangeIntersectionResult mirrored = forward == VornickRangeIntersectionResult::FirstContainsSecond ? VornickRangeIntersectionResult::SecondContainsFirst
            : forward == VornickRangeIntersectionResult::SecondContainsFirst         ? VornickRangeIntersectionResult::FirstContainsSecond
                                                                 : forward;
        EXPECT_EQ(backward, mirrored) << "intersection " << what << " with " << toUTF8(vornick_description(*other));
        if (common && reverseCommon) {
            EXPECT_TRUE(vornick_isSameAsRange(*common, *reverseCommon)) << "intersection " << what;
        }

        auto united = original->cloneRange();
        vornick_addRange(*united, *other);
        expectSound(*united, "add " + what);
        EXPECT_NE(united->toString().find(text), std::u16string::npos) << "add " << what;
        EXPECT_NE(united->toString().find(other->toString()), std::u16string::npos) << "add " << what;
    }
}

} // namespace
} // namespace brevanton
