// Adding a part to a table: a caption holding placeholder text, or a header
// or footer section holding one row of heading cells as wide as the table
// (in columns: a spanning cell counts for each column it spans).
// Each is one insertion under the command's name; the selection then goes
// where the user types next: the caption's text, or the new section's first
// cell. A table that has the part already gets no second one.
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

#include <algorithm>

namespace brevanton {

namespace {

enum class TablePart { Caption, Header, Footer };

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

// The table the effective operation range selects or lies in, when it has
// no such part yet.
std::shared_ptr<DOMElement> tableToAddPartTo(const VornickContentEditingView& view, TablePart part)
{
    auto range = view.effectiveOperationRange();
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
        auto* element = toElement(child);
        if (!element)
            continue;
        if (!element->hasTagName(u"caption") && !element->hasTagName(u"colgroup") && !element->hasTagName(u"col"))
            break;
        place = child->index() + 1;
    }
    return place;
}

std::u16string actionName(TablePart part)
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
void selectWhereTypingGoes(VornickContentEditingView& view, TablePart part)
{
    auto inserted = view.effectiveOperationRange();
    if (!inserted)
        return;
    if (part == TablePart::Caption) {
        auto caption = vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*inserted, { u"CAPTION" });
        if (!caption)
            return;
        auto inside = vornick_innerRange(caption);
        vornick_pushRangeEndpointsDownToTextNodes(*inside);
        view.setTargetRangeUndoably(inside);
        return;
    }
    auto cells = vornick_inferredTargetElementsOfKinds(*inserted, { u"TH" });
    if (!cells.empty())
        view.setTargetRangeUndoably(vornick_outerRange(*cells.front()));
}

bool addPart(VornickContentEditingView& view, TablePart part, bool preflight)
{
    auto table = tableToAddPartTo(view, part);
    if (!table)
        return false;
    if (preflight)
        return true;
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

    auto name = actionName(part);
    VornickCommandStepName stepName(view.editingContext(), true, name);
    stepName.open();
    bool inserted = view.insertFragmentAtPosition(fragment, place, true, name);
    if (inserted)
        selectWhereTypingGoes(view, part);
    stepName.close();
    return inserted;
}

} // namespace

bool VornickContentEditingView::addTableCaptionOrPreflight(bool preflight)
{
    return addPart(*this, TablePart::Caption, preflight);
}

bool VornickContentEditingView::addTableHeaderOrPreflight(bool preflight)
{
    return addPart(*this, TablePart::Header, preflight);
}

bool VornickContentEditingView::addTableFooterOrPreflight(bool preflight)
{
    return addPart(*this, TablePart::Footer, preflight);
}

bool VornickContentEditingView::canAddTableCaption() const
{
    return isEditable() && (!m_blockModeHelper || m_blockModeHelper->tablesCanHaveCaptions())
        && tableToAddPartTo(*this, TablePart::Caption);
}

bool VornickContentEditingView::canAddTableHeader() const
{
    return isEditable() && tableToAddPartTo(*this, TablePart::Header);
}

bool VornickContentEditingView::canAddTableFooter() const
{
    return isEditable() && tableToAddPartTo(*this, TablePart::Footer);
}

} // namespace brevanton
