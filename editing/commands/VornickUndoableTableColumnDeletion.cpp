#include "editing/commands/VornickUndoableTableColumnDeletion.h"

#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickTableRowDeletionRange.h"
#include "editing/VornickTableSpans.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableAttributeValue.h"
#include "editing/commands/VornickUndoableFragmentDeletion.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickRange.h"

#include <set>
#include <string>

namespace brevanton {

namespace {

struct ColumnDeletion {
    std::u16string actionName;
    std::shared_ptr<DOMElement> table;
    // Per row, its first and last cell to delete.
    struct Cells {
        std::shared_ptr<DOMElement> row;
        std::shared_ptr<DOMElement> first;
        std::shared_ptr<DOMElement> last;
    };
    std::vector<Cells> rows;
};

// What the command would delete; none when the range's cells' columns are
// not one run or no row of their table has a cell in them.
std::optional<ColumnDeletion> plannedColumnDeletion(const std::shared_ptr<DOMRange>& range)
{
    if (!range)
        return std::nullopt;
    auto targets = vornick_inferredTargetElementsOfKinds(*range, { u"TD", u"TH" });
    if (targets.empty())
        return std::nullopt;
    std::set<size_t> columns;
    for (const auto& cell : targets) {
        size_t column = vornick_columnIndexOfTableCell(*cell);
        if (column == VornickNotFound)
            return std::nullopt;
        columns.insert(column);
    }
    size_t lowest = *columns.begin();
    size_t highest = *columns.rbegin();
    if (highest - lowest + 1 != columns.size())
        return std::nullopt;
    auto table = vornick_nearestAncestorElementOfKind(*targets.front(), u"table");
    if (!table || !table->isHTMLElement())
        return std::nullopt;

    ColumnDeletion deletion;
    deletion.table = table;
    deletion.actionName = targets.size() == 1 ? u"Delete Table Column" : u"Delete Table Columns";
    vornick_enumerateRowsWithOptions(*table, 0, [&](const std::shared_ptr<DOMElement>& row, bool&) {
        auto first = vornick_tableCellAtColumnIndexInRow(*row, lowest);
        if (!first)
            return;
        auto last = vornick_tableCellAtColumnIndexInRow(*row, highest);
        if (!last)
            last = vornick_lastTableRowCell(*row);
        deletion.rows.push_back({ row, std::move(first), std::move(last) });
    });
    if (deletion.rows.empty())
        return std::nullopt;
    return deletion;
}

} // namespace

VornickUndoableTableColumnDeletion::VornickUndoableTableColumnDeletion(VornickEditingContext& context, bool undoable,
                                                                       const std::optional<std::u16string>& actionNameOverride)
    : VornickUndoableEdit(context, undoable, actionNameOverride)
{
}

bool VornickUndoableTableColumnDeletion::canApply(const std::shared_ptr<DOMRange>& operationRange)
{
    return plannedColumnDeletion(operationRange).has_value();
}

bool VornickUndoableTableColumnDeletion::apply()
{
    auto deletion = plannedColumnDeletion(context().effectiveOperationRange());
    if (!deletion)
        return false;
    auto document = deletion->rows.front().row->ownerDocument();
    if (!document)
        return false;
    VornickTableSpans spans(deletion->table);
    begin(deletion->actionName);
    VornickCommandStepName stepName(context(), undoable(), actionName());
    stepName.open();
    bool deletedAny = false;
    for (const auto& cells : deletion->rows) {
        // A row that would keep no cell goes whole, with the section or
        // table it would leave empty.
        bool emptiesRow = cells.first == vornick_firstTableRowCell(*cells.row) && cells.last == vornick_lastTableRowCell(*cells.row);
        std::shared_ptr<DOMRange> range;
        if (emptiesRow && cells.row->parentNode()) {
            range = VornickTableRowDeletionRange(*cells.row);
        } else {
            range = document->createRange();
            range->setStart(cells.row, cells.first->index());
            range->setEnd(cells.row, cells.last->index() + 1);
        }
        deletedAny |= VornickUndoableFragmentDeletion(context(), undoable(), range, actionName()).apply();
    }
    spans.forEachSpanToShorten([this](const std::shared_ptr<DOMElement>& cell, const std::u16string& attribute, unsigned value) {
        VornickUndoableAttributeValue(context(), undoable(), cell, attribute, toUTF16(std::to_string(value))).apply();
    });
    stepName.close();
    return deletedAny;
}

} // namespace brevanton
