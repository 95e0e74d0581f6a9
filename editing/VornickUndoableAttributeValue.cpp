// Setting one attribute of an element. The inverse names the element by its
// place in the document, never by the live node (a later edit that is undone
// may have put a copy in its place), and removes the attribute again when it
// was absent, so that a boolean attribute does not stay in force as attr="".
#include "editing/VornickContentEditingView.h"

#include "editing/VornickUndoableNodeReference.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/UndoManager.h"

namespace brevanton {

namespace {

void removeAttributeUndoably(VornickContentEditingView&, const std::u16string& attribute, DOMElement&);

// Registers the change back to the attribute's present state.
void registerAttributeValueUndo(VornickContentEditingView& view, const DOMElement& element, const std::u16string& attribute)
{
    auto undo = view.undoManager();
    auto reference = VornickUndoableNodeReference::referenceToNode(element);
    if (!undo || !reference)
        return;
    std::optional<std::u16string> oldValue;
    if (element.hasAttribute(attribute))
        oldValue = element.getAttribute(attribute);
    view.registerUndo([reference = *reference, attribute, oldValue](VornickContentEditingView& view) {
        auto node = reference.resolve();
        if (!node || node->nodeType() != DOMNode::ELEMENT_NODE)
            return;
        auto element = std::static_pointer_cast<DOMElement>(node);
        if (oldValue)
            (void)view.undoableSetValue(true, *oldValue, attribute, element);
        else
            removeAttributeUndoably(view, attribute, *element);
    });
    undo->setActionName(u"Set Value of \"" + attribute + u"\" Attribute");
}

void removeAttributeUndoably(VornickContentEditingView& view, const std::u16string& attribute, DOMElement& element)
{
    view.endTypingRun();
    view.endBackspaceRun();
    registerAttributeValueUndo(view, element, attribute);
    element.removeAttribute(attribute);
    view.postVornickContentEditingViewDidChangeContentInWebFrame(view.focusedWebFrame(), nullptr);
}

} // namespace

bool VornickContentEditingView::undoableSetValue(bool undoable, const std::u16string& value, const std::u16string& attribute,
                                                 const std::shared_ptr<DOMElement>& element)
{
    BREVANTON_ASSERT(element, "Invalid parameter not satisfying: element");
    endTypingRun();
    endBackspaceRun();
    if (undoable)
        registerAttributeValueUndo(*this, *element, attribute);
    element->setAttribute(attribute, value);
    postVornickContentEditingViewDidChangeContentInWebFrame(m_focusedWebFrame, nullptr);
    return true;
}

} // namespace brevanton
