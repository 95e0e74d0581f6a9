#include "editing/commands/VornickUndoableFragmentInsertion.h"

#include "dom/VornickFragmentExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableChildSpanExchange.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"

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
    auto before = downcast<DOMCharacterData>(container.childAt(gap - 1)->shared_from_this());
    auto after = downcast<DOMCharacterData>(container.childAt(gap)->shared_from_this());
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

VornickUndoableFragmentInsertion::VornickUndoableFragmentInsertion(VornickEditingContext& context, bool undoable,
                                                                   std::shared_ptr<DOMDocumentFragment> fragment, VornickDOMPosition position,
                                                                   const std::optional<std::u16string>& actionNameOverride)
    : VornickUndoableEdit(context, undoable, actionNameOverride)
    , m_fragment(std::move(fragment))
    , m_position(std::move(position))
{
}

bool VornickUndoableFragmentInsertion::apply()
{
    const auto& fragmentToInsert = m_fragment;
    BREVANTON_ASSERT(fragmentToInsert, "Invalid parameter not satisfying: fragmentToInsert");
    auto position = m_position;
    if (!position.node) {
        auto effective = context().effectiveOperationRange();
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

    begin(u"Insert");
    std::shared_ptr<DOMElement> targetElement;
    vornick_modifyFragmentForInsertionAt(*fragmentToInsert, position, targetElement);
    auto document = position.node->ownerDocument();
    if (!fragmentToInsert->hasChildNodes()) {
        finish(VornickDOMRangeCollapsedAtPosition(position));
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
    if (undoable()) {
        registerSelectionUndo();
        formerChildren = document->createDocumentFragment();
        for (unsigned index = spanStart; index < spanEnd; ++index)
            formerChildren->appendChild(container->childAt(index)->cloneNode(true));
    }

    auto range = VornickDOMRangeCollapsedAtPosition(position);
    vornick_insertNodeAndSurroundWhatWasInserted(*range, fragmentToInsert);
    vornick_pullRangeEndpointsIn(*range);
    mergeTextAtSeams(*range);

    if (undoable()) {
        unsigned newSpanEnd = container->childCount() - childrenAfterSpan;
        if (auto span = VornickFreezeChildSpan(container, spanStart, newSpanEnd, document)) {
            std::weak_ptr<DOMDocument> weakDocument = document;
            registerInverse([formerChildren, span = std::move(*span), weakDocument, substitute](VornickEditingContext& context) {
                if (auto document = weakDocument.lock())
                    (void)VornickUndoableChildSpanExchange(context, formerChildren, span, document, substitute, std::nullopt).apply();
            });
        }
        setActionName();
    }

    // Bricks: the inserted elements take the look the section handles ask for.
    auto* blockModeHelper = context().blockModeHelper();
    bool sectionHandlesShown = context().sectionHandlesShown();
    auto applyBricks = [blockModeHelper, sectionHandlesShown](DOMNode& node) {
        if (!blockModeHelper)
            return;
        if (sectionHandlesShown)
            blockModeHelper->recursiveAddBrickTags(node);
        else
            blockModeHelper->recursiveRemoveBrickTags(node);
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
    if (!(inOneElement && !sectionHandlesShown))
        context().redisplayWebViewOnNextTurn();

    finish(range, true);
    return true;
}

} // namespace brevanton
