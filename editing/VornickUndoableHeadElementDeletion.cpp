// Deleting an element of the document's head, by its index among the head's
// child nodes. The inverse puts an element with the same tag, attributes and
// copies of the children back at the same index.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementAttributeValue.h"
#include "editing/VornickStyleSheetElements.h"
#include "editing/commands/VornickUndoableEdit.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

void VornickContentEditingView::undoableDeleteHeadElementAtIndex(bool undoable, unsigned index,
                                                                 const std::shared_ptr<DOMDocument>& document)
{
    BREVANTON_ASSERT(document, "Invalid parameter not satisfying: document");
    auto head = vornick_headElement(*document);
    DOMNode* child = head ? head->childAt(index) : nullptr;
    if (!child || child->nodeType() != DOMNode::ELEMENT_NODE)
        return;
    auto element = std::static_pointer_cast<DOMElement>(child->shared_from_this());
    bool styleSheetElement = VornickIsStyleSheetHeadElement(*element);
    std::u16string tagName = asciiLowercase(element->tagName());

    VornickUndoableEdit edit(editingContext(), undoable);
    edit.begin(u"Delete <" + tagName + u"> Element From <head>");
    if (edit.undoable()) {
        edit.registerSelectionUndo();
        // The payload owns its values: attribute values without the element,
        // and copies of the children, copied again at each use.
        std::vector<VornickElementAttributeValue> values;
        for (const auto& value : vornick_attributeValues(element))
            values.push_back(VornickElementAttributeValue::element(nullptr, value.attributeName(), value.cachedAttributeValueString()));
        std::vector<std::shared_ptr<DOMNode>> children;
        for (DOMNode* node = element->first(); node; node = node->next())
            children.push_back(node->cloneNode(true));
        std::weak_ptr<DOMDocument> weakDocument = document;
        registerUndo([tagName, values, children, index, weakDocument](VornickContentEditingView& view) {
            auto document = weakDocument.lock();
            if (!document)
                return;
            std::vector<std::shared_ptr<DOMNode>> copies;
            for (const auto& node : children)
                copies.push_back(node->cloneNode(true));
            (void)view.undoableInsertHeadElementWithTagName(true, tagName, values, copies, index, document);
        });
        edit.setActionName();
    }
    head->removeChild(element);
    if (styleSheetElement)
        noteStyleSheetSetChangeInDocument(*document);
    edit.finish(nullptr);
}

} // namespace brevanton
