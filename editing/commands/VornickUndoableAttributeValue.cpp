#include "editing/commands/VornickUndoableAttributeValue.h"

#include "editing/VornickUndoableNodeReference.h"
#include "editing/commands/VornickEditingContext.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/UndoManager.h"

namespace brevanton {

VornickUndoableAttributeValue::VornickUndoableAttributeValue(VornickEditingContext& context, bool undoable, std::shared_ptr<DOMElement> element,
                                                             std::u16string attribute, std::optional<std::u16string> value)
    : VornickUndoableEdit(context, undoable)
    , m_element(std::move(element))
    , m_attribute(std::move(attribute))
    , m_value(std::move(value))
{
}

void VornickUndoableAttributeValue::apply()
{
    BREVANTON_ASSERT(m_element, "Invalid parameter not satisfying: element");
    begin();
    // The change back to the attribute's present state.
    auto undo = undoManager();
    auto reference = VornickUndoableNodeReference::referenceToNode(*m_element);
    if (undo && reference) {
        std::optional<std::u16string> oldValue;
        if (m_element->hasAttribute(m_attribute))
            oldValue = m_element->getAttribute(m_attribute);
        registerInverse([reference = *reference, attribute = m_attribute, oldValue](VornickEditingContext& context) {
            if (auto element = dynamicDowncast<DOMElement>(reference.resolve()))
                VornickUndoableAttributeValue(context, true, element, attribute, oldValue).apply();
        });
        undo->setActionName(u"Set Value of \"" + m_attribute + u"\" Attribute");
    }
    if (m_value)
        m_element->setAttribute(m_attribute, *m_value);
    else
        m_element->removeAttribute(m_attribute);
    context().contentDidChangeInWebFrame(context().focusedWebFrame());
}

} // namespace brevanton
