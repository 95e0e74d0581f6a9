// The table commands as the menus reach them: each acts only when its
// validator enables it (the view is editable and the command would change
// the document), so a command that is enabled always does something. The
// work itself is in the commands editing/commands/VornickUndoableTable*.cpp,
// which the members below construct and apply.
#include "editing/VornickContentEditingView.h"

#include "editing/VornickContentEditingViewInternals.h"
#include "editing/commands/VornickUndoableTableColumnDeletion.h"
#include "editing/commands/VornickUndoableTableColumnInsertion.h"
#include "editing/commands/VornickUndoableTablePartAddition.h"
#include "editing/commands/VornickUndoableTableRowDeletion.h"
#include "editing/commands/VornickUndoableTableRowInsertion.h"

namespace brevanton {

namespace {

bool addTablePartOrPreflight(VornickContentEditingView& view, VornickUndoableTablePartAddition::Part part, bool preflight)
{
    if (preflight)
        return VornickUndoableTablePartAddition::canApply(view.effectiveOperationRange(), part);
    return VornickUndoableTablePartAddition(view.editingContext(), true, part).apply();
}

} // namespace

bool VornickContentEditingView::Internals::addTableCaptionOrPreflight(VornickContentEditingView& view, bool preflight)
{
    return addTablePartOrPreflight(view, VornickUndoableTablePartAddition::Part::Caption, preflight);
}

bool VornickContentEditingView::addTableHeaderOrPreflight(bool preflight)
{
    return addTablePartOrPreflight(*this, VornickUndoableTablePartAddition::Part::Header, preflight);
}

bool VornickContentEditingView::Internals::addTableFooterOrPreflight(VornickContentEditingView& view, bool preflight)
{
    return addTablePartOrPreflight(view, VornickUndoableTablePartAddition::Part::Footer, preflight);
}

bool VornickContentEditingView::canAddTableCaption() const
{
    return isEditable() && (!m_internals->blockModeHelper || m_internals->blockModeHelper->tablesCanHaveCaptions())
        && VornickUndoableTablePartAddition::canApply(effectiveOperationRange(), VornickUndoableTablePartAddition::Part::Caption);
}

bool VornickContentEditingView::canAddTableHeader() const
{
    return isEditable() && VornickUndoableTablePartAddition::canApply(effectiveOperationRange(),
                      VornickUndoableTablePartAddition::Part::Header);
}

bool VornickContentEditingView::canAddTableFooter() const
{
    return isEditable() && VornickUndoableTablePartAddition::canApply(effectiveOperationRange(),
                      VornickUndoableTablePartAddition::Part::Footer);
}

bool VornickContentEditingView::Internals::canInsertColumnRelativeToInferredTableColumn(const VornickContentEditingView& view)
{
    return VornickUndoableTableColumnInsertion::canApply(view.effectiveOperationRange());
}

bool VornickContentEditingView::Internals::insertColumnRelativeToInferredTableColumn(VornickContentEditingView& view, int direction)
{
    return VornickUndoableTableColumnInsertion(view.editingContext(), true, direction).apply();
}

bool VornickContentEditingView::deleteTableColumnsOrDryRun(bool dryRun)
{
    if (dryRun)
        return VornickUndoableTableColumnDeletion::canApply(effectiveOperationRange());
    return VornickUndoableTableColumnDeletion(editingContext(), true).apply();
}

bool VornickContentEditingView::canDeleteTableColumns() const
{
    return isEditable() && VornickUndoableTableColumnDeletion::canApply(effectiveOperationRange());
}

bool VornickContentEditingView::Internals::canInsertRowRelativeToInferredTableRow(const VornickContentEditingView& view)
{
    return VornickUndoableTableRowInsertion::canApply(view.effectiveOperationRange());
}

bool VornickContentEditingView::insertRowRelativeToInferredTableRow(int direction)
{
    return VornickUndoableTableRowInsertion(editingContext(), true, direction).apply();
}

void VornickContentEditingView::deleteTableRows(ActionSender*)
{
    if (canDeleteTableRows())
        (void)VornickUndoableTableRowDeletion(editingContext(), true).apply();
}

bool VornickContentEditingView::canDeleteTableRows() const
{
    return isEditable() && VornickUndoableTableRowDeletion::canApply(effectiveOperationRange());
}

void VornickContentEditingView::addTableCaption(ActionSender*)
{
    if (canAddTableCaption())
        Internals::addTableCaptionOrPreflight(*this, false);
}

void VornickContentEditingView::addTableHeader(ActionSender*)
{
    if (canAddTableHeader())
        addTableHeaderOrPreflight(false);
}

void VornickContentEditingView::addTableFooter(ActionSender*)
{
    if (canAddTableFooter())
        Internals::addTableFooterOrPreflight(*this, false);
}

void VornickContentEditingView::insertColumnBeforeTableColumn(ActionSender*)
{
    if (canInsertColumnBeforeTableColumn())
        Internals::insertColumnRelativeToInferredTableColumn(*this, -1);
}

void VornickContentEditingView::insertColumnAfterTableColumn(ActionSender*)
{
    if (canInsertColumnAfterTableColumn())
        Internals::insertColumnRelativeToInferredTableColumn(*this, 1);
}

void VornickContentEditingView::deleteTableColumns(ActionSender*)
{
    if (canDeleteTableColumns())
        deleteTableColumnsOrDryRun(false);
}

void VornickContentEditingView::insertRowBeforeTableRow(ActionSender*)
{
    if (canInsertRowBeforeTableRow())
        insertRowRelativeToInferredTableRow(-1);
}

void VornickContentEditingView::insertRowAfterTableRow(ActionSender*)
{
    if (canInsertRowAfterTableRow())
        insertRowRelativeToInferredTableRow(1);
}

bool VornickContentEditingView::canInsertColumnBeforeTableColumn() const
{
    return isEditable() && Internals::canInsertColumnRelativeToInferredTableColumn(*this);
}

bool VornickContentEditingView::canInsertColumnAfterTableColumn() const
{
    return isEditable() && Internals::canInsertColumnRelativeToInferredTableColumn(*this);
}

bool VornickContentEditingView::canInsertRowBeforeTableRow() const
{
    return isEditable() && Internals::canInsertRowRelativeToInferredTableRow(*this);
}

bool VornickContentEditingView::canInsertRowAfterTableRow() const
{
    return isEditable() && Internals::canInsertRowRelativeToInferredTableRow(*this);
}

void VornickContentEditingView::Internals::installTableCommandActionHandlers(VornickContentEditingView& view)
{
    view.installActionHandler("addTableCaption:", &VornickContentEditingView::addTableCaption);
    view.installActionHandler("addTableHeader:", &VornickContentEditingView::addTableHeader);
    view.installActionHandler("addTableFooter:", &VornickContentEditingView::addTableFooter);
    view.installActionHandler("insertColumnBeforeTableColumn:", &VornickContentEditingView::insertColumnBeforeTableColumn);
    view.installActionHandler("insertColumnAfterTableColumn:", &VornickContentEditingView::insertColumnAfterTableColumn);
    view.installActionHandler("deleteTableColumns:", &VornickContentEditingView::deleteTableColumns);
    view.installActionHandler("insertRowBeforeTableRow:", &VornickContentEditingView::insertRowBeforeTableRow);
    view.installActionHandler("insertRowAfterTableRow:", &VornickContentEditingView::insertRowAfterTableRow);
    view.installActionHandler("deleteTableRows:", &VornickContentEditingView::deleteTableRows);
}

} // namespace brevanton
