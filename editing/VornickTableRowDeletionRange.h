// The range that deletes a table row without leaving empty table parts: the
// row, grown over an enclosing element the deletion would leave empty and
// useless, over the table section it would leave without rows (a section
// holds at least one row), and over the table when nothing but white space
// would be left of it. Row deletion and column deletion (a row that loses
// every cell goes whole) both delete rows through it.
#pragma once

#include <memory>

namespace brevanton {

class DOMElement;
class DOMRange;

std::shared_ptr<DOMRange> VornickTableRowDeletionRange(const DOMElement& row);

} // namespace brevanton
