// Leaving the element the caret is in: the caret goes to the gap after it
// (an empty element is removed instead), with a placeholder space when a gap
// is wanted so that typing continues outside. The step is named by the
// command. Trailing white space before the element's end goes with it, but a
// non-breaking space the user typed (the substitute character while
// substitutes are shown, or U+00A0 itself when they are not) is content and
// stays.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMServices.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/commands/VornickUndoableInsertionPointPlacement.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickWhitespaceFilter.h"
#include "toolkit/VornickWhitespaceSets.h"

namespace brevanton {

namespace {

// The element of a caret: its node, or the text node's parent.
std::shared_ptr<DOMElement> elementOfCaret(const DOMRange& caret)
{
    auto node = caret.startContainer();
    if (node && node->nodeType() != DOMNode::ELEMENT_NODE)
        node = node->parentNode();
    return dynamicDowncast<DOMElement>(node);
}

// An element below (not at) the attachment point that encloses it.
std::shared_ptr<DOMElement> poppableElement(const DOMRange& caret, std::shared_ptr<DOMElement>* attachmentPoint)
{
    auto element = elementOfCaret(caret);
    if (!element)
        return nullptr;
    auto point = VornickAttachmentPointElementForNode(*element);
    if (!point || point == element || !point->isInclusiveAncestorOf(element.get()))
        return nullptr;
    if (attachmentPoint)
        *attachmentPoint = point;
    return element;
}

bool holdsOnlyHTMLWhitespace(const DOMElement& element)
{
    for (DOMNode* child = element.first(); child; child = child->next()) {
        if (child->isElementNode())
            return false;
        if (child->isTextNode() && !vornick_containsOnlyHTMLWhitespace(downcast<DOMCharacterData>(child)->data()))
            return false;
    }
    return true;
}

// Characters a pop-out may drop at the end of the element: HTML white space,
// and U+00A0 only while substitutes are shown (it is then spacing the editor
// made, the user's own non-breaking spaces being the substitute).
bool isDroppableTrailingSpace(char16_t character, char16_t substitute)
{
    if (substitute && character == substitute)
        return false;
    if (character == 0xA0)
        return substitute != 0;
    return vornick_isHTMLWhitespace(character);
}

} // namespace

bool VornickContentEditingView::undoableSetTextInsertionPointAfterPosition(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                                           bool leaveAGap)
{
    return VornickUndoableInsertionPointPlacement(editingContext(), undoable, range, leaveAGap).apply();
}

bool VornickContentEditingView::Internals::canPopInsertionPointOutOfElementAndLeaveAGap(const VornickContentEditingView& view, bool)
{
    if (!view.isEditable())
        return false;
    auto range = view.effectiveOperationRange();
    return range && range->collapsed() && poppableElement(*range, nullptr);
}

std::optional<std::u16string> VornickContentEditingView::Internals::popInsertionPointOutOfElementAndLeaveAGap(VornickContentEditingView& view, bool leaveAGap)
{
    view.endTypingRun();
    view.endBackspaceRun();
    auto effective = view.effectiveOperationRange();
    if (!effective)
        return std::nullopt;
    auto caret = effective->cloneRange();
    caret->collapse(false);
    std::shared_ptr<DOMElement> attachmentPoint;
    auto element = poppableElement(*caret, &attachmentPoint);
    if (!element || !view.m_internals->blockModeHelper)
        return std::nullopt;
    std::u16string tagName = element->tagName();
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*element);

    bool empty = holdsOnlyHTMLWhitespace(*element);
    VornickCommandStepName stepName(view.editingContext(), true, empty ? u"Pop out of empty element" : u"Pop out of <" + asciiLowercase(tagName) + u">");
    std::shared_ptr<DOMRange> place;
    if (empty) {
        stepName.open();
        auto outerRange = view.m_internals->blockModeHelper->outerRangeOfElementIncludingBlockStartAndEndComments(*element);
        std::shared_ptr<DOMRange> result;
        bool replaced = outerRange
            && view.undoableReplaceRangeWithFragment(true, outerRange, element->ownerDocument()->createDocumentFragment(), std::nullopt, &result)
            && result;
        if (!replaced) {
            stepName.close();
            return std::nullopt;
        }
        place = result->cloneRange();
        place->collapse(true);
    } else {
        auto node = caret->startContainer();
        if (node->nodeType() == DOMNode::TEXT_NODE && node->parentNode() == element && node.get() == element->last()) {
            const auto& data = downcast<DOMCharacterData>(*node).data();
            size_t offset = caret->startOffset();
            bool droppable = offset < data.size();
            for (size_t index = offset; droppable && index < data.size(); ++index)
                droppable = isDroppableTrailingSpace(data[index], substitute);
            if (droppable) {
                auto tail = node->ownerDocument()->createRange();
                tail->setStart(node, static_cast<unsigned>(offset));
                tail->setEnd(node, static_cast<unsigned>(data.size()));
                stepName.open();
                (void)view.undoableReplaceRangeWithText(true, tail, u"", false);
            }
        }
        if (!element->parentNode()) {
            stepName.close();
            return std::nullopt;
        }
        place = element->ownerDocument()->createRange();
        place->setStartAfter(*element);
        place->collapse(true);
    }

    if (!view.m_internals->blockModeHelper->proposedSelectionRangeIsInEditableContent(*place)) {
        if (auto block = view.m_internals->blockModeHelper->blockEnclosingPosition(vornick_startPosition(*place), {}, false, attachmentPoint.get())) {
            VornickGeneralDebugLog([&] { return u"Popping out of " + block->blockType().value_or(u""); });
            if (auto outer = block->outerRange()) {
                place = outer;
                place->collapse(false);
            }
        }
    }
    (void)VornickUndoableInsertionPointPlacement(view.editingContext(), true, place, leaveAGap, &stepName).apply();
    stepName.close();
    view.scrollRangeToVisible(view.effectiveOperationRange());
    return tagName;
}

void VornickContentEditingView::Internals::popInsertionPointOutOfElementOrTwoAndLeaveAGap(VornickContentEditingView& view, bool leaveAGap)
{
    auto left = Internals::popInsertionPointOutOfElementAndLeaveAGap(view, leaveAGap);
    if (!left)
        return;
    auto range = view.effectiveOperationRange();
    auto now = range ? elementOfCaret(*range) : nullptr;
    if (!now)
        return;
    // A list item's caret never stays between the items.
    bool leftListItem = equalsIgnoringASCIICase(*left, u"LI")
        && (equalsIgnoringASCIICase(now->tagName(), u"UL") || equalsIgnoringASCIICase(now->tagName(), u"OL")
            || equalsIgnoringASCIICase(now->tagName(), u"MENU"));
    if (leftListItem || (equalsIgnoringASCIICase(*left, u"DD") && equalsIgnoringASCIICase(now->tagName(), u"DL"))
        || (equalsIgnoringASCIICase(*left, u"CODE") && equalsIgnoringASCIICase(now->tagName(), u"PRE")))
        (void)Internals::popInsertionPointOutOfElementAndLeaveAGap(view, leaveAGap);
}

} // namespace brevanton
