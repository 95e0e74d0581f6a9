// Operations the editor adds to document fragments: wrapping, fixing a
// fragment up for the place it is inserted (list items into lists, cells
// into rows, rows into tables) and a short summary for menus and undo titles.
#pragma once

#include "dom/VornickDOMPosition.h"

#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace brevanton {

class DOMDocumentFragment;
class DOMElement;

std::shared_ptr<DOMDocumentFragment> vornick_fragmentByWrappingInElementOfKind(
    DOMDocumentFragment&, std::u16string_view tagName, const DOMElement* withSameAttributesAsElement = nullptr);

// Wraps the fragment's top-level runs so that it may be inserted at `position`;
// `targetElement` receives the element the fragment goes into.
void vornick_modifyFragmentForInsertionAt(DOMDocumentFragment&, const VornickDOMPosition& position,
                                          std::shared_ptr<DOMElement>& targetElement);

// Each top-level child element of one kind replaced by a new element of another holding its contents.
void vornick_transformChildElementsOfKind(DOMDocumentFragment&, std::u16string_view kind, std::u16string_view toKind);

// Each maximal run of top-level elements whose lower-case tag is in `kinds`
// wrapped in one new element of `tagName`. Whitespace-only text between two
// members belongs to the run; any other node ends it.
void vornick_wrapSequencesOfElementKinds(DOMDocumentFragment&, const std::set<std::u16string>& kinds,
                                         std::u16string_view tagName);

// "…" for text, the open tag, "…" for content and the close tag for elements, "<?>" for other nodes.
std::u16string vornick_fragmentSummary(const DOMDocumentFragment&);

} // namespace brevanton
