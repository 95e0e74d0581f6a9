// The interior of a snippet or element fragment (where the wrapped content or
// the caret goes), recorded relative to the fragment, found again once the
// fragment's nodes were inserted into a document: through the fragment's own
// top-level nodes, wherever the insertion put them (it may have wrapped them
// in a list or a table, or placed them after text).
#pragma once

#include "dom/VornickFreezeDriedDOMRange.h"

#include <memory>
#include <vector>

namespace brevanton {

class DOMDocumentFragment;
class DOMNode;
class DOMRange;

class VornickFragmentInterior {
public:
    // Call before the fragment is inserted.
    VornickFragmentInterior(const DOMDocumentFragment&, VornickFreezeDriedDOMRange interior);

    // The interior in the document; null when the node it lies in is no
    // longer there (a text node merged into its neighbour, for instance).
    std::shared_ptr<DOMRange> rangeAfterInsertion() const;

private:
    VornickDOMPosition positionAfterInsertion(const VornickRelativeDOMPath&) const;

    std::vector<std::shared_ptr<DOMNode>> m_topNodes;
    VornickFreezeDriedDOMRange m_interior;
};

} // namespace brevanton
