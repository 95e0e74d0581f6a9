// Paragraph auto-wrap: text typed or inserted where the document's structure
// only holds blocks (directly in the body, in a container of blocks) gets a
// paragraph around it and the sibling nodes that belong with it; and the
// plain text insertion primitive.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickRelativeDOMPath.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <set>

namespace brevanton {

namespace {

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

// Containers that hold text themselves: content inserted in them needs no paragraph.
const std::set<std::u16string, std::less<>>& textHoldingContainerNames()
{
    static const std::set<std::u16string, std::less<>> names {
        u"a", u"abbr", u"address", u"b", u"caption", u"cite", u"code", u"col", u"colgroup", u"dd", u"del", u"dfn", u"dl",
        u"dt", u"em", u"figcaption", u"figure", u"h1", u"h2", u"h3", u"h4", u"h5", u"h6", u"hgroup", u"i", u"ins",
        u"kbd", u"li", u"mark", u"menu", u"nav", u"ol", u"p", u"picture", u"pre", u"q", u"samp", u"small", u"span",
        u"strong", u"sub", u"sup", u"table", u"tbody", u"td", u"tfoot", u"th", u"thead", u"title", u"tr", u"ul", u"var",
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

} // namespace

// --- Where typed text needs a paragraph

std::shared_ptr<DOMRange> VornickContentEditingView::siblingNodeRangeToAutoWrapInParagraphSurroundingInsertionPoint(
    const VornickDOMPosition& position) const
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
    auto block = m_internals->blockModeHelper ? m_internals->blockModeHelper->blockEnclosingPosition(position, {}, false, limit.get()) : std::nullopt;
    if (!block)
        vornick_expandToEncompassAdjacentContentThatCanBeWrappedInElementKind(*range, u"p");
    else
        vornick_expandToEncompassAdjacentTextNodes(*range);
    return range;
}

bool VornickContentEditingView::vornick_shouldAddParagraphWrapperForInsertionInRange(const DOMRange& range) const
{
    auto container = range.commonAncestorContainer();
    if (!container)
        return false;
    if (container->isElementNode() && nameIsIn(downcast<DOMElement>(*container), textHoldingContainerNames()))
        return false;
    return !vornick_nearestAncestorElementPassingTest(
        *container, [](const DOMElement& element) { return nameIsIn(element, textHoldingContainerNames()); });
}

// Wraps the run of sibling nodes around a text insertion point in a
// paragraph (a paragraph block in block mode) and answers the insertion
// point in it; the insertion point itself when nothing is wrapped.
std::shared_ptr<DOMRange> VornickContentEditingView::autoWrapInsertionPointInParagraph(const std::shared_ptr<DOMRange>& insertionPoint,
                                                                                      bool& registeredTargetRangeUndo)
{
    auto siblings = siblingNodeRangeToAutoWrapInParagraphSurroundingInsertionPoint(vornick_startPosition(*insertionPoint));
    if (!siblings || siblings->collapsed() || siblings->startContainer() != siblings->endContainer())
        return insertionPoint;
    auto document = vornick_ownerDocument(*siblings);
    if (!document || !m_internals->blockModeHelper)
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
        registerTargetRangeUndo();
        registeredTargetRangeUndo = true;
    }
    // The run moves into the new paragraph (a paragraph block in block mode).
    auto contents = siblings->cloneContents();
    std::shared_ptr<DOMElement> paragraph;
    auto fragment = m_internals->blockModeHelper->createFragmentWithCommentDelimitedElement(u"p", *document, contents,
                                                                                 !m_internals->blockModeHelper->operatingInBlockMode(), &paragraph);
    if (!fragment || !paragraph || !undoableReplaceRangeWithFragment(true, siblings, fragment, std::nullopt))
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
    setTargetRange(moved);
    return moved;
}

// --- After an insertion

void VornickContentEditingView::autoWrapRangeEnvironsInParagraphIfAppropriate(const std::shared_ptr<DOMRange>& givenRange)
{
    if (!m_internals->automaticallyAddsParagraphs || !givenRange || !m_internals->blockModeHelper)
        return;
    auto range = givenRange->cloneRange();
    m_internals->blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*range);
    if (!vornick_shouldAddParagraphWrapperForInsertionInRange(*range) || range->startContainer() != range->endContainer())
        return;
    auto document = vornick_ownerDocument(*range);
    if (!document)
        return;
    auto container = range->startContainer();
    std::shared_ptr<DOMRange> toWrap;
    unsigned startOffset = range->startOffset();
    unsigned endOffset = range->endOffset();
    if (container->isTextNode()) {
        toWrap = vornick_outerRange(*container);
    } else if (container->isElementNode()) {
        auto spec = vornick_htmlSpecForDocType(*document);
        if (!spec)
            return;
        unsigned index = 0;
        for (auto child = container->firstChild(); child && index < endOffset; child = child->nextSibling(), ++index) {
            if (index >= startOffset && !spec->elementKindMayContainNode(u"p", *child, nullptr))
                return;
        }
        toWrap = range;
    } else {
        return;
    }
    if (!toWrap || toWrap->collapsed())
        return;
    auto contents = toWrap->cloneContents();
    std::shared_ptr<DOMElement> paragraph;
    auto fragment = m_internals->blockModeHelper->createFragmentWithCommentDelimitedElement(u"p", *document, contents,
                                                                                 !m_internals->blockModeHelper->operatingInBlockMode(), &paragraph);
    if (!fragment || !undoableReplaceRangeWithFragment(true, toWrap, fragment, std::nullopt))
        return;
    if (!container->isTextNode() || !paragraph || !paragraph->isConnected())
        return;
    // The text the range selected, now in the paragraph.
    auto text = paragraph->firstChild();
    if (!text || !text->isTextNode())
        return;
    unsigned length = text->length();
    auto selected = document->createRange();
    selected->setStart(text, std::min(startOffset, length));
    selected->setEnd(text, std::min(endOffset, length));
    setTargetRangeUndoably(selected);
}

void VornickContentEditingView::vornick_autoWrapSelectedRangeEnvironsInParagraphIfApprorpriate()
{
    autoWrapRangeEnvironsInParagraphIfAppropriate(effectiveOperationRange());
}

// --- Plain insertion

void VornickContentEditingView::vornick_insertText(const std::u16string& text, const std::shared_ptr<DOMRange>& replacingDOMRange)
{
    if (!replacingDOMRange)
        return;
    auto range = replacingDOMRange;
    if (!range->collapsed()) {
        (void)range->extractContents();
        BREVANTON_ASSERT(range->collapsed(), "-vornick_insertText:replacingDOMRange: needs collapsed range (after extracting replacedText)");
    }
    auto inserted = brevanton::vornick_insertText(*range, text);
    if (inserted) {
        auto caret = inserted->cloneRange();
        caret->collapse(false);
        setTargetRange(caret);
    }
    m_internals->webView->postDidChange();
}

} // namespace brevanton
