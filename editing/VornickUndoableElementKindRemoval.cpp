// Removing every application of an inline element kind from a range (the
// "toggle off" of bold, emphasis, code and the like). The outermost elements
// of the kind at the two ends are split where the range leaves and enters
// them, and every element of the kind then inside the range is unwrapped in
// place, so a range across paragraphs or list items leaves them as they
// were; elements of the kind wholly inside the range go even when neither end
// lies in one. The change stays inside the nearest container of the elements
// involved, and Undo gives that container's children back exactly.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickContainerSnapshot.h"
#include "editing/commands/VornickUndoableEdit.h"
#include "platform/dom/DOMCharacterData.h"
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

// Whether anything but empty text is inside the node.
bool holdsContent(const DOMNode& node)
{
    for (const DOMNode* child = node.first(); child; child = child->traverseNext(&node)) {
        if (!child->isTextNode() || !static_cast<const DOMCharacterData*>(child)->data().empty())
            return true;
    }
    return false;
}

} // namespace

bool VornickContentEditingView::undoableRemoveApplicationsOfElementKind(bool undoable, const std::u16string& tagName,
                                                                        const std::shared_ptr<DOMRange>& givenRange)
{
    BREVANTON_ASSERT(givenRange, "Invalid parameter not satisfying: range");
    VornickUndoableEdit edit(editingContext(), undoable);
    edit.begin(u"Toggle <" + asciiLowercase(tagName) + u">");
    auto range = givenRange->cloneRange();
    auto document = vornick_ownerDocument(*range);
    auto first = farthestElementOfKind(range->startContainer(), tagName);
    auto last = range->startContainer() == range->endContainer() ? first : farthestElementOfKind(range->endContainer(), tagName);
    // Elements of the kind that lie wholly inside the range are taken out
    // too, so that styling a partly styled selection never nests.
    if (!first && !last && !vornick_rangeContainsElementOfKind(*range, tagName))
        return false;

    // A range over all of one element's contents: the element goes.
    if (first && first == last) {
        auto pulled = range->cloneRange();
        (void)vornick_pullRangeEndpointsUpToContainingNodesButNotPast(*pulled, first.get(), true);
        if (vornick_exactlySpansAllChildNodesOfElement(*pulled, first.get())) {
            VornickCommandStepName stepName(editingContext(), undoable, edit.actionName());
            stepName.open();
            bool unwrapped = undoableUnwrapElement(undoable, first);
            stepName.close();
            return unwrapped;
        }
    }

    auto container = VornickCommonContainerOfNodes(range->startContainer(), range->endContainer());
    if (first)
        container = VornickCommonContainerOfNodes(container, first->parentNode());
    if (last)
        container = VornickCommonContainerOfNodes(container, last->parentNode());
    if (!container || !document)
        return false;
    VornickContainerSnapshot snapshot(edit, container);

    // The change is made in place: the elements at the two ends are split
    // where the range leaves and enters them, so that every element of the
    // kind the range meets lies wholly inside it, and those are unwrapped.
    // Nothing is taken out and put back, so a range across paragraphs or
    // list items leaves them as they were.
    auto work = range->cloneRange();
    if (last) {
        // What follows the range's end goes into a copy of the element after it.
        auto tail = document->createRange();
        tail->setStart(work->endContainer(), work->endOffset());
        tail->setEndAfter(*last);
        auto after = tail->extractContents();
        if (after && after->firstChild() && holdsContent(*after->firstChild()))
            last->parentNode()->insertBefore(after, last->nextSibling());
        if (holdsContent(*last)) {
            work->setEndAfter(*last);
        } else {
            work->setEndBefore(*last);
            last->parentNode()->removeChild(last);
        }
    }
    if (first && first->parentNode()) {
        // What precedes the range's start goes into a copy of the element before it.
        auto head = document->createRange();
        head->setStartBefore(*first);
        head->setEnd(work->startContainer(), work->startOffset());
        auto before = head->extractContents();
        if (before && before->firstChild() && holdsContent(*before->firstChild()))
            first->parentNode()->insertBefore(before, first.get());
        work->setStartBefore(*first);
    }
    std::vector<std::shared_ptr<DOMElement>> inside;
    vornick_enumerateCompletelyContainedElementsWithOptions(*work, 0, [&](const std::shared_ptr<DOMElement>& element, bool&) {
        if (isElementOfKind(*element, tagName))
            inside.push_back(element);
    });
    for (const auto& element : inside) {
        auto parent = element->parentNode();
        if (!parent)
            continue;
        while (auto child = element->firstChild())
            parent->insertBefore(child, element.get());
        parent->removeChild(element);
    }
    container->normalize();
    auto result = work->cloneRange();
    vornick_pushRangeEndpointsDownToTextNodes(*result);

    snapshot.registerRestore(edit);
    edit.setActionName();
    edit.finish(result);
    return true;
}

} // namespace brevanton
