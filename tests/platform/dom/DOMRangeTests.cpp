#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct Fixture {
    explicit Fixture(std::u16string_view html)
        : document(DOMDocument::parseHTML(html))
        , body(document->body())
    {
    }
    std::shared_ptr<DOMElement> byId(std::u16string_view id) { return document->getElementById(id); }
    std::shared_ptr<DOMText> textIn(std::u16string_view id, unsigned index = 0)
    {
        auto node = byId(id)->childAt(index);
        return node ? downcast<DOMText>(node->shared_from_this()) : nullptr;
    }
    std::shared_ptr<DOMRange> range(const std::shared_ptr<DOMNode>& startNode, unsigned startOffset,
                                    const std::shared_ptr<DOMNode>& endNode, unsigned endOffset)
    {
        auto range = document->createRange();
        EXPECT_TRUE(range->setStart(startNode, startOffset));
        EXPECT_TRUE(range->setEnd(endNode, endOffset));
        return range;
    }

    std::shared_ptr<DOMDocument> document;
    std::shared_ptr<DOMElement> body;
};

void expectBoundary(const DOMRange& range, const std::shared_ptr<DOMNode>& startNode, unsigned startOffset,
                    const std::shared_ptr<DOMNode>& endNode, unsigned endOffset)
{
    EXPECT_EQ(range.startContainer(), startNode);
    EXPECT_EQ(range.startOffset(), startOffset);
    EXPECT_EQ(range.endContainer(), endNode);
    EXPECT_EQ(range.endOffset(), endOffset);
}

bool isDOMError(const Error& error, DOMExceptionCode code)
{
    return error.is(DOMErrorDomain, static_cast<int64_t>(code));
}

} // namespace

TEST(DOMRangeMutation, InsertionAndRemovalOfChildren)
{
    Fixture f(u"<body><div id=d><i>0</i><i>1</i><i>2</i></div></body>");
    auto div = f.byId(u"d");
    auto range = f.range(div, 1, div, 2);
    // Inserting at the boundary's index leaves it; inserting before moves it.
    div->insertBefore(f.document->createElement(u"b"), div->childAt(2));
    expectBoundary(*range, div, 1, div, 2);
    div->insertBefore(f.document->createElement(u"b"), div->childAt(0));
    expectBoundary(*range, div, 2, div, 3);
    // Inserting a fragment counts its children.
    auto fragment = f.document->createDocumentFragment();
    fragment->appendChild(f.document->createTextNode(u"a"));
    fragment->appendChild(f.document->createTextNode(u"b"));
    div->insertBefore(fragment, div->childAt(0));
    expectBoundary(*range, div, 4, div, 5);
    // Removing before the boundary moves it back.
    div->removeChild(div->childAt(0));
    expectBoundary(*range, div, 3, div, 4);
    // Removing a node holding a boundary moves the boundary to its place.
    auto holder = div->childAt(3);
    auto inner = holder->shared_from_this();
    range->setEnd(inner->firstChild(), 1);
    div->removeChild(holder);
    expectBoundary(*range, div, 3, div, 3);
    // Removing the node at the boundary index leaves the offset.
    div->removeChild(div->childAt(3));
    expectBoundary(*range, div, 3, div, 3);
}

TEST(DOMRangeMutation, CharacterDataEditsFollowReplaceDataRules)
{
    Fixture f(u"<body><p id=p>abcdef</p></body>");
    auto text = f.textIn(u"p");
    auto range = f.range(text, 2, text, 5);
    text->insertData(2, u"XX"); // at the start boundary: start stays
    expectBoundary(*range, text, 2, text, 7);
    text->insertData(0, u"_");
    expectBoundary(*range, text, 3, text, 8);
    text->deleteData(1, 4); // covers the start: start collapses to the deletion point
    expectBoundary(*range, text, 1, text, 4);
    text->replaceData(3, 5, u"0123456789"); // end inside the replaced part
    expectBoundary(*range, text, 1, text, 3);
    // Setting data replaces from 0 over the old length.
    text->setData(u"new text");
    expectBoundary(*range, text, 0, text, 0);
    range->setEnd(text, 8);
    text->appendData(u"!");
    expectBoundary(*range, text, 0, text, 8);
    text->setNodeValue(u"q");
    expectBoundary(*range, text, 0, text, 0);
}

