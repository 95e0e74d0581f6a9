// The keyboard: the view takes every key down before its web view does
// (through its window's send-event hook), so Return, Tab, Escape, Delete,
// Option-Space never reach the web view's own editing. Arrow keys come
// through performKeyEquivalent: the web view may propose a caret move first;
// otherwise the view moves by the document's structure (into and out of
// elements, block to block, cell to cell, row to row, and brick by brick
// while section handles are shown). Every key that edits does so as one
// undoable step.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickFragmentCompletionUIController.h"
#include "editing/VornickFragmentInterior.h"
#include "editing/commands/VornickUndoableElementSplit.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickWhitespaceSets.h"

#include <algorithm>

namespace brevanton {

namespace {

// Keys by the event's one character ignoring modifiers.
constexpr char16_t enterKey = 3;
constexpr char16_t tabKey = 9;
constexpr char16_t returnKey = 13;
constexpr char16_t backTabKey = 25;
constexpr char16_t escapeKey = 27;
constexpr char16_t spaceKey = 32;
constexpr char16_t slashKey = 47;
constexpr char16_t deleteKey = 127;

bool hasTag(const DOMNode* node, std::u16string_view tag)
{
    return node && node->isElementNode() && equalsIgnoringASCIICase(downcast<DOMElement>(node)->tagName(), tag);
}

bool isTableCell(const DOMNode* node)
{
    return hasTag(node, u"TD") || hasTag(node, u"TH");
}

// Characters that go into the page as text: no control characters, no
// function keys.
bool isTypedText(std::u16string_view characters)
{
    return !characters.empty() && std::all_of(characters.begin(), characters.end(), [](char16_t c) {
        return c >= spaceKey && c != deleteKey && !(c >= 0xF700 && c <= 0xF8FF);
    });
}

// In block mode, whether a selection reaches from one block into another:
// raised to one container (over white space at its ends) and grown over
// block comments, it must start and end in one node.
bool selectionSpansBlocks(const VornickBlockModeHelper* helper, const DOMRange& range)
{
    if (range.collapsed() || !helper || !helper->operatingInBlockMode())
        return false;
    auto limit = vornick_enclosingAttachmentPointElement(range);
    auto raised = limit ? vornick_rangeByRaisingToCommonContainerWithin(range, *limit, true,
                                                                         vornick_nonBreakingSpaceSubstituteCharacter(*range.startContainer()))
                        : nullptr;
    if (raised)
        helper->growRangeToIncludeBlockStartAndEndComments(*raised);
    return !raised || raised->startContainer() != raised->endContainer();
}

// The elements Return splits.
const std::set<std::u16string>& paragraphSplitKinds()
{
    static const std::set<std::u16string> kinds { u"address", u"blockquote", u"h1", u"h2", u"h3", u"h4", u"h5",
                                                  u"h6",      u"li",         u"p",  u"dd", u"dt", u"tr" };
    return kinds;
}

// The nearest PRE around the range's common ancestor container.
bool rangeLiesInPre(const DOMRange& range)
{
    auto container = range.commonAncestorContainer();
    if (!container)
        return false;
    if (hasTag(container.get(), u"PRE"))
        return true;
    return vornick_nearestAncestorElementPassingTest(
               *container, [](const DOMElement& element) { return equalsIgnoringASCIICase(element.tagName(), u"PRE"); })
        != nullptr;
}

// The table cell or caption Tab moves out of: the one that encloses the
// caret (or the selection), however deep inside it the caret is, never
// looking beyond the attachment point.
std::shared_ptr<DOMElement> cellForTabKey(const DOMRange& range)
{
    std::shared_ptr<DOMNode> node = range.collapsed() ? range.startContainer() : vornick_exactlySelectedNode(range);
    if (!node)
        node = range.commonAncestorContainer();
    auto limit = vornick_enclosingAttachmentPointElement(range);
    for (; node && node != limit; node = node->parentNode()) {
        if (isTableCell(node.get()) || hasTag(node.get(), u"CAPTION"))
            return downcast<DOMElement>(node);
    }
    return nullptr;
}

std::shared_ptr<DOMRange> collapsedCopy(const DOMRange& range, bool toStart)
{
    auto copy = range.cloneRange();
    copy->collapse(toStart);
    return copy;
}

// The list item the caret (or the selection) is in, within the attachment point.
std::shared_ptr<DOMElement> listItemForTabKey(const DOMRange& range)
{
    auto limit = vornick_enclosingAttachmentPointElement(range);
    for (auto node = range.commonAncestorContainer(); node && node != limit; node = node->parentNode()) {
        if (hasTag(node.get(), u"LI"))
            return downcast<DOMElement>(node);
    }
    return nullptr;
}

// The caret at the start (forward) or end (backward) of an element's
// contents, in text where there is some.
std::shared_ptr<DOMRange> caretInContents(const std::shared_ptr<DOMRange>& contents, int direction)
{
    if (!contents)
        return nullptr;
    auto caret = collapsedCopy(*contents, direction > 0);
    vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(*caret, direction > 0 ? -1 : 1);
    return caret;
}

// Left and Right arrows.
bool moveHorizontally(VornickContentEditingView& view, const Event& event, int direction)
{
    // A whole cell selected: the caret goes into it first, as a selection
    // collapses towards the key.
    if (!event.hasModifier(ModifierFlag::Shift) && Internals::collapseSelectedTableCell(view, direction > 0))
        return true;
    if (Internals::letWebViewProposeSelectionChangeForKeyEvent(view, event))
        return true;
    auto range = view.effectiveOperationRange();
    if (!range)
        return true;
    bool forward = direction > 0;
    if (range->collapsed()) {
        auto container = range->startContainer();
        if (!container->isElementNode())
            return true;
        unsigned offset = range->startOffset();
        DOMNode* child = forward ? container->childAt(offset) : (offset > 0 ? container->childAt(offset - 1) : nullptr);
        auto neighbour = child ? child->shared_from_this() : nullptr;
        if (neighbour && Internals::enterNode(view, neighbour, direction))
            return true;
        Internals::exitNode(view, neighbour ? neighbour : container, direction);
        return true;
    }

    auto helper = view.blockModeHelper();
    if (auto selection = helper ? helper->exactSelectionFromRange(*range, true) : std::nullopt) {
        if (isTableCell(selection->element().get())) {
            auto& cell = *selection->element();
            auto next = forward ? vornick_nextTableCellAllowingWrapToNextRow(cell, true)
                                : vornick_previousTableCellAllowingWrapToPreviousRow(cell, true);
            if (next)
                view.setTargetRange(vornick_outerRange(*next));
            return true;
        }
        auto edge = forward ? selection->lastNode() : selection->firstNode();
        auto sibling = edge ? (forward ? edge->nextSibling() : edge->previousSibling()) : nullptr;
        auto next = sibling ? helper->nextBlockOrElementInDirection(direction, sibling) : std::nullopt;
        if (next) {
            VornickGeneralDebugLog([&] { return u"newExactSelection=" + next->description(); });
            auto caret = next->element() && helper->canEditContentOfBlockOrElement(*next)
                ? caretInContents(vornick_innerRangeWithWhitespaceOnlyTextNodesTrimmed(next->element()), direction)
                : nullptr;
            view.setTargetRange(caret ? caret : next->outerRange());
        }
        return true;
    }

    if (forward) {
        auto caret = collapsedCopy(*range, false);
        if (!view.undoableSetTextInsertionPointAfterPosition(true, caret, false))
            view.setTargetRange(caret);
    } else {
        auto caret = collapsedCopy(*range, true);
        vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(*caret, 1);
        view.setTargetRange(caret);
    }
    return true;
}

// Up and Down arrows while section handles are shown: brick by brick.
void moveByBricks(VornickContentEditingView& view, const DOMRange& range, const Event& event, int direction)
{
    bool forward = direction > 0;
    auto limit = vornick_enclosingAttachmentPointElement(range);
    auto helper = view.blockModeHelper();
    auto moved = range.cloneRange();
    auto slide = [forward](VornickDOMPosition& position) {
        if (!VornickPositionIsInAnElement(position))
            return;
        if (forward)
            VornickPushPositionInElementForwardWithOptions(position, VornickWaypointSkipTextAndComments);
        else
            VornickPullPositionInElementBackwardWithOptions(position, VornickWaypointSkipTextAndComments);
    };
    auto step = [&](VornickDOMPosition& position, bool enterBricks) {
        if (forward)
            VornickStepDOMPositionForward(position, enterBricks, limit.get());
        else
            VornickStepDOMPositionBackward(position, enterBricks, limit.get());
    };
    if (event.hasModifier(ModifierFlag::Shift)) {
        // The selection grows by one brick at the moving end.
        auto position = forward ? vornick_endPosition(range) : vornick_startPosition(range);
        slide(position);
        step(position, false);
        forward ? vornick_setEndPosition(*moved, position) : vornick_setStartPosition(*moved, position);
    } else if (range.collapsed()) {
        auto position = vornick_startPosition(range);
        slide(position);
        bool placed = false;
        if (helper && VornickPositionIsInAnElement(position)) {
            // A block is passed whole, with its delimiter comments.
            auto neighbour = forward ? VornickNodeAfterPositionInElementOrFragment(position)
                                     : VornickNodeBeforePositionInElementOrFragment(position);
            if (neighbour && neighbour->isElementNode()) {
                if (auto comment = forward ? helper->blockEndCommentAfterNode(*neighbour) : helper->blockStartCommentBeforeNode(*neighbour)) {
                    if (auto parent = comment->parentNode()) {
                        position = VornickMakeDOMPosition(parent, static_cast<int32_t>(comment->index() + (forward ? 1 : 0)));
                        placed = true;
                    }
                }
            }
        }
        if (!placed)
            step(position, true);
        vornick_setAsCollapsedRangeWithPosition(*moved, position);
    } else {
        moved->collapse(!forward);
    }
    view.setTargetRange(moved);
    view.scrollRangeToVisible(collapsedCopy(*moved, !forward));
}

// The caret in the first text shown after the row's table (or at the end of
// the last shown before it); null when there is none.
std::shared_ptr<DOMRange> caretBesideTable(VornickContentEditingView& view, const DOMElement& row, bool forward)
{
    auto table = vornick_enclosingTable(row);
    auto& webView = view.embeddedWebView();
    if (!table || !webView)
        return nullptr;
    auto shown = [&](const DOMNode& node) { return node.isTextNode() && node.length() && !webView->lineBoxRects(node).empty(); };
    DOMNode* node = forward ? table->traverseNextSkippingChildren() : table->traversePrevious();
    for (; node && !shown(*node); node = forward ? node->traverseNext() : node->traversePrevious()) {
    }
    if (!node)
        return nullptr;
    auto caret = node->document()->createRange();
    caret->setStart(node->shared_from_this(), forward ? 0 : node->length());
    caret->collapse(true);
    return caret;
}

// Up and Down arrows.
bool moveVertically(VornickContentEditingView& view, const Event& event, int direction)
{
    bool forward = direction > 0;
    auto range = view.effectiveOperationRange();
    if (!range) {
        (void)Internals::letWebViewProposeSelectionChangeForKeyEvent(view, event);
        return true;
    }

    // From row to row, keeping the column.
    if (auto row = vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*range, { u"TR" })) {
        auto newRow = forward ? vornick_nextTableRowForKeyboardNavigation(*row) : vornick_previousTableRowForKeyboardNavigation(*row);
        if (!newRow) {
            // Past the last (or first) row the caret leaves the table.
            if (auto caret = caretBesideTable(view, *row, forward)) {
                view.setTargetRange(caret);
                view.scrollRangeToVisible(caret);
            }
            return true;
        }
        std::shared_ptr<DOMElement> target = newRow;
        if (auto cell = vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*range, { u"TH", u"TD" })) {
            if (auto sameColumn = vornick_tableCellAtColumnIndexInRow(*newRow, vornick_columnIndexOfTableCell(*cell)))
                target = sameColumn;
            else if (auto last = vornick_lastTableRowCell(*newRow))
                target = last;
        }
        view.setTargetRange(vornick_outerRange(*target));
        view.scrollRangeToVisible(view.effectiveOperationRange());
        return true;
    }

