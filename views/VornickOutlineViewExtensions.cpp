#include "views/VornickOutlineViewExtensions.h"

#include "platform/foundation/RunLoop.h"

namespace brevanton {

std::vector<OutlineItem> vornick_selectedItems(const OutlineView& outlineView)
{
    std::vector<OutlineItem> items;
    for (long row : outlineView.selectedRowIndexes())
        items.push_back(outlineView.itemAtRow(row));
    return items;
}

IndexSet vornick_rowIndexesForItems(const OutlineView& outlineView, const std::vector<OutlineItem>& items)
{
    IndexSet rows;
    for (auto& item : items) {
        long row = outlineView.rowForItem(item);
        if (row >= 0)
            rows.insert(row);
    }
    return rows;
}

void vornick_scrollItemToVisible(OutlineView& outlineView, const OutlineItem& item)
{
    long row = outlineView.rowForItem(item);
    if (row >= 0)
        outlineView.scrollRowToVisible(row);
}

void vornick_selectItem(OutlineView& outlineView, const OutlineItem& item, long column)
{
    long row = outlineView.rowForItem(item);
    if (row < 0)
        return;
    outlineView.selectRowIndexes({ row }, false);
    outlineView.editColumn(column, row, true);
    std::weak_ptr<OutlineView> weakView = outlineView.sharedAs<OutlineView>();
    std::weak_ptr<void> weakItem = item;
    RunLoop::main().performAfterDelay(&outlineView, 0.3, [weakView, weakItem] {
        auto view = weakView.lock();
        auto item = weakItem.lock();
        if (view && item)
            vornick_scrollItemToVisible(*view, item);
    });
}

void vornick_selectItems(OutlineView& outlineView, const std::vector<OutlineItem>& items, bool byExtendingSelection)
{
    outlineView.selectRowIndexes(vornick_rowIndexesForItems(outlineView, items), byExtendingSelection);
}

} // namespace brevanton
