#include "dom/VornickTableExtensions.h"

#include "VornickDOMTestSupport.h"
#include "toolkit/VornickRange.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using namespace testing;

constexpr char16_t TableMarkup[] = u"<table id=t><thead id=h><tr id=hr><th>H1</th><th>H2</th></tr></thead>"
                                   u"<tbody id=b1><tr id=r1><td id=c11>1</td><td id=c12>2</td></tr></tbody>"
                                   u"<tbody id=b2></tbody>"
                                   u"<tbody id=b3><tr id=r3><td id=c31>3</td><!--x--><td>4</td><td>5</td></tr></tbody>"
                                   u"<tfoot id=f><tr id=fr><td id=fc>F</td></tr></tfoot></table>";

TEST(VornickTableExtensions, SectionsFollowEachOtherInOrder)
{
    auto document = documentWithBody(TableMarkup);
    auto section = [&](std::u16string_view id) { return byId(document, id); };
    EXPECT_EQ(vornick_nextTableSection(*section(u"h")), section(u"b1"));
    EXPECT_EQ(vornick_nextTableSection(*section(u"b1")), section(u"b2")) << "not straight to the TFOOT";
    EXPECT_EQ(vornick_nextTableSection(*section(u"b3")), section(u"f"));
    EXPECT_EQ(vornick_nextTableSection(*section(u"f")), nullptr);
    EXPECT_EQ(vornick_previousTableSection(*section(u"f")), section(u"b3"));
    EXPECT_EQ(vornick_previousTableSection(*section(u"b3")), section(u"b2"));
    EXPECT_EQ(vornick_previousTableSection(*section(u"b1")), section(u"h"));
    EXPECT_EQ(vornick_nextTableSectionInLogicalOrder(*section(u"h")), section(u"b1"));
    EXPECT_EQ(vornick_nextTableSectionInLogicalOrder(*section(u"b1")), section(u"b2"));
    EXPECT_EQ(vornick_nextTableSectionInLogicalOrder(*section(u"b3")), section(u"f"));
}

TEST(VornickTableExtensions, KeyboardNavigationCrossesRowsAndSections)
{
    auto document = documentWithBody(TableMarkup);
    auto cell = [&](std::u16string_view id) { return byId(document, id); };
    EXPECT_EQ(vornick_nextTableCellAllowingWrapToNextRow(*cell(u"c12"), true), cell(u"c31"))
        << "the empty body between is passed over";
    EXPECT_EQ(vornick_nextTableCellAllowingWrapToNextRow(*cell(u"c12"), false), nullptr);
    EXPECT_EQ(vornick_previousTableCellAllowingWrapToPreviousRow(*cell(u"c31"), true), cell(u"c12"));
    EXPECT_EQ(vornick_previousTableCellAllowingWrapToPreviousRow(*cell(u"c11"), true)->textContent(), u"H2");
    EXPECT_EQ(vornick_previousTableCellAllowingWrapToPreviousRow(*cell(u"fc"), true)->textContent(), u"5");
    EXPECT_EQ(vornick_nextTableRowForKeyboardNavigation(*cell(u"r3")), cell(u"fr"));
    EXPECT_EQ(vornick_nextTableRowForKeyboardNavigation(*cell(u"fr")), nullptr);
    EXPECT_EQ(vornick_previousTableRowForKeyboardNavigation(*cell(u"fr")), cell(u"r3"));
}

TEST(VornickTableExtensions, RowsCellsAndColumns)
{
    auto document = documentWithBody(TableMarkup);
    auto table = byId(document, u"t");
    EXPECT_EQ(vornick_enclosingTable(*byId(document, u"c11")), table);
    EXPECT_EQ(vornick_firstTableRow(*table), byId(document, u"hr"));
    EXPECT_EQ(vornick_lastTableRow(*table), byId(document, u"fr"));
    auto r3 = byId(document, u"r3");
    EXPECT_EQ(vornick_numberOfCellsInTableRow(*r3), 3u);
    EXPECT_EQ(vornick_tableCellAtColumnIndexInRow(*r3, 2)->textContent(), u"5");
    EXPECT_EQ(vornick_tableCellAtColumnIndexInRow(*r3, 3), nullptr);
    EXPECT_EQ(vornick_tableCellAtColumnIndexInRow(*r3, VornickNotFound), nullptr);
    EXPECT_EQ(vornick_columnIndexOfTableCell(*vornick_lastTableRowCell(*r3)), 2u);
    EXPECT_EQ(vornick_columnIndexOfTableCell(*r3), VornickNotFound);
    EXPECT_EQ(vornick_typicalNumberOfColumns(*table), 3u);
    size_t rows = 0;
    EXPECT_FALSE(vornick_enumerateRowsWithOptions(*table, 0, [&](const std::shared_ptr<DOMElement>&, bool& stop) {
        stop = ++rows == 2;
    }));
    EXPECT_EQ(rows, 2u);

    auto emptyHead = documentWithBody(u"<table id=t><thead></thead><tbody></tbody><tbody><tr id=r></tr></tbody></table>");
    EXPECT_EQ(vornick_firstTableRow(*byId(emptyHead, u"t")), byId(emptyHead, u"r"));

    // An XHTML table keeps its rows directly in the TABLE.
    auto xhtml = DOMDocument::parseXML("<html xmlns='http://www.w3.org/1999/xhtml'><body><table id='t'>"
                                       "<tr id='a'><td>1</td></tr><tr id='b'><td>2</td></tr></table></body></html>");
    ASSERT_TRUE(xhtml);
    auto bare = byId(xhtml, u"t");
    EXPECT_EQ(vornick_firstTableRow(*bare), byId(xhtml, u"a"));
    EXPECT_EQ(vornick_lastTableRow(*bare), byId(xhtml, u"b"));
    EXPECT_EQ(vornick_typicalNumberOfColumns(*bare), 1u);
}

} // namespace
} // namespace brevanton
