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

bool VornickContentEditingView::Internals::addTableHeaderOrPreflight(VornickContentEditingView& view, bool preflight)
{
    return addTablePartOrPreflight(view, VornickUndoableTablePartAddition::Part::Header, preflight);
}

bool VornickContentEditingView::Internals::addTableFooterOrPreflight(VornickContentEditingView& view, bool preflight)
{
    return addTablePartOrPreflight(view, VornickUndoableTablePartAddition::Part::Footer, preflight);
}

bool VornickContentEditingView::Internals::canAddTableCaption(const VornickContentEditingView& view)
{
    return view.isEditable() && (!view.m_internals->blockModeHelper || view.m_internals->blockModeHelper->tablesCanHaveCaptions())
        && VornickUndoableTablePartAddition::canApply(view.effectiveOperationRange(), VornickUndoableTablePartAddition::Part::Caption);
}

bool VornickContentEditingView::Internals::canAddTableHeader(const VornickContentEditingView& view)
{
    return view.isEditable() && VornickUndoableTablePartAddition::canApply(view.effectiveOperationRange(),
                      VornickUndoableTablePartAddition::Part::Header);
}

bool VornickContentEditingView::Internals::canAddTableFooter(const VornickContentEditingView& view)
{
    return view.isEditable() && VornickUndoableTablePartAddition::canApply(view.effectiveOperationRange(),
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

bool VornickContentEditingView::Internals::deleteTableColumnsOrDryRun(VornickContentEditingView& view, bool dryRun)
{
    if (dryRun)
        return VornickUndoableTableColumnDeletion::canApply(view.effectiveOperationRange());
    return VornickUndoableTableColumnDeletion(view.editingContext(), true).apply();
}

bool VornickContentEditingView::Internals::canDeleteTableColumns(const VornickContentEditingView& view)
{
    return view.isEditable() && VornickUndoableTableColumnDeletion::canApply(view.effectiveOperationRange());
}

bool VornickContentEditingView::Internals::canInsertRowRelativeToInferredTableRow(const VornickContentEditingView& view)
{
    return VornickUndoableTableRowInsertion::canApply(view.effectiveOperationRange());
}

bool VornickContentEditingView::Internals::insertRowRelativeToInferredTableRow(VornickContentEditingView& view, int direction)
{
    return VornickUndoableTableRowInsertion(view.editingContext(), true, direction).apply();
}

void VornickContentEditingView::Internals::deleteTableRows(VornickContentEditingView& view, ActionSender*)
{
    if (Internals::canDeleteTableRows(view))
        (void)VornickUndoableTableRowDeletion(view.editingContext(), true).apply();
}

bool VornickContentEditingView::Internals::canDeleteTableRows(const VornickContentEditingView& view)
{
    return view.isEditable() && VornickUndoableTableRowDeletion::canApply(view.effectiveOperationRange());
}

void VornickContentEditingView::Internals::addTableCaption(VornickContentEditingView& view, ActionSender*)
{
    if (Internals::canAddTableCaption(view))
        Internals::addTableCaptionOrPreflight(view, false);
}

void VornickContentEditingView::Internals::addTableHeader(VornickContentEditingView& view, ActionSender*)
{
    if (Internals::canAddTableHeader(view))
        Internals::addTableHeaderOrPreflight(view, false);
}

void VornickContentEditingView::Internals::addTableFooter(VornickContentEditingView& view, ActionSender*)
{
    if (Internals::canAddTableFooter(view))
        Internals::addTableFooterOrPreflight(view, false);
}

void VornickContentEditingView::Internals::insertColumnBeforeTableColumn(VornickContentEditingView& view, ActionSender*)
{
    if (Internals::canInsertColumnBeforeTableColumn(view))
        Internals::insertColumnRelativeToInferredTableColumn(view, -1);
}

void VornickContentEditingView::Internals::insertColumnAfterTableColumn(VornickContentEditingView& view, ActionSender*)
{
    if (Internals::canInsertColumnAfterTableColumn(view))
        Internals::insertColumnRelativeToInferredTableColumn(view, 1);
}

void VornickContentEditingView::Internals::deleteTableColumns(VornickContentEditingView& view, ActionSender*)
{
    if (Internals::canDeleteTableColumns(view))
        Internals::deleteTableColumnsOrDryRun(view, false);
}

void VornickContentEditingView::Internals::insertRowBeforeTableRow(VornickContentEditingView& view, ActionSender*)
{
    if (Internals::canInsertRowBeforeTableRow(view))
        Internals::insertRowRelativeToInferredTableRow(view, -1);
}

void VornickContentEditingView::Internals::insertRowAfterTableRow(VornickContentEditingView& view, ActionSender*)
{
    if (Internals::canInsertRowAfterTableRow(view))
        Internals::insertRowRelativeToInferredTableRow(view, 1);
}

bool VornickContentEditingView::Internals::canInsertColumnBeforeTableColumn(const VornickContentEditingView& view)
{
    return view.isEditable() && Internals::canInsertColumnRelativeToInferredTableColumn(view);
}

bool VornickContentEditingView::Internals::canInsertColumnAfterTableColumn(const VornickContentEditingView& view)
{
    return view.isEditable() && Internals::canInsertColumnRelativeToInferredTableColumn(view);
}

bool VornickContentEditingView::Internals::canInsertRowBeforeTableRow(const VornickContentEditingView& view)
{
    return view.isEditable() && Internals::canInsertRowRelativeToInferredTableRow(view);
}

bool VornickContentEditingView::Internals::canInsertRowAfterTableRow(const VornickContentEditingView& view)
{
    return view.isEditable() && Internals::canInsertRowRelativeToInferredTableRow(view);
}

void VornickContentEditingView::Internals::installTableCommandActionHandlers(VornickContentEditingView& view)
{
    view.installActionHandler("addTableCaption:", &Internals::addTableCaption);
    view.installActionHandler("addTableHeader:", &Internals::addTableHeader);
    view.installActionHandler("addTableFooter:", &Internals::addTableFooter);
    view.installActionHandler("insertColumnBeforeTableColumn:", &Internals::insertColumnBeforeTableColumn);
    view.installActionHandler("insertColumnAfterTableColumn:", &Internals::insertColumnAfterTableColumn);
    view.installActionHandler("deleteTableColumns:", &Internals::deleteTableColumns);
    view.installActionHandler("insertRowBeforeTableRow:", &Internals::insertRowBeforeTableRow);
    view.installActionHandler("insertRowAfterTableRow:", &Internals::insertRowAfterTableRow);
    view.installActionHandler("deleteTableRows:", &Internals::deleteTableRows);
}

} // namespace brevanton
