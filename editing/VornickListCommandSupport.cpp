#include "editing/VornickListCommandSupport.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

bool hasTag(const DOMNode* node, std::u16string_view tag)
{
    auto element = dynamicDowncast<DOMElement>(node);
    return element && equalsIgnoringASCIICase(element->tagName(), tag);
}

} // namespace

bool VornickIsListElement(const DOMNode* node)
{
    return hasTag(node, u"ul") || hasTag(node, u"ol");
}

bool VornickIsListItemElement(const DOMNode* node)
{
    return hasTag(node, u"li");
}

std::vector<VornickElementRun> VornickListCommandTargetRuns(const VornickEditingContext& context, const std::vector<std::u16string>& kinds)
{
    auto selection = context.effectiveOperationRange();
    if (!selection || !selection->startContainer())
        return {};
    auto runs = VornickGroupElementsIntoSiblingRuns(vornick_inferredTargetElementsOfKinds(*selection, kinds));
    for (const auto& run : runs)
        BREVANTON_ASSERT(!run.empty(), "Empty element run");
    return runs;
}

std::shared_ptr<DOMRange> VornickOuterRangeWithBlockComments(const VornickBlockModeHelper* helper, const DOMElement& element)
{
    if (helper)
        return helper->outerRangeOfElementIncludingBlockStartAndEndComments(element);
    return vornick_outerRange(element);
}

std::shared_ptr<DOMRange> VornickRangeOfRun(const VornickBlockModeHelper* helper, const VornickElementRun& run)
{
    if (run.empty())
        return nullptr;
    auto first = VornickOuterRangeWithBlockComments(helper, *run.front());
    auto last = VornickOuterRangeWithBlockComments(helper, *run.back());
    if (!first || !last)
        return nullptr;
    first->setEnd(last->endContainer(), last->endOffset());
    return first;
}

// --- Copies of a run's items

VornickRunItemCopies::VornickRunItemCopies(const DOMDocumentFragment& fragment)
{
    for (DOMNode* child = fragment.first(); child; child = child->next()) {
        if (child->isElementNode())
            m_elements.push_back(downcast<DOMElement>(child->shared_from_this()));
    }
    for (const auto& element : m_elements)
        m_firstChildren.push_back(element->firstChild());
}

VornickRunItemCopies::VornickRunItemCopies(std::vector<std::shared_ptr<DOMElement>> elements)
    : m_elements(std::move(elements))
{
    for (const auto& element : m_elements)
        m_firstChildren.push_back(element->firstChild());
}

std::vector<std::shared_ptr<DOMElement>> VornickRunItemCopies::current() const
{
    std::vector<std::shared_ptr<DOMElement>> copies;
    for (size_t index = 0; index < m_elements.size(); ++index) {
        const auto& element = m_elements[index];
        if (element->parentNode()) {
            copies.push_back(element);
            continue;
        }
        // Replaced: its children went into the replacement.
        const auto& firstChild = m_firstChildren[index];
        auto parent = firstChild ? firstChild->parentNode() : nullptr;
        copies.push_back(parent && parent != element ? dynamicDowncast<DOMElement>(parent) : nullptr);
    }
    return copies;
}

std::shared_ptr<DOMElement> VornickRunItemCopies::last() const
{
    auto copies = current();
    return copies.empty() ? nullptr : copies.back();
}

// --- The selection across the change

VornickListSelectionKeeper::VornickListSelectionKeeper(const std::shared_ptr<DOMRange>& selection)
{
    if (!selection)
        return;
    m_range = selection->cloneRange();
    m_collapsed = selection->collapsed();
}

std::optional<VornickListSelectionKeeper::RecordedEnd> VornickListSelectionKeeper::record(const VornickDOMPosition& position,
                                                                                          const VornickElementRun& run) const
{
    if (!position.node || run.empty())
        return std::nullopt;
    for (size_t index = 0; index < run.size(); ++index) {
        if (!run[index]->isInclusiveAncestorOf(position.node.get()))
            continue;
        auto path = VornickRelativeDOMPath::pathToPosition(position, run[index].get(), false);
        if (!path)
            return std::nullopt;
        return RecordedEnd { index, std::move(path), false };
    }
    // A gap of the list between the run's items (or at either end of the run).
    auto list = run.front()->parentNode();
    if (position.node != list)
        return std::nullopt;
    auto offset = static_cast<unsigned>(position.offset);
    if (offset < run.front()->index() || offset > run.back()->index() + 1)
        return std::nullopt;
    for (size_t index = 0; index < run.size(); ++index) {
        if (offset <= run[index]->index())
            return RecordedEnd { index, std::nullopt, false };
    }
    return RecordedEnd { run.size() - 1, std::nullopt, true };
}

void VornickListSelectionKeeper::recordAgainstRun(const VornickElementRun& run)
{
    m_start.reset();
    m_end.reset();
    if (!m_range)
        return;
    m_start = record(vornick_startPosition(*m_range), run);
    if (!m_collapsed)
        m_end = record(vornick_endPosition(*m_range), run);
}

VornickDOMPosition VornickListSelectionKeeper::resolve(const RecordedEnd& end, const std::vector<std::shared_ptr<DOMElement>>& copies)
{
    if (end.item >= copies.size() || !copies[end.item] || !copies[end.item]->isConnected())
        return {};
    const auto& copy = copies[end.item];
    if (end.path)
        return end.path->positionRelativeToNewAncestor(copy);
    auto parent = copy->parentNode();
    if (!parent)
        return {};
    return VornickMakeDOMPosition(parent, static_cast<int32_t>(copy->index() + (end.afterItem ? 1 : 0)));
}

void VornickListSelectionKeeper::resolveAgainstCopies(const std::vector<std::shared_ptr<DOMElement>>& copies)
{
    if (!m_range)
        return;
    auto start = m_start ? resolve(*m_start, copies) : VornickDOMPosition();
    auto end = m_end ? resolve(*m_end, copies) : VornickDOMPosition();
    // An end that cannot be found again goes to the start of the first copy.
    if ((m_start && !start.node) || (m_end && !end.node)) {
        for (const auto& copy : copies) {
            if (copy && copy->isConnected()) {
                auto fallback = VornickMakeDOMPosition(copy, 0);
                if (m_start && !start.node)
                    start = fallback;
                if (m_end && !end.node)
                    end = fallback;
                break;
            }
        }
    }
    if (m_collapsed) {
        if (start.node)
            vornick_setAsCollapsedRangeWithPosition(*m_range, start);
    } else {
        if (start.node)
            vornick_setStartPosition(*m_range, start);
        if (end.node)
            vornick_setEndPosition(*m_range, end);
    }
    m_start.reset();
    m_end.reset();
}

std::shared_ptr<DOMRange> VornickListSelectionKeeper::range() const
{
    return m_range;
}

} // namespace brevanton
