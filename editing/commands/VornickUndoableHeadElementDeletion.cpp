#include "editing/commands/VornickUndoableHeadElementDeletion.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementAttributeValue.h"
#include "editing/VornickStyleSheetElements.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableHeadElementInsertion.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

VornickUndoableHeadElementDeletion::VornickUndoableHeadElementDeletion(VornickEditingContext& context, bool undoable, unsigned index,
                                                                       std::shared_ptr<DOMDocument> document)
    : VornickUndoableEdit(context, undoable)
    , m_index(index)
    , m_document(std::move(document))
{
}

void VornickUndoableHeadElementDeletion::apply()
{
    const auto& document = m_document;
    BREVANTON_ASSERT(document, "Invalid parameter not satisfying: document");
    auto head = vornick_headElement(*document);
    DOMNode* child = head ? head->childAt(m_index) : nullptr;
    if (!is<DOMElement>(child))
        return;
    auto element = downcast<DOMElement>(child->shared_from_this());
    bool styleSheetElement = VornickIsStyleSheetHeadElement(*element);
    std::u16string tagName = asciiLowercase(element->tagName());

    begin(u"Delete <" + tagName + u"> Element From <head>");
    if (undoable()) {
        registerSelectionUndo();
        // The payload owns its values: attribute values without the element,
        // and copies of the children, copied again at each use.
        std::vector<VornickElementAttributeValue> values;
        for (const auto& value : vornick_attributeValues(element))
            values.push_back(VornickElementAttributeValue::element(nullptr, value.attributeName(), value.cachedAttributeValueString()));
        std::vector<std::shared_ptr<DOMNode>> children;
        for (DOMNode* node = element->first(); node; node = node->next())
            children.push_back(node->cloneNode(true));
        std::weak_ptr<DOMDocument> weakDocument = document;
        unsigned index = m_index;
        registerInverse([tagName, values, children, index, weakDocument](VornickEditingContext& context) {
            auto document = weakDocument.lock();
            if (!document)
                return;
            std::vector<std::shared_ptr<DOMNode>> copies;
            for (const auto& node : children)
                copies.push_back(node->cloneNode(true));
            (void)VornickUndoableHeadElementInsertion(context, true, tagName, values, std::move(copies), index, document).apply();
        });
        setActionName();
    }
    head->removeChild(element);
    if (styleSheetElement)
        context().noteStyleSheetSetChangeInDocument(*document);
    finish(nullptr);
}

} // namespace brevanton
