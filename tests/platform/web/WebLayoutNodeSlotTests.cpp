// A layout finds a node's box through the node's layout slot, an index the
// node keeps. These cases leave slots that no longer name the box (the box
// went and its place was taken, another layout wrote the slot, the node went
// to another document) and check that every layout still answers its own boxes.
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebLayout.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace brevanton {
namespace web_layout_node_slot_tests {
namespace {

std::u16string rows(int from, int to)
{
    std::u16string markup;
    for (int i = from; i < to; ++i)
        markup += u"<li>Row " + toUTF16(std::to_string(i)) + u" with a few words</li>";
    return markup;
}

std::shared_ptr<DOMDocument> listDocument(int count)
{
    return parseHTMLDocument(u"<body style='margin:0'><ul id=list style='margin:0;padding:0'>" + rows(0, count)
                             + u"</ul><p id=after>After</p>");
}

void append(DOMDocument& document, int from, int to)
{
    auto list = document.getElementById(u"list");
    list->appendChild(parseFragment(document, rows(from, to), list.get()));
}

// Every row, its text and what follows the list have the boxes a new layout of `width` gives them.
void expectSameAsFromScratch(const WebLayout& layout, const DOMDocument& document, double width)
{
    WebLayout fresh;
    fresh.layoutIfNeeded(document, width, 1);
    auto list = document.getElementById(u"list");
    size_t index = 0;
    for (auto row = list->firstElementChild(); row; row = row->nextElementSibling(), ++index) {
        ASSERT_EQ(layout.boundingBox(*row), fresh.boundingBox(*row)) << "row " << index << " at " << width;
        ASSERT_EQ(layout.lineBoxRects(*row->firstChild()), fresh.lineBoxRects(*row->firstChild())) << "row " << index;
    }
    EXPECT_EQ(layout.boundingBox(*document.getElementById(u"after")), fresh.boundingBox(*document.getElementById(u"after")));
    EXPECT_EQ(layout.documentSize(), fresh.documentSize());
}

TEST(WebLayoutNodeSlot, TwoLayoutsOfOneDocumentEachKeepTheirBoxes)
{
    auto document = listDocument(20);
    WebLayout narrow, wide;
    narrow.layoutIfNeeded(*document, 100, 1);
    wide.layoutIfNeeded(*document, 800, 1);
    // The rows wrap in the narrow layout alone.
    auto first = document->getElementById(u"list")->firstElementChild();
    EXPECT_EQ(narrow.boundingBox(*first).width(), 100);
    EXPECT_EQ(wide.boundingBox(*first).width(), 800);
    EXPECT_GT(narrow.lineBoxRects(*first->firstChild()).size(), 1u);
    expectSameAsFromScratch(narrow, *document, 100);
    expectSameAsFromScratch(wide, *document, 800);

    // New rows, laid out by one layout and then by the other, each writing the slots last.
    uint64_t full = narrow.fullLayoutCount();
    append(*document, 20, 40);
    narrow.layoutIfNeeded(*document, 100, 1);
    wide.layoutIfNeeded(*document, 800, 1);
    EXPECT_EQ(narrow.fullLayoutCount(), full) << "the new rows alone";
    expectSameAsFromScratch(narrow, *document, 100);
    expectSameAsFromScratch(wide, *document, 800);
    append(*document, 40, 45);
    wide.layoutIfNeeded(*document, 800, 1);
    narrow.layoutIfNeeded(*document, 100, 1);
    expectSameAsFromScratch(narrow, *document, 100);
    expectSameAsFromScratch(wide, *document, 800);

    // A layout that wrote every slot and went leaves the others their boxes.
    {
        WebLayout gone;
        gone.layoutIfNeeded(*document, 300, 1);
    }
    expectSameAsFromScratch(narrow, *document, 100);
    expectSameAsFromScratch(wide, *document, 800);
}

TEST(WebLayoutNodeSlot, ARemovedRowHasNoBoxWhenANewRowTakesItsPlace)
{
    auto document = listDocument(10);
    WebLayout layout;
    layout.layoutIfNeeded(*document, 400, 1);
    auto list = document->getElementById(u"list");
    auto removed = list->firstElementChild()->nextElementSibling();
    auto removedText = removed->firstChild();
    ASSERT_NE(layout.boundingBox(*removed), Rect());
    removed->remove();
    layout.layoutIfNeeded(*document, 400, 1);
    EXPECT_EQ(layout.boundingBox(*removed), Rect());
    // The new row's boxes take the places the removed row's left.
    append(*document, 10, 12);
    layout.layoutIfNeeded(*document, 400, 1);
    EXPECT_EQ(layout.boundingBox(*removed), Rect());
    EXPECT_EQ(layout.boundingBox(*removedText), Rect());
    EXPECT_TRUE(layout.lineBoxRects(*removedText).empty());
    expectSameAsFromScratch(layout, *document, 400);

    // Put back, it has boxes again; a full layout keeps them right too.
    list->appendChild(removed);
    layout.layoutIfNeeded(*document, 400, 1);
    EXPECT_NE(layout.boundingBox(*removed), Rect());
    expectSameAsFromScratch(layout, *document, 400);
    layout.invalidate();
    layout.layoutIfNeeded(*document, 400, 1);
    expectSameAsFromScratch(layout, *document, 400);
}

TEST(WebLayoutNodeSlot, ARowMovedToAnotherDocumentHasItsBoxInThatDocumentsLayout)
{
    auto source = listDocument(5);
    auto target = listDocument(3);
    WebLayout sourceLayout, targetLayout;
    // Either layout may come first: each writes the row's slot in turn.
    auto layOutBoth = [&](bool targetFirst) {
        for (bool targetNow : { targetFirst, !targetFirst }) {
            if (targetNow)
                targetLayout.layoutIfNeeded(*target, 200, 1);
            else
                sourceLayout.layoutIfNeeded(*source, 400, 1);
        }
    };
    layOutBoth(false);
    auto moved = source->getElementById(u"list")->firstElementChild();

    // Moved there, then back again.
    for (bool toTarget : { true, false }) {
        SCOPED_TRACE(toTarget ? "moved to the other document" : "moved back");
        (toTarget ? target : source)->getElementById(u"list")->appendChild(moved);
        layOutBoth(!toTarget);
        EXPECT_EQ((toTarget ? sourceLayout : targetLayout).boundingBox(*moved), Rect());
        EXPECT_EQ((toTarget ? targetLayout : sourceLayout).boundingBox(*moved).width(), toTarget ? 200 : 400);
        expectSameAsFromScratch(sourceLayout, *source, 400);
        expectSameAsFromScratch(targetLayout, *target, 200);
    }
}

} // namespace
} // namespace web_layout_node_slot_tests
} // namespace brevanton
