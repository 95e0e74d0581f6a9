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

bool VornickContentEditingView::addTableCaptionOrPreflight(bool preflight)
{
    return addTablePartOrPreflight(*this, VornickUndoableTablePartAddition::Part::Caption, preflight);
}

bool VornickContentEditingView::addTableHeaderOrPreflight(bool preflight)
{
    return addTablePartOrPreflight(*this, VornickUndoableTablePartAddition::Part::Header, preflight);
}

bool VornickContentEditingView::addTableFooterOrPreflight(bool preflight)
{
    return addTablePartOrPreflight(*this, VornickUndoableTablePartAddition::Part::Footer, preflight);
}

bool VornickContentEditingView::canAddTableCaption() const
{
    return isEditable() && (!m_internals->blockModeHelper || m_internals->blockModeHelper->tablesCanHaveCaptions())
        && VornickUndoableTablePartAddition::canApply(effectiveOperationRange(), VornickUndoableTablePartAddition::Part::Caption);
}

bool VornickContentEditingView::canAddTableHeader() const
{
    return isEditable() && VornickUndoableTablePartAddition::canApply(effectiveOperationRange(), VornickUndoableTablePartAddition::Part::Header);
}

bool VornickContentEditingView::canAddTableFooter() const
{
    return isEditable() && VornickUndoableTablePartAddition::canApply(effectiveOperationRange(), VornickUndoableTablePartAddition::Part::Footer);
}

bool VornickContentEditingView::canInsertColumnRelativeToInferredTableColumn() const
{
    return VornickUndoableTableColumnInsertion::canApply(effectiveOperationRange());
}

bool VornickContentEditingView::insertColumnRelativeToInferredTableColumn(int direction)
{
    return VornickUndoableTableColumnInsertion(editingContext(), true, direction).apply();
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

bool VornickContentEditingView::canInsertRowRelativeToInferredTableRow() const
{
    return VornickUndoableTableRowInsertion::canApply(effectiveOperationRange());
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
        addTableCaptionOrPreflight(false);
}

void VornickContentEditingView::addTableHeader(ActionSender*)
{
    if (canAddTableHeader())
        addTableHeaderOrPreflight(false);
}

void VornickContentEditingView::addTableFooter(ActionSender*)
{
    if (canAddTableFooter())
        addTableFooterOrPreflight(false);
}

void VornickContentEditingView::insertColumnBeforeTableColumn(ActionSender*)
{
    if (canInsertColumnBeforeTableColumn())
        insertColumnRelativeToInferredTableColumn(-1);
}

void VornickContentEditingView::insertColumnAfterTableColumn(ActionSender*)
{
    if (canInsertColumnAfterTableColumn())
        insertColumnRelativeToInferredTableColumn(1);
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
    return isEditable() && canInsertColumnRelativeToInferredTableColumn();
}

bool VornickContentEditingView::canInsertColumnAfterTableColumn() const
{
    return isEditable() && canInsertColumnRelativeToInferredTableColumn();
}

bool VornickContentEditingView::canInsertRowBeforeTableRow() const
{
    return isEditable() && canInsertRowRelativeToInferredTableRow();
}

bool VornickContentEditingView::canInsertRowAfterTableRow() const
{
    return isEditable() && canInsertRowRelativeToInferredTableRow();
}

void VornickContentEditingView::installTableCommandActionHandlers()
{
    installActionHandler("addTableCaption:", &VornickContentEditingView::addTableCaption);
    installActionHandler("addTableHeader:", &VornickContentEditingView::addTableHeader);
    installActionHandler("addTableFooter:", &VornickContentEditingView::addTableFooter);
    installActionHandler("insertColumnBeforeTableColumn:", &VornickContentEditingView::insertColumnBeforeTableColumn);
    installActionHandler("insertColumnAfterTableColumn:", &VornickContentEditingView::insertColumnAfterTableColumn);
    installActionHandler("deleteTableColumns:", &VornickContentEditingView::deleteTableColumns);
    installActionHandler("insertRowBeforeTableRow:", &VornickContentEditingView::insertRowBeforeTableRow);
    installActionHandler("insertRowAfterTableRow:", &VornickContentEditingView::insertRowAfterTableRow);
    installActionHandler("deleteTableRows:", &VornickContentEditingView::deleteTableRows);
}

} // namespace brevanton
