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

void VornickContentEditingView::Internals::indentListLevel(VornickContentEditingView& view, ActionSender* sender)
{
    (void)view.undoableIndentListLevel(sender, false);
}

bool VornickContentEditingView::Internals::canIndentListLevel(VornickContentEditingView& view)
{
    return view.undoableIndentListLevel(nullptr, true);
}

void VornickContentEditingView::Internals::outdentListLevel(VornickContentEditingView& view, ActionSender* sender)
{
    (void)view.undoableOutdentListLevel(sender, false);
}

bool VornickContentEditingView::Internals::canOutdentListLevel(VornickContentEditingView& view)
{
    return view.undoableOutdentListLevel(nullptr, true);
}

void VornickContentEditingView::Internals::toggleListType(VornickContentEditingView& view, ActionSender*)
{
    if (!view.isEditable())
        return;
    auto lists = selectedLists(view);
    if (lists.empty())
        return;
    VornickCommandStepName stepName(view.editingContext(), true, u"Toggle list type");
    stepName.open();
    for (const auto& list : lists) {
        if (!VornickIsListElement(list.get()))
            break;
        if (!list->isConnected())
            continue;
        bool ordered = equalsIgnoringASCIICase(list->tagName(), u"ol");
        (void)view.undoableTransformElement(true, list, ordered ? u"ul" : u"ol");
    }
    stepName.close();
}

bool VornickContentEditingView::Internals::canToggleListType(const VornickContentEditingView& view)
{
    return view.isEditable() && !selectedLists(view).empty();
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

void VornickContentEditingView::Internals::moveListItemsUp(VornickContentEditingView& view, ActionSender*)
{
    (void)VornickUndoableListItemMove(view.editingContext(), VornickUndoableListItemMove::Direction::Up).apply();
}

void VornickContentEditingView::Internals::moveListItemsDown(VornickContentEditingView& view, ActionSender*)
{
    (void)VornickUndoableListItemMove(view.editingContext(), VornickUndoableListItemMove::Direction::Down).apply();
}

bool VornickContentEditingView::Internals::canMoveListItemsUp(VornickContentEditingView& view)
{
    return VornickUndoableListItemMove(view.editingContext(), VornickUndoableListItemMove::Direction::Up).canApply();
}

bool VornickContentEditingView::Internals::canMoveListItemsDown(VornickContentEditingView& view)
{
    return VornickUndoableListItemMove(view.editingContext(), VornickUndoableListItemMove::Direction::Down).canApply();
}

void VornickContentEditingView::Internals::installListCommandActionHandlers(VornickContentEditingView& view)
{
    view.installActionHandler("indentListLevel:", &Internals::indentListLevel);
    view.installActionHandler("outdentListLevel:", &Internals::outdentListLevel);
    view.installActionHandler("toggleListType:", &Internals::toggleListType);
    view.installActionHandler("moveListItemsUp:", &Internals::moveListItemsUp);
    view.installActionHandler("moveListItemsDown:", &Internals::moveListItemsDown);
}

} // namespace brevanton
