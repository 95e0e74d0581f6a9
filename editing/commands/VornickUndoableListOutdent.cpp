#include "editing/commands/VornickUndoableListOutdent.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickListCommandSupport.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableChildSpanExchange.h"
#include "editing/commands/VornickUndoableFragmentDeletion.h"
#include "editing/commands/VornickUndoableFragmentInsertion.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

const std::u16string OutdentStepName = u"Outdent list items";
const std::u16string OutdentActionName = u"Outdent list level";

std::shared_ptr<DOMElement> outermostListAround(const DOMElement& item)
{
    std::shared_ptr<DOMElement> outermost;
    for (auto ancestor = item.parentElement(); ancestor; ancestor = ancestor->parentElement()) {
        if (VornickIsListElement(ancestor.get()))
            outermost = ancestor;
    }
    return outermost;
}

VornickDOMPosition startOf(const std::shared_ptr<DOMRange>& range)
{
    return range ? vornick_startPosition(*range) : VornickDOMPosition();
}

VornickDOMPosition endOf(const std::shared_ptr<DOMRange>& range)
{
    return range ? vornick_endPosition(*range) : VornickDOMPosition();
}

// The children of one container that a run's outdent may change, and the
// copy of them taken before: the outermost list with its block comments,
// widened over a text node on either side (inserted text may merge into it).
// Only the number of children after the span is kept: the span's end moves
// with whatever the change inserts before it.
class OutdentSpan {
public:
    OutdentSpan(const VornickBlockModeHelper* helper, const DOMElement& outermostList)
    {
        auto range = VornickOuterRangeWithBlockComments(helper, outermostList);
        if (!range || range->startContainer() != range->endContainer())
            return;
        m_container = range->startContainer();
        m_document = m_container->ownerDocument();
        if (!m_document)
            return;
        unsigned start = range->startOffset();
        unsigned end = range->endOffset();
        if (start > 0 && m_container->childAt(start - 1)->isTextNode())
            --start;
        if (end < m_container->childCount() && m_container->childAt(end)->isTextNode())
            ++end;
        m_start = start;
        m_childrenAfter = m_container->childCount() - end;
        m_copy = m_document->createDocumentFragment();
        for (unsigned index = start; index < end; ++index)
            m_copy->appendChild(m_container->childAt(index)->cloneNode(true));
        m_substitute = VornickSubstituteInForce(*m_container);
    }

    bool valid() const { return static_cast<bool>(m_copy); }

    // Registers the exchange of the span as it stands now for the copy.
    void registerRestore(VornickUndoableEdit& edit) const
    {
        if (!m_copy || !m_container->isConnected() || m_container->childCount() < m_start + m_childrenAfter)
            return;
        auto span = VornickFreezeChildSpan(m_container, m_start, m_container->childCount() - m_childrenAfter, m_document);
        if (!span)
            return;
        std::weak_ptr<DOMDocument> weakDocument = m_document;
        edit.registerInverse([copy = m_copy, span = std::move(*span), weakDocument, substitute = m_substitute](VornickEditingContext& context) {
            if (auto document = weakDocument.lock())
                (void)VornickUndoableChildSpanExchange(context, VornickCloneFragment(*copy), span, document, substitute, std::nullopt).apply();
        });
    }

private:
    std::shared_ptr<DOMNode> m_container;
    std::shared_ptr<DOMDocument> m_document;
    std::shared_ptr<DOMDocumentFragment> m_copy;
    unsigned m_start { 0 };
    unsigned m_childrenAfter { 0 };
    char16_t m_substitute { 0 };
};

// The runs of items of a list among the selected items.
std::vector<VornickElementRun> runsToOutdent(const VornickEditingContext& context)
{
    if (!context.isEditable())
        return {};
    auto runs = VornickListCommandTargetRuns(context, { u"LI" });
    // Only items of a list can leave it.
    std::erase_if(runs, [](const VornickElementRun& run) { return !VornickIsListElement(run.front()->parentNode().get()); });
    return runs;
}

} // namespace

VornickUndoableListOutdent::VornickUndoableListOutdent(VornickEditingContext& context)
    : VornickUndoableEdit(context, true)
{
}

bool VornickUndoableListOutdent::canApply() const
{
    return !runsToOutdent(context()).empty();
}

