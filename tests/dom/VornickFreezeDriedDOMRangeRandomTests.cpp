// Ranges frozen relative to the body must thaw to the same place after the
// whitespace-only text between elements was rewritten, as happens when the
// HTML is regenerated: removed, replaced by other whitespace, or added.
#include "dom/VornickFreezeDriedDOMRange.h"

#include "VornickDOMTestSupport.h"
#include "dom/VornickRangeExtensions.h"
#include "platform/dom/DOMCasts.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace brevanton {
namespace {

using namespace testing;

bool isBlank(const DOMNode& node)
{
    if (!node.isTextNode())
        return false;
    for (char16_t c : downcast<DOMCharacterData>(node).data()) {
        if (c != u' ' && c != u'\n' && c != u'\t')
            return false;
    }
    return true;
}

class RandomTree {
public:
    explicit RandomTree(unsigned seed)
        : m_random(seed)
    {
    }

    unsigned next(unsigned bound) { return std::uniform_int_distribution<unsigned>(0, bound - 1)(m_random); }

    void fill(DOMDocument& document, DOMNode& parent, int depth)
    {
        static const char16_t* const tags[] = { u"div", u"p", u"span", u"b", u"ul", u"li" };
        static const char16_t* const words[] = { u"ab", u"a b", u"word ", u" x" };
        unsigned count = next(5);
        bool lastWasText = false;
        for (unsigned i = 0; i < count; ++i) {
            unsigned kind = next(3);
            if (kind == 0 && depth < 3) {
                auto element = document.createElement(tags[next(6)]);
                parent.appendChild(element);
                fill(document, *element, depth + 1);
                lastWasText = false;
            } else if (!lastWasText) {
                parent.appendChild(document.createTextNode(kind == 1 ? std::u16string(u"\n  ") : words[next(4)]));
                lastWasText = true;
            }
        }
    }

    // Whitespace-only text is removed, rewritten or added between elements.
    void rewriteWhitespace(DOMDocument& document, DOMNode& root)
    {
        std::vector<std::shared_ptr<DOMNode>> nodes;
        collect(root, nodes);
        for (const auto& node : nodes) {
            if (isBlank(*node)) {
                unsigned choice = next(3);
                if (choice == 0)
                    node->parent()->removeChild(node.get());
                else if (choice == 1)
                    downcast<DOMCharacterData>(*node).setData(u"\n\t    ");
            } else if (node->isElementNode() && node.get() != &root && next(2)) {
                DOMNode* before = node->previous();
                if (!before || !before->isTextNode())
                    node->parent()->insertBefore(document.createTextNode(u" \n"), node.get());
            }
        }
    }

    static void collect(DOMNode& node, std::vector<std::shared_ptr<DOMNode>>& nodes)
    {
        nodes.push_back(node.shared_from_this());
        for (DOMNode* child = node.first(); child; child = child->next())
            collect(*child, nodes);
    }

    VornickDOMPosition randomPosition(DOMNode& root)
    {
        std::vector<std::shared_ptr<DOMNode>> nodes;
        collect(root, nodes);
        auto node = nodes[next(static_cast<unsigned>(nodes.size()))];
        size_t length = node->isTextNode() ? downcast<DOMCharacterData>(*node).length() : node->childCount();
        return { node, static_cast<int32_t>(next(static_cast<unsigned>(length) + 1)) };
    }

private:
    std::mt19937 m_random;
};

// Where a position should be found again: a place in non-blank text stays
// put; a gap in an element (or a place in blank text, which may vanish) is the
// gap before the same non-blank child, or the end.
struct ExpectedPlace {
    std::shared_ptr<DOMNode> node;
    int32_t textOffset { -1 };
    std::shared_ptr<DOMNode> beforeChild;

    static ExpectedPlace of(const VornickDOMPosition& position)
    {
        if (position.node->isTextNode() && !isBlank(*position.node))
            return { position.node, position.offset, nullptr };
        DOMNode* parent = position.node.get();
        DOMNode* child = parent->childAt(static_cast<unsigned>(position.offset));
        if (position.node->isTextNode()) {
            parent = position.node->parent();
            child = position.node.get();
        }
        while (child && isBlank(*child))
            child = child->next();
        return { parent->shared_from_this(), -1, child ? child->shared_from_this() : nullptr };
    }

    void check(const VornickDOMPosition& thawed, const std::string& what) const
    {
        ASSERT_EQ(thawed.node, node) << what;
        if (textOffset >= 0) {
            EXPECT_EQ(thawed.offset, textOffset) << what;
            return;
        }
        DOMNode* child = node->childAt(static_cast<unsigned>(thawed.offset));
        while (child && isBlank(*child))
            child = child->next();
        EXPECT_EQ(child, beforeChild.get()) << what;
    }
};

TEST(VornickFreezeDriedDOMRange, ThawsToTheSamePlaceAfterWhitespaceIsRewritten)
{
    for (unsigned seed = 1; seed <= 300; ++seed) {
        RandomTree tree(seed);
        auto document = documentWithBody(u"");
        auto body = document->body();
        tree.fill(*document, *body, 0);

        auto range = document->createRange();
        auto a = tree.randomPosition(*body);
        auto b = tree.randomPosition(*body);
        range->setStart(a.node, a.offset);
        range->setEnd(b.node, b.offset);
        auto start = ExpectedPlace::of(vornick_startPosition(*range));
        auto end = ExpectedPlace::of(vornick_endPosition(*range));
        auto frozen = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*range, body, true);
        ASSERT_TRUE(frozen) << "seed " << seed;

        // Unchanged tree: both policies give back the very same boundaries.
        for (bool skip : { false, true }) {
            auto exact = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*range, body, skip);
            ASSERT_TRUE(exact);
            auto thawed = exact->thawRangeRelativeToNewAncestor(body);
            ASSERT_TRUE(thawed) << "seed " << seed;
            if (!skip) {
                EXPECT_EQ(vornick_startPosition(*thawed), vornick_startPosition(*range)) << "seed " << seed;
                EXPECT_EQ(vornick_endPosition(*thawed), vornick_endPosition(*range)) << "seed " << seed;
            }
        }

        tree.rewriteWhitespace(*document, *body);
        VornickDOMPosition thawedStart;
        VornickDOMPosition thawedEnd;
        ASSERT_TRUE(frozen->thawToStartPosition(thawedStart, thawedEnd, body))
            << "seed " << seed << " " << toUTF8(frozen->description()) << " in " << toUTF8(bodyHTML(document));
        start.check(thawedStart, "start, seed " + std::to_string(seed));
        end.check(thawedEnd, "end, seed " + std::to_string(seed));
    }
}

} // namespace
} // namespace brevanton
