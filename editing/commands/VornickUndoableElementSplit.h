// Splitting an element at the insertion point: the nearest (or outermost)
// enclosing element of some kinds is cut in two there, or, at its very start
// or end, a sibling is put beside it; one undo step named "Split <tag>".
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

#include <set>
#include <vector>

namespace brevanton {

class DOMElement;

class VornickUndoableElementSplit : public VornickUndoableEdit {
public:
    // Splits the element at the range's start.
    VornickUndoableElementSplit(VornickEditingContext&, bool undoable, std::shared_ptr<DOMElement>, std::shared_ptr<DOMRange> at,
                                bool producingCharacterLevelInsertionPoint, bool suppressNewElementIfAtStartOrEnd);
    // Splits the nearest (or, not nearest, the outermost) enclosing element
    // of the lower-case kinds at the insertion point, within the attachment
    // point, after deleting the range when it is a selection; as one undo group.
    VornickUndoableElementSplit(VornickEditingContext&, bool undoable, std::set<std::u16string> kinds, bool nearest,
                                std::shared_ptr<DOMRange> at, bool producingCharacterLevelInsertionPoint,
                                bool suppressNewElementIfAtStartOrEnd);

    // False when there was nothing to split. Splitting an element of the
    // kinds reports the tags of the elements the insertion point left,
    // outermost first.
    [[nodiscard]] bool apply(std::vector<std::u16string>* exitedElementTags = nullptr);

private:
    bool splitNearestAncestorOfKinds(std::vector<std::u16string>* exitedElementTags);
    bool splitElement(const std::shared_ptr<DOMElement>&, const std::shared_ptr<DOMRange>&);
    bool addListItemBeside(const std::shared_ptr<DOMElement>& item, const std::shared_ptr<DOMElement>& paragraph, bool before,
                           const std::u16string& placeholder);

    bool m_splitsGivenElement { false };
    std::shared_ptr<DOMElement> m_element;
    std::set<std::u16string> m_kinds;
    bool m_nearest { true };
    std::shared_ptr<DOMRange> m_range;
    bool m_producingCharacterLevelInsertionPoint;
    bool m_suppressNewElementIfAtStartOrEnd;
    bool m_addedListItem { false };
};

} // namespace brevanton
