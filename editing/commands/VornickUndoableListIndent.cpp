#include "editing/commands/VornickUndoableListIndent.h"

#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickListCommandSupport.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

const std::u16string IndentActionName = u"Indent list items";

enum class IndentMove {
    Leave,
    // The nested list before the run and the list after it become one.
    MergeNestedLists,
    // Appended to the nested list before the run.
    AppendToNestedList,
    // Paragraphs put at the start of the list that follows them.
    PrependToFollowingList,
    // A new nested list at the end of the item before the run.
    NestInPreviousItem,
    // Paragraphs outside any list become a list in their place.
    ReplaceWithNewList,
};

struct IndentPlan {
    IndentMove move { IndentMove::Leave };
    std::shared_ptr<DOMElement> list;          // the run's parent
    std::shared_ptr<DOMElement> nestedList;    // the list to indent into
    std::shared_ptr<DOMElement> followingList; // the list right after the run
    std::shared_ptr<DOMElement> previousItem;  // the item right before the run
};

// What indenting the run would do; none when the run cannot be indented at all.
std::optional<IndentPlan> planIndent(const VornickElementRun& run, bool paragraphs)
{
    IndentPlan plan;
    plan.list = run.front()->parentElement();
    if (!plan.list || !plan.list->parentNode())
        return std::nullopt;
    auto previous = run.front()->previousElementSibling();
    if (VornickIsListElement(previous.get())) {
        plan.nestedList = previous;
    } else if (VornickIsListItemElement(previous.get())) {
        plan.previousItem = previous;
        if (auto last = previous->lastElementChild(); VornickIsListElement(last.get()))
            plan.nestedList = last;
    }
    if (auto next = run.back()->nextElementSibling(); VornickIsListElement(next.get()))
        plan.followingList = next;

    bool inList = VornickIsListElement(plan.list.get());
    if (plan.followingList) {
        if (plan.nestedList && equalsIgnoringASCIICase(plan.nestedList->tagName(), plan.followingList->tagName())
            && plan.nestedList->parentNode() == plan.followingList->parentNode())
            plan.move = IndentMove::MergeNestedLists;
        else if (plan.nestedList)
            plan.move = IndentMove::AppendToNestedList;
        else if (paragraphs)
            plan.move = IndentMove::PrependToFollowingList;
        else if (plan.previousItem)
            plan.move = IndentMove::NestInPreviousItem;
    } else if (plan.nestedList) {
        plan.move = IndentMove::AppendToNestedList;
    } else if (!inList) {
        plan.move = IndentMove::ReplaceWithNewList;
    } else if (plan.previousItem) {
        plan.move = IndentMove::NestInPreviousItem;
    }
    return plan;
}

// A new nested list takes the kind of the list it is nested in.
std::u16string newListKind(const DOMElement& list)
{
    return equalsIgnoringASCIICase(list.tagName(), u"ol") ? u"ol" : u"ul";
}

// Whether the selection lies in one text node that paragraph auto-wrap would wrap.
bool autoWrapWouldMakeParagraph(const VornickEditingContext& context, const DOMRange& selection)
{
    if (!context.automaticallyAddsParagraphs() || !context.blockModeHelper())
        return false;
    if (selection.startContainer() != selection.endContainer() || !selection.startContainer()->isTextNode())
        return false;
    return context.shouldAddParagraphWrapperForInsertionInRange(selection);
}

// Items moved into a list whose items are blocks of their own (each "li"
// fenced by block comments) are fenced the same way, so that the list stays
// a sound block.
void fenceItemsAsTheListDoes(const VornickBlockModeHelper* helper, const DOMElement& list, DOMDocumentFragment& items)
{
    if (!helper || !helper->operatingInBlockMode())
        return;
    std::optional<std::u16string> itemType;
    for (DOMNode* child = list.first(); child && !itemType; child = child->next()) {
        if (VornickIsListItemElement(child))
            itemType = helper->blockOrElement(downcast<DOMElement>(child->shared_from_this())).blockType();
    }
    auto document = list.ownerDocument();
    if (!itemType || !document)
        return;
    std::vector<std::shared_ptr<DOMElement>> unfenced;
    for (DOMNode* child = items.first(); child; child = child->next()) {
        if (VornickIsListItemElement(child) && !helper->blockStartCommentBeforeNode(*child))
            unfenced.push_back(downcast<DOMElement>(child->shared_from_this()));
    }
    for (const auto& item : unfenced) {
        (void)items.insertBefore(document->createComment(u" " + *itemType + u" "), item.get());
        (void)items.insertBefore(document->createComment(u" /" + *itemType + u" "), item->nextSibling().get());
    }
}

} // namespace

VornickUndoableListIndent::VornickUndoableListIndent(VornickEditingContext& context)
    : VornickUndoableEdit(context, true)
{
}

bool VornickUndoableListIndent::canApply()
{
    return perform(true);
}

bool VornickUndoableListIndent::apply()
{
    return perform(false);
}

