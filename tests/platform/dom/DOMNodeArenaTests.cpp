#include "platform/dom/DOMNodeArena.h"

#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/HTMLTreeBuilder.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace brevanton;

namespace {

bool arenaIsEnabled()
{
    DOMNodeArena arena;
    return DOMNodeArena::isOpen();
}

std::u16string largePage(size_t paragraphs)
{
    std::u16string page = u"<!DOCTYPE html><title>t</title>";
    for (size_t i = 0; i < paragraphs; ++i)
        page += u"<p class=x>Some <b>words</b> &amp; more words of a paragraph that is long enough</p>\n";
    return page;
}

} // namespace

// A slab goes when its last node goes, however long that is after the arena
// closed, and whichever thread lets the node go.
TEST(DOMNodeArena, SlabsLiveAsLongAsAnyOfTheirNodes)
{
    if (!arenaIsEnabled())
        GTEST_SKIP() << "address-sanitizer builds make every node on its own";
    size_t before = DOMNodeArena::liveSlabCountForTesting();
    auto document = DOMDocument::create(DOMDocument::Kind::HTML);
    std::vector<std::shared_ptr<DOMText>> texts;
    {
        DOMNodeArena arena;
        for (int i = 0; i < 2000; ++i)
            texts.push_back(DOMNodeArena::makeNode<DOMText>(document->documentHandle(), u"text of some length " + std::u16string(1, u'a' + i % 26)));
        // Nodes dying while the arena is open do not free the slab being filled.
        texts.pop_back();
        texts.push_back(DOMNodeArena::makeNode<DOMText>(document->documentHandle(), u"last"));
    }
    size_t slabs = DOMNodeArena::liveSlabCountForTesting() - before;
    EXPECT_GE(slabs, 2u);
    EXPECT_EQ(texts[1999]->data(), u"last");

    // Every node but the first and the last dies on another thread.
    auto first = texts.front();
    auto last = texts.back();
    std::thread([moved = std::move(texts)]() mutable { moved.clear(); }).join();
    EXPECT_LE(DOMNodeArena::liveSlabCountForTesting() - before, 2u);
    EXPECT_EQ(first->data(), u"text of some length a");
    first.reset();
    last.reset();
    EXPECT_EQ(DOMNodeArena::liveSlabCountForTesting(), before);

    // Closed, the arena leaves nodes to make_shared.
    auto plain = DOMNodeArena::makeNode<DOMText>(document->documentHandle(), u"plain");
    EXPECT_EQ(DOMNodeArena::liveSlabCountForTesting(), before);
}

// A large page's nodes come from slabs, which go with the document; a node
// the program keeps holds its slab alone, and can still move and change.
TEST(DOMNodeArena, ALargePageReturnsItsSlabsWithItsNodes)
{
    if (!arenaIsEnabled())
        GTEST_SKIP() << "address-sanitizer builds make every node on its own";
    size_t before = DOMNodeArena::liveSlabCountForTesting();
    auto document = buildHTMLDocument(largePage(2000));
    EXPECT_GT(DOMNodeArena::liveSlabCountForTesting() - before, 10u);
    std::shared_ptr<DOMNode> kept = document->body()->first()->shared_from_this();
    auto other = DOMDocument::createHTMLDocument();
    document.reset();
    EXPECT_EQ(DOMNodeArena::liveSlabCountForTesting() - before, 1u);
    other->body()->appendChild(kept);
    // Its attribute block, cut from the slab, grows into the heap and shrinks again.
    auto* paragraph = downcast<DOMElement>(kept.get());
    paragraph->setAttribute(u"class", u"kept");
    paragraph->setAttribute(u"id", u"p1");
    paragraph->setAttribute(u"title", u"a title long enough to be on the heap");
    paragraph->removeAttribute(u"id");
    EXPECT_EQ(other->body()->innerHTML(), u"<p class=\"kept\" title=\"a title long enough to be on the heap\">Some <b>words</b> "
                                          u"&amp; more words of a paragraph that is long enough</p>");
    other.reset();
    kept.reset();
    EXPECT_EQ(DOMNodeArena::liveSlabCountForTesting(), before);

    // A small page takes no slab.
    auto small = buildHTMLDocument(largePage(3));
    EXPECT_EQ(DOMNodeArena::liveSlabCountForTesting(), before);
}

// Slabs dying inside a release batch wait for the outermost batch to close,
// then all go back; the slab of a node that lives on, between dead
// neighbours, keeps its pages.
TEST(DOMNodeArena, ReleaseBatchesGiveSlabsBackWhenTheOutermostCloses)
{
    if (!arenaIsEnabled())
        GTEST_SKIP() << "address-sanitizer builds make every node on its own";
    size_t before = DOMNodeArena::liveSlabCountForTesting();
    auto first = buildHTMLDocument(largePage(2000));
    auto second = buildHTMLDocument(largePage(2000));
    size_t firstSlabs = 0;
    std::shared_ptr<DOMNode> kept;
    {
        DOMNodeArena::ReleaseBatch outer;
        // A paragraph from the middle of the page.
        auto* paragraph = first->body()->first();
        for (int i = 0; i < 1000; ++i)
            paragraph = paragraph->next();
        kept = paragraph->shared_from_this();
        size_t all = DOMNodeArena::liveSlabCountForTesting() - before;
        {
            DOMNodeArena::ReleaseBatch inner;
            first.reset();
        }
        EXPECT_EQ(DOMNodeArena::liveSlabCountForTesting() - before, all);
        firstSlabs = all;
        second.reset();
        EXPECT_EQ(DOMNodeArena::liveSlabCountForTesting() - before, all);
    }
    EXPECT_EQ(DOMNodeArena::liveSlabCountForTesting() - before, 1u);
    EXPECT_GT(firstSlabs, 20u);
    auto other = DOMDocument::createHTMLDocument();
    other->body()->appendChild(kept);
    EXPECT_EQ(other->body()->innerHTML(),
              u"<p class=\"x\">Some <b>words</b> &amp; more words of a paragraph that is long enough</p>");
    other.reset();
    kept.reset();
    EXPECT_EQ(DOMNodeArena::liveSlabCountForTesting(), before);
}
