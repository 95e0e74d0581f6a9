// Fragment insertion: a fragment goes in at a place (splitting a text node
// when the place is inside one), its text merges with the text beside it,
// and the result becomes the target range. The inverse exchanges the run of
// children the insertion changed for a copy of what stood there before, so
// that undo restores the text node boundaries exactly.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickFragmentExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickUndoableEdit.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/RunLoop.h"
#include "views/VornickViewExtensions.h"

namespace brevanton {

namespace {

bool isText(const DOMNode* node)
{
    return node && node->isTextNode();
}

// Appends the text after the gap to the text before it and removes it; the
// gap must lie between two text nodes. Answers the node before and its former length.
std::pair<std::shared_ptr<DOMCharacterData>, unsigned> mergeTextAcrossGap(DOMNode& container, unsigned gap)
{
    auto before = std::static_pointer_cast<DOMCharacterData>(container.childAt(gap - 1)->shared_from_this());
    auto after = std::static_pointer_cast<DOMCharacterData>(container.childAt(gap)->shared_from_this());
    unsigned formerLength = before->length();
    before->appendData(after->data());
    container.removeChild(after.get());
    return { before, formerLength };
}

// Merges text at both seams of a non-collapsed range that spans inserted
// nodes (between two gaps of one container).
void mergeTextAtSeams(DOMRange& range)
{
    if (range.collapsed())
        return;
    auto start = vornick_startPosition(range);
    if (start.node->isContainerNode() && start.offset > 0 && start.offset < static_cast<int32_t>(start.node->childCount())
        && isText(start.node->childAt(start.offset - 1)) && isText(start.node->childAt(start.offset))) {
        auto end = vornick_endPosition(range);
        auto [before, formerLength] = mergeTextAcrossGap(*start.node, static_cast<unsigned>(start.offset));
        range.setStart(before, formerLength);
        if (end.node == start.node)
            range.setEnd(end.node, static_cast<unsigned>(end.offset - 1));
        else if (end.node.get() != before.get())
            range.setEnd(end.node, static_cast<unsigned>(end.offset));
    }
    auto end = vornick_endPosition(range);
    if (end.node->isContainerNode() && end.offset > 0 && end.offset < static_cast<int32_t>(end.node->childCount())
        && isText(end.node->childAt(end.offset - 1)) && isText(end.node->childAt(end.offset))) {
        auto keptStart = vornick_startPosition(range);
        auto [before, formerLength] = mergeTextAcrossGap(*end.node, static_cast<unsigned>(end.offset));
        range.setStart(keptStart.node, static_cast<unsigned>(keptStart.offset));
        range.setEnd(before, formerLength);
    }
}

} // namespace

bool VornickContentEditingView::insertFragmentAtPosition(const std::shared_ptr<DOMDocumentFragment>& fragmentToInsert,
                                                         VornickDOMPosition position, bool undoably,
                                                         const std::optional<std::u16string>& undoActionNameOverride)
{
    BREVANTON_ASSERT(fragmentToInsert, "Invalid parameter not satisfying: fragmentToInsert");
    if (!position.node) {
        auto effective = effectiveOperationRange();
        if (!effective)
            return false;
        position = vornick_startPosition(*effective);
    }
    if (position.node->isTextNode()) {
        if (position.offset == 0)
            VornickMoveDOMPositionUpToBeforeNode(position);
        else if (position.offset >= static_cast<int32_t>(position.node->length()))
            VornickMoveDOMPositionUpToAfterNode(position);
    }
    // Text can be split; other character data (a comment) takes no children.
    if (!position.node->isTextNode() && !position.node->isContainerNode())
        return false;

    VornickUndoableEdit edit(*this, undoably, u"Insert", undoActionNameOverride);
    std::shared_ptr<DOMElement> targetElement;
    vornick_modifyFragmentForInsertionAt(*fragmentToInsert, position, targetElement);
    auto document = position.node->ownerDocument();
    if (!fragmentToInsert->hasChildNodes()) {
        edit.finish(VornickDOMRangeCollapsedAtPosition(position));
        return true;
    }

    // The run of children the insertion may change: the split text node, or
    // the text nodes on either side of the gap that the inserted text may
    // absorb. Everything after it stays as it is.
    std::shared_ptr<DOMNode> container;
    unsigned spanStart = 0;
    unsigned spanEnd = 0;
    if (position.node->isTextNode()) {
        container = position.node->parentNode();
        if (!container)
            return false;
        spanStart = position.node->index();
        spanEnd = spanStart + 1;
    } else {
        container = position.node;
        auto gap = static_cast<unsigned>(position.offset);
        spanStart = gap > 0 && isText(container->childAt(gap - 1)) ? gap - 1 : gap;
        spanEnd = gap < container->childCount() && isText(container->childAt(gap)) ? gap + 1 : gap;
    }
    unsigned childrenAfterSpan = container->childCount() - spanEnd;
    std::shared_ptr<DOMDocumentFragment> formerChildren;
    char16_t substitute = VornickSubstituteInForce(*container);
    if (edit.undoable()) {
        edit.registerSelectionUndo();
        formerChildren = document->createDocumentFragment();
        for (unsigned index = spanStart; index < spanEnd; ++index)
            formerChildren->appendChild(container->childAt(index)->cloneNode(true));
    }

    auto range = VornickDOMRangeCollapsedAtPosition(position);
    vornick_insertNodeAndSurroundWhatWasInserted(*range, fragmentToInsert);
    vornick_pullRangeEndpointsIn(*range);
    mergeTextAtSeams(*range);

    if (edit.undoable()) {
        unsigned newSpanEnd = container->childCount() - childrenAfterSpan;
        if (auto span = VornickFreezeChildSpan(container, spanStart, newSpanEnd, document)) {
            std::weak_ptr<DOMDocument> weakDocument = document;
            edit.registerInverse([formerChildren, span = std::move(*span), weakDocument, substitute](VornickContentEditingView& view) {
                if (auto document = weakDocument.lock())
                    (void)view.exchangeChildSpan(formerChildren, span, document, substitute, std::nullopt);
            });
        }
        edit.setActionName();
    }

    // Bricks: the inserted elements take the look the section handles ask for.
    auto applyBricks = [this](DOMNode& node) {
        if (!m_blockModeHelper)
            return;
        if (m_sectionHandlesShown)
            m_blockModeHelper->recursiveAddBrickTags(node);
        else
            m_blockModeHelper->recursiveRemoveBrickTags(node);
    };
    bool inOneElement = range->startContainer() == range->endContainer() && range->startContainer()->isElementNode();
    if (inOneElement) {
        auto element = range->startContainer();
        for (unsigned index = range->startOffset(); index < range->endOffset(); ++index)
            applyBricks(*element->childAt(index));
    } else if (auto common = range->commonAncestorContainer()) {
        auto attachmentPointElement = vornick_enclosingAttachmentPointElement(*range);
        if (attachmentPointElement && common == attachmentPointElement) {
            for (DOMNode* child = common->first(); child; child = child->next())
                applyBricks(*child);
        } else if (common->isElementNode()) {
            applyBricks(*common);
        }
    }
    if (!(inOneElement && !m_sectionHandlesShown)) {
        performAfterDelay(0, [](VornickContentEditingView& view) {
            if (view.m_webView)
                vornick_setNeedsDisplay(*view.m_webView);
        });
    }

    edit.finish(range, true);
    return true;
}

bool VornickContentEditingView::insertFragmentAtPath(const std::shared_ptr<DOMDocumentFragment>& fragment, const VornickRelativeDOMPath& path,
                                                     const std::shared_ptr<DOMDocument>& document, bool undoably,
                                                     const std::optional<std::u16string>& undoActionNameOverride)
{
    if (!document)
        return false;
    auto position = path.positionRelativeToNewAncestor(document);
    if (!position.node)
        return false;
    return insertFragmentAtPosition(fragment, position, undoably, undoActionNameOverride);
}

bool VornickContentEditingView::insertFragmentUndoably(const std::shared_ptr<DOMDocumentFragment>& fragment)
{
    return insertFragmentAtPosition(fragment, VornickDOMPosition(), true, std::nullopt);
}

// --- The exact inverse of a change confined to a run of children

bool VornickContentEditingView::exchangeChildSpan(const std::shared_ptr<DOMDocumentFragment>& fragment,
                                                  const VornickFreezeDriedDOMRange& span, const std::shared_ptr<DOMDocument>& document,
                                                  char16_t substitute, const std::optional<VornickFreezeDriedDOMRange>& selectionToRestore)
{
    auto range = document ? span.thawRangeRelativeToNewAncestor(document) : nullptr;
    if (!range || range->startContainer() != range->endContainer() || !range->startContainer()->isContainerNode())
        return false;
    auto container = range->startContainer();
    unsigned start = range->startOffset();
    unsigned end = range->endOffset();
    if (end < start)
        return false;

    // What stands there now goes back on the way back, as do the selection
    // and the substitute it was taken with.
    auto body = document->body();
    std::optional<VornickFreezeDriedDOMRange> selectionNow;
    if (auto effective = effectiveOperationRange(); effective && body && vornick_ownerDocument(*effective) == document)
        selectionNow = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*effective, body, false);
    char16_t substituteNow = VornickSubstituteInForce(*container);
    auto removed = document->createDocumentFragment();
    for (unsigned index = start; index < end; ++index)
        removed->appendChild(container->childAt(start)->shared_from_this());

    unsigned inserted = 0;
    if (fragment) {
        VornickTranslateSubstitute(*fragment, substitute, substituteNow);
        inserted = fragment->childCount();
        container->insertBefore(fragment, container->childAt(start));
    }
    if (auto back = VornickFreezeChildSpan(container, start, start + inserted, document)) {
        std::weak_ptr<DOMDocument> weakDocument = document;
        registerUndo([removed, back = std::move(*back), weakDocument, substituteNow, selectionNow](VornickContentEditingView& view) {
            if (auto document = weakDocument.lock())
                (void)view.exchangeChildSpan(removed, back, document, substituteNow, selectionNow);
        });
    }
    if (selectionToRestore && body) {
        if (auto selection = selectionToRestore->thawRangeRelativeToNewAncestor(body))
            setTargetRange(selection);
    }
    auto mainFrame = this->mainFrame();
    postVornickContentEditingViewDidChangeContentInWebFrame(mainFrame ? mainFrame->frameForDocument(*document) : nullptr, nullptr);
    return true;
}

} // namespace brevanton
