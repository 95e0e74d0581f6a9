// Typed text: the web view's proposed insertion performed with the editor's
// rules (the numbered steps follow the order in which they apply).
#include "editing/commands/VornickUndoableTypedTextInsertion.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickRelativeDOMPath.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableElementSplit.h"
#include "editing/commands/VornickUndoableFragmentDeletion.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
#include "editing/commands/VornickUndoableTextReplacement.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickCharacterSets.h"
#include "toolkit/VornickWhitespaceFilter.h"

#include <algorithm>
#include <set>

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

// Ancestors of an insertion point in which typed text never gets a paragraph.
const std::set<std::u16string, std::less<>>& noWrapAncestorNames()
{
    static const std::set<std::u16string, std::less<>> names {
        u"address", u"caption", u"col", u"colgroup", u"dd", u"dl", u"dt", u"fieldset", u"figcaption", u"figure", u"form", u"h1",
        u"h2", u"h3", u"h4", u"h5", u"h6", u"hgroup", u"label", u"legend", u"li", u"menu", u"nav", u"ol", u"p", u"pre",
        u"table", u"tbody", u"td", u"textarea", u"tfoot", u"th", u"thead", u"title", u"tr", u"ul",
    };
    return names;
}

bool nameIsIn(const DOMElement& element, const std::set<std::u16string, std::less<>>& names)
{
    return names.count(asciiLowercase(element.tagName())) != 0;
}

bool isParagraph(const DOMNode& node)
{
    return node.isElementNode() && equalsIgnoringASCIICase(downcast<DOMElement>(node).tagName(), u"P");
}

// The run of sibling nodes around an insertion point that a paragraph would
// wrap; null where typed text never gets one.
std::shared_ptr<DOMRange> siblingNodeRangeToWrapInParagraph(VornickBlockModeHelper* helper, const VornickDOMPosition& position)
{
    if (!position.node || isParagraph(*position.node))
        return nullptr;
    if (vornick_nearestAncestorElementPassingTest(*position.node, [](const DOMElement& element) { return isParagraph(element); }))
        return nullptr;
    if (vornick_nearestAncestorElementPassingTest(*position.node,
                                                  [](const DOMElement& element) { return nameIsIn(element, noWrapAncestorNames()); }))
        return nullptr;
    auto range = VornickDOMRangeCollapsedAtPosition(position);
    if (!range)
        return nullptr;
    auto limit = vornick_enclosingAttachmentPointElement(*range);
    auto block = helper ? helper->blockEnclosingPosition(position, {}, false, limit.get()) : std::nullopt;
    if (!block)
        vornick_expandToEncompassAdjacentContentThatCanBeWrappedInElementKind(*range, u"p");
    else
        vornick_expandToEncompassAdjacentTextNodes(*range);
    return range;
}

} // namespace

VornickUndoableTypedTextInsertion::VornickUndoableTypedTextInsertion(VornickEditingContext& context, std::u16string text, bool replacement)
    : VornickUndoableEdit(context, true)
    , m_text(std::move(text))
    , m_replacement(replacement)
{
}

