// Keeping a table's spanning cells within the table while rows and cells
// are taken out of it. A record taken before the edit remembers, for every
// cell that spans more than one row, the rows it covers, and for every cell
// that spans columns how far it reaches past the table's last column. After
// the edit a rowspan shrinks by the covered rows that are gone, and a
// colspan by what it now reaches past the last column beyond what it did
// before; spans the edit did not touch keep their values.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class DOMElement;
class VornickEditingContext;

class VornickTableSpans {
public:
    explicit VornickTableSpans(const std::shared_ptr<DOMElement>& table);

    // Calls `shorten` with each cell still in the table whose span must
    // shrink, the attribute ("rowspan" or "colspan") and its new value.
    void forEachSpanToShorten(
        const std::function<void(const std::shared_ptr<DOMElement>&, const std::u16string& attribute, unsigned value)>& shorten) const;

    // Shortens them through the view's attribute edit.
    void shorten(VornickEditingContext&, bool undoable) const;

    const std::shared_ptr<DOMElement>& table() const { return m_table; }

    // A row about to go right after (or before) the row: as many cells as
    // the row's width in columns leaves to it, and the cells above that span
    // rows across the place it goes to (they grow by one row to cover it).
    struct RowInsertion {
        size_t cells { 0 };
        std::vector<std::shared_ptr<DOMElement>> spanningAcross;
    };
    static RowInsertion rowInsertionBeside(const DOMElement& row, bool after);

    // The cells of a run of rows (the first to the last, of one group) that
    // span rows below the run, each with the place in the row after the run
    // where a copy keeps the rows below as wide when the run goes: before the
    // cell `before` (null: at the row's end), spanning `rowSpan` rows (the
    // attribute's text; "0" stays "0").
    struct CarriedCell {
        std::shared_ptr<DOMElement> cell;
        std::shared_ptr<DOMElement> nextRow;
        std::shared_ptr<DOMElement> before;
        unsigned rowSpan;
    };
    static std::vector<CarriedCell> cellsCarriedPastRows(const DOMElement& firstRow, const DOMElement& lastRow);

    // How many columns the table's grid has: spanning cells count for every
    // column they span.
    static size_t columnCount(DOMElement& table);

    // The cell's span in the attribute: its number when it is one above 0, else 1.
    static unsigned spanOfCell(const DOMElement&, const std::u16string& attribute);

private:
    struct RowSpan {
        std::shared_ptr<DOMElement> cell;
        unsigned span;
        std::vector<std::shared_ptr<DOMElement>> coveredRows;
    };
    struct ColumnSpan {
        std::shared_ptr<DOMElement> cell;
        unsigned span;
        unsigned reachPastLastColumn;
    };
    std::shared_ptr<DOMElement> m_table;
    std::vector<RowSpan> m_rowSpans;
    std::vector<ColumnSpan> m_columnSpans;
};

} // namespace brevanton
