// Keeps the shape of the tables a deletion across nodes cuts through. Such a
// deletion takes whole the cells it covers in the rows that hold one of its
// ends, which would leave those rows shorter than the others, and the rows
// it takes whole may carry on the spans of cells above them. The keeper is
// made before the extraction; `restore`, after it, puts an empty copy of
// each such cell back in its place (the element with its attributes), and
// shortens the spans of rows that went (without undo: the deletion's
// inverse restores the whole of `tableToSnapshot` from a copy).
#pragma once

#include "editing/VornickTableSpans.h"

#include <memory>
#include <vector>

namespace brevanton {

class DOMElement;
class DOMRange;

class VornickTableShapeKeeper {
public:
    explicit VornickTableShapeKeeper(const DOMRange& deletion);

    // The outermost table around the deletion's common ancestor (null: none).
    // The deletion's inverse must cover it whole, as the keeper edits its
    // rows outside the span that the deletion touches.
    const std::shared_ptr<DOMElement>& tableToSnapshot() const { return m_tableToSnapshot; }

    void restore(VornickEditingContext&) const;

    // The cell the deletion starts in (null: none), and whether a collapsed
    // range lies in a row, section or table itself, where no text may go.
    const std::shared_ptr<DOMElement>& cellHoldingStart() const { return m_cellHoldingStart; }
    static bool isBetweenCells(const DOMRange&);

private:
    struct TakenCell {
        std::shared_ptr<DOMElement> row;
        std::shared_ptr<DOMElement> cell;
        // The first cell after it that stays; null: the row's end.
        std::shared_ptr<DOMElement> before;
    };
    std::vector<TakenCell> m_takenCells;
    std::vector<VornickTableSpans> m_spans;
    std::shared_ptr<DOMElement> m_tableToSnapshot;
    std::shared_ptr<DOMElement> m_cellHoldingStart;
};

} // namespace brevanton