    if (event.hasModifier(ModifierFlag::Command) && event.hasModifier(ModifierFlag::Control)) {
        if (auto menu = Application::shared().mainMenu())
            (void)menu->performKeyEquivalent(event);
        return true;
    }

    auto helper = view.blockModeHelper();
    bool handlesShown = view.sectionHandlesShown();
    if (auto selection = helper ? helper->exactSelectionFromRange(*range, true) : std::nullopt) {
        auto edge = forward ? selection->lastNode() : selection->firstNode();
        auto sibling = edge ? (forward ? edge->nextSibling() : edge->previousSibling()) : nullptr;
        auto next = sibling ? helper->nextBlockOrElementInDirection(direction, sibling) : std::nullopt;
        if (next) {
            std::shared_ptr<DOMRange> target;
            if (!handlesShown && next->element() && helper->canEditContentOfBlockOrElement(*next))
                target = caretInContents(vornick_innerRange(next->element()), direction);
            view.setTargetRange(target ? target : next->outerRange());
            view.scrollRangeToVisible(view.effectiveOperationRange());
            return true;
        }
        if (forward && !handlesShown) {
            if (auto outer = selection->outerRange();
                outer && view.undoableSetTextInsertionPointAfterPosition(true, collapsedCopy(*outer, false), false))
                return true;
        }
    }

