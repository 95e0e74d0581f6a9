// Fragment deletion: characters within one text node (as backspacing, in a
// backspace run), children of one element (joining the text nodes the
// deletion makes neighbours), or a range across nodes (restored from a
// snapshot of the span of the common ancestor it touched). A range across
// nodes takes along the table rows and sections it would empty, and keeps
// the rows it cuts through as long as the others (see
// VornickTableShapeKeeper); rows taken out of a table section shorten the
// cells above that spanned them, and their own cells that span rows below
// go on in the next row.
//
// The deleted fragment goes to the caller; the undo payload is always a
// separate one (the removed nodes themselves, or a snapshot), so a caller
// that inserts what it got back never empties the undo step.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickTableRowDeletionRange.h"
#include "editing/VornickTableShapeKeeper.h"
#include "editing/VornickTableSpans.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableChildSpanExchange.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

namespace {

std::shared_ptr<DOMDocumentFragment> cloneChildren(DOMDocument& document, const DOMNode& container, unsigned start, unsigned end)
{
    auto fragment = document.createDocumentFragment();
    for (unsigned index = start; index < end; ++index)
        fragment->appendChild(container.childAt(index)->cloneNode(true));
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> extractChildren(DOMDocument& document, DOMNode& container, unsigned start, unsigned end)
{
    auto fragment = document.createDocumentFragment();
    for (unsigned index = start; index < end; ++index)
        fragment->appendChild(container.childAt(start)->shared_from_this());
    return fragment;
}

// The cells of the rows among the children that span rows after them.
std::vector<VornickTableSpans::CarriedCell> cellsCarriedPastChildren(const DOMNode& container, unsigned start, unsigned end)
{
    const DOMElement* firstRow = nullptr;
    const DOMElement* lastRow = nullptr;
    for (unsigned index = start; index < end; ++index) {
        auto* row = toElement(container.childAt(index));
        if (!row || !row->hasTagName(u"tr"))
            continue;
        if (!firstRow)
            firstRow = row;
        lastRow = row;
    }
    return firstRow ? VornickTableSpans::cellsCarriedPastRows(*firstRow, *lastRow) : std::vector<VornickTableSpans::CarriedCell> {};
}

void carryCell(VornickContentEditingView& view, const VornickTableSpans::CarriedCell& carried, const std::u16string& name)
{
    auto document = carried.nextRow->ownerDocument();
    if (!document || !carried.nextRow->isConnected())
        return;
    auto copy = std::static_pointer_cast<DOMElement>(carried.cell->cloneNode(true));
    copy->setAttribute(u"rowspan", toUTF16(std::to_string(carried.rowSpan)));
    auto fragment = document->createDocumentFragment();
    fragment->appendChild(copy);
    bool inRow = carried.before && carried.before->parentNode() == carried.nextRow;
    auto offset = inRow ? carried.before->index() : carried.nextRow->childCount();
    (void)view.insertFragmentAtPosition(fragment, VornickMakeDOMPosition(carried.nextRow, static_cast<int32_t>(offset)), true, name);
}

} // namespace

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::deleteFragmentInRange(const std::shared_ptr<DOMRange>& range, bool undoably,
                                                                                      const std::optional<std::u16string>& undoActionNameOverride,
                                                                                      bool backspacing)
{
    std::shared_ptr<DOMDocumentFragment> deleted;
    if (!deleteFragment(range, undoably, undoActionNameOverride, backspacing, &deleted))
        return nullptr;
    return deleted;
}

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::deleteFragmentInFreezeDriedRange(
    const VornickFreezeDriedDOMRange& frozen, const std::shared_ptr<DOMDocument>& document, bool undoably,
    const std::optional<std::u16string>& undoActionNameOverride, bool backspacing)
{
    auto range = document ? frozen.thawRangeRelativeToNewAncestor(document) : nullptr;
    if (!range)
        return nullptr;
    return deleteFragmentInRange(range, undoably, undoActionNameOverride, backspacing);
}

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::deleteFragmentUndoably()
{
    auto range = effectiveOperationRange();
    auto document = range ? vornick_ownerDocument(*range) : nullptr;
    if (!document || !deleteFragment(range, true, std::nullopt, false, nullptr))
        return nullptr;
    return document->createDocumentFragment();
}

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::backspaceDeleteRangeUndoably(const std::shared_ptr<DOMRange>& range)
{
    return deleteFragmentInRange(range, true, std::nullopt, true);
}

bool VornickContentEditingView::deleteFragment(const std::shared_ptr<DOMRange>& range, bool undoably,
                                               const std::optional<std::u16string>& undoActionNameOverride, bool backspacing,
                                               std::shared_ptr<DOMDocumentFragment>* outDeleted)
{
    auto given = range ? range : effectiveOperationRange();
    if (!given)
        return false;
    auto working = given->cloneRange();
    if (m_blockModeHelper)
        m_blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*working);
    auto document = vornick_ownerDocument(*working);
    if (!document)
        return false;

