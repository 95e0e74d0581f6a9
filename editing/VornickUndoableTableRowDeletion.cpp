// Deleting the rows the selection is in or across, each with whatever
// enclosing element its deletion would leave empty and useless, in one undo
// step. A cell spanning rows that went spans that many rows fewer.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickRangeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickTableRowDeletionRange.h"
#include "editing/VornickTableSpans.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

namespace {

std::vector<std::shared_ptr<DOMElement>> rowsToDelete(const VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    return range ? vornick_inferredTargetElementsOfKinds(*range, { u"TR" }) : std::vector<std::shared_ptr<DOMElement>> {};
}

} // namespace

void VornickContentEditingView::deleteTableRows(ActionSender*)
{
    if (!canDeleteTableRows())
        return;
    auto rows = rowsToDelete(*this);
    std::u16string name = rows.size() == 1 ? u"Delete Table Row" : u"Delete Table Rows";
    VornickCommandStepName stepName(*this, true, name);
    std::vector<VornickTableSpans> spans;
    for (const auto& row : rows) {
        auto table = vornick_enclosingTable(*row);
        if (table && (spans.empty() || spans.back().table() != table))
            spans.emplace_back(table);
    }
    stepName.open();
    for (const auto& row : rows) {
        if (!row->parentNode())
            continue;
        (void)deleteFragment(VornickTableRowDeletionRange(*row), true, name, false, nullptr);
    }
    for (const auto& table : spans)
        table.shorten(*this, true);
    stepName.close();
}

bool VornickContentEditingView::canDeleteTableRows() const
{
    return isEditable() && !rowsToDelete(*this).empty();
}

} // namespace brevanton
