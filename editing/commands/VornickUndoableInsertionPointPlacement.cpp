#include "editing/commands/VornickUndoableInsertionPointPlacement.h"

#include "editing/VornickCommandStepName.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentInsertion.h"
#include "editing/commands/VornickUndoableTextReplacement.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

namespace {

std::shared_ptr<DOMRange> collapsedRangeAt(const std::shared_ptr<DOMNode>& node, unsigned offset)
{
    auto range = node->ownerDocument()->createRange();
    range->setStart(node, offset);
    range->setEnd(node, offset);
    return range;
}

} // namespace

VornickUndoableInsertionPointPlacement::VornickUndoableInsertionPointPlacement(VornickEditingContext& context, bool undoable,
                                                                               std::shared_ptr<DOMRange> collapsedRange, bool leaveAGap,
                                                                               VornickCommandStepName* stepName)
    : VornickUndoableEdit(context, undoable)
    , m_range(std::move(collapsedRange))
    , m_leaveAGap(leaveAGap)
    , m_stepName(stepName)
{
}

bool VornickUndoableInsertionPointPlacement::apply()
{
    const auto& range = m_range;
    bool leaveAGap = m_leaveAGap;
    BREVANTON_ASSERT(range && range->collapsed(), "Invalid parameter not satisfying: [range collapsed]");
    auto container = range->startContainer();
    if (!container || container->nodeType() != DOMNode::ELEMENT_NODE)
        return false;
    unsigned offset = range->startOffset();
    auto next = container->childAt(offset) ? container->childAt(offset)->shared_from_this() : nullptr;
    std::u16string space = context().placeholderSpaceStringForDocumentContainingRange(*range);
    if (next && next->nodeType() == DOMNode::TEXT_NODE) {
        auto& text = downcast<DOMCharacterData>(*next);
        if (text.length() && !leaveAGap) {
            context().setTargetRange(collapsedRangeAt(next, 0));
            return true;
        }
        if (m_stepName)
            m_stepName->open();
        if (!VornickUndoableTextReplacement(context(), undoable(), collapsedRangeAt(next, 0), space, false).apply())
            return false;
        auto caret = collapsedRangeAt(next, leaveAGap ? static_cast<unsigned>(space.size()) : 0);
        undoable() ? context().setTargetRangeUndoably(caret) : context().setTargetRange(caret);
        context().contentDidChangeInWebFrame(context().focusedWebFrame());
        return true;
    }
    auto document = container->ownerDocument();
    auto fragment = document->createDocumentFragment();
    fragment->appendChild(document->createTextNode(space));
    if (m_stepName)
        m_stepName->open();
    if (!VornickUndoableFragmentInsertion(context(), undoable(), fragment, { container, static_cast<int32_t>(offset) }).apply())
        return false;
    // The caret goes into the text that holds the space (the insertion may
    // have joined it to the text before), before or after the space.
    auto inserted = context().effectiveOperationRange();
    if (!inserted)
        return true;
    std::shared_ptr<DOMNode> textNode = inserted->startContainer();
    unsigned at = inserted->startOffset();
    if (!textNode->isTextNode()) {
        auto* after = textNode->childAt(at);
        textNode = after && after->isTextNode() ? after->shared_from_this() : nullptr;
        at = 0;
    }
    if (textNode) {
        context().setTargetRange(collapsedRangeAt(textNode, at + (leaveAGap ? static_cast<unsigned>(space.size()) : 0)));
    } else {
        auto caret = inserted->cloneRange();
        caret->collapse(!leaveAGap);
        context().setTargetRange(caret);
    }
    return true;
}


} // namespace brevanton
