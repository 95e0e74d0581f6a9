// Inserting a row before or after the row the selection is in: as many cells
// as that row is wide in columns (one for an empty row), heading cells in a
// table header and data cells elsewhere, each holding a placeholder "-". A
// cell above that spans rows across the new row's place spans it too, and
// takes its columns from it, so that the rows stay as wide as before. The
// selection then goes to the new row's first cell. One undo step.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickTableSpans.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

#include <string>

namespace brevanton {

namespace {

std::shared_ptr<DOMElement> rowOfEffectiveOperationRange(const VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    if (!range)
        return nullptr;
    auto row = vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*range, { u"TR" });
    return row && row->parentNode() ? row : nullptr;
}

} // namespace

bool VornickContentEditingView::canInsertRowRelativeToInferredTableRow() const
{
    return rowOfEffectiveOperationRange(*this) != nullptr;
}

bool VornickContentEditingView::insertRowRelativeToInferredTableRow(int direction)
{
    auto row = rowOfEffectiveOperationRange(*this);
    if (!row)
        return false;
    auto document = row->ownerDocument();
    auto section = row->parentNode();
    if (!document)
        return false;
    // The row's own section decides the kind, not a header around the table.
    auto* sectionElement = toElement(section.get());
    bool inHeader = sectionElement && sectionElement->hasTagName(u"thead");
    auto shape = VornickTableSpans::rowInsertionBeside(*row, direction >= 0);
    auto fragment = vornick_createDocumentFragmentWithTableRowOfCells(*document, shape.cells, inHeader ? u"th" : u"td");
    auto offset = row->index() + (direction < 0 ? 0 : 1);

    std::u16string name = direction < 0 ? u"Insert Row Before" : u"Insert Row After";
    VornickCommandStepName stepName(editingContext(), true, name);
    stepName.open();
    for (const auto& cell : shape.spanningAcross) {
        auto span = VornickTableSpans::spanOfCell(*cell, u"rowspan") + 1;
        (void)undoableSetValue(true, toUTF16(std::to_string(span)), u"rowspan", cell);
    }
    bool inserted = insertFragmentAtPosition(fragment, VornickMakeDOMPosition(section, static_cast<int32_t>(offset)), true, name);
    if (inserted) {
        // The caret goes into the new row's first cell.
        auto effective = effectiveOperationRange();
        auto newRow = effective ? vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*effective, { u"TR" }) : nullptr;
        if (auto firstCell = newRow ? vornick_firstTableRowCell(*newRow) : nullptr) {
            auto inside = vornick_innerRange(firstCell);
            vornick_pushRangeEndpointsDownToTextNodes(*inside);
            setTargetRangeUndoably(inside);
        }
        scrollRangeToVisible(effectiveOperationRange());
    }
    stepName.close();
    return inserted;
}

} // namespace brevanton
