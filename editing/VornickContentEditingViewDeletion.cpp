// Deletion with the Delete keys and of the selection. Backspacing is aware
// of structure: it deletes the user-perceived character before the caret, a
// line break with the white space after it, or an element that holds no
// caret; before an element's content it joins the element to an identical
// previous sibling, or a block of text to the block of text before it, or
// else moves the caret into the previous element, rather than delete
// structure (never a table cell, row or section: the table keeps its shape).
// At the start of the first thing in an element the caret stands at that
// element's start too, which is then what joins (a list item's paragraph
// joins the list item to the one before). Forward Delete deletes the
// character after the caret, or what a backspace from the far side of the
// next thing shown would. Emptying an attachment point leaves it a place
// for the caret (or the delegate's placeholder content), inside the same step.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/commands/VornickUndoableEdit.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "toolkit/VornickComposedCharacterSequences.h"
#include "toolkit/VornickWhitespaceSets.h"

#include <algorithm>

namespace brevanton {

namespace {

bool isHTMLSpace(char16_t c)
{
    return vornick_isInWhitespaceSet(c, VornickHTMLSpace);
}

bool isTextOrCDATA(const DOMNode& node)
{
    return node.nodeType() == DOMNode::TEXT_NODE || node.nodeType() == DOMNode::CDATA_SECTION_NODE;
}

const std::u16string& dataOf(const DOMNode& node)
{
    return downcast<DOMCharacterData>(node).data();
}

bool isElementNamed(const DOMNode* node, std::u16string_view tagName)
{
    return node && node->isElementNode() && equalsIgnoringASCIICase(downcast<DOMElement>(node)->tagName(), tagName);
}

// Text of white space only (the substitute counts as content), or a comment.
bool isPassedOverBackwards(const DOMNode& node, char16_t substitute)
{
    if (node.nodeType() == DOMNode::COMMENT_NODE)
        return true;
    if (!isTextOrCDATA(node))
        return false;
    const auto& data = dataOf(node);
    return std::all_of(data.begin(), data.end(), [substitute](char16_t c) { return c != substitute && vornick_isHTMLWhitespace(c); });
}

// The node a backspace at the gap `offset` of `container` deletes into: the
// nearest earlier sibling that is not white space or a comment. None when
// every earlier sibling is one of those (or there is none).
std::shared_ptr<DOMNode> nodeBeforeGap(const DOMNode& container, unsigned offset)
{
    if (DOMNode* after = container.childAt(offset))
        return vornick_previousSiblingSkippingWhitespaceOnlyNodes(*after, true, true);
    // At the end of the children there is no node after the gap: the walk
    // starts at the last child itself.
    char16_t substitute = VornickSubstituteInForce(container);
    for (DOMNode* node = container.last(); node; node = node->previous()) {
        if (!isPassedOverBackwards(*node, substitute))
            return node->shared_from_this();
    }
    return nullptr;
}

bool holdsOnlyHTMLSpace(const DOMElement& element)
{
    for (DOMNode* child = element.first(); child; child = child->next()) {
        if (!isTextOrCDATA(*child))
            return false;
        const auto& data = dataOf(*child);
        if (!std::all_of(data.begin(), data.end(), isHTMLSpace))
            return false;
    }
    return true;
}

// Blocks of text whose content a backspace at the start of the next one
// takes in, whatever their kind.
bool isTextBlock(const DOMNode* node)
{
    static constexpr std::u16string_view kinds[] = { u"p",  u"h1", u"h2", u"h3",      u"h4", u"h5", u"h6",
                                                     u"li", u"dt", u"dd", u"address", u"pre" };
    return node && node->isElementNode()
        && std::any_of(std::begin(kinds), std::end(kinds), [&](std::u16string_view kind) { return isElementNamed(node, kind); });
}

// Whether every child is text, a comment or an element the document's type
// usually shows inline.
bool holdsOnlyInlineContent(const DOMElement& element)
{
    auto document = element.ownerDocument();
    auto spec = document ? vornick_htmlSpecForDocType(*document) : nullptr;
    if (!spec)
        return false;
    for (DOMNode* child = element.first(); child; child = child->next()) {
        if (child->isElementNode() && !spec->isUsuallyInlineElement(asciiLowercase(downcast<DOMElement>(*child).tagName())))
            return false;
    }
    return true;
}

// Elements a backspace never joins nor goes through: the table's parts.
bool isTablePart(const DOMNode* node)
{
    static constexpr std::u16string_view kinds[] = { u"table", u"caption", u"thead", u"tbody", u"tfoot", u"tr", u"td", u"th" };
    return std::any_of(std::begin(kinds), std::end(kinds), [&](std::u16string_view kind) { return isElementNamed(node, kind); });
}

// Whether a backspace at the start of `element` moves its contents to the
// end of `previous`: an identical element, or two blocks of text holding
// text only.
bool joinsInto(const DOMElement& element, const DOMNode& previous)
{
    if (!previous.isElementNode())
        return false;
    auto& earlier = downcast<DOMElement>(previous);
    if (vornick_hasSameTagNameAndAttributesAs(element, &earlier))
        return true;
    return isTextBlock(&element) && isTextBlock(&earlier) && holdsOnlyInlineContent(element) && holdsOnlyInlineContent(earlier);
}

// The nearest table cell around a node (or the node itself); null outside tables.
const DOMNode* enclosingCell(const DOMNode* node)
{
    for (; node; node = node->parent()) {
        if (isElementNamed(node, u"td") || isElementNamed(node, u"th"))
            return node;
    }
    return nullptr;
}

std::shared_ptr<DOMRange> rangeIn(const std::shared_ptr<DOMNode>& node, unsigned start, unsigned end)
{
    auto range = node->ownerDocument()->createRange();
    range->setStart(node, start);
    range->setEnd(node, end);
    return range;
}

std::shared_ptr<DOMRange> outerRangeOf(const std::shared_ptr<DOMNode>& node)
{
    auto range = node->ownerDocument()->createRange();
    range->selectNode(*node);
    return range;
}

} // namespace

// --- Deleting the selection

void VornickContentEditingView::deleteSelection()
{
    auto effective = effectiveOperationRange();
    if (!m_internals->editable || !effective)
        return;
    auto document = vornick_ownerDocument(*effective);
    if (!document)
        return;

    // 1. The whole content of an attachment point goes: the delegate may
    //    fill it with placeholder content instead.
    auto attachmentPoint = std::dynamic_pointer_cast<VornickAttachmentPoint>(vornick_enclosingAttachmentPoint(*effective));
    auto attachmentPointElement = attachmentPoint ? attachmentPoint->findElement() : nullptr;
    if (attachmentPointElement && m_internals->delegate) {
        auto whole = effective->cloneRange();
        vornick_expandToEncompassAdjacentCharactersInSet(*whole, isHTMLSpace);
        (void)vornick_pullRangeEndpointsUpToContainingNodesButNotPast(*whole, attachmentPointElement.get(), true);
        if (m_internals->blockModeHelper)
            m_internals->blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*whole);
        if (vornick_exactlySpansAllChildNodesOfElement(*whole, attachmentPointElement.get())) {
            auto html = m_internals->delegate->vornickContentEditingViewPlaceholderContentStringForEmptiedAttachmentPoint(*this,
                    *attachmentPoint);
            auto fragment = html ? vornick_createCleanedUpDocumentFragmentWithHTMLString(*document, *html, nullptr) : nullptr;
            if (fragment) {
                if (m_internals->blockModeHelper)
                    m_internals->blockModeHelper->blockifyFragment(*fragment);
                std::shared_ptr<DOMRange> result;
                if (undoableReplaceRangeWithFragment(true, whole, fragment, std::nullopt, &result) && result)
                    setTargetRangeUndoably(result);
                return;
            }
        }
    }

