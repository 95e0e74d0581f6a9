// Moving list items past a neighbour: the item before (or after) each run
// of selected items is deleted and inserted after (or before) the run, so
// the selected items themselves stay where they are in the DOM and the
// selection keeps its positions. Every run is checked the same way by the
// validators, which answer true only when some run has an item to pass.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickListCommandSupport.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

namespace {

enum class Direction { Up, Down };

// The item the run moves past, when it has one.
std::shared_ptr<DOMElement> neighbourToPass(const VornickElementRun& run, Direction direction)
{
    auto neighbour = direction == Direction::Up ? run.front()->previousElementSibling() : run.back()->nextElementSibling();
    return VornickIsListItemElement(neighbour.get()) ? neighbour : nullptr;
}

bool anyRunCanMove(const VornickContentEditingView& view, Direction direction)
{
    if (!view.isEditable())
        return false;
    for (const auto& run : VornickListCommandTargetRuns(view, { u"LI" })) {
        if (neighbourToPass(run, direction))
            return true;
    }
    return false;
}

void moveListItems(VornickContentEditingView& view, Direction direction)
{
    if (!view.isEditable())
        return;
    view.endTypingRun();
    view.endBackspaceRun();
    auto selection = view.effectiveOperationRange();
    if (!selection)
        return;
    // A live copy: it follows the deletions and insertions around the items.
    auto kept = selection->cloneRange();
    const std::u16string name = direction == Direction::Up ? u"Move list item(s) up" : u"Move list item(s) down";
    const auto* helper = view.blockModeHelper().get();
    VornickCommandStepName stepName(view.editingContext(), true, name);
    bool moved = false;
    for (const auto& run : VornickListCommandTargetRuns(view, { u"LI" })) {
        if (!run.front()->isConnected())
            continue;
        auto neighbour = neighbourToPass(run, direction);
        if (!neighbour)
            continue;
        stepName.open();
        moved = true;
        auto deleted = view.deleteFragmentInRange(VornickOuterRangeWithBlockComments(helper, *neighbour), true, name, false);
        if (!deleted || !deleted->hasChildNodes())
            continue;
        auto runRange = VornickRangeOfRun(helper, run);
        if (!runRange)
            continue;
        auto place = direction == Direction::Up ? vornick_endPosition(*runRange) : vornick_startPosition(*runRange);
        (void)view.insertFragmentAtPosition(deleted, place, true, name);
    }
    // Nothing moved: no step, not even one of the selection.
    if (!moved)
        return;
    if (kept->startContainer() && kept->startContainer()->isConnected())
        view.setTargetRangeUndoably(kept);
    stepName.close();
}

} // namespace

void VornickContentEditingView::moveListItemsUp(ActionSender*)
{
    moveListItems(*this, Direction::Up);
}

void VornickContentEditingView::moveListItemsDown(ActionSender*)
{
    moveListItems(*this, Direction::Down);
}

bool VornickContentEditingView::canMoveListItemsUp() const
{
    return anyRunCanMove(*this, Direction::Up);
}

bool VornickContentEditingView::canMoveListItemsDown() const
{
    return anyRunCanMove(*this, Direction::Down);
}

} // namespace brevanton
