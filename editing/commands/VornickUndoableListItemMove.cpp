#include "editing/commands/VornickUndoableListItemMove.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickListCommandSupport.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentDeletion.h"
#include "editing/commands/VornickUndoableFragmentInsertion.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

namespace {

using Direction = VornickUndoableListItemMove::Direction;

// The item the run moves past, when it has one.
std::shared_ptr<DOMElement> neighbourToPass(const VornickElementRun& run, Direction direction)
{
    auto neighbour = direction == Direction::Up ? run.front()->previousElementSibling() : run.back()->nextElementSibling();
    return VornickIsListItemElement(neighbour.get()) ? neighbour : nullptr;
}

} // namespace

VornickUndoableListItemMove::VornickUndoableListItemMove(VornickEditingContext& context, Direction direction)
    : VornickUndoableEdit(context, true)
    , m_direction(direction)
{
}

bool VornickUndoableListItemMove::canApply() const
{
    if (!context().isEditable())
        return false;
    for (const auto& run : VornickListCommandTargetRuns(context(), { u"LI" })) {
        if (neighbourToPass(run, m_direction))
            return true;
    }
    return false;
}

bool VornickUndoableListItemMove::apply()
{
    if (!context().isEditable())
        return false;
    const std::u16string name = m_direction == Direction::Up ? u"Move list item(s) up" : u"Move list item(s) down";
    begin(name);
    auto selection = context().effectiveOperationRange();
    if (!selection)
        return false;
    // A live copy: it follows the deletions and insertions around the items.
    auto kept = selection->cloneRange();
    const auto* helper = context().blockModeHelper();
    VornickCommandStepName stepName(context(), true, name);
    bool moved = false;
    for (const auto& run : VornickListCommandTargetRuns(context(), { u"LI" })) {
        if (!run.front()->isConnected())
            continue;
        auto neighbour = neighbourToPass(run, m_direction);
        if (!neighbour)
            continue;
        stepName.open();
        moved = true;
        std::shared_ptr<DOMDocumentFragment> deleted;
        (void)VornickUndoableFragmentDeletion(context(), true, VornickOuterRangeWithBlockComments(helper, *neighbour), name).apply(&deleted);
        if (!deleted || !deleted->hasChildNodes())
            continue;
        auto runRange = VornickRangeOfRun(helper, run);
        if (!runRange)
            continue;
        auto place = m_direction == Direction::Up ? vornick_endPosition(*runRange) : vornick_startPosition(*runRange);
        (void)VornickUndoableFragmentInsertion(context(), true, deleted, place, name).apply();
    }
    // Nothing moved: no step, not even one of the selection.
    if (!moved)
        return false;
    if (kept->startContainer() && kept->startContainer()->isConnected())
        context().setTargetRangeUndoably(kept);
    stepName.close();
    return true;
}

} // namespace brevanton
