// Where a pasted fragment goes when the element at the caret may not hold
// it by the document type, as a paragraph and a list pasted into a
// paragraph: out of the elements from the caret up to the nearest block that
// may hold it. The element on
// that way is split at the caret, as Return splits a paragraph, and the
// fragment goes between the halves; at its start or end the fragment goes
// before or after it, and in its place when it holds only white space.
#pragma once

#include <memory>

namespace brevanton {

class DOMDocumentFragment;
class DOMElement;
class VornickBlockModeHelper;
struct VornickDOMPosition;

enum class VornickBlockFragmentPlaceKind {
    AtCaret, // the element at the caret may hold the fragment (or nothing up the way may)
    BeforeElement,
    AfterElement,
    SplittingElement, // at the caret once the element is split there
    ReplacingElement,
};

struct VornickBlockFragmentPlace {
    VornickBlockFragmentPlaceKind kind { VornickBlockFragmentPlaceKind::AtCaret };
    // The element stepped out of (every kind but AtCaret).
    std::shared_ptr<DOMElement> element;
};

// The fragment's loose parts (list items, cells) are first put in the
// containers an insertion at the caret would put them in. Never past `limit`
// (the attachment point's element; may be null).
VornickBlockFragmentPlace VornickFindBlockFragmentPlace(const VornickBlockModeHelper&, DOMDocumentFragment&, const VornickDOMPosition& caret,
                                                        const DOMElement* limit);

} // namespace brevanton