    // 1. Unless backspacing, a whole text node at either end is deleted as a node.
    if (!backspacing) {
        auto start = vornick_startPosition(*working);
        auto end = vornick_endPosition(*working);
        if (start.node->isTextNode() && start.offset == 0 && VornickMoveDOMPositionUpToBeforeNode(start))
            vornick_setStartPosition(*working, start);
        if (end.node->isTextNode() && end.offset == static_cast<int32_t>(end.node->length())
            && VornickMoveDOMPositionUpToAfterNode(end))
            vornick_setEndPosition(*working, end);
    }
    VornickGrowDeletionRangeOverEmptiedTableParts(*working);

    // 2. The typing run ends with any deletion.
    bool sameNode = working->startContainer() == working->endContainer();
    bool sameTextNode = sameNode && working->startContainer()->isTextNode();
    std::u16string defaultName = sameTextNode ? std::u16string() : sameNode ? u"Delete" : u"Delete selection";
    VornickUndoableEdit edit(editingContext(), undoably, undoActionNameOverride);
    edit.begin(defaultName, VornickUndoableEdit::TypingRun::End,
               undoably && backspacing && sameTextNode ? VornickUndoableEdit::BackspaceRun::Keep : VornickUndoableEdit::BackspaceRun::End);
    if (working->collapsed()) {
        if (outDeleted)
            *outDeleted = document->createDocumentFragment();
        return true;
    }

    // 3. Not undoable: the contents go.
    if (!undoably) {
        auto extracted = working->extractContents();
        if (outDeleted)
            *outDeleted = extracted;
        working->collapse(true);
        edit.finish(working);
        return true;
    }

    auto container = working->startContainer();
    if (container == working->endContainer() && container->isContainerNode()) {
        // 4. Children of one element.
        // Rows of a table section: the cells above that spanned them span fewer rows.
        std::optional<VornickTableSpans> tableSpans;
        if (auto* element = toElement(container.get()); element && element->hasTagName(u"table"))
            tableSpans.emplace(std::static_pointer_cast<DOMElement>(container));
        else if (element && (element->hasTagName(u"tbody") || element->hasTagName(u"thead") || element->hasTagName(u"tfoot")))
            tableSpans.emplace(vornick_enclosingTable(*container));
        // The step keeps its name through Redo, which ends with the spans.
        // Cells of the rows that go which span rows below them go on in the
        // next row, spanning fewer rows, so that the rows below keep their width.
        std::vector<VornickTableSpans::CarriedCell> carriedCells;
        if (tableSpans)
            carriedCells = cellsCarriedPastChildren(*container, working->startOffset(), working->endOffset());
        VornickCommandStepName stepName(editingContext(), true, edit.actionName());
        if (tableSpans)
            stepName.open();
        edit.registerSelectionUndo();
        unsigned start = working->startOffset();
        unsigned end = working->endOffset();
        DOMNode* before = start > 0 ? container->childAt(start - 1) : nullptr;
        DOMNode* after = container->childAt(end);
        char16_t substitute = VornickSubstituteInForce(*container);
        std::shared_ptr<DOMDocumentFragment> removed;
        unsigned spanEnd = start;
        if (before && after && before->isTextNode() && after->isTextNode()) {
            // The deletion makes two text nodes neighbours: they become one.
            auto first = static_cast<DOMCharacterData*>(before);
            auto joinedText = first->data() + static_cast<DOMCharacterData*>(after)->data();
            unsigned firstLength = first->length();
            if (outDeleted)
                *outDeleted = cloneChildren(*document, *container, start, end);
            removed = extractChildren(*document, *container, start - 1, end + 1);
            auto joined = document->createTextNode(joinedText);
            container->insertBefore(joined, container->childAt(start - 1));
            working->setStart(joined, firstLength);
            working->setEnd(joined, firstLength);
            spanEnd = start;
            start -= 1;
        } else {
            if (outDeleted)
                *outDeleted = cloneChildren(*document, *container, start, end);
            removed = extractChildren(*document, *container, start, end);
            working->setStart(container, start);
            working->setEnd(container, start);
        }
        if (auto span = VornickFreezeChildSpan(container, start, spanEnd, document)) {
            std::weak_ptr<DOMDocument> weakDocument = document;
            edit.registerInverse([removed, span = std::move(*span), weakDocument, substitute](VornickEditingContext& context) {
                if (auto document = weakDocument.lock())
                    (void)VornickUndoableChildSpanExchange(context, removed, span, document, substitute, std::nullopt).apply();
            });
        }
        if (tableSpans) {
            for (const auto& carried : carriedCells)
                carryCell(*this, carried, edit.actionName());
            tableSpans->shorten(*this, true);
            stepName.close();
        }
    } else if (sameTextNode) {
        // 5. Characters of one text node.
        auto node = std::static_pointer_cast<DOMCharacterData>(container);
        auto s = static_cast<int32_t>(working->startOffset());
        auto e = static_cast<int32_t>(working->endOffset());
        if (outDeleted) {
            auto fragment = document->createDocumentFragment();
            fragment->appendChild(document->createTextNode(node->data().substr(s, e - s)));
            *outDeleted = fragment;
        }
        if (backspacing) {
            editingContext().addDeletionToBackspaceRun(node, s, e);
        }
        bool wasInserting = m_insertingTextOrBackspacing;
        m_insertingTextOrBackspacing = true;
        bool replaced = undoableReplaceRangeWithText(!backspacing, working, std::u16string(), false);
        m_insertingTextOrBackspacing = wasInserting;
        if (!replaced)
            return false;
        working->setStart(node, static_cast<unsigned>(s));
        working->setEnd(node, static_cast<unsigned>(s));
    } else if (container == working->endContainer()) {
        // A comment or another node that holds no children: nothing to delete.
        return false;
    } else {
        // 6. Endpoints in different nodes: the span of their common ancestor
        // is restored from a snapshot.
        VornickTableShapeKeeper tableShape(*working);
        auto startBefore = vornick_startPosition(*working);
        auto grown = tableShape.tableToSnapshot() ? vornick_outerRange(*tableShape.tableToSnapshot())
                                                  : vornick_rangeByGrowingToCommonAncestorElementSpan(*working);
        if (!grown)
            return false;
        // Also from the body: a selection outside the span comes back too.
        edit.registerSelectionUndo();
        auto ancestor = grown->startContainer();
        auto snapshot = grown->cloneContents();
        char16_t substitute = VornickSubstituteInForce(*ancestor);
        std::optional<VornickFreezeDriedDOMRange> selection;
        if (auto effective = effectiveOperationRange())
            selection = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*effective, ancestor, false);
        auto deletedRange = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*working, ancestor, false);
        auto extracted = working->extractContents();
        if (outDeleted)
            *outDeleted = extracted;
        tableShape.restore(*this);
        // A deletion that began in a table cell leaves the caret there, not
        // between rows where no text may go.
        if (auto cell = tableShape.cellHoldingStart(); cell && cell->isConnected() && tableShape.isBetweenCells(*working))
            working->setStart(startBefore.node, static_cast<unsigned>(startBefore.offset));
        if (auto span = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*grown, document, false)) {
            std::weak_ptr<DOMDocument> weakDocument = document;
            registerUndo([snapshot, span = std::move(*span), weakDocument, deletedRange, backspacing, selection,
                                  substitute](VornickContentEditingView& view) {
                auto document = weakDocument.lock();
                if (!document)
                    return;
                VornickTranslateSubstitute(*snapshot, substitute, VornickSubstituteInForce(*document));
                view.replaceFragment(snapshot, span, document, deletedRange, backspacing, selection);
            });
        }
        working->collapse(true);
    }

    // 7. Name, selection, announcement.
    if (!sameTextNode || undoActionNameOverride)
        edit.setActionName();
    edit.finish(working);
    return true;
}