bool VornickUndoableListIndent::perform(bool preflightOnly)
{
    if (!context().isEditable())
        return false;
    if (!preflightOnly)
        begin(IndentActionName);
    auto selection = context().effectiveOperationRange();
    if (!selection)
        return false;
    VornickCommandStepName stepName(context(), true, IndentActionName);

    bool paragraphs = false;
    // Whether the document changed (the paragraph made around loose text is a change already).
    bool changed = false;
    auto runs = VornickListCommandTargetRuns(context(), { u"LI" });
    if (runs.empty()) {
        paragraphs = true;
        runs = VornickListCommandTargetRuns(context(), { u"P" });
    }
    if (runs.empty()) {
        if (!autoWrapWouldMakeParagraph(context(), *selection))
            return false;
        if (preflightOnly)
            return true;
        stepName.open();
        changed = true;
        context().autoWrapSelectedRangeEnvironsInParagraphIfAppropriate();
        runs = VornickListCommandTargetRuns(context(), { u"P" });
        if (runs.empty()) {
            stepName.close();
            return false;
        }
    }

    if (preflightOnly) {
        for (const auto& run : runs) {
            auto plan = planIndent(run, paragraphs);
            if (!plan)
                return false;
            if (plan->move != IndentMove::Leave)
                return true;
        }
        return false;
    }

    const auto* helper = context().blockModeHelper();
    VornickListSelectionKeeper keptSelection(context().effectiveOperationRange());
    auto replace = [this](const std::shared_ptr<DOMRange>& range, const std::shared_ptr<DOMDocumentFragment>& fragment) {
        return range && fragment && VornickUndoableFragmentReplacement(context(), true, range, fragment, IndentActionName).apply();
    };
    auto insertAt = [&](const std::shared_ptr<DOMNode>& container, unsigned offset, const std::shared_ptr<DOMDocumentFragment>& fragment) {
        return replace(VornickDOMRangeCollapsedAtPosition(VornickMakeDOMPosition(container, static_cast<int32_t>(offset))), fragment);
    };
    auto deleteRun = [&](const VornickElementRun& run) {
        auto range = VornickRangeOfRun(helper, run);
        return range && replace(range, range->startContainer()->ownerDocument()->createDocumentFragment());
    };

    bool result = true;
    for (const auto& run : runs) {
        // An earlier run's change may have taken this one's items along.
        if (!run.front()->isConnected() || !run.back()->isConnected())
            continue;
        auto plan = planIndent(run, paragraphs);
        if (!plan) {
            result = false;
            break;
        }
        if (plan->move == IndentMove::Leave)
            continue;
        auto document = plan->list->ownerDocument();
        auto runRange = VornickRangeOfRun(helper, run);
        if (!document || !runRange)
            continue;
        auto items = runRange->cloneContents();
        if (!items)
            continue;
        VornickRunItemCopies copies(*items);
        if (paragraphs && helper)
            helper->transformChildElementsInFragment(*items, u"p", u"li", true);
        keptSelection.recordAgainstRun(run);
        stepName.open();
        changed = true;

        if (plan->move == IndentMove::MergeNestedLists || plan->move == IndentMove::AppendToNestedList)
            fenceItemsAsTheListDoes(helper, *plan->nestedList, *items);
        else if (plan->move == IndentMove::PrependToFollowingList)
            fenceItemsAsTheListDoes(helper, *plan->followingList, *items);

        switch (plan->move) {
        case IndentMove::Leave:
            break;
        case IndentMove::MergeNestedLists: {
            auto nestedRange = VornickOuterRangeWithBlockComments(helper, *plan->nestedList);
            auto followingRange = VornickOuterRangeWithBlockComments(helper, *plan->followingList);
            if (!nestedRange || !followingRange)
                break;
            auto merged = nestedRange->cloneContents();
            std::shared_ptr<DOMElement> mergedList;
            for (DOMNode* child = merged->first(); child && !mergedList; child = child->next()) {
                if (auto element = dynamicDowncast<DOMElement>(child); element && equalsIgnoringASCIICase(element->tagName(), plan->nestedList->tagName()))
                    mergedList = downcast<DOMElement>(child->shared_from_this());
            }
            if (!mergedList)
                break;
            (void)mergedList->appendChild(items);
            (void)mergedList->appendChild(vornick_innerRange(plan->followingList)->cloneContents());
            auto span = nestedRange->cloneRange();
            span->setEnd(followingRange->endContainer(), followingRange->endOffset());
            (void)replace(span, merged);
            break;
        }
        case IndentMove::AppendToNestedList:
            if (insertAt(plan->nestedList, plan->nestedList->childCount(), items))
                (void)deleteRun(run);
            break;
        case IndentMove::PrependToFollowingList:
            if (insertAt(plan->followingList, 0, items))
                (void)deleteRun(run);
            break;
        case IndentMove::NestInPreviousItem: {
            auto wrapped = helper ? helper->wrapFragment(*items, newListKind(*plan->list), nullptr) : nullptr;
            if (wrapped && insertAt(plan->previousItem, plan->previousItem->childCount(), wrapped))
                (void)deleteRun(run);
            break;
        }
        case IndentMove::ReplaceWithNewList: {
            auto wrapped = helper ? helper->wrapFragment(*items, u"ul", nullptr) : nullptr;
            (void)replace(runRange, wrapped);
            break;
        }
        }
        keptSelection.resolveAgainstCopies(copies.current());
    }

    if (!changed)
        return result;
    if (auto kept = keptSelection.range(); kept && kept->startContainer() && kept->startContainer()->isConnected())
        context().setTargetRangeUndoably(kept);
    stepName.close();
    return result;
}

} // namespace brevanton
