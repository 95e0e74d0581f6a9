// Typed text: the view performs every insertion the web view proposed, on a
// later turn of the main loop, as undoable edits with its own rules for
// white space, non-breaking spaces, pending inline styles and paragraphs.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickEmbeddedWebView.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickCharacterSets.h"
#include "toolkit/VornickWhitespaceFilter.h"

#include <algorithm>

#include <utility>

namespace brevanton {

namespace {

constexpr char16_t nonBreakingSpace = 0xA0;

const std::u16string& textOf(const DOMNode& node)
{
    return downcast<DOMCharacterData>(node).data();
}

bool isPre(const DOMElement& element)
{
    return equalsIgnoringASCIICase(element.tagName(), u"PRE");
}

// The nearest PRE around the range's common ancestor container.
bool rangeLiesInPre(const DOMRange& range)
{
    auto container = range.commonAncestorContainer();
    if (!container)
        return false;
    if (container->isElementNode() && isPre(downcast<DOMElement>(*container)))
        return true;
    return vornick_nearestAncestorElementPassingTest(*container, isPre) != nullptr;
}

void replaceCharacter(std::u16string& text, char16_t from, char16_t to)
{
    if (to)
        std::replace(text.begin(), text.end(), from, to);
}

// White space that typing may condense: the HTML white space and newlines,
// and the editor's own U+00A0 when the frame shows the user's non-breaking
// spaces as a substitute (which is never condensed, nor is a U+00A0 of a
// frame without one: both are the user's).
bool isCondensableSpace(char16_t c, char16_t substitute)
{
    if (c == nonBreakingSpace)
        return substitute != 0;
    return c != substitute && vornick_whitespaceNonBreakingSpaceAndNewlineCharacterSet().contains(c);
}

bool holdsOnlyCondensableSpace(std::u16string_view text, char16_t substitute)
{
    return std::all_of(text.begin(), text.end(), [substitute](char16_t c) { return isCondensableSpace(c, substitute); });
}

std::shared_ptr<WebFrame> frameOfRange(const std::shared_ptr<WebFrame>& mainFrame, const DOMRange& range)
{
    auto document = vornick_ownerDocument(range);
    return mainFrame && document ? mainFrame->frameForDocument(*document) : nullptr;
}

} // namespace

// --- Deferred insertion

void VornickContentEditingView::deferredInsertProposedText(const std::u16string& proposedText, const std::shared_ptr<DOMRange>&,
                                                          WebViewInsertAction action)
{
    // The caret moves of the insertion itself keep the styles toggled for it.
    struct TypedTextInsertion {
        bool& flag;
        bool was;
        ~TypedTextInsertion() { flag = was; }
    } typedTextInsertion { m_internals->insertingTypedText, std::exchange(m_internals->insertingTypedText, true) };
    dropToggledInlineStyleElementsIfCaretMoved();
    std::u16string text = proposedText;
    bool replacement = action == VornickInsertActionReplacementText;
    bool replacementByNothing = replacement && text.empty();
    auto current = effectiveOperationRange();
    if (!current)
        return;
    auto frame = frameOfRange(mainFrame(), *current);

    // 1. The substitute may have to move when the text uses it as a character.
    reassessNonBreakingSpaceSubstituteCharacterForStringToBeInserted(text, frame);
    current = effectiveOperationRange();
    if (!current)
        return;
    auto range = current->cloneRange();
    char16_t substitute = frame ? vornick_nonBreakingSpaceSubstituteCharacter(*frame) : 0;
    bool substituteTypedSpaces = true;

    // A replacement (find and replace) is one edit of its own, never part of typing.
    if (replacement)
        endTypingRun();

    // 2. A text node of nothing but white space is typed over whole.
    if (!replacementByNothing) {
        auto start = range->startContainer();
        if (start == range->endContainer() && range->startOffset() == 0 && start->isTextNode()
            && holdsOnlyCondensableSpace(textOf(*start), substitute)) {
            range->setEnd(start, static_cast<unsigned>(textOf(*start).size()));
            if (vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(text, substitute)) {
                text = placeholderSpaceStringForDocumentContainingRange(*range);
                substituteTypedSpaces = false;
            }
        }
    }

    // 3. A selection across nodes goes first.
    bool registeredTargetRangeUndo = false;
    if (!range->collapsed() && !(range->startNode()->isTextNode() && range->startNode() == range->endNode())) {
        registerTargetRangeUndo();
        registeredTargetRangeUndo = true;
        (void)deleteFragmentInRange(range, true, std::nullopt, false);
        auto after = effectiveOperationRange();
        if (!after)
            return;
        range = after->cloneRange();
        range->collapse(true);
    }

    // 4. Text goes into a text node.
    if (range->startNode()->isElementNode()) {
        if (!range->collapsed()) {
            Sound::beep();
            return;
        }
        std::shared_ptr<DOMRange> inserted;
        if (!undoableReplaceRangeWithText(true, range, u" ", false, &inserted) || !inserted) {
            Sound::beep();
            return;
        }
        // The typed text replaces that space.
        vornick_pushRangeEndpointsDownToTextNodes(*inserted);
        range = inserted;
    }
    if (!range->startNode()->isTextNode() || range->startNode() != range->endNode()) {
        Sound::beep();
        return;
    }

    // 5. Automatic paragraph around text typed where only blocks belong.
    if (m_internals->automaticallyAddsParagraphs && !replacementByNothing)
        range = autoWrapInsertionPointInParagraph(range, registeredTargetRangeUndo);

    // 6. Pending inline styles.
    if (!m_internals->toggledInlineStyleElementsForTyping.empty() && !replacementByNothing) {
        insertPendingInlineStyledText(text, range, substitute);
        return;
    }

    // S, s, E and e as they are now, after the steps above.
    auto node = range->startContainer();
    if (!node->isTextNode() || node != range->endContainer()) {
        Sound::beep();
        return;
    }
    unsigned s = range->startOffset();
    unsigned e = range->endOffset();
    const std::u16string& data = textOf(*node);

    // 7.
    size_t caret = s + text.size();
    bool inPre = rangeLiesInPre(*range);
    bool filterWhitespace = !inPre && !replacementByNothing;
    // 8.
    if (filterWhitespace) {
        BREVANTON_ASSERT(m_internals->whitespacePolicy == 0 || m_internals->whitespacePolicy == 1, "Invalid whitespacePolicy");
        filterWhitespace = m_internals->whitespacePolicy == 0;
    }

    if (filterWhitespace) {
        // 10a. The user's non-breaking spaces show as the substitute.
        if (substituteTypedSpaces)
            replaceCharacter(text, nonBreakingSpace, substitute);
        // 10b, c. Take in the condensable white space on both sides.
        unsigned start = s;
        while (start > 0 && isCondensableSpace(data[start - 1], substitute))
            --start;
        bool extendedBack = start < s;
        unsigned end = e;
        while (end < data.size() && isCondensableSpace(data[end], substitute))
            ++end;
        bool extendedForward = end > e;
        std::u16string following = data.substr(e, end - e);
        char16_t typedFirst = text.empty() ? 0 : text[0];
        text = data.substr(start, s - start) + text + following;
        size_t trackedCaret = caret - start;
        range->setStart(node, start);
        range->setEnd(node, end);

        bool filter = true;
        // 10d. Typed white space.
        bool typedSpace = typedFirst && (typedFirst == substitute || isCondensableSpace(typedFirst, substitute));
        if (typedSpace && (typedFirst == substitute || holdsOnlyCondensableSpace(text, substitute))) {
            if (start == data.size() && end == data.size()) {
                // At the very end of the node a plain space would not show.
                text = substitute && text.find(substitute) != std::u16string::npos
                    ? std::u16string(1, substitute)
                    : placeholderSpaceStringForDocumentContainingRange(*range);
                caret = start + text.size();
                filter = false;
            } else if (typedFirst == substitute) {
                // A non-breaking space of the user's always goes in.
            } else if (extendedBack) {
                // A space after a space would collapse into it: nothing to type.
                return;
            } else if (extendedForward) {
                // Before a space: the two must not collapse into one.
                text = std::u16string { typedFirst, nonBreakingSpace };
                caret = start + 1;
                filter = false;
            } else {
                // Between two words: an ordinary space.
                text = std::u16string(1, typedFirst);
                caret = start + 1;
                filter = false;
            }
        }
        // 10e.
        if (filter) {
            text = vornick_stringByFilteringWhitespaceWithOptions(
                text, VornickWhitespaceFilteringCollapse | VornickWhitespaceFilteringKeepSubstitutes, substitute, &trackedCaret);
            caret = start + trackedCaret;
            // The editor's own U+00A0 stays only where a plain space would
            // collapse: next to white space, or at the end of the node.
            if (substitute) {
                for (size_t i = 0; i < text.size(); ++i) {
                    if (text[i] != nonBreakingSpace)
                        continue;
                    bool spaceBefore = i > 0 ? isCondensableSpace(text[i - 1], substitute) || text[i - 1] == substitute
                                             : start == 0 || isCondensableSpace(data[start - 1], substitute) || data[start - 1] == substitute;
                    bool spaceAfter = i + 1 < text.size()
                        ? isCondensableSpace(text[i + 1], substitute) || text[i + 1] == substitute
                        : end >= data.size() || isCondensableSpace(data[end], substitute) || data[end] == substitute;
                    if (!spaceBefore && !spaceAfter)
                        text[i] = u' ';
                }
            }
        }
    }

    // 11.
    if (!text.empty() || replacementByNothing) {
        std::shared_ptr<DOMRange> result;
        if (!undoableReplaceRangeWithText(true, range, text, !replacement, &result))
            return;
        std::shared_ptr<DOMRange> caretRange;
        if (!inPre) {
            if (result && !replacement)
                scheduleTextFixupIfNeededForEditedRange(result);
            caretRange = node->ownerDocument()->createRange();
            unsigned length = static_cast<unsigned>(textOf(*node).size());
            caretRange->setStart(node, std::min<unsigned>(static_cast<unsigned>(caret), length));
            caretRange->collapse(true);
        } else if (result) {
            caretRange = result->cloneRange();
            caretRange->collapse(false);
        }
        if (caretRange) {
            if (activeTypingRun())
                setTargetRange(caretRange);
            else
                setTargetRangeUndoably(caretRange);
        }
    }

    // 12.
    postVornickContentEditingViewDidChangeContentInWebFrame(m_internals->focusedWebFrame, nullptr);
    scrollRangeToVisible(effectiveOperationRange());
}

// Typed text with inline styles toggled for it: the text goes in as a
// fragment wrapped in the toggled elements.
void VornickContentEditingView::insertPendingInlineStyledText(const std::u16string& typed, std::shared_ptr<DOMRange> range,
                                                              char16_t substitute)
{
    endTypingRun();
    auto document = vornick_ownerDocument(*range);
    if (!document)
        return;
    // Elements of the toggled kinds around the insertion point are split
    // there, so that the text goes between their halves.
    std::set<std::u16string> kinds;
    for (const auto& tag : m_internals->toggledInlineStyleElementsForTyping)
        kinds.insert(asciiLowercase(tag));
    std::vector<std::u16string> exited;
    if (undoableSplitNearestAncestorElementsOfKinds(true, false, kinds, range, false, true, &exited)) {
        if (auto after = effectiveOperationRange())
            range = after->cloneRange();
    }
    std::u16string text = typed;
    replaceCharacter(text, nonBreakingSpace, substitute);
    auto fragment = document->createDocumentFragment();
    fragment->appendChild(document->createTextNode(text));
    auto isExited = [&exited](const std::u16string& tag) {
        // (The split reports lower-case names.)
        return std::any_of(exited.begin(), exited.end(), [&tag](const std::u16string& other) { return equalsIgnoringASCIICase(other, tag); });
    };
    auto toggled = m_internals->toggledInlineStyleElementsForTyping;
    for (auto tag = toggled.rbegin(); tag != toggled.rend(); ++tag) {
        if (isExited(*tag))
            continue;
        if (auto wrapped = m_internals->blockModeHelper->wrapFragment(*fragment, asciiLowercase(*tag), nullptr))
            fragment = wrapped;
    }
    if (m_internals->automaticallyAddsParagraphs && vornick_shouldAddParagraphWrapperForInsertionInRange(*range)) {
        if (auto wrapped = m_internals->blockModeHelper->wrapFragment(*fragment, u"p", nullptr))
            fragment = wrapped;
    }
    m_internals->toggledInlineStyleElementsForTyping.clear();

    std::shared_ptr<DOMRange> result;
    if (undoableReplaceRangeWithFragment(true, range, fragment, std::nullopt, &result) && result) {
        vornick_pullRangeEndpointsIn(*result);
        vornick_pushRangeEndpointsDownToTextNodes(*result);
        result->collapse(false);
        setTargetRange(result);
    }
    scrollRangeToVisible(effectiveOperationRange());
}

// --- White space left behind

void VornickContentEditingView::condenseWhitespaceAtOffset(int32_t offset, const std::shared_ptr<DOMNode>& textNode)
{
    if (!textNode || !textNode->isTextNode() || !textNode->ownerDocument() || !textNode->isConnected())
        return;
    const std::u16string& data = textOf(*textNode);
    if (offset < 0 || static_cast<size_t>(offset) >= data.size())
        return;
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*textNode);
    auto isSpace = [substitute](char16_t c) { return isCondensableSpace(c, substitute); };
    size_t start = static_cast<size_t>(offset);
    while (start > 0 && isSpace(data[start - 1]))
        --start;
    size_t end = static_cast<size_t>(offset);
    while (end < data.size() && isSpace(data[end]))
        ++end;
    if (end - start < 2)
        return;
    auto run = data.substr(start, end - start);
    auto condensed = vornick_stringByFilteringWhitespaceWithOptions(
        run, VornickWhitespaceFilteringCollapse | VornickWhitespaceFilteringKeepSubstitutes, substitute, nullptr);
    if (condensed == run)
        return;
    auto range = textNode->ownerDocument()->createRange();
    range->setStart(textNode, static_cast<unsigned>(start));
    range->setEnd(textNode, static_cast<unsigned>(end));
    // Undoable, so that the offsets the undo steps recorded in this node stay true.
    (void)undoableReplaceRangeWithText(true, range, condensed, false);
}