TEST(DOMRangeMutation, SplitTextMovesBoundariesIntoTheNewNode)
{
    Fixture f(u"<body><p id=p>abcdef</p></body>");
    auto p = f.byId(u"p");
    auto text = f.textIn(u"p");
    auto inText = f.range(text, 1, text, 5);
    auto afterText = f.range(p, 1, p, 1);
    auto rest = text->splitText(3);
    expectBoundary(*inText, text, 1, rest, 2);
    expectBoundary(*afterText, p, 2, p, 2);
    auto atSplit = f.range(text, 3, text, 3);
    rest->splitText(0);
    expectBoundary(*atSplit, text, 3, text, 3);
}

TEST(DOMRangeMutation, NormalizeMergesBoundaries)
{
    Fixture f(u"<body><p id=p>ab</p></body>");
    auto p = f.byId(u"p");
    auto first = f.textIn(u"p");
    auto second = f.document->createTextNode(u"cd");
    auto third = f.document->createTextNode(u"ef");
    p->appendChild(second);
    p->appendChild(third);
    auto inSecond = f.range(second, 1, third, 2);
    auto between = f.range(p, 1, p, 2);
    auto after = f.range(p, 3, p, 3);
    p->normalize();
    EXPECT_EQ(first->data(), u"abcdef");
    expectBoundary(*inSecond, first, 3, first, 6);
    expectBoundary(*between, first, 2, first, 4);
    expectBoundary(*after, p, 1, p, 1);
}

TEST(DOMRangeContent, TextOfEveryRangeIsTheTextOfItsClonedContents)
{
    Fixture f(u"<body>ab<p id=a>cd<b>ef<i>gh</i></b><!--note-->ij</p><ul><li>kl</li><li></li><li>mn</li></ul>op</body>");
    std::vector<std::pair<std::shared_ptr<DOMNode>, unsigned>> points;
    for (DOMNode* node = f.body.get(); node; node = node->traverseNext(f.body.get())) {
        for (unsigned offset = 0; offset <= node->length(); ++offset)
            points.emplace_back(node->shared_from_this(), offset);
    }
    size_t checked = 0;
    for (auto& [startNode, startOffset] : points) {
        for (auto& [endNode, endOffset] : points) {
            auto range = f.document->createRange();
            ASSERT_TRUE(range->setStart(startNode, startOffset));
            ASSERT_TRUE(range->setEnd(endNode, endOffset));
            if (range->startContainer() != startNode || range->startOffset() != startOffset)
                continue; // the end lay before the start
            EXPECT_EQ(range->toString(), range->cloneContents()->textContent())
                << "from " << startOffset << " in " << toUTF8(startNode->nodeName()) << " to " << endOffset << " in "
                << toUTF8(endNode->nodeName());
            ++checked;
        }
    }
    EXPECT_GT(checked, 1000u);
}

TEST(DOMRangeContent, ExtractAcrossPartiallyContainedNodes)
{
    Fixture f(u"<body><p id=a>ab<b id=b>cd</b>ef</p><p id=c>gh</p></body>");
    auto range = f.range(f.textIn(u"b"), 1, f.textIn(u"c"), 1);
    EXPECT_EQ(range->toString(), u"defg");
    auto clone = range->cloneContents();
    auto& html = clone;
    auto serialize = [](const DOMNode& node) { return node.innerHTML(); };
    EXPECT_EQ(serialize(*html), u"<p id=\"a\"><b id=\"b\">d</b>ef</p><p id=\"c\">g</p>");
    EXPECT_EQ(f.body->innerHTML(), u"<p id=\"a\">ab<b id=\"b\">cd</b>ef</p><p id=\"c\">gh</p>");

    auto witness = f.range(f.textIn(u"a", 2), 1, f.textIn(u"a", 2), 2); // inside "ef"
    auto extracted = range->extractContents();
    EXPECT_EQ(serialize(*extracted), u"<p id=\"a\"><b id=\"b\">d</b>ef</p><p id=\"c\">g</p>");
    EXPECT_EQ(f.body->innerHTML(), u"<p id=\"a\">ab<b id=\"b\">c</b></p><p id=\"c\">h</p>");
    expectBoundary(*range, f.body, 1, f.body, 1);
    // A range inside extracted content ends up where the content was.
    EXPECT_EQ(witness->startContainer(), f.byId(u"a"));
    EXPECT_TRUE(witness->collapsed());
}

