// Inserting a column before or after the column of the cell the selection is
// in. Columns are counted in cells, not in the space spanning cells take: the
// new cell of each row goes before the row's cell at the new column's index,
// of that cell's kind, or at the row's end (of the kind of the row's last
// cell) when the row is shorter. Each cell holds a placeholder "-". One undo
// step for the whole column.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickRange.h"

namespace brevanton {

namespace {

struct CellInsertion {
    std::shared_ptr<DOMElement> row;
    // The cell the new one goes before; null: at the row's end.
    std::shared_ptr<DOMElement> before;
    std::u16string kind;
};

// Every cell the command would insert, in document order; none when the
// selection is in no cell of a table with rows.
std::vector<CellInsertion> plannedCellInsertions(const VornickContentEditingView& view, int direction)
{
    auto range = view.effectiveOperationRange();
    if (!range)
        return {};
    auto cell = vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*range, { u"TD", u"TH" });
    if (!cell)
        return {};
    size_t column = vornick_columnIndexOfTableCell(*cell);
    auto table = vornick_nearestAncestorElementOfKind(*cell, u"table");
    if (column == VornickNotFound || !table || !table->isHTMLElement())
        return {};
    size_t newColumn = direction < 0 ? column : column + 1;

    std::vector<CellInsertion> plan;
    vornick_enumerateRowsWithOptions(*table, 0, [&](const std::shared_ptr<DOMElement>& row, bool&) {
        CellInsertion insertion { row, nullptr, {} };
        if (newColumn >= vornick_numberOfCellsInTableRow(*row)) {
            if (auto last = vornick_lastTableRowCell(*row))
                insertion.kind = last->tagName();
        } else {
            insertion.before = vornick_tableCellAtColumnIndexInRow(*row, newColumn);
            if (!insertion.before)
                return;
            insertion.kind = insertion.before->tagName();
        }
        if (insertion.kind.empty()) {
            auto* section = toElement(row->parent());
            bool headingRow = section && (section->hasTagName(u"thead") || section->hasTagName(u"tfoot"));
            insertion.kind = headingRow ? u"th" : u"td";
        }
        insertion.kind = asciiLowercase(insertion.kind);
        plan.push_back(std::move(insertion));
    });
    return plan;
}

} // namespace

bool VornickContentEditingView::canInsertColumnRelativeToInferredTableColumn() const
{
    // Before or after: either inserts one cell into every row of the table.
    return !plannedCellInsertions(*this, 1).empty();
}

bool VornickContentEditingView::insertColumnRelativeToInferredTableColumn(int direction)
{
    auto plan = plannedCellInsertions(*this, direction);
    if (plan.empty())
        return false;
    auto document = plan.front().row->ownerDocument();
    if (!document)
        return false;
    std::u16string name = direction < 0 ? u"Insert Column Before" : u"Insert Column After";
    VornickCommandStepName stepName(editingContext(), true, name);
    stepName.open();
    bool insertedAny = false;
    for (const auto& insertion : plan) {
        auto fragment = vornick_createDocumentFragmentWithElement(*document, insertion.kind, u"-");
        auto offset = insertion.before ? insertion.before->index() : insertion.row->childCount();
        insertedAny |= insertFragmentAtPosition(fragment, VornickMakeDOMPosition(insertion.row, static_cast<int32_t>(offset)), true, name);
    }
    stepName.close();
    return insertedAny;
}

} // namespace brevanton
