#include "editing/commands/VornickUndoableMove.h"

#include "dom/VornickFragmentExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickContainerSnapshot.h"
#include "editing/VornickTableRowDeletionRange.h"
#include "editing/commands/VornickEditingContext.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

VornickUndoableMove::VornickUndoableMove(VornickEditingContext& context, bool undoable, std::shared_ptr<DOMRange> source,
                                         std::shared_ptr<DOMRange> collapsedTarget, const std::optional<std::u16string>& actionNameOverride)
    : VornickUndoableEdit(context, undoable, actionNameOverride)
    , m_source(std::move(source))
    , m_target(std::move(collapsedTarget))
{
}

bool VornickUndoableMove::apply(std::shared_ptr<DOMRange>* outResultRange)
{
    const auto& sourceRange = m_source;
    const auto& targetRange = m_target;
    BREVANTON_ASSERT(sourceRange, "Invalid parameter not satisfying: sourceRange");
    BREVANTON_ASSERT(targetRange && targetRange->collapsed(), "Invalid parameter not satisfying: [targetRange collapsed]");
    begin(u"Move");

    auto source = sourceRange->cloneRange();
    if (auto* blockModeHelper = context().blockModeHelper())
        blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*source);
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
    VornickContainerSnapshot snapshot(*this, container);

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

    snapshot.registerRestore(*this);
    setActionName();
    finish(result);
    if (outResultRange)
        *outResultRange = result;
    return true;
}

} // namespace brevanton
