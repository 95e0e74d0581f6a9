#include "platform/web/WebTableGrid.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMElement.h"

#include <algorithm>
#include <optional>
#include <string>

namespace brevanton {

namespace {

// A non-negative integer attribute (leading white space skipped), or nullopt.
std::optional<size_t> spanAttribute(const DOMElement& cell, std::u16string_view name)
{
    const std::u16string* value = cell.attributeValue(name);
    if (!value)
        return std::nullopt;
    size_t i = 0;
    while (i < value->size() && ((*value)[i] == ' ' || (*value)[i] == '\t' || (*value)[i] == '\n' || (*value)[i] == '\r' || (*value)[i] == '\f'))
        ++i;
    if (i < value->size() && (*value)[i] == '+')
        ++i;
    size_t number = 0;
    bool digits = false;
    for (; i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9'; ++i) {
        number = std::min<size_t>(number * 10 + static_cast<size_t>((*value)[i] - '0'), 1000000);
        digits = true;
    }
    if (!digits)
        return std::nullopt;
    return number;
}

constexpr size_t maximumColumnSpan = 1000;
constexpr size_t maximumRowSpan = 65534;

} // namespace

std::vector<const DOMElement*> webTableRowCells(const DOMElement& row)
{
    std::vector<const DOMElement*> cells;
    for (DOMNode* child = row.first(); child; child = child->next()) {
        if (!child->isElementNode())
            continue;
        auto* cell = downcast<DOMElement>(child);
        if (cell->hasTagName(u"td") || cell->hasTagName(u"th"))
            cells.push_back(cell);
    }
    return cells;
}

WebTableGrid webTableGrid(const std::vector<std::vector<const DOMElement*>>& groups)
{
    WebTableGrid grid;
    for (auto& group : groups) {
        size_t groupStart = grid.rows.size();
        size_t groupEnd = groupStart + group.size();
        // For each row of the group, which columns cells from above already fill.
        std::vector<std::vector<bool>> taken(group.size());
        for (size_t r = 0; r < group.size(); ++r) {
            size_t row = groupStart + r;
            grid.rows.push_back(group[r]);
            size_t column = 0;
            for (auto* cell : webTableRowCells(*group[r])) {
                while (column < taken[r].size() && taken[r][column])
                    ++column;
                size_t columnSpan = std::clamp<size_t>(spanAttribute(*cell, u"colspan").value_or(1), 1, maximumColumnSpan);
                // A row span of 0 reaches the end of the group.
                size_t rowSpan = std::min(spanAttribute(*cell, u"rowspan").value_or(1), maximumRowSpan);
                if (rowSpan == 0 || rowSpan > groupEnd - row)
                    rowSpan = groupEnd - row;
                for (size_t spanned = r; spanned < r + rowSpan; ++spanned) {
                    auto& slots = taken[spanned];
                    if (slots.size() < column + columnSpan)
                        slots.resize(column + columnSpan, false);
                    std::fill(slots.begin() + static_cast<std::ptrdiff_t>(column),
                              slots.begin() + static_cast<std::ptrdiff_t>(column + columnSpan), true);
                }
                grid.cells.push_back({ cell, row, column, rowSpan, columnSpan });
                column += columnSpan;
                grid.columnCount = std::max(grid.columnCount, column);
            }
        }
    }
    return grid;
}

} // namespace brevanton