    if (!handlesShown) {
        bool handled = false;
        return Internals::letWebViewProposeSelectionChangeForKeyEvent(view, event, &handled) || handled;
    }
    if (vornick_bothEndpointsAreCharacterLevel(*range)) {
        (void)Internals::letWebViewProposeSelectionChangeForKeyEvent(view, event);
        return true;
    }
    moveByBricks(view, *range, event, direction);
    return true;
}

} // namespace

// --- Key equivalents

bool VornickContentEditingView::performKeyEquivalent(const Event& event)
{
    if (event.type() != EventType::KeyDown || event.charactersIgnoringModifiers().size() != 1)
        return View::performKeyEquivalent(event);
    char16_t key = event.charactersIgnoringModifiers()[0];
    constexpr ModifierFlags commandOptionControl = ModifierFlag::Command | ModifierFlag::Option | ModifierFlag::Control;
    bool commandOption = (event.modifierFlags() & commandOptionControl) == (ModifierFlag::Command | ModifierFlag::Option);
    bool horizontal = key == FunctionKey::LeftArrow || key == FunctionKey::RightArrow;
    bool vertical = key == FunctionKey::UpArrow || key == FunctionKey::DownArrow;
    bool page = key == FunctionKey::PageUp || key == FunctionKey::PageDown;
    // Up, Down, Page Up and Page Down move the open "Insert or Wrap In"
    // popover's highlight (the page neither scrolls nor moves its caret).
    if (const auto& completion = m_internals->fragmentCompletionUIController;
        (vertical || page) && !commandOption && completion && completion->isShown() && completion->handleKeyDown(event))
        return true;
    if (horizontal || vertical) {
        // Command-Option arrows belong to the menus.
        if (commandOption)
            return false;
        if (!hasInputFocus())
            return View::performKeyEquivalent(event);
        if (horizontal)
            return moveHorizontally(*this, event, key == FunctionKey::RightArrow ? 1 : -1);
        return moveVertically(*this, event, key == FunctionKey::DownArrow ? 1 : -1);
    }
    if (key == slashKey && event.hasModifier(ModifierFlag::Control)) {
        if (auto menu = Application::shared().mainMenu(); menu && menu->performKeyEquivalent(event))
            return true;
    }
    return View::performKeyEquivalent(event);
}

