// VornickBlockCheckCache: the block errors among a node's children, and
// its sound blocks holding no element (a "more" or spacer block), kept
// between edits. The walk over a long post's blocks runs after every change;
// what it finds depends only on the node's child list, the attributes of its
// element children and the text of its comment children, so a change inside
// a block's element (typing in a paragraph) or elsewhere in the page reuses
// the last walk. The document's record of recent changes tells which
// changed; when the record no longer reaches back, the node was put back
// into the page (its children may have changed while it was out), or the
// node, its document or the helper's comment forms are not those of the
// last walk, the children are walked again.
#pragma once

#include "html/VornickBlockError.h"
#include "html/VornickExactSelection.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMElement;
class VornickBlockModeHelper;

class VornickBlockCheckCache {
public:
    // The errors `helper.enumerateChildBlocksOfNode(root, 0, ...)` hands
    // over, in its order.
    std::vector<VornickBlockError> errorsOfChildBlocksOfElement(const VornickBlockModeHelper&, DOMElement& root);
    // The blocks that walk hands over without an error, with an opening
    // comment and without an element, in its order: the same walk answers
    // both questions.
    std::vector<VornickExactSelection> blocksWithoutElementAmongChildrenOfElement(const VornickBlockModeHelper&, DOMElement& root);
    // Forgets the last walk: the next question walks again.
    void invalidate();

private:
    bool lastWalkHolds(const VornickBlockModeHelper&, const DOMElement& root, const DOMDocument&) const;
    // Walks the children, remembering what it found unless the root is out of any document.
    void walk(const VornickBlockModeHelper&, DOMElement& root);

    bool m_valid { false };
    std::weak_ptr<DOMElement> m_root;
    std::weak_ptr<DOMDocument> m_document;
    const VornickBlockModeHelper* m_helper { nullptr };
    std::optional<std::u16string> m_startPrefix;
    std::optional<std::u16string> m_endPrefix;
    bool m_acceptsElementsBetweenBlocks { false };
    uint64_t m_structureVersion { 0 };
    uint64_t m_characterDataVersion { 0 };
    std::vector<VornickBlockError> m_errors;
    std::vector<VornickExactSelection> m_blocksWithoutElement;
};

} // namespace brevanton
