// How columns take their widths from their cells and share a table's width.
#include "platform/web/WebTableColumns.h"
#include "platform/web/WebTableGrid.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

WebTableGrid gridOf(std::vector<WebTableCellSlot> cells, size_t columnCount)
{
    WebTableGrid grid;
    grid.cells = std::move(cells);
    grid.columnCount = columnCount;
    return grid;
}

void expectColumns(const std::vector<WebColumnWidths>& columns, const std::vector<std::pair<double, double>>& expected)
{
    ASSERT_EQ(columns.size(), expected.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        EXPECT_DOUBLE_EQ(columns[i].minimum, expected[i].first) << "column " << i;
        EXPECT_DOUBLE_EQ(columns[i].maximum, expected[i].second) << "column " << i;
    }
}

} // namespace

TEST(WebTableColumns, ColumnsTakeTheirCellsWidthsAndSpansWhatTheyLack)
{
    // Column 0: two cells; column 1: a set width below its content's minimum;
    // columns 2 and 3 only ever spanned, so they share the span equally.
    auto grid = gridOf({ { nullptr, 0, 0, 1, 1 }, { nullptr, 0, 1, 1, 1 }, { nullptr, 0, 2, 1, 2 }, { nullptr, 1, 0, 1, 1 },
                         { nullptr, 1, 1, 1, 1 } },
                       4);
    auto columns = webTableColumnWidths(grid, { { 10, 40, false }, { 30, 20, true }, { 16, 60, false }, { 20, 30, false },
                                                { 5, 200, false } });
    expectColumns(columns, { { 20, 40 }, { 30, 30 }, { 8, 30 }, { 8, 30 } });

    // A span over columns of content widens them by their maximums; one that fits changes nothing.
    grid = gridOf({ { nullptr, 0, 0, 1, 2 }, { nullptr, 1, 0, 1, 1 }, { nullptr, 1, 1, 1, 1 }, { nullptr, 2, 0, 1, 3 },
                    { nullptr, 2, 2, 1, 1 } },
                  3);
    columns = webTableColumnWidths(grid, { { 100, 100, false }, { 10, 20, false }, { 10, 60, false }, { 1, 1, false },
                                           { 0, 0, false } });
    expectColumns(columns, { { 30, 30 }, { 70, 70 }, { 0, 0 } });
}

TEST(WebTableColumns, ColumnsShareTheTableWidth)
{
    std::vector<WebColumnWidths> columns { { 10, 30 }, { 20, 20 }, { 10, 110 } };
    // At least the maximums: each its maximum and the rest by the maximums.
    auto widths = webTableColumnLayout(columns, 320);
    EXPECT_DOUBLE_EQ(widths[0], 60);
    EXPECT_DOUBLE_EQ(widths[1], 40);
    EXPECT_DOUBLE_EQ(widths[2], 220);
    // Between the sums: the minimums and the room by what more each wants.
    widths = webTableColumnLayout(columns, 100);
    EXPECT_DOUBLE_EQ(widths[0], 10 + 60.0 * 20 / 120);
    EXPECT_DOUBLE_EQ(widths[1], 20);
    EXPECT_DOUBLE_EQ(widths[2], 10 + 60.0 * 100 / 120);
    // Less than the minimums: the minimums.
    widths = webTableColumnLayout(columns, 5);
    EXPECT_EQ(widths, (std::vector<double> { 10, 20, 10 }));
    // Empty columns share a set width equally.
    widths = webTableColumnLayout({ {}, {} }, 50);
    EXPECT_EQ(widths, (std::vector<double> { 25, 25 }));
    EXPECT_TRUE(webTableColumnLayout({}, 50).empty());
}