// --- Keys

void VornickContentEditingView::keyDown(const Event& event)
{
    // While the "Insert or Wrap In" popover is open, what is typed searches it.
    if (const auto& completion = m_internals->fragmentCompletionUIController;
        completion && completion->isShown() && completion->handleKeyDown(event))
        return;
    auto range = effectiveOperationRange();
    const auto& characters = event.charactersIgnoringModifiers();
    char16_t key = characters.size() == 1 ? characters[0] : 0;

    if (key == spaceKey && event.hasModifier(ModifierFlag::Option) && m_internals->editable) {
        Internals::insertExplicitNonBreakingSpace(*this);
        return;
    }
    if (key == deleteKey) {
        // In a view that may not be edited the key is taken, quietly.
        if (m_internals->editable)
            deleteSelection();
        return;
    }
    if (key == escapeKey) {
        if (Internals::canPopInsertionPointOutOfElementAndLeaveAGap(*this, false))
            Internals::popInsertionPointOutOfElementOrTwoAndLeaveAGap(*this, false);
        return;
    }
    if (key == returnKey || key == enterKey) {
        // Return edits; a view that may not be edited takes it and does nothing.
        if (!m_internals->editable || !range)
            return;
        // Return over a selection deletes it first, which may not cut through blocks.
        if (selectionSpansBlocks(m_internals->blockModeHelper.get(), *range)) {
            Sound::beep();
            return;
        }
        // A whole block selected: the caret goes after it.
        if (auto selection = m_internals->blockModeHelper ? m_internals->blockModeHelper->exactSelectionFromRange(*range,
                true) : std::nullopt;
            selection && selection->blockStartComment()) {
            if (auto outer = selection->outerRange())
                (void)undoableSetTextInsertionPointAfterPosition(true, collapsedCopy(*outer, false), false);
            scrollRangeToVisible(effectiveOperationRange());
            return;
        }
        if (event.hasModifier(ModifierFlag::Option) || rangeLiesInPre(*range)) {
            insertLineBreak();
            return;
        }
        if (auto cell = vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*range, { u"TH", u"TD" })) {
            Internals::returnInTableCell(*this, cell);
            return;
        }
        auto limit = vornick_enclosingAttachmentPointElement(*range);
        if (m_internals->blockModeHelper
            && m_internals->blockModeHelper->blockEnclosingPosition(vornick_endPosition(*range), { u"wp:pullquote" }, true, limit.get()))
            insertLineBreak();
        else
            Internals::splitParagraph(*this);
        return;
    }
    if (key == tabKey || key == backTabKey) {
        int direction = key == backTabKey || event.hasModifier(ModifierFlag::Shift) ? -1 : 1;
        // A snippet's tab trigger typed before the caret goes first.
        if (direction > 0 && m_internals->editable && insertTab())
            return;
        if (auto cell = range ? cellForTabKey(*range) : nullptr) {
            Internals::exitNode(*this, cell, direction);
            scrollRangeToVisible(effectiveOperationRange());
            return;
        }
        // In a list item Tab indents the item and back-tab outdents it, as
        // the list commands do (never leaving the caret's text between items).
        if (range && m_internals->editable && listItemForTabKey(*range)) {
            if (direction > 0 ? Internals::canIndentListLevel(*this) : Internals::canOutdentListLevel(*this))
                direction > 0 ? Internals::indentListLevel(*this, nullptr) : Internals::outdentListLevel(*this, nullptr);
            scrollRangeToVisible(effectiveOperationRange());
            return;
        }
        if (direction > 0 && Internals::canPopInsertionPointOutOfElementAndLeaveAGap(*this, true))
            Internals::popInsertionPointOutOfElementOrTwoAndLeaveAGap(*this, true);
        return;
    }

    // "<" starts completion of an element or snippet name, when the user wants it to.
    if (event.characters() == u"<" && m_internals->editable
        && !event.hasModifier(ModifierFlag::Command | ModifierFlag::Option | ModifierFlag::Control | ModifierFlag::Function)
        && UserDefaults::standard().boolForKey(u"LeftAngleBracketTriggersInsertOrWrapIn")) {
        // (A second "<" with nothing searched yet is the literal character: the completion takes it above.)
        Internals::vornick_initiateFragmentCompletion(*this, nullptr);
        return;
    }

    // Other keys: key equivalents go up the responder chain, never back into the page.
    if (event.hasModifier(ModifierFlag::Command | ModifierFlag::Control | ModifierFlag::Function)) {
        View::keyDown(event);
        return;
    }
    if (range) {
        // Typing over a selected cell replaces its contents, not the cell.
        if (auto node = vornick_exactlySelectedNode(*range); isTableCell(node.get())) {
            setTargetRange(vornick_innerRange(node));
            range = effectiveOperationRange();
        }
        // In block mode typing over a selection that spans blocks is refused.
        if (range && selectionSpansBlocks(m_internals->blockModeHelper.get(), *range)) {
            Sound::beep();
            return;
        }
    }
    // The rest goes to the web view's text input, which proposes typed text
    // through the editing delegate; the view performs it (a selection across
    // nodes is deleted, text between elements gets its own node) as one step.
    // Where the web view shows no selection (a caret between elements, an
    // element selected) it has nothing to propose for, and the typed
    // characters are proposed to the editing delegate as it would.
    if (range && !m_internals->webView->selectedDOMRange() && m_internals->editable && isTypedText(event.characters())) {
        shouldInsertText(*m_internals->webView, event.characters(), range.get(), WebViewInsertActionTyped);
        return;
    }
    if (!m_internals->webView->interpretKeyEvent(event))
        View::keyDown(event);
}