    // 2. The deletion (or the backspace), with the orphans it would leave.
    auto range = effective->cloneRange();
    if (!range->collapsed()) {
        vornick_expandDeletionRangeToPruneUselessOrphans(*range);
        if (m_internals->blockModeHelper)
            m_internals->blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*range);
    }
    Internals::deleteRange(*this, range);

    // 3. The caret stays inside an emptied attachment point, in a text node
    //    given to it as part of the same step.
    if (m_internals->sectionHandlesShown)
        return;
    auto after = effectiveOperationRange();
    if (!after || !after->collapsed() || after->startOffset() != 0)
        return;
    auto node = after->startContainer();
    if (!node->isElementNode() || VornickAttachmentPointElementForNode(*node) != node)
        return;
    if (!node->hasChildNodes()) {
        auto* undo = undoManager();
        std::optional<std::u16string> stepName;
        if (undo && !undo->undoActionName().empty())
            stepName = undo->undoActionName();
        auto space = document->createDocumentFragment();
        space->appendChild(document->createTextNode(u" "));
        if (!Internals::insertFragmentAtPosition(*this, space, VornickMakeDOMPosition(node, 0), true, stepName))
            return;
    }
    auto caret = VornickDOMRangeCollapsedAtPosition(VornickMakeDOMPosition(node, 0));
    vornick_pushRangeEndpointsDownToTextNodes(*caret);
    setTargetRangeUndoably(caret);
}

