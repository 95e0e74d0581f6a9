// Removing every application of an inline element kind from a range (the
// "toggle off" of bold, emphasis, code and the like). The range's contents
// are taken out, freed of elements of the kind and put back between the
// parts of the element that held them, which is split where needed (when
// neither end lies in one, elements of the kind inside the range go all the
// same). The change stays inside the nearest container of the elements
// involved, and Undo gives that container's children back exactly.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickContainerSnapshot.h"
#include "editing/VornickUndoableEdit.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

bool isElementOfKind(const DOMNode& node, std::u16string_view tagName)
{
    return node.nodeType() == DOMNode::ELEMENT_NODE && equalsIgnoringASCIICase(static_cast<const DOMElement&>(node).tagName(), tagName);
}

// The outermost element of the kind at or above the node.
std::shared_ptr<DOMElement> farthestElementOfKind(const std::shared_ptr<DOMNode>& node, std::u16string_view tagName)
{
    std::shared_ptr<DOMElement> found;
    for (auto ancestor = node; ancestor; ancestor = ancestor->parentNode()) {
        if (isElementOfKind(*ancestor, tagName))
            found = std::static_pointer_cast<DOMElement>(ancestor);
    }
    return found;
}

// Replaces each element of the kind in the fragment by its children.
void unwrapElementsOfKind(DOMDocumentFragment& fragment, std::u16string_view tagName)
{
    for (;;) {
        DOMNode* found = nullptr;
        for (DOMNode* node = fragment.first(); node && !found; node = node->traverseNext(&fragment)) {
            if (isElementOfKind(*node, tagName))
                found = node;
        }
        if (!found)
            return;
        auto element = found->shared_from_this();
        auto parent = element->parentNode();
        while (auto child = element->firstChild())
            parent->insertBefore(child, element.get());
        parent->removeChild(element);
    }
}

} // namespace

bool VornickContentEditingView::undoableRemoveApplicationsOfElementKind(bool undoable, const std::u16string& tagName,
                                                                        const std::shared_ptr<DOMRange>& givenRange)
{
    BREVANTON_ASSERT(givenRange, "Invalid parameter not satisfying: range");
    VornickUndoableEdit edit(*this, undoable, u"Toggle <" + asciiLowercase(tagName) + u">");
    auto range = givenRange->cloneRange();
    auto document = vornick_ownerDocument(*range);
    auto first = farthestElementOfKind(range->startContainer(), tagName);
    auto last = range->startContainer() == range->endContainer() ? first : farthestElementOfKind(range->endContainer(), tagName);
    // Elements of the kind that lie wholly inside the range are taken out
    // too, so that styling a partly styled selection never nests.
    if (!first && !last && !vornick_rangeContainsElementOfKind(*range, tagName))
        return false;

    // The one element whose two parts stay around the freed contents.
    std::shared_ptr<DOMElement> kept;
    if (first && (first == last || !last)) {
        if (first == last) {
            auto pulled = range->cloneRange();
            (void)vornick_pullRangeEndpointsUpToContainingNodesButNotPast(*pulled, first.get(), true);
            if (vornick_exactlySpansAllChildNodesOfElement(*pulled, first.get())) {
                VornickCommandStepName stepName(*this, undoable, edit.actionName());
                stepName.open();
                bool unwrapped = undoableUnwrapElement(undoable, first);
                stepName.close();
                return unwrapped;
            }
        }
        kept = first;
    }

    auto container = VornickCommonContainerOfNodes(range->startContainer(), range->endContainer());
    if (first)
        container = VornickCommonContainerOfNodes(container, first->parentNode());
    if (last)
        container = VornickCommonContainerOfNodes(container, last->parentNode());
    if (!container || !document)
        return false;
    VornickContainerSnapshot snapshot(edit, container);

    auto contents = range->extractContents();
    if (!contents)
        return false;
    auto insertion = range->cloneRange();
    if (kept) {
        auto parent = kept->parentNode();
        auto pulled = range->cloneRange();
        (void)vornick_pullRangeEndpointsUpToContainingNodesButNotPast(*pulled, parent.get(), true);
        if (pulled->startContainer() == parent) {
            insertion = pulled;
            insertion->collapse(true);
        } else {
            // Split the element at the range: its second part goes after it.
            auto tail = document->createRange();
            tail->setStart(range->startContainer(), range->startOffset());
            tail->setEndAfter(*kept);
            auto second = tail->extractContents();
            parent->insertBefore(second, kept->nextSibling());
            insertion = document->createRange();
            insertion->setStartAfter(*kept);
            insertion->collapse(true);
        }
    }

    unwrapElementsOfKind(*contents, tagName);
    contents->normalize();
    auto result = insertion->cloneRange();
    if (contents->hasChildNodes())
        vornick_insertNodeAndSurroundWhatWasInserted(*result, contents);
    auto common = result->commonAncestorContainer();
    if (common && common->isTextNode())
        common = common->parentNode();
    if (common)
        common->normalize();
    vornick_pushRangeEndpointsDownToTextNodes(*result);

    snapshot.registerRestore(edit);
    edit.setActionName();
    edit.finish(result);
    return true;
}

} // namespace brevanton