bool VornickContentEditingView::Internals::collapseSelectedTableCell(VornickContentEditingView& view, bool toEnd)
{
    auto range = view.effectiveOperationRange();
    if (!range || range->collapsed())
        return false;
    auto cell = vornick_exactlySelectedNode(*range);
    if (!isTableCell(cell.get()))
        return false;
    auto caret = caretInContents(vornick_innerRange(cell), toEnd ? -1 : 1);
    if (!caret)
        return false;
    view.setTargetRange(caret);
    return true;
}

// --- Line breaks and paragraphs

void VornickContentEditingView::insertLineBreak(ActionSender*)
{
    auto range = effectiveOperationRange();
    if (!range)
        return;
    VornickCommandStepName stepName(editingContext(), true, u"Line Break");
    stepName.open();
    if (rangeLiesInPre(*range)) {
        std::shared_ptr<DOMRange> result;
        if (undoableReplaceRangeWithText(true, range, u"\n", false, &result) && result) {
            auto caret = collapsedCopy(*result, false);
            auto node = caret->startContainer();
            // A newline at the very end of the text would not show: a space after it keeps the line.
            if (node->isTextNode() && caret->startOffset() == node->length()) {
                unsigned offset = caret->startOffset();
                (void)undoableReplaceRangeWithText(true, caret->cloneRange(), u" ", false);
                caret = node->ownerDocument()->createRange();
                caret->setStart(node, offset);
                caret->collapse(true);
            }
            setTargetRangeUndoably(caret);
        }
    } else if (auto document = vornick_ownerDocument(*range)) {
        auto fragment = document->createDocumentFragment();
        auto lineBreak = document->createElement(u"br");
        fragment->appendChild(lineBreak);
        registerTargetRangeUndo();
        if (undoableReplaceRangeWithFragment(true, range, fragment, std::nullopt) && lineBreak->parentNode()) {
            auto after = document->createRange();
            after->setStartAfter(*lineBreak);
            after->collapse(true);
            if (!undoableSetTextInsertionPointAfterPosition(true, after, false))
                setTargetRange(after);
        }
    }
    stepName.close();
    scrollRangeToVisible(effectiveOperationRange());
}

