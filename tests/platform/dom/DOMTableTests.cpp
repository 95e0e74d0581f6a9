#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(DOMTable, SectionsRowsAndCellsInLogicalOrder)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(
        u"<table id=t><caption>c</caption><tfoot><tr id=f><td>f</td></tr></tfoot>"
        u"<tbody><tr id=b1><th>h</th><td>1</td></tr></tbody><tbody><tr id=b2><td>2</td></tr></tbody>"
        u"<thead><tr id=h><td>h</td></tr></thead></table>"));
    auto table = document->getElementById(u"t");
    EXPECT_EQ(table->caption()->textContent(), u"c");
    EXPECT_EQ(table->tHead()->tagName(), u"THEAD");
    EXPECT_EQ(table->tFoot()->tagName(), u"TFOOT");
    EXPECT_EQ(table->tBodies()->length(), 2u);
    auto rows = table->rows();
    ASSERT_EQ(rows->length(), 4u);
    EXPECT_EQ(rows->item(0)->id(), u"h");
    EXPECT_EQ(rows->item(1)->id(), u"b1");
    EXPECT_EQ(rows->item(2)->id(), u"b2");
    EXPECT_EQ(rows->item(3)->id(), u"f");
    EXPECT_EQ(rows->namedItem(u"b2"), document->getElementById(u"b2"));
    auto b1 = document->getElementById(u"b1");
    EXPECT_EQ(b1->cells()->length(), 2u);
    EXPECT_EQ(b1->rowIndex(), 1);
    EXPECT_EQ(document->getElementById(u"b2")->sectionRowIndex(), 0);
    EXPECT_EQ(toElement(b1->lastChild())->cellIndex(), 1);

    // Inserting rows and cells.
    auto row = table->insertRow(2);
    // Before the row at that index, in that row's section.
    EXPECT_EQ(row->parentNode(), document->getElementById(u"b2")->parentNode());
    EXPECT_EQ(row->nextSibling(), document->getElementById(u"b2"));
    EXPECT_EQ(rows->length(), 5u);
    auto cell = row->insertCell();
    EXPECT_EQ(cell->tagName(), u"TD");
    Error error;
    EXPECT_EQ(table->insertRow(9, &error), nullptr);
    EXPECT_EQ(error.code(), static_cast<int64_t>(DOMExceptionCode::IndexSizeError));
    EXPECT_TRUE(table->deleteRow(-1));
    EXPECT_EQ(rows->length(), 4u);
}

TEST(DOMTable, CreatingSectionsOfAnEmptyTable)
{
    auto document = DOMDocument::createHTMLDocument();
    auto table = document->createElement(u"table");
    auto caption = table->createCaption();
    auto head = table->createTHead();
    EXPECT_EQ(table->createTHead(), head);
    EXPECT_EQ(head->previousSibling(), caption);
    // Without rows, a new row goes into a new body, not into the empty head.
    auto row = table->insertRow();
    EXPECT_EQ(row->parentElement()->tagName(), u"TBODY");
    table->deleteTHead();
    auto second = table->insertRow();
    EXPECT_EQ(second->previousSibling(), row);
    EXPECT_EQ(table->outerHTML(), u"<table><caption></caption><tbody><tr></tr><tr></tr></tbody></table>");
}
