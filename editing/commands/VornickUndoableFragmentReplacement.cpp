#include "editing/commands/VornickUndoableFragmentReplacement.h"

#include "dom/VornickDOMPosition.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentDeletion.h"
#include "editing/commands/VornickUndoableFragmentInsertion.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

VornickUndoableFragmentReplacement::VornickUndoableFragmentReplacement(VornickEditingContext& context, bool undoable,
                                                                       std::shared_ptr<DOMRange> range,
                                                                       std::shared_ptr<DOMDocumentFragment> fragment,
                                                                       const std::optional<std::u16string>& actionNameOverride)
    : VornickUndoableEdit(context, undoable, actionNameOverride)
    , m_range(std::move(range))
    , m_fragment(std::move(fragment))
{
}

bool VornickUndoableFragmentReplacement::apply(std::shared_ptr<DOMRange>* outResultRange)
{
    BREVANTON_ASSERT(m_fragment, "Invalid parameter not satisfying: replacementFragment");
    auto given = m_range ? m_range : context().effectiveOperationRange();
    if (!given || (undoable() && !given->startContainer()->isConnected()))
        return false;
    auto working = given->cloneRange();
    begin();
    registerSelectionUndo();
    if (!working->collapsed()) {
        if (!VornickUndoableFragmentDeletion(context(), undoable(), working, actionNameOverride()).apply())
            return false;
        working = context().effectiveOperationRange();
        if (!working)
            return false;
    }
    if (m_fragment->hasChildNodes()) {
        if (!VornickUndoableFragmentInsertion(context(), undoable(), m_fragment, vornick_startPosition(*working), actionNameOverride()).apply())
            return false;
    }
    if (outResultRange) {
        auto effective = context().effectiveOperationRange();
        *outResultRange = effective ? effective->cloneRange() : nullptr;
    }
    return true;
}

} // namespace brevanton
