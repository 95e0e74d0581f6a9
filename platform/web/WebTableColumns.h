// WebTableColumns: how wide a table's columns are. Each cell brings the
// narrowest width its content fits in (its widest unbreakable run) and the
// width it takes unwrapped; a column takes the largest of its cells', and a
// cell spanning several columns widens them by what it needs beyond their sum.
// The columns then share the table's width: each its maximum and the rest in
// proportion to the maximums when there is room for all maximums, else its
// minimum and the room above the minimums in proportion to (maximum - minimum).
#pragma once

#include <vector>

namespace brevanton {

struct WebTableGrid;

struct WebColumnWidths {
    double minimum { 0 };
    double maximum { 0 };
};

struct WebTableCellWidths {
    double minimum { 0 };
    double maximum { 0 };
    // Whether the cell's width is set: its maximum is then that width (never
    // below its minimum), and it bounds its column's maximum.
    bool set { false };
};

// The widths of the grid's columns; `cells` holds one entry per cell of `grid.cells`, in order.
std::vector<WebColumnWidths> webTableColumnWidths(const WebTableGrid&, const std::vector<WebTableCellWidths>& cells);

struct WebColumnSums {
    double minimum { 0 };
    double maximum { 0 };
};
WebColumnSums webTableColumnSums(const std::vector<WebColumnWidths>&);

// The used width of each column when the columns take `tableWidth` together
// (at least the sum of their minimums, which they take when it is less).
std::vector<double> webTableColumnLayout(const std::vector<WebColumnWidths>&, double tableWidth);

} // namespace brevanton
