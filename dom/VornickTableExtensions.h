// Table queries of the editor: the enclosing table, cells by column, rows and
// sections in order, and keyboard navigation from cell to cell across rows
// and sections. Tags are compared ignoring case; cells are TD or TH, rows TR,
// sections THEAD, TBODY and TFOOT.
#pragma once

#include <functional>
#include <memory>

namespace brevanton {

class DOMElement;
class DOMNode;

std::shared_ptr<DOMElement> vornick_enclosingTable(const DOMNode&);
// The number of cells before a cell among its siblings; VornickNotFound for a non-cell.
size_t vornick_columnIndexOfTableCell(const DOMElement&);
std::shared_ptr<DOMElement> vornick_tableCellAtColumnIndexInRow(const DOMElement& row, size_t columnIndex);
std::shared_ptr<DOMElement> vornick_firstTableRowCell(const DOMElement& row);
std::shared_ptr<DOMElement> vornick_lastTableRowCell(const DOMElement& row);
size_t vornick_numberOfCellsInTableRow(const DOMElement& row);
std::shared_ptr<DOMElement> vornick_previousTableCellAllowingWrapToPreviousRow(const DOMElement& cell, bool wrap);
std::shared_ptr<DOMElement> vornick_nextTableCellAllowingWrapToNextRow(const DOMElement& cell, bool wrap);
// A table's first/last row across its sections; a section's first/last TR child.
std::shared_ptr<DOMElement> vornick_firstTableRow(const DOMElement& tableOrSection);
std::shared_ptr<DOMElement> vornick_lastTableRow(const DOMElement& tableOrSection);
// The neighbouring section in the table's order: THEAD, each TBODY in turn, TFOOT.
std::shared_ptr<DOMElement> vornick_previousTableSection(const DOMElement& section);
std::shared_ptr<DOMElement> vornick_nextTableSection(const DOMElement& section);
std::shared_ptr<DOMElement> vornick_nextTableSectionInLogicalOrder(const DOMElement& section);
std::shared_ptr<DOMElement> vornick_previousTableRow(const DOMElement& row);
std::shared_ptr<DOMElement> vornick_nextTableRow(const DOMElement& row);
std::shared_ptr<DOMElement> vornick_previousTableRowForKeyboardNavigation(const DOMElement& row);
std::shared_ptr<DOMElement> vornick_nextTableRowForKeyboardNavigation(const DOMElement& row);
// Each row of the table's rows collection, in document order; false when stopped.
bool vornick_enumerateRowsWithOptions(DOMElement& table, unsigned options,
                                      const std::function<void(const std::shared_ptr<DOMElement>&, bool& stop)>&);
// The largest number of cells in a row; 0 without rows.
size_t vornick_typicalNumberOfColumns(DOMElement& table);

} // namespace brevanton