TEST(DOMRangeContent, DeleteContentsAndContainedChildren)
{
    Fixture f(u"<body><div id=d>x<p id=a>ab</p><p>mid</p><p id=c>cd</p>y</div></body>");
    auto div = f.byId(u"d");
    auto range = f.range(f.textIn(u"a"), 1, f.textIn(u"c"), 1);
    ASSERT_TRUE(range->deleteContents());
    EXPECT_EQ(div->innerHTML(), u"x<p id=\"a\">a</p><p id=\"c\">d</p>y");
    expectBoundary(*range, div, 2, div, 2);

    // End container an element: its children before the end offset go.
    Fixture g(u"<body><p id=a>ab</p><div id=e><i>1</i><i>2</i><i>3</i></div></body>");
    auto whole = g.range(g.textIn(u"a"), 1, g.byId(u"e"), 2);
    whole->deleteContents();
    EXPECT_EQ(g.body->innerHTML(), u"<p id=\"a\">a</p><div id=\"e\"><i>3</i></div>");

    // Within one text node.
    auto text = g.textIn(u"a");
    auto inText = g.range(text, 0, text, 1);
    EXPECT_EQ(inText->extractContents()->textContent(), u"a");
    EXPECT_EQ(text->data(), u"");
}

TEST(DOMRangeContent, InsertNodeSplitsTextAndExtendsCollapsedRange)
{
    Fixture f(u"<body><p id=p>abcd</p></body>");
    auto p = f.byId(u"p");
    auto text = f.textIn(u"p");
    auto range = f.range(text, 2, text, 2);
    auto b = f.document->createElement(u"b");
    ASSERT_TRUE(range->insertNode(b));
    EXPECT_EQ(p->innerHTML(), u"ab<b></b>cd");
    expectBoundary(*range, text, 2, p, 2);

    Error error;
    auto comment = f.document->createComment(u"c");
    p->appendChild(comment);
    range->setStart(comment, 0);
    EXPECT_FALSE(range->insertNode(f.document->createElement(u"i"), &error));
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::HierarchyRequestError));
}

TEST(DOMRangeContent, SurroundContents)
{
    Fixture f(u"<body><p id=p>abcd</p><p id=q>ef</p></body>");
    auto text = f.textIn(u"p");
    auto range = f.range(text, 1, text, 3);
    auto b = f.document->createElement(u"b");
    b->appendChild(f.document->createTextNode(u"old"));
    ASSERT_TRUE(range->surroundContents(b));
    EXPECT_EQ(f.byId(u"p")->innerHTML(), u"a<b>bc</b>d");
    EXPECT_EQ(range->startContainer(), f.byId(u"p"));
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_EQ(range->endOffset(), 2u);

    Error error;
    auto across = f.range(f.byId(u"p")->firstChild(), 0, f.textIn(u"q"), 1);
    EXPECT_FALSE(across->surroundContents(f.document->createElement(u"i"), &error));
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::InvalidStateError));
    EXPECT_EQ(f.body->innerHTML(), u"<p id=\"p\">a<b>bc</b>d</p><p id=\"q\">ef</p>");
}

