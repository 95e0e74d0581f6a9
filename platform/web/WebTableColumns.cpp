#include "platform/web/WebTableColumns.h"

#include "platform/web/WebTableGrid.h"

#include <algorithm>

namespace brevanton {

namespace {

// Widens the columns [begin, end) so that their `member`s add up to at least
// `needed`, in proportion to their maximums (equally when all are zero).
void widenSpan(std::vector<WebColumnWidths>& columns, size_t begin, size_t end, double WebColumnWidths::*member,
               double needed)
{
    double sum = 0;
    double weights = 0;
    for (size_t i = begin; i < end; ++i) {
        sum += columns[i].*member;
        weights += columns[i].maximum;
    }
    if (needed <= sum)
        return;
    double extra = needed - sum;
    auto count = static_cast<double>(end - begin);
    std::vector<double> shares(end - begin);
    for (size_t i = begin; i < end; ++i)
        shares[i - begin] = weights > 0 ? extra * columns[i].maximum / weights : extra / count;
    for (size_t i = begin; i < end; ++i) {
        columns[i].*member += shares[i - begin];
        columns[i].maximum = std::max(columns[i].maximum, columns[i].minimum);
    }
}

} // namespace

std::vector<WebColumnWidths> webTableColumnWidths(const WebTableGrid& grid, const std::vector<WebTableCellWidths>& cells)
{
    std::vector<WebColumnWidths> columns(grid.columnCount);
    // The largest set width of a column's cells, or -1.
    std::vector<double> setMaximums(grid.columnCount, -1);
    std::vector<size_t> spanning;
    for (size_t i = 0; i < grid.cells.size() && i < cells.size(); ++i) {
        auto& slot = grid.cells[i];
        if (slot.columnSpan > 1) {
            spanning.push_back(i);
            continue;
        }
        auto& column = columns[slot.column];
        column.minimum = std::max(column.minimum, cells[i].minimum);
        if (cells[i].set)
            setMaximums[slot.column] = std::max(setMaximums[slot.column], cells[i].maximum);
        else
            column.maximum = std::max(column.maximum, cells[i].maximum);
    }
    for (size_t c = 0; c < columns.size(); ++c) {
        if (setMaximums[c] >= 0)
            columns[c].maximum = setMaximums[c];
        columns[c].maximum = std::max(columns[c].maximum, columns[c].minimum);
    }
    // Narrower spans first, so that wider ones see what those already gave.
    std::stable_sort(spanning.begin(), spanning.end(),
                     [&](size_t a, size_t b) { return grid.cells[a].columnSpan < grid.cells[b].columnSpan; });
    for (size_t i : spanning) {
        auto& slot = grid.cells[i];
        size_t end = std::min(slot.column + slot.columnSpan, columns.size());
        widenSpan(columns, slot.column, end, &WebColumnWidths::minimum, cells[i].minimum);
        widenSpan(columns, slot.column, end, &WebColumnWidths::maximum, cells[i].maximum);
    }
    return columns;
}

WebColumnSums webTableColumnSums(const std::vector<WebColumnWidths>& columns)
{
    WebColumnSums sums;
    for (auto& column : columns) {
        sums.minimum += column.minimum;
        sums.maximum += column.maximum;
    }
    return sums;
}

std::vector<double> webTableColumnLayout(const std::vector<WebColumnWidths>& columns, double tableWidth)
{
    std::vector<double> widths(columns.size());
    if (columns.empty())
        return widths;
    WebColumnSums sums = webTableColumnSums(columns);
    auto count = static_cast<double>(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        auto& column = columns[i];
        if (tableWidth >= sums.maximum) {
            double excess = tableWidth - sums.maximum;
            widths[i] = column.maximum + (sums.maximum > 0 ? excess * column.maximum / sums.maximum : excess / count);
        } else if (tableWidth > sums.minimum)
            widths[i] = column.minimum
                + (tableWidth - sums.minimum) * (column.maximum - column.minimum) / (sums.maximum - sums.minimum);
        else
            widths[i] = column.minimum;
    }
    return widths;
}

} // namespace brevanton