// --- Text entry points that go through the web view's proposal

void VornickContentEditingView::insertExplicitNonBreakingSpace()
{
    // A view that may not be edited takes no text, whatever sends it.
    if (!m_internals->editable)
        return;
    auto range = effectiveOperationRange();
    shouldInsertText(*m_internals->webView, std::u16string(1, nonBreakingSpace), range.get(), WebViewInsertActionTyped);
}

void VornickContentEditingView::insertLoremIpsum()
{
    auto range = effectiveOperationRange();
    shouldInsertText(*m_internals->webView,
                     u"Lorem ipsum dolor sit amet, consectetur adipisicing elit, sed do eiusmod tempor incididunt ut labore et dolore "
                     u"magna aliqua. Ut enim ad minim veniam, quis nostrud exercitation ullamco laboris nisi ut aliquip ex ea commodo "
                     u"consequat. Duis aute irure dolor in reprehenderit in voluptate velit esse cillum dolore eu fugiat nulla "
                     u"pariatur. Excepteur sint occaecat cupidatat non proident, sunt in culpa qui officia deserunt mollit anim id est "
                     u"laborum.",
                     range.get(), WebViewInsertActionTyped);
}

void VornickContentEditingView::pasteAsPlainText()
{
    if (!m_internals->editable)
        return;
    auto pasteboard = Pasteboard::generalPasteboard();
    for (const auto& object : pasteboard->readObjectsForClasses({ PasteboardReadingClass::String })) {
        if (auto string = std::get_if<std::u16string>(&object)) {
            auto range = effectiveOperationRange();
            shouldInsertText(*m_internals->webView, *string, range.get(), WebViewInsertActionPasted);
        }
    }
}

// --- Deletion

} // namespace brevanton
