#include "editing/commands/VornickUndoableTablePartAddition.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickTableSpans.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentInsertion.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

#include <algorithm>

namespace brevanton {

namespace {

using TablePart = VornickUndoableTablePartAddition::Part;

std::shared_ptr<DOMElement> existingPart(const DOMElement& table, TablePart part)
{
    switch (part) {
    case TablePart::Caption:
        return table.caption();
    case TablePart::Header:
        return table.tHead();
    case TablePart::Footer:
        return table.tFoot();
    }
    return nullptr;
}

// The table the operation range selects or lies in, when it has no such
// part yet.
std::shared_ptr<DOMElement> tableToAddPartTo(const std::shared_ptr<DOMRange>& range, TablePart part)
{
    if (!range)
        return nullptr;
    auto table = vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*range, { u"TABLE" });
    if (!table || !table->isHTMLElement() || existingPart(*table, part))
        return nullptr;
    return table;
}

// A header goes after the table's caption and after its column groups too:
// a table's parts stand in that order, and a header before a COLGROUP would
// make the table invalid.
unsigned placeForHeader(const DOMElement& table)
{
    unsigned place = 0;
    for (DOMNode* child = table.first(); child; child = child->next()) {
        auto* element = dynamicDowncast<DOMElement>(child);
        if (!element)
            continue;
        if (!element->hasTagName(u"caption") && !element->hasTagName(u"colgroup") && !element->hasTagName(u"col"))
            break;
        place = child->index() + 1;
    }
    return place;
}

std::u16string defaultActionName(TablePart part)
{
    switch (part) {
    case TablePart::Caption:
        return u"Add Table Caption";
    case TablePart::Header:
        return u"Add Table Header";
    case TablePart::Footer:
        return u"Add Table Footer";
    }
    return {};
}

// The selection after the insertion: the caption's text, so that typing
// replaces the placeholder, or the new section's first heading cell.
void selectWhereTypingGoes(VornickEditingContext& context, TablePart part)
{
    auto inserted = context.effectiveOperationRange();
    if (!inserted)
        return;
    if (part == TablePart::Caption) {
        auto caption = vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*inserted, { u"CAPTION" });
        if (!caption)
            return;
        auto inside = vornick_innerRange(caption);
        vornick_pushRangeEndpointsDownToTextNodes(*inside);
        context.setTargetRangeUndoably(inside);
        return;
    }
    auto cells = vornick_inferredTargetElementsOfKinds(*inserted, { u"TH" });
    if (!cells.empty())
        context.setTargetRangeUndoably(vornick_outerRange(*cells.front()));
}

} // namespace

VornickUndoableTablePartAddition::VornickUndoableTablePartAddition(VornickEditingContext& context, bool undoable, Part part,
                                                                   const std::optional<std::u16string>& actionNameOverride)
    : VornickUndoableEdit(context, undoable, actionNameOverride)
    , m_part(part)
{
}

bool VornickUndoableTablePartAddition::canApply(const std::shared_ptr<DOMRange>& operationRange, Part part)
{
    return tableToAddPartTo(operationRange, part) != nullptr;
}

bool VornickUndoableTablePartAddition::apply()
{
    auto part = m_part;
    auto table = tableToAddPartTo(context().effectiveOperationRange(), part);
    if (!table)
        return false;
    auto document = table->ownerDocument();
    if (!document)
        return false;

    std::shared_ptr<DOMDocumentFragment> fragment;
    VornickDOMPosition place = VornickMakeDOMPosition(table, 0);
    if (part == TablePart::Caption) {
        fragment = vornick_createDocumentFragmentWithElement(*document, u"caption", u"Table Caption");
    } else {
        std::shared_ptr<DOMElement> section;
        fragment = vornick_createDocumentFragmentWithEmptyElement(*document, part == TablePart::Header ? u"thead" : u"tfoot", &section);
        size_t columns = std::max<size_t>(VornickTableSpans::columnCount(*table), 1);
        section->appendChild(vornick_createDocumentFragmentWithTableRowOfCells(*document, columns, u"th"));
        place.offset = static_cast<int32_t>(part == TablePart::Footer ? table->childCount() : placeForHeader(*table));
    }

    begin(defaultActionName(part));
    VornickCommandStepName stepName(context(), undoable(), actionName());
    stepName.open();
    bool inserted = VornickUndoableFragmentInsertion(context(), undoable(), fragment, place, actionName()).apply();
    if (inserted)
        selectWhereTypingGoes(context(), part);
    stepName.close();
    return inserted;
}

} // namespace brevanton