TEST(DOMRangeBoundaries, SettersComparisonsAndErrors)
{
    Fixture f(u"<!DOCTYPE html><body><p id=a>ab</p><p id=b>cd</p></body>");
    auto a = f.textIn(u"a");
    auto b = f.textIn(u"b");
    auto first = f.range(a, 1, b, 1);
    auto second = f.range(a, 2, a, 2);
    EXPECT_EQ(first->compareBoundaryPoints(DOMRange::START_TO_START, *second), -1);
    EXPECT_EQ(first->compareBoundaryPoints(DOMRange::START_TO_END, *second), 1);
    EXPECT_EQ(first->compareBoundaryPoints(DOMRange::END_TO_END, *second), 1);
    EXPECT_EQ(first->compareBoundaryPoints(DOMRange::END_TO_START, *second), -1);
    EXPECT_EQ(first->commonAncestorContainer(), f.body);
    EXPECT_TRUE(first->isPointInRange(*f.byId(u"a"), 1));
    EXPECT_FALSE(first->isPointInRange(*f.byId(u"b"), 1));
    EXPECT_EQ(first->comparePoint(*f.body, 2), 1);
    EXPECT_TRUE(first->intersectsNode(*f.byId(u"b")));
    EXPECT_FALSE(second->intersectsNode(*f.byId(u"b")));

    // A start after the end collapses the end onto it.
    first->setStart(b, 2);
    expectBoundary(*first, b, 2, b, 2);
    first->setStartBefore(*f.byId(u"a"));
    first->setEndAfter(*f.byId(u"b"));
    expectBoundary(*first, f.body, 0, f.body, 2);
    first->selectNodeContents(f.byId(u"a"));
    expectBoundary(*first, f.byId(u"a"), 0, f.byId(u"a"), 1);
    first->collapse(true);
    EXPECT_TRUE(first->collapsed());

    Error error;
    EXPECT_FALSE(first->setStart(a, 3, &error));
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::IndexSizeError));
    EXPECT_FALSE(first->setStart(f.document->doctype(), 0, &error));
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::InvalidNodeTypeError));
    EXPECT_FALSE(first->selectNode(*f.document, &error));

    auto other = DOMDocument::createHTMLDocument();
    auto foreign = other->createRange();
    first->compareBoundaryPoints(DOMRange::START_TO_START, *foreign, &error);
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::WrongDocumentError));

    auto copy = first->cloneRange();
    expectBoundary(*copy, first->startContainer(), first->startOffset(), first->endContainer(), first->endOffset());
}

TEST(DOMRangeBoundaries, RangesInFragmentsAndRegistry)
{
    auto document = DOMDocument::createHTMLDocument();
    size_t before = document->ranges().size();
    auto fragment = document->createDocumentFragment();
    fragment->appendChild(document->createTextNode(u"one"));
    fragment->appendChild(document->createElement(u"br"));
    {
        auto range = document->createRange();
        ASSERT_TRUE(range->selectNodeContents(fragment));
        EXPECT_EQ(range->endOffset(), 2u);
        fragment->insertBefore(document->createTextNode(u"zero"), fragment->firstChild());
        EXPECT_EQ(range->endOffset(), 3u);
        EXPECT_EQ(range->toString(), u"zeroone");
        // Appending the fragment's children elsewhere empties it: the range collapses inside it.
        document->body()->appendChild(fragment);
        EXPECT_EQ(range->startContainer(), fragment);
        EXPECT_TRUE(range->collapsed());
        EXPECT_EQ(document->ranges().size(), before + 1);
    }
    EXPECT_EQ(document->ranges().size(), before);
}

TEST(DOMRangeBoundaries, RangeOutlivesItsDocument)
{
    std::shared_ptr<DOMRange> range;
    {
        auto document = DOMDocument::parseHTML(std::u16string_view(u"<p>x</p>"));
        range = document->createRange();
        range->selectNodeContents(document->body());
    }
    EXPECT_EQ(range->registeredDocument(), nullptr);
    EXPECT_EQ(range->toString(), u"x");
}

namespace {

// Every boundary point under the node: each gap of each container, and the
// start, an inner offset and the end of each text.
std::vector<std::pair<std::shared_ptr<DOMNode>, unsigned>> boundaryPointsUnder(const std::shared_ptr<DOMNode>& root)
{
    std::vector<std::pair<std::shared_ptr<DOMNode>, unsigned>> points;
    for (DOMNode* node = root.get(); node; node = node->traverseNext(root.get())) {
        auto shared = node->shared_from_this();
        if (node->isTextNode()) {
            points.emplace_back(shared, 0);
            if (node->length() > 1)
                points.emplace_back(shared, 1);
            points.emplace_back(shared, node->length());
        } else {
            for (unsigned offset = 0; offset <= node->childCount(); ++offset)
                points.emplace_back(shared, offset);
        }
    }
    return points;
}

} // namespace

