// Inserting an element into the document's head at an index among the
// head's child nodes; an index at or past the end appends. The inverse
// deletes the element at the index where it went.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementAttributeValue.h"
#include "editing/VornickStyleSheetElements.h"
#include "editing/commands/VornickUndoableEdit.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

namespace brevanton {

bool VornickContentEditingView::undoableInsertHeadElementWithTagName(bool undoable, const std::u16string& tagName,
                                                                     const std::vector<VornickElementAttributeValue>& attributeValues,
                                                                     const std::vector<std::shared_ptr<DOMNode>>& childNodes,
                                                                     unsigned index, const std::shared_ptr<DOMDocument>& document)
{
    auto head = document ? vornick_headElement(*document) : nullptr;
    auto element = head ? document->createElement(tagName) : nullptr;
    if (!element)
        return false;
    unsigned childCount = head->childCount();
    unsigned placedIndex = index < childCount ? index : childCount;

    VornickUndoableEdit edit(editingContext(), undoable);
    edit.begin(u"Insert <" + asciiLowercase(tagName) + u"> Element Into <head>");
    if (edit.undoable()) {
        edit.registerSelectionUndo();
        std::weak_ptr<DOMDocument> weakDocument = document;
        registerUndo([placedIndex, weakDocument](VornickContentEditingView& view) {
            if (auto document = weakDocument.lock())
                view.undoableDeleteHeadElementAtIndex(true, placedIndex, document);
        });
        edit.setActionName();
    }
    for (const auto& value : attributeValues)
        if (value.cachedAttributeValueString())
            element->setAttribute(value.attributeName(), *value.cachedAttributeValueString());
    for (const auto& child : childNodes) {
        if (child)
            element->appendChild(child);
    }
    head->insertBefore(element, head->childAt(placedIndex));
    if (VornickIsStyleSheetHeadElement(*element))
        noteStyleSheetSetChangeInDocument(*document);
    edit.finish(nullptr);
    return true;
}

} // namespace brevanton