void VornickUndoableTypedTextInsertion::apply()
{
    // The caret moves of the insertion itself keep the styles toggled for it.
    struct TypedTextInsertion {
        VornickEditingContext& context;
        bool was;
        ~TypedTextInsertion() { context.setInsertingTypedText(was); }
    } typedTextInsertion { context(), context().insertingTypedText() };
    context().setInsertingTypedText(true);
    context().dropPendingInlineStylesIfCaretMoved();
    std::u16string text = m_text;
    bool replacement = m_replacement;
    bool replacementByNothing = replacement && text.empty();
    auto current = context().effectiveOperationRange();
    if (!current)
        return;
    auto frame = frameOfRange(context().mainFrame(), *current);

    // 1. The substitute may have to move when the text uses it as a character.
    context().reassessNonBreakingSpaceSubstituteForTextToInsert(text, frame);
    current = context().effectiveOperationRange();
    if (!current)
        return;
    auto range = current->cloneRange();
    char16_t substitute = frame ? vornick_nonBreakingSpaceSubstituteCharacter(*frame) : 0;
    bool substituteTypedSpaces = true;

    // A replacement (find and replace) is one edit of its own, never part of typing.
    if (replacement)
        context().endTypingRun();

    // 2. A text node of nothing but white space is typed over whole.
    if (!replacementByNothing) {
        auto start = range->startContainer();
        if (start == range->endContainer() && range->startOffset() == 0 && start->isTextNode()
            && holdsOnlyCondensableSpace(textOf(*start), substitute)) {
            range->setEnd(start, static_cast<unsigned>(textOf(*start).size()));
            if (vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(text, substitute)) {
                text = context().placeholderSpaceStringForDocumentContainingRange(*range);
                substituteTypedSpaces = false;
            }
        }
    }

    // 3. A selection across nodes goes first.
    bool registeredTargetRangeUndo = false;
    if (!range->collapsed() && !(range->startNode()->isTextNode() && range->startNode() == range->endNode())) {
        context().registerTargetRangeUndo();
        registeredTargetRangeUndo = true;
        (void)VornickUndoableFragmentDeletion(context(), true, range, std::nullopt, false).apply();
        auto after = context().effectiveOperationRange();
        if (!after)
            return;
        range = after->cloneRange();
        range->collapse(true);
    }

    // 4. Text goes into a text node.
    if (range->startNode()->isElementNode()) {
        if (!range->collapsed()) {
            context().beep();
            return;
        }
        std::shared_ptr<DOMRange> inserted;
        if (!VornickUndoableTextReplacement(context(), true, range, u" ", false).apply(&inserted) || !inserted) {
            context().beep();
            return;
        }
        // The typed text replaces that space.
        vornick_pushRangeEndpointsDownToTextNodes(*inserted);
        range = inserted;
    }
    if (!range->startNode()->isTextNode() || range->startNode() != range->endNode()) {
        context().beep();
        return;
    }

    // 5. Automatic paragraph around text typed where only blocks belong.
    if (context().automaticallyAddsParagraphs() && !replacementByNothing)
        range = wrapInsertionPointInParagraph(range, registeredTargetRangeUndo);

    // 6. Pending inline styles.
    if (!context().pendingInlineStyles().empty() && !replacementByNothing) {
        insertPendingInlineStyledText(text, range, substitute);
        return;
    }

    // S, s, E and e as they are now, after the steps above.
    auto node = range->startContainer();
    if (!node->isTextNode() || node != range->endContainer()) {
        context().beep();
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
        BREVANTON_ASSERT(context().whitespacePolicy() == 0 || context().whitespacePolicy() == 1, "Invalid whitespacePolicy");
        filterWhitespace = context().whitespacePolicy() == 0;
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
                    : context().placeholderSpaceStringForDocumentContainingRange(*range);
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
        if (!VornickUndoableTextReplacement(context(), true, range, text, !replacement).apply(&result))
            return;
        std::shared_ptr<DOMRange> caretRange;
        if (!inPre) {
            if (result && !replacement)
                context().scheduleTextFixupIfNeededForEditedRange(result);
            caretRange = node->ownerDocument()->createRange();
            unsigned length = static_cast<unsigned>(textOf(*node).size());
            caretRange->setStart(node, std::min<unsigned>(static_cast<unsigned>(caret), length));
            caretRange->collapse(true);
        } else if (result) {
            caretRange = result->cloneRange();
            caretRange->collapse(false);
        }
        if (caretRange) {
            if (context().activeTypingRun())
                context().setTargetRange(caretRange);
            else
                context().setTargetRangeUndoably(caretRange);
        }
    }

    // 12.
    context().contentDidChangeInWebFrame(context().focusedWebFrame());
    context().scrollRangeToVisible(context().effectiveOperationRange());
}

