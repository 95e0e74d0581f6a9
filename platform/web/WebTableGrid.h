// WebTableGrid: where a table's cells stand in its grid of slots. Rows are
// taken in order; each cell takes the first free column of its row, and a cell
// spanning rows or columns fills those slots so that later cells skip them.
// Row spans end with the row group they start in.
#pragma once

#include <cstddef>
#include <vector>

namespace brevanton {

class DOMElement;

struct WebTableCellSlot {
    const DOMElement* cell { nullptr };
    size_t row { 0 };
    size_t column { 0 };
    size_t rowSpan { 1 };
    size_t columnSpan { 1 };
};

struct WebTableGrid {
    // The rows in order, and the cells in the order they start (row by row).
    std::vector<const DOMElement*> rows;
    std::vector<WebTableCellSlot> cells;
    size_t columnCount { 0 };
};

// `groups` holds the table's rows, group by group (THEAD, TBODY, TFOOT, or a
// run of rows standing directly in the table).
WebTableGrid webTableGrid(const std::vector<std::vector<const DOMElement*>>& groups);

// The cell elements (TD and TH) of a row.
std::vector<const DOMElement*> webTableRowCells(const DOMElement& row);

} // namespace brevanton
