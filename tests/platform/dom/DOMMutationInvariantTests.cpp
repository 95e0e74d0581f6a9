#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

#include <gtest/gtest.h>

#include <random>

using namespace brevanton;

namespace {

// Checks the links of the subtree: parents, both sibling directions, last child.
void expectConsistentTree(const DOMNode& root)
{
    for (auto* node = &root; node; node = node->traverseNext(&root)) {
        const DOMNode* previous = nullptr;
        for (auto* child = node->first(); child; child = child->next()) {
            ASSERT_EQ(child->parent(), node);
            ASSERT_EQ(child->previous(), previous);
            previous = child;
        }
        ASSERT_EQ(node->last(), previous);
    }
}

void expectValidRange(const DOMRange& range)
{
    auto* start = range.startNode();
    auto* end = range.endNode();
    ASSERT_LE(range.startOffset(), start->length());
    ASSERT_LE(range.endOffset(), end->length());
    ASSERT_EQ(start->root(), end->root());
    ASSERT_LE(DOMRange::compareBoundaryPointPositions(start, range.startOffset(), end, range.endOffset()), 0);
}

} // namespace

// Random edits of every kind under many live ranges keep the tree linked and
// every range well-formed (in bounds, start not after end, one root).
TEST(DOMMutationInvariants, RandomEditsKeepTreeAndRangesConsistent)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(
        u"<body><div><p>alpha <b>beta</b> gamma</p><ul><li>one<li>two</ul></div><p>delta<i>eps</i></p>"
        u"<table><tr><td>cell</td></tr></table></body>"));
    auto body = document->body();
    std::vector<std::shared_ptr<DOMNode>> pool;
    for (auto* node = body->first(); node; node = node->traverseNext(body.get()))
        pool.push_back(node->shared_from_this());
    std::mt19937 random(1234);
    auto pick = [&]() -> std::shared_ptr<DOMNode> { return pool[random() % pool.size()]; };
    std::vector<std::shared_ptr<DOMRange>> ranges;
    for (int i = 0; i < 30; ++i) {
        auto range = document->createRange();
        auto a = pick();
        auto b = pick();
        range->setStart(a, random() % (a->length() + 1));
        range->setEnd(b, random() % (b->length() + 1));
        ranges.push_back(range);
    }

    for (int step = 0; step < 3000; ++step) {
        auto node = pick();
        auto* parent = node->parent();
        switch (random() % 12) {
        case 0:
            if (parent)
                parent->insertBefore(document->createTextNode(u"t"), node.get());
            break;
        case 1: {
            auto element = document->createElement(u"span");
            if (node->isElementNode())
                node->appendChild(element);
            pool.push_back(element);
            break;
        }
        case 2:
            if (parent && node != body)
                parent->removeChild(node.get());
            break;
        case 3:
            if (!node->isInclusiveAncestorOf(body.get()))
                body->insertBefore(node, body->childAt(random() % (body->childCount() + 1)));
            break;
        case 4:
            if (node->isTextNode()) {
                auto* text = downcast<DOMText>(node.get());
                text->replaceData(random() % (text->length() + 1), random() % 3, u"xyz");
            }
            break;
        case 5:
            if (node->isTextNode())
                downcast<DOMText>(node.get())->setData(step % 2 ? u"" : u"data");
            break;
        case 6:
            if (node->isTextNode() && parent) {
                auto* text = downcast<DOMText>(node.get());
                pool.push_back(text->splitText(random() % (text->length() + 1)));
            }
            break;
        case 7:
            if (node->isElementNode())
                node->normalize();
            break;
        case 8: {
            auto& range = ranges[random() % ranges.size()];
            if (range->startNode()->root() == body->root() && step % 3 == 0)
                range->deleteContents();
            break;
        }
        case 9: {
            auto& range = ranges[random() % ranges.size()];
            if (range->startNode()->root() == body->root() && step % 3 == 0) {
                if (auto fragment = range->extractContents())
                    range->insertNode(fragment);
            }
            break;
        }
        case 10: {
            auto& range = ranges[random() % ranges.size()];
            auto replacement = document->createElement(u"em");
            if (parent && node != body && !node->isInclusiveAncestorOf(body.get()))
                parent->replaceChild(replacement, node.get());
            (void)range;
            pool.push_back(replacement);
            break;
        }
        default: {
            auto& range = ranges[random() % ranges.size()];
            auto a = pick();
            range->setStart(a, random() % (a->length() + 1));
            break;
        }
        }
        ASSERT_NO_FATAL_FAILURE(expectConsistentTree(*document));
        for (auto& range : ranges)
            ASSERT_NO_FATAL_FAILURE(expectValidRange(*range)) << "step " << step;
    }
}

