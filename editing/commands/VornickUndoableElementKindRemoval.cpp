#include "editing/commands/VornickUndoableElementKindRemoval.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickContainerSnapshot.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableUnwrap.h"
#include "platform/dom/DOMCasts.h"
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
    auto element = dynamicDowncast<DOMElement>(node);
    return element && equalsIgnoringASCIICase(element->tagName(), tagName);
}

// The outermost element of the kind at or above the node.
std::shared_ptr<DOMElement> farthestElementOfKind(const std::shared_ptr<DOMNode>& node, std::u16string_view tagName)
{
    std::shared_ptr<DOMElement> found;
    for (auto ancestor = node; ancestor; ancestor = ancestor->parentNode()) {
        if (isElementOfKind(*ancestor, tagName))
            found = downcast<DOMElement>(ancestor);
    }
    return found;
}

// Whether anything but empty text is inside the node.
bool holdsContent(const DOMNode& node)
{
    for (const DOMNode* child = node.first(); child; child = child->traverseNext(&node)) {
        if (!child->isTextNode() || !downcast<DOMCharacterData>(*child).data().empty())
            return true;
    }
    return false;
}

} // namespace

VornickUndoableElementKindRemoval::VornickUndoableElementKindRemoval(VornickEditingContext& context, bool undoable, std::u16string tagName,
                                                                     std::shared_ptr<DOMRange> range)
    : VornickUndoableEdit(context, undoable)
    , m_tagName(std::move(tagName))
    , m_range(std::move(range))
{
}

bool VornickUndoableElementKindRemoval::apply()
{
    const auto& tagName = m_tagName;
    const auto& givenRange = m_range;
    BREVANTON_ASSERT(givenRange, "Invalid parameter not satisfying: range");
    begin(u"Toggle <" + asciiLowercase(tagName) + u">");
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
            VornickCommandStepName stepName(context(), undoable(), actionName());
            stepName.open();
            bool unwrapped = VornickUndoableUnwrap(context(), undoable(), first).apply();
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
    VornickContainerSnapshot snapshot(*this, container);

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

    snapshot.registerRestore(*this);
    setActionName();
    finish(result);
    return true;
}

} // namespace brevanton
