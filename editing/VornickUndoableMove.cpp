// Moving the contents of a range to another place. The move is made in place
// inside the nearest container of both places, and Undo gives that
// container's children back exactly; nothing of the inverse is a live range,
// so an edit made and undone in between cannot make it move other content.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickFragmentExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickContainerSnapshot.h"
#include "editing/VornickTableRowDeletionRange.h"
#include "editing/commands/VornickUndoableEdit.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

bool VornickContentEditingView::undoableMoveRange(bool undoable, const std::shared_ptr<DOMRange>& sourceRange,
                                                  const std::shared_ptr<DOMRange>& targetRange,
                                                  const std::optional<std::u16string>& undoActionNameOverride,
                                                  std::shared_ptr<DOMRange>* outResultRange)
{
    BREVANTON_ASSERT(sourceRange, "Invalid parameter not satisfying: sourceRange");
    BREVANTON_ASSERT(targetRange && targetRange->collapsed(), "Invalid parameter not satisfying: [targetRange collapsed]");
    VornickUndoableEdit edit(editingContext(), undoable, undoActionNameOverride);
    edit.begin(u"Move");

    auto source = sourceRange->cloneRange();
    if (m_blockModeHelper)
        m_blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*source);
    auto target = targetRange->cloneRange();
    // Content cannot move into itself.
    auto targetNode = target->startContainer();
    unsigned targetOffset = target->startOffset();
    bool atSourceEdge = (targetNode == source->startContainer() && targetOffset == source->startOffset())
        || (targetNode == source->endContainer() && targetOffset == source->endOffset());
    if (source->collapsed() || (source->comparePoint(*targetNode, targetOffset) == 0 && !atSourceEdge))
        return false;

    auto container = VornickCommonContainerOfNodes(VornickCommonContainerOfNodes(source->startContainer(), source->endContainer()),
                                                   target->startContainer());
    if (!container)
        return false;
    VornickContainerSnapshot snapshot(edit, container);

    auto contents = source->extractContents();
    if (!contents)
        return false;
    std::shared_ptr<DOMElement> targetElement;
    vornick_modifyFragmentForInsertionAt(*contents, vornick_startPosition(*target), targetElement);
    auto result = target->cloneRange();
    if (contents->hasChildNodes())
        vornick_insertNodeAndSurroundWhatWasInserted(*result, contents);
    // No table row, section or table emptied by the move stays behind.
    VornickRemoveTablePartsEmptiedAt(source->startContainer(), *container);
    // No empty or neighbouring text nodes are left at the two seams.
    container->normalize();
    vornick_pushRangeEndpointsDownToTextNodes(*result);

    snapshot.registerRestore(edit);
    edit.setActionName();
    edit.finish(result);
    if (outResultRange)
        *outResultRange = result;
    return true;
}

} // namespace brevanton