// --- Forward deletion

void VornickContentEditingView::deleteForward()
{
    auto effective = effectiveOperationRange();
    if (!m_internals->editable || !effective)
        return;
    if (!effective->collapsed()) {
        deleteSelection();
        return;
    }
    auto position = vornick_startPosition(*effective);
    if (!position.node)
        return;
    // The user-perceived character after the caret.
    if (isTextOrCDATA(*position.node)) {
        auto text = position.node;
        const auto& data = dataOf(*text);
        auto offset = static_cast<size_t>(std::clamp<int32_t>(position.offset, 0, static_cast<int32_t>(data.size())));
        if (offset < data.size()) {
            auto composed = vornick_rangeOfComposedCharacterSequenceAtIndex(data, offset);
            if (composed.isNotFound())
                return;
            auto end = static_cast<unsigned>(composed.location + composed.length);
            auto deletion = rangeIn(text, static_cast<unsigned>(offset), end);
            if (offset == 0 && end == data.size()) {
                // The node's only character: as with a backspace, a visible
                // space stays, with the caret before it.
                std::shared_ptr<DOMRange> result;
                if (undoableReplaceRangeWithText(true, deletion, placeholderSpaceStringForDocumentContainingRange(*deletion), false, &result)
                    && result) {
                    result->collapse(true);
                    setTargetRangeUndoably(result);
                }
                return;
            }
            (void)Internals::backspaceDeleteRangeUndoably(*this, deletion);
            return;
        }
    }

    // Past the end of the caret's text: the next text or element without
    // content shown after the caret, within the attachment point (or the
    // body) and the caret's table cell, goes as a backspace from its far
    // side would take it: the next block joins this one, an image or a line
    // break goes.
    auto document = position.node->ownerDocument();
    const DOMNode* limit = VornickAttachmentPointElementForNode(*position.node).get();
    if (!limit && document)
        limit = document->body().get();
    if (!limit || !limit->isInclusiveAncestorOf(position.node.get()))
        return;
    DOMNode* node = nullptr;
    if (isTextOrCDATA(*position.node))
        node = position.node->traverseNext(limit);
    else if (DOMNode* child = position.node->childAt(static_cast<unsigned>(position.offset)))
        node = child;
    else
        node = position.node->traverseNextSkippingChildren(limit);
    char16_t substitute = VornickSubstituteInForce(*position.node);
    for (; node; node = node->traverseNext(limit)) {
        if (isPassedOverBackwards(*node, substitute) || (!isTextOrCDATA(*node) && !node->isElementNode()))
            continue;
        if (isTextOrCDATA(*node) || !node->hasChildNodes())
            break;
    }
    if (!node || enclosingCell(node) != enclosingCell(position.node.get()))
        return;
    if (isTextOrCDATA(*node)) {
        Internals::deleteRange(*this, rangeIn(node->shared_from_this(), 0, 0));
        return;
    }
    auto parent = node->parentNode();
    if (parent && parent->isElementNode())
        Internals::backspaceAtElementPosition(*this, VornickMakeDOMPosition(parent, static_cast<int32_t>(node->index() + 1)), false);
}

// --- Range deletion and backspace

