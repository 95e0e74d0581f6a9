#include "editing/commands/VornickUndoableTableRowInsertion.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickTableSpans.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableAttributeValue.h"
#include "editing/commands/VornickUndoableFragmentInsertion.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

#include <string>

namespace brevanton {

namespace {

std::shared_ptr<DOMElement> rowOfRange(const std::shared_ptr<DOMRange>& range)
{
    if (!range)
        return nullptr;
    auto row = vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*range, { u"TR" });
    return row && row->parentNode() ? row : nullptr;
}

} // namespace

VornickUndoableTableRowInsertion::VornickUndoableTableRowInsertion(VornickEditingContext& context, bool undoable, int direction,
                                                                   const std::optional<std::u16string>& actionNameOverride)
    : VornickUndoableEdit(context, undoable, actionNameOverride)
    , m_direction(direction)
{
}

bool VornickUndoableTableRowInsertion::canApply(const std::shared_ptr<DOMRange>& operationRange)
{
    return rowOfRange(operationRange) != nullptr;
}

bool VornickUndoableTableRowInsertion::apply()
{
    auto row = rowOfRange(context().effectiveOperationRange());
    if (!row)
        return false;
    auto document = row->ownerDocument();
    auto section = row->parentNode();
    if (!document)
        return false;
    // The row's own section decides the kind, not a header around the table.
    auto* sectionElement = dynamicDowncast<DOMElement>(section.get());
    bool inHeader = sectionElement && sectionElement->hasTagName(u"thead");
    auto shape = VornickTableSpans::rowInsertionBeside(*row, m_direction >= 0);
    auto fragment = vornick_createDocumentFragmentWithTableRowOfCells(*document, shape.cells, inHeader ? u"th" : u"td");
    auto offset = row->index() + (m_direction < 0 ? 0 : 1);

    begin(m_direction < 0 ? u"Insert Row Before" : u"Insert Row After");
    VornickCommandStepName stepName(context(), undoable(), actionName());
    stepName.open();
    for (const auto& cell : shape.spanningAcross) {
        auto span = VornickTableSpans::spanOfCell(*cell, u"rowspan") + 1;
        VornickUndoableAttributeValue(context(), undoable(), cell, u"rowspan", toUTF16(std::to_string(span))).apply();
    }
    auto place = VornickMakeDOMPosition(section, static_cast<int32_t>(offset));
    bool inserted = VornickUndoableFragmentInsertion(context(), undoable(), fragment, place, actionName()).apply();
    if (inserted) {
        // The caret goes into the new row's first cell.
        auto effective = context().effectiveOperationRange();
        auto newRow = effective ? vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*effective, { u"TR" }) : nullptr;
        if (auto firstCell = newRow ? vornick_firstTableRowCell(*newRow) : nullptr) {
            auto inside = vornick_innerRange(firstCell);
            vornick_pushRangeEndpointsDownToTextNodes(*inside);
            context().setTargetRangeUndoably(inside);
        }
        context().scrollRangeToVisible(context().effectiveOperationRange());
    }
    stepName.close();
    return inserted;
}

} // namespace brevanton
