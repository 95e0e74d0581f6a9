// Unwrapping an element: its contents take its place (with its block
// comments); an element with nothing in it is deleted.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickNodeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

bool VornickContentEditingView::undoableUnwrapElement(bool undoable, const std::shared_ptr<DOMNode>& elementToUnwrap)
{
    BREVANTON_ASSERT(elementToUnwrap, "Invalid parameter not satisfying: elementToUnwrap");
    BREVANTON_ASSERT(elementToUnwrap->nodeType() == DOMNode::ELEMENT_NODE,
                     "Invalid parameter not satisfying: [elementToUnwrap nodeType] == DOM_ELEMENT_NODE");
    endTypingRun();
    endBackspaceRun();
    auto& element = static_cast<DOMElement&>(*elementToUnwrap);
    auto document = element.ownerDocument();
    if (!document || !element.parentNode())
        return false;
    std::shared_ptr<DOMRange> outerRange;
    if (m_blockModeHelper)
        outerRange = m_blockModeHelper->outerRangeOfElementIncludingBlockStartAndEndComments(element);
    if (!outerRange) {
        outerRange = document->createRange();
        outerRange->selectNode(element);
    }
    // The step is named by the command, also when it comes down to a deletion.
    static const std::u16string name = u"Unwrap";
    VornickCommandStepName stepName(editingContext(), undoable, name);
    stepName.open();
    bool unwrapped = false;
    if (vornick_isEffectivelyEmpty(element)) {
        unwrapped = deleteFragmentInRange(outerRange, undoable, name, false) != nullptr;
    } else {
        auto inner = document->createRange();
        inner->selectNodeContents(elementToUnwrap);
        unwrapped = undoableReplaceRangeWithFragment(undoable, outerRange, inner->cloneContents(), name);
    }
    stepName.close();
    return unwrapped;
}

} // namespace brevanton