void VornickContentEditingView::Internals::splitParagraph(VornickContentEditingView& view, ActionSender*)
{
    std::vector<std::u16string> exited;
    if (view.undoableSplitNearestAncestorElementsOfKinds(true, true, paragraphSplitKinds(), view.effectiveOperationRange(), true, false, &exited)
        && !exited.empty()) {
        // Beside the element as well as through it, the step is the split of that element.
        if (auto* undo = view.undoManager())
            undo->setActionName(u"Split <" + exited.front() + u">");
    }
    view.scrollRangeToVisible(view.effectiveOperationRange());
}

void VornickContentEditingView::Internals::returnInTableCell(VornickContentEditingView& view, const std::shared_ptr<DOMElement>& cell)
{
    auto row = cell ? vornick_nearestAncestorElementOfKind(*cell, u"TR") : nullptr;
    if (!row)
        return;
    auto next = vornick_nextTableRowForKeyboardNavigation(*row);
    if (!hasTag(next.get(), u"TR")) {
        // The last row: Return adds a row after it.
        if (Internals::canInsertRowAfterTableRow(view))
            Internals::insertRowAfterTableRow(view, nullptr);
        return;
    }
    if (auto first = vornick_firstTableRowCell(*next)) {
        view.setTargetRange(vornick_outerRange(*first));
    } else {
        // An empty row gets a cell of the current kind to move into.
        auto document = cell->ownerDocument();
        auto fragment = document->createDocumentFragment();
        auto newCell = document->createElement(asciiLowercase(cell->tagName()));
        newCell->appendChild(document->createTextNode(u"-"));
        fragment->appendChild(newCell);
        if (Internals::insertFragmentAtPosition(view, fragment, VornickMakeDOMPosition(next, 0), true, u"Add Cell To Row") && newCell->parentNode())
            view.setTargetRange(vornick_outerRange(*newCell));
    }
    view.scrollRangeToVisible(view.effectiveOperationRange());
}

