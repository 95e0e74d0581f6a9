// The table commands as the menus reach them: each acts only when its
// validator enables it (the view is editable and the command would change
// the document), so a command that is enabled always does something. The
// work itself is in editing/VornickUndoableTable*.cpp.
#include "editing/VornickContentEditingView.h"

namespace brevanton {

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
