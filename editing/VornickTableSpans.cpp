#include "editing/VornickTableSpans.h"

#include "dom/VornickTableExtensions.h"
#include "editing/commands/VornickUndoableAttributeValue.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebTableGrid.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

namespace brevanton {

namespace {

bool isCell(const DOMNode* node)
{
    auto* element = toElement(node);
    return element && (element->hasTagName(u"td") || element->hasTagName(u"th"));
}

// The rows of the table, each group (a section, or the table itself for
// rows standing in it) in document order.
std::vector<std::vector<std::shared_ptr<DOMElement>>> rowGroups(DOMElement& table)
{
    std::vector<std::vector<std::shared_ptr<DOMElement>>> groups;
    DOMNode* parent = nullptr;
    vornick_enumerateRowsWithOptions(table, 0, [&](const std::shared_ptr<DOMElement>& row, bool&) {
        if (groups.empty() || row->parent() != parent) {
            groups.emplace_back();
            parent = row->parent();
        }
        groups.back().push_back(row);
    });
    return groups;
}

std::shared_ptr<DOMElement> shared(const DOMElement* element)
{
    return downcast<DOMElement>(const_cast<DOMElement*>(element)->shared_from_this());
}

// The rows of the row's group (its section), and the row's index among them;
// none when the row stands in no group.
std::vector<const DOMElement*> rowsOfGroup(const DOMElement& row, size_t& rowIndex)
{
    std::vector<const DOMElement*> rows;
    auto* group = row.parent();
    if (!group)
        return rows;
    for (DOMNode* child = group->first(); child; child = child->next()) {
        if (auto* element = toElement(child); element && element->hasTagName(u"tr"))
            rows.push_back(element);
    }
    auto at = std::find(rows.begin(), rows.end(), &row);
    if (at == rows.end())
        return {};
    rowIndex = static_cast<size_t>(at - rows.begin());
    return rows;
}

struct PlacedCell {
    const DOMElement* cell;
    unsigned firstColumn;
    unsigned columnSpan;
};

std::vector<std::vector<const DOMElement*>> constRows(const std::vector<std::vector<std::shared_ptr<DOMElement>>>& groups)
{
    std::vector<std::vector<const DOMElement*>> rows;
    for (const auto& group : groups) {
        rows.emplace_back();
        for (const auto& row : group)
            rows.back().push_back(row.get());
    }
    return rows;
}

// Every cell with the column it starts in, as the cells spanning rows above
// push it to the right; and the table's width: the columns a cell starts in.
std::vector<PlacedCell> placeCells(DOMElement& table, unsigned& width)
{
    std::vector<PlacedCell> placed;
    width = 0;
    for (const auto& slot : webTableGrid(constRows(rowGroups(table))).cells) {
        placed.push_back({ slot.cell, static_cast<unsigned>(slot.column), static_cast<unsigned>(slot.columnSpan) });
        width = std::max(width, static_cast<unsigned>(slot.column + 1));
    }
    return placed;
}

// The attribute's leading digits as a number; none without digits.
std::optional<unsigned> spanValue(const DOMElement& cell, const std::u16string& attribute)
{
    if (!cell.hasAttribute(attribute))
        return std::nullopt;
    std::string digits;
    for (char16_t c : cell.getAttribute(attribute)) {
        if (c < u'0' || c > u'9')
            break;
        digits += static_cast<char>(c);
    }
    unsigned value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    (void)end;
    return error == std::errc() ? std::optional<unsigned>(value) : std::nullopt;
}

unsigned reachPastLastColumn(const PlacedCell& placed, unsigned width)
{
    unsigned end = placed.firstColumn + placed.columnSpan;
    return end > width ? end - width : 0;
}

} // namespace

unsigned VornickTableSpans::spanOfCell(const DOMElement& cell, const std::u16string& attribute)
{
    auto value = spanValue(cell, attribute);
    return value && *value > 0 ? *value : 1;
}

VornickTableSpans::VornickTableSpans(const std::shared_ptr<DOMElement>& table)
    : m_table(table)
{
    if (!m_table)
        return;
    for (const auto& group : rowGroups(*m_table)) {
        for (size_t rowIndex = 0; rowIndex < group.size(); ++rowIndex) {
            for (DOMNode* child = group[rowIndex]->first(); child; child = child->next()) {
                if (!isCell(child))
                    continue;
                auto& cell = downcast<DOMElement>(*child);
                unsigned span = spanOfCell(cell, u"rowspan");
                if (span < 2)
                    continue;
                RowSpan record { downcast<DOMElement>(cell.shared_from_this()), span, {} };
                for (size_t below = rowIndex + 1; below < group.size() && below < rowIndex + span; ++below)
                    record.coveredRows.push_back(group[below]);
                m_rowSpans.push_back(std::move(record));
            }
        }
    }
    unsigned width = 0;
    for (const auto& placed : placeCells(*m_table, width)) {
        if (placed.columnSpan > 1)
            m_columnSpans.push_back({ shared(placed.cell), placed.columnSpan, reachPastLastColumn(placed, width) });
    }
}

void VornickTableSpans::forEachSpanToShorten(
    const std::function<void(const std::shared_ptr<DOMElement>&, const std::u16string& attribute, unsigned value)>& shorten) const
{
    // A table that went (into an undo payload, say) is left as it is.
    if (!m_table || !m_table->isConnected())
        return;
    auto inTable = [&](const DOMElement& node) { return m_table->contains(&node); };

    for (const auto& record : m_rowSpans) {
        if (!inTable(*record.cell) || spanOfCell(*record.cell, u"rowspan") != record.span)
            continue;
        // A covered row is still covered while it stands in the cell's row group.
        auto* group = record.cell->parent() ? record.cell->parent()->parent() : nullptr;
        auto gone = static_cast<unsigned>(std::count_if(record.coveredRows.begin(), record.coveredRows.end(),
                                                        [&](const auto& row) { return row->parent() != group || !inTable(*row); }));
        if (gone > 0)
            shorten(record.cell, u"rowspan", record.span - gone);
    }

    unsigned width = 0;
    auto placed = placeCells(*m_table, width);
    for (const auto& record : m_columnSpans) {
        auto now = std::find_if(placed.begin(), placed.end(), [&](const PlacedCell& cell) { return cell.cell == record.cell.get(); });
        if (now == placed.end() || now->columnSpan != record.span)
            continue;
        unsigned reach = reachPastLastColumn(*now, width);
        if (reach > record.reachPastLastColumn)
            shorten(record.cell, u"colspan", std::max(1u, record.span - (reach - record.reachPastLastColumn)));
    }
}

size_t VornickTableSpans::columnCount(DOMElement& table)
{
    return webTableGrid(constRows(rowGroups(table))).columnCount;
}

std::vector<VornickTableSpans::CarriedCell> VornickTableSpans::cellsCarriedPastRows(const DOMElement& firstRow, const DOMElement& lastRow)
{
    std::vector<CarriedCell> carried;
    size_t first = 0;
    size_t last = 0;
    auto rows = rowsOfGroup(firstRow, first);
    if (rowsOfGroup(lastRow, last) != rows || last < first || last + 1 >= rows.size())
        return carried;
    auto grid = webTableGrid({ rows });
    for (const auto& slot : grid.cells) {
        size_t slotLastRow = slot.row + slot.rowSpan - 1;
        if (slot.row < first || slot.row > last || slotLastRow <= last)
            continue;
        bool toGroupEnd = spanValue(*slot.cell, u"rowspan") == 0u;
        CarriedCell cell { shared(slot.cell), shared(rows[last + 1]), nullptr, toGroupEnd ? 0u : static_cast<unsigned>(slotLastRow - last) };
        auto before = std::find_if(grid.cells.begin(), grid.cells.end(),
                                   [&](const WebTableCellSlot& next) { return next.row == last + 1 && next.column > slot.column; });
        if (before != grid.cells.end())
            cell.before = shared(before->cell);
        carried.push_back(std::move(cell));
    }
    return carried;
}

VornickTableSpans::RowInsertion VornickTableSpans::rowInsertionBeside(const DOMElement& row, bool after)
{
    RowInsertion insertion;
    size_t rowIndex = 0;
    auto rows = rowsOfGroup(row, rowIndex);
    if (rows.empty())
        return insertion;
    // The new row goes between `above` and the row after it.
    bool hasAbove = after || rowIndex > 0;
    size_t above = after ? rowIndex : rowIndex - 1;
    size_t width = 0;
    size_t acrossWidth = 0;
    for (const auto& slot : webTableGrid({ rows }).cells) {
        size_t lastRow = slot.row + slot.rowSpan - 1;
        if (slot.row > rowIndex || lastRow < rowIndex)
            continue;
        width += slot.columnSpan;
        if (hasAbove && slot.row <= above && lastRow > above) {
            acrossWidth += slot.columnSpan;
            // A row span of 0 reaches the group's end: it covers the new row as it is.
            if (spanValue(*slot.cell, u"rowspan") != 0u)
                insertion.spanningAcross.push_back(shared(slot.cell));
        }
    }
    insertion.cells = std::max<size_t>(width > acrossWidth ? width - acrossWidth : 0, 1);
    return insertion;
}

void VornickTableSpans::shorten(VornickEditingContext& context, bool undoable) const
{
    forEachSpanToShorten([&](const std::shared_ptr<DOMElement>& cell, const std::u16string& attribute, unsigned value) {
        VornickUndoableAttributeValue(context, undoable, cell, attribute, toUTF16(std::to_string(value))).apply();
    });
}

} // namespace brevanton