bool VornickUndoableListOutdent::apply()
{
    auto runs = runsToOutdent(context());
    if (runs.empty())
        return false;

    begin(OutdentActionName);
    registerSelectionUndo();
    VornickCommandStepName stepName(context(), true, OutdentActionName);
    stepName.open();
    const auto* helper = context().blockModeHelper();
    VornickListSelectionKeeper keptSelection(context().effectiveOperationRange());
    const std::optional<std::u16string> name = OutdentStepName;

    auto insertAt = [&](const VornickDOMPosition& position, const std::shared_ptr<DOMDocumentFragment>& fragment) {
        return position.node && fragment && VornickUndoableFragmentInsertion(context(), false, fragment, position, name).apply();
    };
    auto remove = [&](const std::shared_ptr<DOMRange>& range) {
        if (range)
            (void)VornickUndoableFragmentDeletion(context(), false, range, name).apply();
    };
    // Paragraphs made of items, with block comments unless they land inside a block.
    auto itemsToParagraphs = [&](DOMDocumentFragment& fragment, const std::shared_ptr<DOMNode>& destination) {
        if (!helper)
            return;
        auto limit = destination ? VornickAttachmentPointElementForNode(*destination) : nullptr;
        bool inBlock = destination && helper->blockEnclosingNode(destination, {}, true, false, limit.get()).has_value();
        helper->transformChildElementsInFragment(fragment, u"li", u"p", inBlock);
    };

    for (const auto& run : runs) {
        const auto& first = run.front();
        const auto& last = run.back();
        if (!first->isConnected() || !last->isConnected())
            continue;
        auto list = first->parentElement();
        auto outermost = list ? outermostListAround(*first) : nullptr;
        if (!outermost)
            continue;
        auto document = list->ownerDocument();
        auto outer = list->parentElement();
        bool outerIsItem = VornickIsListItemElement(outer.get());
        OutdentSpan span(helper, *outermost);
        if (!document || !span.valid())
            continue;
        keptSelection.recordAgainstRun(run);

        std::optional<VornickRunItemCopies> copies;
        bool wholeList = !first->previousElementSibling() && !last->nextElementSibling();
        if (wholeList) {
            auto items = vornick_innerRange(list)->cloneContents();
            copies.emplace(*items);
            if (!outerIsItem) {
                for (const auto& item : copies->current()) {
                    while (vornick_hoistListOutOfListItem(*item)) { }
                }
                itemsToParagraphs(*items, outer);
                (void)VornickUndoableFragmentReplacement(context(), false, VornickOuterRangeWithBlockComments(helper, *list), items, name).apply();
            } else if (insertAt(endOf(VornickOuterRangeWithBlockComments(helper, *outer)), items)) {
                remove(VornickOuterRangeWithBlockComments(helper, *list));
            }
        } else {
            auto runRange = VornickRangeOfRun(helper, run);
            auto items = runRange ? runRange->cloneContents() : nullptr;
            if (!items)
                continue;
            copies.emplace(*items);
            if (!outerIsItem)
                itemsToParagraphs(*items, outer);
            bool startsList = !first->previousElementSibling();
            bool endsList = !last->nextElementSibling();
            if (startsList) {
                if (!outerIsItem) {
                    if (insertAt(startOf(VornickOuterRangeWithBlockComments(helper, *outermost)), items))
                        remove(VornickRangeOfRun(helper, run));
                } else if (insertAt(endOf(VornickOuterRangeWithBlockComments(helper, *outer)), items)) {
                    remove(VornickRangeOfRun(helper, run));
                    // The rest of the list nests under the last outdented item.
                    std::shared_ptr<DOMDocumentFragment> remainder;
                    (void)VornickUndoableFragmentDeletion(context(), false, VornickOuterRangeWithBlockComments(helper, *list), name).apply(&remainder);
                    auto lastCopy = copies->last();
                    if (remainder && remainder->hasChildNodes() && VornickIsListItemElement(lastCopy.get()) && lastCopy->isConnected())
                        (void)insertAt(VornickMakeDOMPosition(lastCopy, static_cast<int32_t>(lastCopy->childCount())), remainder);
                }
            } else if (endsList) {
                auto after = outerIsItem ? VornickOuterRangeWithBlockComments(helper, *outer) : VornickOuterRangeWithBlockComments(helper, *list);
                if (insertAt(endOf(after), items))
                    remove(VornickRangeOfRun(helper, run));
            } else {
                // The items after the run go into a list of their own, of the
                // run's list's kind and attributes (but not its id, which
                // stays unique to the first part).
                auto tailRange = VornickOuterRangeWithBlockComments(helper, *last);
                auto listInside = vornick_innerRange(list);
                tailRange->setStart(tailRange->endContainer(), tailRange->endOffset());
                tailRange->setEnd(listInside->endContainer(), listInside->endOffset());
                auto tailItems = tailRange->cloneContents();
                std::shared_ptr<DOMDocumentFragment> tail;
                if (helper)
                    tail = helper->wrapFragment(*tailItems, asciiLowercase(list->tagName()), list.get());
                if (tail) {
                    for (DOMNode* child = tail->first(); child; child = child->next()) {
                        if (auto element = dynamicDowncast<DOMElement>(child))
                            element->removeAttribute(u"id");
                    }
                }
                if (outerIsItem) {
                    if (insertAt(endOf(VornickOuterRangeWithBlockComments(helper, *outer)), items)) {
                        auto runToEnd = VornickRangeOfRun(helper, run);
                        runToEnd->setEnd(listInside->endContainer(), listInside->endOffset());
                        remove(runToEnd);
                        auto lastCopy = copies->last();
                        if (tail && VornickIsListItemElement(lastCopy.get()) && lastCopy->isConnected())
                            (void)insertAt(VornickMakeDOMPosition(lastCopy, static_cast<int32_t>(lastCopy->childCount())), tail);
                    }
                } else {
                    // The tail first, so that the items then go in before it.
                    auto afterList = endOf(VornickOuterRangeWithBlockComments(helper, *list));
                    if (tail)
                        (void)insertAt(afterList, tail);
                    if (insertAt(endOf(VornickOuterRangeWithBlockComments(helper, *list)), items)) {
                        auto runToEnd = VornickRangeOfRun(helper, run);
                        runToEnd->setEnd(listInside->endContainer(), listInside->endOffset());
                        remove(runToEnd);
                    }
                }
            }
        }
        span.registerRestore(*this);
        keptSelection.resolveAgainstCopies(copies ? copies->current() : std::vector<std::shared_ptr<DOMElement>>());
    }

    if (auto kept = keptSelection.range(); kept && kept->startContainer() && kept->startContainer()->isConnected())
        context().setTargetRangeUndoably(kept);
    stepName.close();
    return true;
}

} // namespace brevanton
