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
    auto weak = weakSelf();
    auto install = [this, weak](const char* action, void (VornickContentEditingView::*member)(ActionSender*)) {
        setActionHandler(action, [weak, member](ActionSender* sender) {
            if (auto self = weak.lock())
                ((*self).*member)(sender);
        });
    };
    install("addTableCaption:", &VornickContentEditingView::addTableCaption);
    install("addTableHeader:", &VornickContentEditingView::addTableHeader);
    install("addTableFooter:", &VornickContentEditingView::addTableFooter);
    install("insertColumnBeforeTableColumn:", &VornickContentEditingView::insertColumnBeforeTableColumn);
    install("insertColumnAfterTableColumn:", &VornickContentEditingView::insertColumnAfterTableColumn);
    install("deleteTableColumns:", &VornickContentEditingView::deleteTableColumns);
    install("insertRowBeforeTableRow:", &VornickContentEditingView::insertRowBeforeTableRow);
    install("insertRowAfterTableRow:", &VornickContentEditingView::insertRowAfterTableRow);
    install("deleteTableRows:", &VornickContentEditingView::deleteTableRows);
}

} // namespace brevanton