void VornickContentEditingView::Internals::deleteRange(VornickContentEditingView& view, const std::shared_ptr<DOMRange>& range)
{
    if (!range)
        return;
    // 1. A selection goes as it is.
    if (!range->collapsed()) {
        (void)Internals::deleteFragmentInRange(view, range, true, std::nullopt, false);
        return;
    }
    auto position = vornick_startPosition(*range);
    if (isTextOrCDATA(*position.node)) {
        auto text = position.node;
        if (position.offset == 0) {
            // 3. At the start of a text node: from the gap before it.
            if (!VornickMoveDOMPositionUpToBeforeNode(position))
                return;
            Internals::backspaceAtElementPosition(view, position, true);
            return;
        }
        const auto& data = dataOf(*text);
        auto offset = static_cast<size_t>(std::min<int32_t>(position.offset, static_cast<int32_t>(data.size())));
        // 2a. A line break followed only by white space: the white space and
        //     the break go with one key press.
        std::u16string_view before(data.data(), offset);
        if (isElementNamed(text->previous(), u"BR")
            && std::all_of(before.begin(), before.end(), [](char16_t c) { return vornick_isInWhitespaceSet(c,
                           VornickPlatformWhitespaceAndNewline); })) {
            (void)Internals::backspaceDeleteRangeUndoably(view, rangeIn(text, 0, static_cast<unsigned>(offset)));
            auto gap = VornickMakeDOMPosition(text, 0);
            if (!text->parentNode() || !VornickMoveDOMPositionUpToBeforeNode(gap))
                return;
            Internals::backspaceAtElementPosition(view, gap, true);
            return;
        }
        // 2b. The user-perceived character before the caret.
        auto composed = vornick_rangeOfComposedCharacterSequenceBeforeIndex(data, offset);
        if (composed.isNotFound())
            return;
        auto start = static_cast<unsigned>(composed.location);
        auto deletion = rangeIn(text, start, static_cast<unsigned>(offset));
        if (start == 0 && offset == data.size()) {
            // The node's only character: the node keeps a visible space so
            // the caret has a place to stay, before it.
            std::shared_ptr<DOMRange> result;
            if (view.undoableReplaceRangeWithText(true, deletion, view.placeholderSpaceStringForDocumentContainingRange(*deletion), false, &result)
                && result) {
                result->collapse(true);
                view.setTargetRangeUndoably(result);
            }
            return;
        }
        (void)Internals::backspaceDeleteRangeUndoably(view, deletion);
        return;
    }
    // 4. At an element gap.
    Internals::backspaceAtElementPosition(view, position, false);
}