TEST(DOMMutationInvariants, RemovingAnAncestorMovesBoundariesToItsPlace)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(u"<body><i>x</i><div id=d><p><b>deep</b></p></div></body>"));
    auto body = document->body();
    auto deep = document->getElementById(u"d")->first()->first()->first()->shared_from_this();
    auto range = document->createRange();
    range->setStart(deep, 2);
    range->setEnd(body, 2);
    body->removeChild(document->getElementById(u"d"));
    EXPECT_EQ(range->startContainer(), body);
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_EQ(range->endOffset(), 1u);

    // Replacing a child is a removal then an insertion.
    auto other = document->createRange();
    other->setStart(body, 1);
    other->setEnd(body, 1);
    body->replaceChild(document->createTextNode(u"y"), body->first());
    EXPECT_EQ(other->startOffset(), 0u);
    EXPECT_EQ(other->endOffset(), 0u);

    // Moving a node into another document takes boundaries out of it first.
    auto second = DOMDocument::createHTMLDocument();
    auto inside = document->createRange();
    inside->selectNodeContents(body->first()->shared_from_this());
    second->body()->appendChild(body->first()->shared_from_this());
    EXPECT_EQ(inside->startContainer(), body);
    EXPECT_TRUE(inside->collapsed());
}

TEST(DOMMutationInvariants, ExtractWhenStartContainsEndAndCharacterDataEnds)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(u"<body><div id=d>a<b>bc</b><!--comment-->d</div></body>"));
    auto div = document->getElementById(u"d");
    auto comment = div->childAt(2)->shared_from_this();
    auto range = document->createRange();
    range->setStart(div, 1);
    range->setEnd(comment, 3);
    auto fragment = range->cloneContents();
    EXPECT_EQ(fragment->innerHTML(), u"<b>bc</b><!--com-->");
    auto extracted = range->extractContents();
    EXPECT_EQ(extracted->innerHTML(), u"<b>bc</b><!--com-->");
    EXPECT_EQ(div->innerHTML(), u"a<!--ment-->d");
    EXPECT_EQ(range->startContainer(), div);
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_TRUE(range->collapsed());

    // A contained doctype cannot be extracted.
    auto full = DOMDocument::parseHTML(std::u16string_view(u"<!DOCTYPE html><body>x</body>"));
    auto whole = full->createRange();
    whole->selectNodeContents(full);
    Error error;
    EXPECT_EQ(whole->extractContents(&error), nullptr);
    EXPECT_TRUE(error.is(DOMErrorDomain, static_cast<int64_t>(DOMExceptionCode::HierarchyRequestError)));
    EXPECT_TRUE(full->doctype());
}

TEST(DOMMutationInvariants, InsertNodeWithFragmentAndNormalizeSkipsCDATA)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(u"<body><p id=p>ab</p></body>"));
    auto p = document->getElementById(u"p");
    auto range = document->createRange();
    range->setStart(p, 1);
    auto fragment = document->createDocumentFragment();
    fragment->appendChild(document->createElement(u"i"));
    fragment->appendChild(document->createElement(u"u"));
    ASSERT_TRUE(range->insertNode(fragment));
    EXPECT_EQ(p->innerHTML(), u"ab<i></i><u></u>");
    EXPECT_EQ(range->endOffset(), 3u);

    auto xml = DOMDocument::parseXML("<r>a<![CDATA[b]]>c</r>");
    ASSERT_TRUE(xml);
    auto root = xml->documentElement();
    root->normalize();
    EXPECT_EQ(root->childCount(), 3u);
    EXPECT_EQ(root->textContent(), u"abc");
}
