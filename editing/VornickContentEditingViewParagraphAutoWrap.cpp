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

} // namespace

// --- Where typed text needs a paragraph

bool VornickContentEditingView::Internals::vornick_shouldAddParagraphWrapperForInsertionInRange(const VornickContentEditingView&,
                                                                                                const DOMRange& range)
{
    auto container = range.commonAncestorContainer();
    if (!container)
        return false;
    if (container->isElementNode() && nameIsIn(downcast<DOMElement>(*container), textHoldingContainerNames()))
        return false;
    return !vornick_nearestAncestorElementPassingTest(
        *container, [](const DOMElement& element) { return nameIsIn(element, textHoldingContainerNames()); });
}

// --- After an insertion

void VornickContentEditingView::Internals::autoWrapRangeEnvironsInParagraphIfAppropriate(VornickContentEditingView& view, const std::shared_ptr<DOMRange>& givenRange)
{
    if (!view.m_internals->automaticallyAddsParagraphs || !givenRange || !view.m_internals->blockModeHelper)
        return;
    auto range = givenRange->cloneRange();
    view.m_internals->blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*range);
    if (!Internals::vornick_shouldAddParagraphWrapperForInsertionInRange(view, *range) || range->startContainer() != range->endContainer())
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
    auto fragment = view.m_internals->blockModeHelper->createFragmentWithCommentDelimitedElement(u"p", *document, contents,
                                                                                 !view.m_internals->blockModeHelper->operatingInBlockMode(),
                                                                                         &paragraph);
    if (!fragment || !view.undoableReplaceRangeWithFragment(true, toWrap, fragment, std::nullopt))
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
    view.setTargetRangeUndoably(selected);
}

void VornickContentEditingView::Internals::vornick_autoWrapSelectedRangeEnvironsInParagraphIfApprorpriate(VornickContentEditingView& view)
{
    Internals::autoWrapRangeEnvironsInParagraphIfAppropriate(view, view.effectiveOperationRange());
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
