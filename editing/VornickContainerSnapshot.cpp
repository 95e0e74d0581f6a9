#include "editing/VornickContainerSnapshot.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickUndoableEdit.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

VornickContainerSnapshot::VornickContainerSnapshot(const VornickUndoableEdit& edit, const std::shared_ptr<DOMNode>& container)
    : m_container(container)
{
    if (!edit.undoable() || !container)
        return;
    m_document = container->nodeType() == DOMNode::DOCUMENT_NODE ? downcast<DOMDocument>(container)
                                                                   : container->ownerDocument();
    if (!m_document)
        return;
    auto contents = m_document->createRange();
    contents->selectNodeContents(container);
    m_children = contents->cloneContents();
    m_substitute = VornickSubstituteInForce(*container);
    if (auto selection = edit.view().effectiveOperationRange(); selection && m_document->body())
        m_selection = vornick_freezeDriedRangeRelativeToAncestor(*selection, m_document->body(), false);
}

void VornickContainerSnapshot::registerRestore(VornickUndoableEdit& edit) const
{
    if (!edit.undoable() || !m_children || !m_container->isConnected())
        return;
    auto span = VornickFreezeChildSpan(m_container, 0, m_container->childCount(), m_document);
    if (!span)
        return;
    std::weak_ptr<DOMDocument> weakDocument = m_document;
    edit.registerInverse([children = m_children, span = *span, weakDocument, substitute = m_substitute,
                          selection = m_selection](VornickContentEditingView& view) {
        if (auto document = weakDocument.lock())
            (void)view.exchangeChildSpan(VornickCloneFragment(*children), span, document, substitute, selection);
    });
}

std::shared_ptr<DOMNode> VornickCommonContainerOfNodes(const std::shared_ptr<DOMNode>& a, const std::shared_ptr<DOMNode>& b)
{
    if (!a || !b)
        return nullptr;
    for (auto node = a; node; node = node->parentNode()) {
        if (node->isContainerNode() && node->isInclusiveAncestorOf(b.get()))
            return node;
    }
    return nullptr;
}

} // namespace brevanton
