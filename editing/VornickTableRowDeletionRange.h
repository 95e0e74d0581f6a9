// The range that deletes a table row without leaving empty table parts: the
// row, grown over an enclosing element the deletion would leave empty and
// useless, over the table section it would leave without rows (a section
// holds at least one row), and over the table when nothing but white space
// would be left of it. Row deletion and column deletion (a row that loses
// every cell goes whole) both delete rows through it.
//
// A deletion across nodes leaves behind the rows and sections that hold one
// of its ends when nothing but white space stands before the start (after
// the end) in them; `VornickGrowDeletionRangeOverEmptiedTableParts` grows
// such a range over them, and over the table when that leaves only white
// space of it. Cells are never taken: an emptied cell keeps its row's shape.
#pragma once

#include <memory>

namespace brevanton {

class DOMElement;
class DOMNode;
class DOMRange;

std::shared_ptr<DOMRange> VornickTableRowDeletionRange(const DOMElement& row);
void VornickGrowDeletionRangeOverEmptiedTableParts(DOMRange&);

// After content was taken out at `place` (moved elsewhere), the row it left
// without cells goes, then a section left without rows, then a table left
// with nothing but white space; never `limit` or what encloses it. Without
// undo: the caller's inverse restores `limit`'s children.
void VornickRemoveTablePartsEmptiedAt(const std::shared_ptr<DOMNode>& place, const DOMNode& limit);

} // namespace brevanton