// --- Tab triggers

bool VornickContentEditingView::insertTab(ActionSender*)
{
    auto range = effectiveOperationRange();
    if (!range)
        return false;
    std::shared_ptr<VornickGeneralFragmentDescription> description;
    std::shared_ptr<DOMRange> trigger;
    Internals::forTabTriggerAtInsertionPoint(*this, *range, [&](std::u16string_view candidate, const std::shared_ptr<DOMRange>& candidateRange) {
        auto document = candidateRange->startContainer()->ownerDocument();
        auto frame = document && mainFrame() ? mainFrame()->frameForDocument(*document) : nullptr;
        auto snippets = frame ? vornick_userFragmentSet(*frame) : nullptr;
        description = snippets ? snippets->fragmentDescriptionMatchingTabTrigger(candidate) : nullptr;
        if (description)
            trigger = candidateRange->cloneRange();
    });
    if (!description || !trigger)
        return false;
    auto document = trigger->startContainer()->ownerDocument();

    auto remembered = range->cloneRange();
    std::optional<VornickFreezeDriedDOMRange> frozenInterior;
    auto fragment = description->createDescribedFragmentWithValues({ { u"content", u"*" } }, *document, &frozenInterior);
    if (!fragment) {
        setTargetRange(remembered);
        return false;
    }
    std::optional<VornickFragmentInterior> interior;
    if (frozenInterior)
        interior.emplace(*fragment, *frozenInterior);
    auto name = description->displayName().empty() ? std::u16string(u"Tab Trigger") : u"Insert " + description->displayName();
    // Undo puts the caret back where it was, after the trigger.
    registerTargetRangeUndo();
    setTargetRange(trigger);
    if (!undoableReplaceRangeWithFragment(true, trigger, fragment, name)) {
        setTargetRange(remembered);
        return false;
    }
    // The caret goes to the snippet's content placeholder, to be typed over.
    if (auto inside = interior ? interior->rangeAfterInsertion() : nullptr) {
        vornick_pushRangeEndpointsDownToTextNodes(*inside);
        setTargetRangeUndoably(inside);
    }
    scrollRangeToVisible(effectiveOperationRange());
    return true;
}

// --- Splitting elements (editing/commands/VornickUndoableElementSplit)

bool VornickContentEditingView::undoableSplitNearestAncestorElementsOfKinds(bool undoable, bool nearest,
                                                                            const std::set<std::u16string>& kinds,
                                                                            std::shared_ptr<DOMRange> atPosition,
                                                                            bool producingCharacterLevelInsertionPoint,
                                                                            bool suppressNewElementIfAtStartOrEnd,
                                                                            std::vector<std::u16string>* exitedElementTags)
{
    return VornickUndoableElementSplit(editingContext(), undoable, kinds, nearest, std::move(atPosition),
                                       producingCharacterLevelInsertionPoint,
                                       suppressNewElementIfAtStartOrEnd)
        .apply(exitedElementTags);
}

bool VornickContentEditingView::undoableSplitAncestorElement(bool undoable, const std::shared_ptr<DOMElement>& element,
                                                             const std::shared_ptr<DOMRange>& atPosition,
                                                             bool producingCharacterLevelInsertionPoint, bool suppressNewElementIfAtStartOrEnd)
{
    return VornickUndoableElementSplit(editingContext(), undoable, element, atPosition, producingCharacterLevelInsertionPoint,
                                       suppressNewElementIfAtStartOrEnd)
        .apply();
}

} // namespace brevanton