void VornickContentEditingView::Internals::backspaceAtElementPosition(VornickContentEditingView& view, VornickDOMPosition position,
                                                                      bool caretStartedInText)
{
    if (!position.node || !position.node->isContainerNode() || !position.node->isElementNode())
        return;
    auto element = downcast<DOMElement>(position.node);
    auto document = element->ownerDocument();
    if (!document)
        return;

    if (position.offset >= 1) {
        // 4a. Into the node before the caret. With only white space and
        //     comments before it there is nothing to delete.
        auto previous = nodeBeforeGap(*element, static_cast<unsigned>(position.offset));
        if (!previous)
            return;
        // A node with text at its end takes the caret; nothing is deleted.
        auto end = VornickDOMRangeCollapsedAtPosition(
            VornickMakeDOMPosition(previous, static_cast<int32_t>(isTextOrCDATA(*previous) ? previous->length() : previous->childCount())));
        vornick_pushRangeEndpointsDownToTextNodes(*end);
        if (vornick_bothEndpointsAreCharacterLevel(*end)) {
            view.setTargetRange(end);
            return;
        }
        // A line break goes with the white space that begins the next line.
        if (isElementNamed(previous.get(), u"BR")) {
            DOMNode* after = element->childAt(static_cast<unsigned>(position.offset));
            if (after && isTextOrCDATA(*after)) {
                const auto& data = dataOf(*after);
                auto leading = static_cast<unsigned>(
                    std::find_if_not(data.begin(), data.end(), [](char16_t c) { return vornick_isInWhitespaceSet(c,
                                     VornickPlatformWhitespaceAndNewline); })
                    - data.begin());
                if (leading > 0)
                    (void)Internals::backspaceDeleteRangeUndoably(view, rangeIn(after->shared_from_this(), 0, leading));
            }
        }
        // An element without text at its end (an image, a line break) goes.
        if (!previous->parentNode())
            return;
        (void)Internals::backspaceDeleteRangeUndoably(view, outerRangeOf(previous));
        if (auto caret = view.effectiveOperationRange()) {
            auto pushed = caret->cloneRange();
            vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(*pushed, -1);
            view.setTargetRangeUndoably(pushed);
        }
        return;
    }

    // A table cell stays in its row and a row keeps its cells: neither goes
    // nor joins another, so that the table keeps its shape.
    bool isCell = isElementNamed(element.get(), u"td") || isElementNamed(element.get(), u"th");
    bool isRowOrSection = isElementNamed(element.get(), u"tr") || isElementNamed(element.get(), u"thead")
        || isElementNamed(element.get(), u"tbody") || isElementNamed(element.get(), u"tfoot");
    if (isCell)
        return;

    if (holdsOnlyHTMLSpace(*element)) {
        // 4b. An element of white space only goes, inside an attachment
        //     point (never the attachment point's own element).
        auto attachmentPointElement = VornickAttachmentPointElementForNode(*element);
        if (!attachmentPointElement || attachmentPointElement == element || !element->parentNode())
            return;
        auto outer = view.m_internals->blockModeHelper ? view.m_internals->blockModeHelper->outerRangeOfElementIncludingBlockStartAndEndComments(*element) : nullptr;
        (void)Internals::backspaceDeleteRangeUndoably(view, outer ? outer : outerRangeOf(element));
        return;
    }

    // 4c. Joins the element to an identical previous sibling, or a block of
    //     text to the one before it. An element first in its parent stands
    //     for the parent, at whose start the caret is too (never for the
    //     attachment point, the body or a part of a table).
    if (isRowOrSection)
        return;
    auto attachmentPointElement = VornickAttachmentPointElementForNode(*element);
    auto previous = vornick_previousSiblingSkippingWhitespaceOnlyNodes(*element, true, true);
    while (!previous) {
        auto parent = element->parentElement();
        if (!parent || parent == attachmentPointElement || isElementNamed(parent.get(), u"body") || isTablePart(parent.get()))
            return;
        element = parent;
        previous = vornick_previousSiblingSkippingWhitespaceOnlyNodes(*element, true, true);
    }
    if (!joinsInto(*element, *previous)) {
        // Otherwise the caret goes into the end of what stands before, where
        // that holds text.
        auto end = VornickDOMRangeCollapsedAtPosition(
            VornickMakeDOMPosition(previous, static_cast<int32_t>(isTextOrCDATA(*previous) ? previous->length() : previous->childCount())));
        vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(*end, 1);
        if (vornick_bothEndpointsAreCharacterLevel(*end))
            view.setTargetRangeUndoably(end);
        return;
    }
    auto contents = document->createRange();
    contents->selectNodeContents(element);
    auto target = VornickDOMRangeCollapsedAtPosition(VornickMakeDOMPosition(previous, static_cast<int32_t>(previous->childCount())));
    VornickCommandStepName stepName(view.editingContext(), true, u"Join elements");
    stepName.open();
    std::shared_ptr<DOMRange> moved;
    if (!view.undoableMoveRange(true, contents, target, u"Join elements", &moved) || !moved) {
        stepName.close();
        return;
    }
    if (element->parentNode()) {
        auto outer = view.m_internals->blockModeHelper ? view.m_internals->blockModeHelper->outerRangeOfElementIncludingBlockStartAndEndComments(*element) : nullptr;
        if (!outer)
            outer = outerRangeOf(element);
        // The white space before the element goes with it, up to a block's comments.
        auto start = vornick_startPosition(*outer);
        if (start.node->isContainerNode()) {
            if (DOMNode* first = start.node->childAt(static_cast<unsigned>(start.offset))) {
                std::vector<std::u16string> prefixes;
                if (view.m_internals->blockModeHelper) {
                    if (auto prefix = view.m_internals->blockModeHelper->blockStartCommentPrefix())
                        prefixes.push_back(*prefix);
                    if (auto prefix = view.m_internals->blockModeHelper->blockEndCommentPrefix())
                        prefixes.push_back(*prefix);
                }
                if (auto run = vornick_startOfPrecedingWhitespaceRunExceptingCommentNodesWithPrefixes(*first, prefixes))
                    outer->setStartBefore(*run);
            }
        }
        (void)Internals::deleteFragmentInRange(view, outer, true, u"Join elements", true);
    }
    moved->collapse(true);
    if (caretStartedInText) {
        vornick_pushRangeEndpointsDownToTextNodes(*moved);
        view.setTargetRangeUndoably(moved);
    }
    stepName.close();
}

} // namespace brevanton