// Typed text with inline styles toggled for it: the text goes in as a
// fragment wrapped in the toggled elements.
void VornickUndoableTypedTextInsertion::insertPendingInlineStyledText(const std::u16string& typed, std::shared_ptr<DOMRange> range,
                                                                      char16_t substitute)
{
    context().endTypingRun();
    auto document = vornick_ownerDocument(*range);
    if (!document)
        return;
    // Elements of the toggled kinds around the insertion point are split
    // there, so that the text goes between their halves.
    std::set<std::u16string> kinds;
    for (const auto& tag : context().pendingInlineStyles())
        kinds.insert(asciiLowercase(tag));
    std::vector<std::u16string> exited;
    if (VornickUndoableElementSplit(context(), true, kinds, false, range, false, true).apply(&exited)) {
        if (auto after = context().effectiveOperationRange())
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
    auto toggled = context().pendingInlineStyles();
    for (auto tag = toggled.rbegin(); tag != toggled.rend(); ++tag) {
        if (isExited(*tag))
            continue;
        if (auto wrapped = context().blockModeHelper()->wrapFragment(*fragment, asciiLowercase(*tag), nullptr))
            fragment = wrapped;
    }
    if (context().automaticallyAddsParagraphs() && context().shouldAddParagraphWrapperForInsertionInRange(*range)) {
        if (auto wrapped = context().blockModeHelper()->wrapFragment(*fragment, u"p", nullptr))
            fragment = wrapped;
    }
    context().clearPendingInlineStyles();

    std::shared_ptr<DOMRange> result;
    if (VornickUndoableFragmentReplacement(context(), true, range, fragment, std::nullopt).apply(&result) && result) {
        vornick_pullRangeEndpointsIn(*result);
        vornick_pushRangeEndpointsDownToTextNodes(*result);
        result->collapse(false);
        context().setTargetRange(result);
    }
    context().scrollRangeToVisible(context().effectiveOperationRange());
}

// Wraps the run of sibling nodes around a text insertion point in a
// paragraph (a paragraph block in block mode) and answers the insertion
// point in it; the insertion point itself when nothing is wrapped.
std::shared_ptr<DOMRange> VornickUndoableTypedTextInsertion::wrapInsertionPointInParagraph(const std::shared_ptr<DOMRange>& insertionPoint,
                                                                                           bool& registeredTargetRangeUndo)
{
    auto siblings = siblingNodeRangeToWrapInParagraph(context().blockModeHelper(), vornick_startPosition(*insertionPoint));
    if (!siblings || siblings->collapsed() || siblings->startContainer() != siblings->endContainer())
        return insertionPoint;
    auto document = vornick_ownerDocument(*siblings);
    if (!document || !context().blockModeHelper())
        return insertionPoint;

    // Where the insertion point stands, relative to the wrapped run.
    auto container = siblings->startContainer();
    auto startPath = VornickRelativeDOMPath::pathToPosition(vornick_startPosition(*insertionPoint), container.get(), false);
    auto endPath = VornickRelativeDOMPath::pathToPosition(vornick_endPosition(*insertionPoint), container.get(), false);
    if (!startPath || !endPath)
        return insertionPoint;
    startPath->adjustOffsetAtIndex(0, -static_cast<int32_t>(siblings->startOffset()));
    endPath->adjustOffsetAtIndex(0, -static_cast<int32_t>(siblings->startOffset()));

    if (!registeredTargetRangeUndo) {
        context().registerTargetRangeUndo();
        registeredTargetRangeUndo = true;
    }
    // The run moves into the new paragraph (a paragraph block in block mode).
    auto contents = siblings->cloneContents();
    std::shared_ptr<DOMElement> paragraph;
    auto fragment = context().blockModeHelper()->createFragmentWithCommentDelimitedElement(u"p", *document, contents,
                                                                                 !context().blockModeHelper()->operatingInBlockMode(), &paragraph);
    if (!fragment || !paragraph || !VornickUndoableFragmentReplacement(context(), true, siblings, fragment, std::nullopt).apply())
        return insertionPoint;
    if (!paragraph->isConnected())
        return insertionPoint;
    auto start = startPath->positionRelativeToNewAncestor(paragraph);
    auto end = endPath->positionRelativeToNewAncestor(paragraph);
    if (!start.node || !end.node)
        return insertionPoint;
    auto moved = document->createRange();
    vornick_setStartPosition(*moved, start);
    vornick_setEndPosition(*moved, end);
    context().setTargetRange(moved);
    return moved;
}

} // namespace brevanton
