// Selection helpers of outline views that work with items instead of rows.
#pragma once

#include "platform/views/OutlineView.h"

#include <vector>

namespace brevanton {

// The items of the selected rows in row order (null for a row without an item).
std::vector<OutlineItem> vornick_selectedItems(const OutlineView&);
// The rows of the items that have one.
IndexSet vornick_rowIndexesForItems(const OutlineView&, const std::vector<OutlineItem>&);
void vornick_scrollItemToVisible(OutlineView&, const OutlineItem&);
// Selects only the item's row, starts editing the column in that row with
// its text selected, and 0.3 seconds later scrolls the item (wherever its
// row is then) into view; nothing when the item has no row.
void vornick_selectItem(OutlineView&, const OutlineItem&, long andFocusColumnForEditing);
void vornick_selectItems(OutlineView&, const std::vector<OutlineItem>&, bool byExtendingSelection);

} // namespace brevanton