// --- The inverse of a deletion across nodes

void VornickContentEditingView::replaceFragment(const std::shared_ptr<DOMDocumentFragment>& snapshot, const VornickFreezeDriedDOMRange& span,
                                                const std::shared_ptr<DOMDocument>& document,
                                                const std::optional<VornickFreezeDriedDOMRange>& deletedRangeSnapshot, bool forBackspacing,
                                                const std::optional<VornickFreezeDriedDOMRange>& selectionToRestore)
{
    auto mainFrame = this->mainFrame();
    auto frame = mainFrame && document ? mainFrame->frameForDocument(*document) : nullptr;
    auto range = document ? span.thawRangeRelativeToNewAncestor(document) : nullptr;
    if (range) {
        range->deleteContents();
        auto ancestor = range->startContainer();
        if (snapshot && snapshot->hasChildNodes())
            range->insertNode(snapshot);
        if (selectionToRestore) {
            if (auto selection = selectionToRestore->thawRangeRelativeToNewAncestor(ancestor))
                setTargetRange(selection);
        }
        // The redo deletes the same range again (found from the ancestor,
        // which the redo finds by its path).
        auto ancestorPath = VornickRelativeDOMPath::pathToPosition(VornickMakeDOMPosition(ancestor, 0), document.get(), false);
        if (ancestorPath && deletedRangeSnapshot) {
            std::weak_ptr<DOMDocument> weakDocument = document;
            registerUndo([path = std::move(*ancestorPath), deletedRangeSnapshot, forBackspacing, weakDocument](VornickContentEditingView& view) {
                auto document = weakDocument.lock();
                auto ancestor = document ? path.positionRelativeToNewAncestor(document).node : nullptr;
                auto range = ancestor ? deletedRangeSnapshot->thawRangeRelativeToNewAncestor(ancestor) : nullptr;
                if (range)
                    (void)view.deleteFragmentInRange(range, true, std::nullopt, forBackspacing);
            });
            if (auto undo = undoManager())
                undo->setActionName(u"Delete selection");
        }
    }
    postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
}

} // namespace brevanton