TEST(DOMRange, ClonedContentsMatchTheirSerializationForEveryPairOfBoundaries)
{
    // The contents of a range cloned (or extracted) are the children between
    // its ends; the serializer walks the same range without cloning. Long
    // runs of siblings, nesting on either side, ends in text and at gaps.
    Fixture f(u"<ul id=l><li>a<b>b</b></li><li>c</li><li>d<ol><li>e</li><li>f</li></ol>g</li><li>h</li></ul><p id=p>i<em>j</em>k</p>");
    auto points = boundaryPointsUnder(f.body);
    size_t compared = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        for (size_t j = 0; j < points.size(); ++j) {
            auto range = f.document->createRange();
            range->setStart(points[i].first, points[i].second);
            range->setEnd(points[j].first, points[j].second);
            if (range->startContainer() != points[i].first || range->startOffset() != points[i].second)
                continue; // the end lies before the start: the range collapsed there
            std::u16string serialized;
            ASSERT_TRUE(serializeRangeContentsAsHTML(*range, serialized));
            std::u16string cloned;
            serializeChildrenAsHTML(*range->cloneContents(), cloned);
            ASSERT_EQ(toUTF8(cloned), toUTF8(serialized)) << i << " to " << j;
            ++compared;
        }
    }
    EXPECT_GT(compared, 1000u);

    // Extraction takes the same children and leaves the range collapsed where they were.
    auto list = f.byId(u"l");
    auto range = f.range(list->childAt(0)->firstChild(), 1, list, 3);
    auto extracted = range->extractContents();
    std::u16string out;
    serializeChildrenAsHTML(*extracted, out);
    EXPECT_EQ(toUTF8(out), "<li><b>b</b></li><li>c</li><li>d<ol><li>e</li><li>f</li></ol>g</li>");
    expectBoundary(*range, list, 1, list, 1);
}

// A range from text at the bottom of a page nested as deep as browsers build
// them, to text at its top, is copied and extracted level by level: every
// level comes along, nothing of the stack is used per level.
TEST(DOMRangeContent, ARangeFromTheBottomOfAVeryDeepPageIsCopiedAndExtractedWhole)
{
    constexpr unsigned depth = 100000;
    std::u16string html = u"<body><p id=top>before</p>";
    for (unsigned level = 0; level < depth; ++level)
        html += u"<div>";
    html += u"deepest";
    for (unsigned level = 0; level < depth; ++level)
        html += u"</div>";
    html += u"<p id=end>after</p></body>";
    Fixture f(html);
    DOMNode* bottom = f.body->childAt(1);
    while (bottom->first())
        bottom = bottom->first();
    auto deepest = downcast<DOMText>(bottom->shared_from_this());
    ASSERT_EQ(deepest->data(), u"deepest");
    auto after = f.textIn(u"end");

    auto levels = [](const DOMNode& fragment) {
        unsigned found = 0;
        for (const DOMNode* node = fragment.first(); node && node->isElementNode(); node = node->first())
            ++found;
        return found;
    };
    for (bool fromTheBottom : { true, false }) {
        SCOPED_TRACE(fromTheBottom ? "start at the bottom" : "end at the bottom");
        auto range = fromTheBottom ? f.range(deepest, 4, after, 2) : f.range(f.textIn(u"top"), 3, deepest, 4);
        auto copy = range->cloneContents();
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->textContent(), fromTheBottom ? u"estaf" : u"oredeep");
        EXPECT_EQ(levels(*copy), fromTheBottom ? depth : 1u);
    }
    auto range = f.range(deepest, 4, after, 2);
    auto extracted = range->extractContents();
    ASSERT_TRUE(extracted);
    EXPECT_EQ(extracted->textContent(), u"estaf");
    EXPECT_EQ(deepest->data(), u"deep");
    EXPECT_EQ(after->data(), u"ter");
}
