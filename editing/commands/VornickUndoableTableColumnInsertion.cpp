#include "editing/commands/VornickUndoableTableColumnInsertion.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentInsertion.h"
#include "platform/dom/DOMCasts.h"
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
// range is in no cell of a table with rows.
std::vector<CellInsertion> plannedCellInsertions(const std::shared_ptr<DOMRange>& range, int direction)
{
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
            auto* section = dynamicDowncast<DOMElement>(row->parent());
            bool headingRow = section && (section->hasTagName(u"thead") || section->hasTagName(u"tfoot"));
            insertion.kind = headingRow ? u"th" : u"td";
        }
        insertion.kind = asciiLowercase(insertion.kind);
        plan.push_back(std::move(insertion));
    });
    return plan;
}

} // namespace

VornickUndoableTableColumnInsertion::VornickUndoableTableColumnInsertion(VornickEditingContext& context, bool undoable, int direction,
                                                                         const std::optional<std::u16string>& actionNameOverride)
    : VornickUndoableEdit(context, undoable, actionNameOverride)
    , m_direction(direction)
{
}

bool VornickUndoableTableColumnInsertion::canApply(const std::shared_ptr<DOMRange>& operationRange)
{
    return !plannedCellInsertions(operationRange, 1).empty();
}

bool VornickUndoableTableColumnInsertion::apply()
{
    auto plan = plannedCellInsertions(context().effectiveOperationRange(), m_direction);
    if (plan.empty())
        return false;
    auto document = plan.front().row->ownerDocument();
    if (!document)
        return false;
    begin(m_direction < 0 ? u"Insert Column Before" : u"Insert Column After");
    VornickCommandStepName stepName(context(), undoable(), actionName());
    stepName.open();
    bool insertedAny = false;
    for (const auto& insertion : plan) {
        auto fragment = vornick_createDocumentFragmentWithElement(*document, insertion.kind, u"-");
        auto offset = insertion.before ? insertion.before->index() : insertion.row->childCount();
        auto place = VornickMakeDOMPosition(insertion.row, static_cast<int32_t>(offset));
        insertedAny |= VornickUndoableFragmentInsertion(context(), undoable(), fragment, place, actionName()).apply();
    }
    stepName.close();
    return insertedAny;
}

} // namespace brevanton
