#include "editing/commands/VornickUndoableUnwrap.h"

#include "dom/VornickNodeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentDeletion.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

bool VornickParentMayTakeChildrenOfElement(const VornickHTMLSpec& spec, const DOMElement& element, std::u16string* reasonWhyNot)
{
    auto parent = element.parentNode();
    if (!parent || !parent->isElementNode())
        return true;
    auto parentTag = asciiLowercase(downcast<DOMElement>(*parent).tagName());
    for (const DOMNode* child = element.first(); child; child = child->next()) {
        if (child->isTextNode()
            && downcast<DOMCharacterData>(*child).data().find_first_not_of(u" \t\n\r\f") == std::u16string::npos)
            continue;
        if (!spec.elementKindMayContainNode(parentTag, *child, reasonWhyNot))
            return false;
    }
    return true;
}

VornickUndoableUnwrap::VornickUndoableUnwrap(VornickEditingContext& context, bool undoable, std::shared_ptr<DOMNode> elementToUnwrap)
    : VornickUndoableEdit(context, undoable)
    , m_element(std::move(elementToUnwrap))
{
}

bool VornickUndoableUnwrap::apply()
{
    const auto& elementToUnwrap = m_element;
    BREVANTON_ASSERT(elementToUnwrap, "Invalid parameter not satisfying: elementToUnwrap");
    BREVANTON_ASSERT(elementToUnwrap->nodeType() == DOMNode::ELEMENT_NODE,
                     "Invalid parameter not satisfying: [elementToUnwrap nodeType] == DOM_ELEMENT_NODE");
    // The step is named by the command, also when it comes down to a deletion.
    static const std::u16string name = u"Unwrap";
    begin(name);
    auto& element = downcast<DOMElement>(*elementToUnwrap);
    auto document = element.ownerDocument();
    if (!document || !element.parentNode())
        return false;
    std::shared_ptr<DOMRange> outerRange;
    if (auto* helper = context().blockModeHelper())
        outerRange = helper->outerRangeOfElementIncludingBlockStartAndEndComments(element);
    if (!outerRange) {
        outerRange = document->createRange();
        outerRange->selectNode(element);
    }
    VornickCommandStepName stepName(context(), undoable(), name);
    stepName.open();
    bool unwrapped = false;
    if (vornick_isEffectivelyEmpty(element)) {
        unwrapped = VornickUndoableFragmentDeletion(context(), undoable(), outerRange, name).apply();
    } else {
        auto inner = document->createRange();
        inner->selectNodeContents(elementToUnwrap);
        unwrapped = VornickUndoableFragmentReplacement(context(), undoable(), outerRange, inner->cloneContents(), name).apply();
    }
    stepName.close();
    return unwrapped;
}

} // namespace brevanton
