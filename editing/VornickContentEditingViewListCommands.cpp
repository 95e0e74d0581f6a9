// The list commands of the editing view and their validators. Indent,
// outdent and moving items are commands of their own
// (editing/commands/VornickUndoableList*); toggling the list type is a
// transform of each selected list.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickListCommandSupport.h"
#include "editing/commands/VornickUndoableListIndent.h"
#include "editing/commands/VornickUndoableListItemMove.h"
#include "editing/commands/VornickUndoableListOutdent.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

std::vector<std::shared_ptr<DOMElement>> selectedLists(const VornickContentEditingView& view)
{
    auto selection = view.effectiveOperationRange();
    if (!selection || !selection->startContainer())
        return {};
    return vornick_inferredTargetElementsOfKinds(*selection, { u"UL", u"OL" });
}

} // namespace

void VornickContentEditingView::indentListLevel(ActionSender* sender)
{
    (void)undoableIndentListLevel(sender, false);
}

bool VornickContentEditingView::canIndentListLevel()
{
    return undoableIndentListLevel(nullptr, true);
}

void VornickContentEditingView::outdentListLevel(ActionSender* sender)
{
    (void)undoableOutdentListLevel(sender, false);
}

bool VornickContentEditingView::canOutdentListLevel()
{
    return undoableOutdentListLevel(nullptr, true);
}

void VornickContentEditingView::toggleListType(ActionSender*)
{
    if (!isEditable())
        return;
    auto lists = selectedLists(*this);
    if (lists.empty())
        return;
    VornickCommandStepName stepName(editingContext(), true, u"Toggle list type");
    stepName.open();
    for (const auto& list : lists) {
        if (!VornickIsListElement(list.get()))
            break;
        if (!list->isConnected())
            continue;
        bool ordered = equalsIgnoringASCIICase(list->tagName(), u"ol");
        (void)undoableTransformElement(true, list, ordered ? u"ul" : u"ol");
    }
    stepName.close();
}

bool VornickContentEditingView::canToggleListType() const
{
    return isEditable() && !selectedLists(*this).empty();
}

bool VornickContentEditingView::undoableIndentListLevel(ActionSender*, bool preflightOnly)
{
    VornickUndoableListIndent indent(editingContext());
    return preflightOnly ? indent.canApply() : indent.apply();
}

bool VornickContentEditingView::undoableOutdentListLevel(ActionSender*, bool preflightOnly)
{
    VornickUndoableListOutdent outdent(editingContext());
    return preflightOnly ? outdent.canApply() : outdent.apply();
}

void VornickContentEditingView::moveListItemsUp(ActionSender*)
{
    (void)VornickUndoableListItemMove(editingContext(), VornickUndoableListItemMove::Direction::Up).apply();
}

void VornickContentEditingView::moveListItemsDown(ActionSender*)
{
    (void)VornickUndoableListItemMove(editingContext(), VornickUndoableListItemMove::Direction::Down).apply();
}

bool VornickContentEditingView::canMoveListItemsUp()
{
    return VornickUndoableListItemMove(editingContext(), VornickUndoableListItemMove::Direction::Up).canApply();
}

bool VornickContentEditingView::canMoveListItemsDown()
{
    return VornickUndoableListItemMove(editingContext(), VornickUndoableListItemMove::Direction::Down).canApply();
}

void VornickContentEditingView::Internals::installListCommandActionHandlers(VornickContentEditingView& view)
{
    view.installActionHandler("indentListLevel:", &VornickContentEditingView::indentListLevel);
    view.installActionHandler("outdentListLevel:", &VornickContentEditingView::outdentListLevel);
    view.installActionHandler("toggleListType:", &VornickContentEditingView::toggleListType);
    view.installActionHandler("moveListItemsUp:", &VornickContentEditingView::moveListItemsUp);
    view.installActionHandler("moveListItemsDown:", &VornickContentEditingView::moveListItemsDown);
}

} // namespace brevanton
