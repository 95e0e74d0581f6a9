#include "dom/VornickTableExtensions.h"

#include "dom/VornickNodeExtensions.h"
#include "toolkit/VornickRange.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <algorithm>

namespace brevanton {

namespace {

bool hasTag(const DOMNode* node, std::u16string_view tag)
{
    auto* element = toElement(node);
    return element && equalsIgnoringASCIICase(element->tagName(), tag);
}

bool isCell(const DOMNode* node)
{
    return hasTag(node, u"td") || hasTag(node, u"th");
}

bool isRow(const DOMNode* node)
{
    return hasTag(node, u"tr");
}

bool isSection(const DOMNode* node)
{
    return hasTag(node, u"thead") || hasTag(node, u"tbody") || hasTag(node, u"tfoot");
}

std::shared_ptr<DOMElement> shared(DOMNode* node)
{
    return node ? downcast<DOMElement>(node->shared_from_this()) : nullptr;
}

std::vector<std::shared_ptr<DOMElement>> bodiesOf(DOMElement& table)
{
    std::vector<std::shared_ptr<DOMElement>> bodies;
    auto collection = table.tBodies();
    for (unsigned i = 0; i < collection->length(); ++i)
        bodies.push_back(collection->item(i));
    return bodies;
}

DOMElement* tableOfSection(const DOMElement& section)
{
    DOMElement* table = toElement(section.parent());
    return hasTag(table, u"table") ? table : nullptr;
}

} // namespace

std::shared_ptr<DOMElement> vornick_enclosingTable(const DOMNode& node)
{
    auto table = vornick_nearestAncestorElementOfKind(node, u"table");
    return table && table->isHTMLElement() ? table : nullptr;
}

size_t vornick_columnIndexOfTableCell(const DOMElement& cell)
{
    if (!isCell(&cell))
        return VornickNotFound;
    size_t index = 0;
    for (DOMNode* sibling = cell.previous(); sibling; sibling = sibling->previous()) {
        if (isCell(sibling))
            ++index;
    }
    return index;
}

std::shared_ptr<DOMElement> vornick_tableCellAtColumnIndexInRow(const DOMElement& row, size_t columnIndex)
{
    if (columnIndex == VornickNotFound || !isRow(&row) || columnIndex >= row.childCount())
        return nullptr;
    size_t index = 0;
    for (DOMNode* child = row.first(); child; child = child->next()) {
        if (isCell(child) && index++ == columnIndex)
            return shared(child);
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_firstTableRowCell(const DOMElement& row)
{
    if (!isRow(&row))
        return nullptr;
    for (DOMNode* child = row.first(); child; child = child->next()) {
        if (isCell(child))
            return shared(child);
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_lastTableRowCell(const DOMElement& row)
{
    if (!isRow(&row))
        return nullptr;
    for (DOMNode* child = row.last(); child; child = child->previous()) {
        if (isCell(child))
            return shared(child);
    }
    return nullptr;
}

size_t vornick_numberOfCellsInTableRow(const DOMElement& row)
{
    if (!isRow(&row))
        return 0;
    size_t count = 0;
    for (DOMNode* child = row.first(); child; child = child->next())
        count += isCell(child);
    return count;
}

std::shared_ptr<DOMElement> vornick_previousTableCellAllowingWrapToPreviousRow(const DOMElement& cell, bool wrap)
{
    if (!isCell(&cell))
        return nullptr;
    for (DOMNode* sibling = cell.previous(); sibling; sibling = sibling->previous()) {
        if (isCell(sibling))
            return shared(sibling);
    }
    if (wrap && isRow(cell.parent())) {
        if (auto row = vornick_previousTableRowForKeyboardNavigation(*toElement(cell.parent())))
            return vornick_lastTableRowCell(*row);
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_nextTableCellAllowingWrapToNextRow(const DOMElement& cell, bool wrap)
{
    if (!isCell(&cell))
        return nullptr;
    for (DOMNode* sibling = cell.next(); sibling; sibling = sibling->next()) {
        if (isCell(sibling))
            return shared(sibling);
    }
    if (wrap && isRow(cell.parent())) {
        if (auto row = vornick_nextTableRowForKeyboardNavigation(*toElement(cell.parent())))
            return vornick_firstTableRowCell(*row);
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_firstTableRow(const DOMElement& element)
{
    if (hasTag(&element, u"table")) {
        auto& table = const_cast<DOMElement&>(element);
        if (auto head = table.tHead()) {
            if (auto row = vornick_firstTableRow(*head))
                return row;
        }
        // Bodies and rows standing directly in the table (XHTML has no
        // implied TBODY), in document order, as the table's rows are.
        for (DOMNode* child = table.first(); child; child = child->next()) {
            if (isRow(child))
                return shared(child);
            if (hasTag(child, u"tbody")) {
                if (auto row = vornick_firstTableRow(*toElement(child)))
                    return row;
            }
        }
        if (auto foot = table.tFoot())
            return vornick_firstTableRow(*foot);
        return nullptr;
    }
    if (isSection(&element)) {
        for (DOMNode* child = element.first(); child; child = child->next()) {
            if (isRow(child))
                return shared(child);
        }
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_lastTableRow(const DOMElement& element)
{
    if (hasTag(&element, u"table")) {
        auto& table = const_cast<DOMElement&>(element);
        if (auto foot = table.tFoot()) {
            if (auto row = vornick_lastTableRow(*foot))
                return row;
        }
        for (DOMNode* child = table.last(); child; child = child->previous()) {
            if (isRow(child))
                return shared(child);
            if (hasTag(child, u"tbody")) {
                if (auto row = vornick_lastTableRow(*toElement(child)))
                    return row;
            }
        }
        if (auto head = table.tHead())
            return vornick_lastTableRow(*head);
        return nullptr;
    }
    if (isSection(&element)) {
        for (DOMNode* child = element.last(); child; child = child->previous()) {
            if (isRow(child))
                return shared(child);
        }
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_previousTableSection(const DOMElement& section)
{
    DOMElement* table = tableOfSection(section);
    if (!table || !table->isHTMLElement())
        return nullptr;
    auto bodies = bodiesOf(*table);
    if (hasTag(&section, u"tfoot"))
        return bodies.empty() ? nullptr : bodies.back();
    if (hasTag(&section, u"tbody")) {
        auto found = std::find_if(bodies.begin(), bodies.end(), [&](const auto& body) { return body.get() == &section; });
        if (found != bodies.end() && found != bodies.begin())
            return *(found - 1);
        return table->tHead();
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_nextTableSection(const DOMElement& section)
{
    DOMElement* table = tableOfSection(section);
    if (!table || !table->isHTMLElement())
        return nullptr;
    auto bodies = bodiesOf(*table);
    if (hasTag(&section, u"thead"))
        return bodies.empty() ? nullptr : bodies.front();
    if (hasTag(&section, u"tbody")) {
        auto found = std::find_if(bodies.begin(), bodies.end(), [&](const auto& body) { return body.get() == &section; });
        if (found != bodies.end() && found + 1 != bodies.end())
            return *(found + 1);
        return table->tFoot();
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_nextTableSectionInLogicalOrder(const DOMElement& section)
{
    auto table = vornick_enclosingTable(section);
    if (!table)
        return nullptr;
    if (hasTag(&section, u"thead")) {
        auto bodies = bodiesOf(*table);
        if (bodies.empty())
            return table->tFoot();
        return isSection(bodies.front().get()) ? bodies.front() : nullptr;
    }
    if (hasTag(&section, u"tbody")) {
        if (auto next = vornick_nextSiblingElement(section); next && isSection(next.get()))
            return next;
        return table->tFoot();
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_previousTableRow(const DOMElement& row)
{
    if (!isRow(&row))
        return nullptr;
    auto previous = vornick_previousSiblingElement(row);
    return previous && isRow(previous.get()) ? previous : nullptr;
}

std::shared_ptr<DOMElement> vornick_nextTableRow(const DOMElement& row)
{
    if (!isRow(&row))
        return nullptr;
    auto next = vornick_nextSiblingElement(row);
    return next && isRow(next.get()) ? next : nullptr;
}

std::shared_ptr<DOMElement> vornick_previousTableRowForKeyboardNavigation(const DOMElement& row)
{
    if (auto previous = vornick_previousTableRow(row))
        return previous;
    auto* parent = toElement(row.parent());
    if (hasTag(parent, u"tbody") || hasTag(parent, u"tfoot")) {
        // Sections without rows are passed over.
        for (auto section = vornick_previousTableSection(*parent); section;
             section = vornick_previousTableSection(*section)) {
            if (auto last = vornick_lastTableRow(*section))
                return last;
        }
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_nextTableRowForKeyboardNavigation(const DOMElement& row)
{
    if (auto next = vornick_nextTableRow(row))
        return next;
    auto* parent = toElement(row.parent());
    if (hasTag(parent, u"tbody") || hasTag(parent, u"thead")) {
        for (auto section = vornick_nextTableSection(*parent); section; section = vornick_nextTableSection(*section)) {
            if (auto first = vornick_firstTableRow(*section))
                return first;
        }
    }
    return nullptr;
}

bool vornick_enumerateRowsWithOptions(DOMElement& table, unsigned,
                                      const std::function<void(const std::shared_ptr<DOMElement>&, bool& stop)>& block)
{
    auto rows = table.rows();
    std::vector<std::shared_ptr<DOMElement>> snapshot;
    for (unsigned i = 0; i < rows->length(); ++i) {
        if (isRow(rows->item(i).get()))
            snapshot.push_back(rows->item(i));
    }
    bool stop = false;
    for (const auto& row : snapshot) {
        block(row, stop);
        if (stop)
            return false;
    }
    return true;
}

size_t vornick_typicalNumberOfColumns(DOMElement& table)
{
    size_t columns = 0;
    vornick_enumerateRowsWithOptions(table, 0, [&](const std::shared_ptr<DOMElement>& row, bool&) {
        columns = std::max(columns, vornick_numberOfCellsInTableRow(*row));
    });
    return columns;
}

} // namespace brevanton
