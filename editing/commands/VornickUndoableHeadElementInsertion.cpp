#include "editing/commands/VornickUndoableHeadElementInsertion.h"

#include "dom/VornickDocumentExtensions.h"
#include "editing/VornickStyleSheetElements.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableHeadElementDeletion.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

namespace brevanton {

VornickUndoableHeadElementInsertion::VornickUndoableHeadElementInsertion(VornickEditingContext& context, bool undoable, std::u16string tagName,
                                                                         std::vector<VornickElementAttributeValue> attributeValues,
                                                                         std::vector<std::shared_ptr<DOMNode>> childNodes, unsigned index,
                                                                         std::shared_ptr<DOMDocument> document)
    : VornickUndoableEdit(context, undoable)
    , m_tagName(std::move(tagName))
    , m_attributeValues(std::move(attributeValues))
    , m_childNodes(std::move(childNodes))
    , m_index(index)
    , m_document(std::move(document))
{
}

bool VornickUndoableHeadElementInsertion::apply()
{
    const auto& document = m_document;
    auto head = document ? vornick_headElement(*document) : nullptr;
    auto element = head ? document->createElement(m_tagName) : nullptr;
    if (!element)
        return false;
    unsigned childCount = head->childCount();
    unsigned placedIndex = m_index < childCount ? m_index : childCount;

    begin(u"Insert <" + asciiLowercase(m_tagName) + u"> Element Into <head>");
    if (undoable()) {
        registerSelectionUndo();
        std::weak_ptr<DOMDocument> weakDocument = document;
        registerInverse([placedIndex, weakDocument](VornickEditingContext& context) {
            if (auto document = weakDocument.lock())
                VornickUndoableHeadElementDeletion(context, true, placedIndex, document).apply();
        });
        setActionName();
    }
    for (const auto& value : m_attributeValues)
        if (value.cachedAttributeValueString())
            element->setAttribute(value.attributeName(), *value.cachedAttributeValueString());
    for (const auto& child : m_childNodes) {
        if (child)
            element->appendChild(child);
    }
    head->insertBefore(element, head->childAt(placedIndex));
    if (VornickIsStyleSheetHeadElement(*element))
        context().noteStyleSheetSetChangeInDocument(*document);
    finish(nullptr);
    return true;
}

} // namespace brevanton
