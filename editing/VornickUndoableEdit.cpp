#include "editing/VornickUndoableEdit.h"

#include "dom/VornickDOMServices.h"
#include "editing/VornickContentEditingView.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/UndoManager.h"

#include <algorithm>

namespace brevanton {

VornickUndoableEdit::VornickUndoableEdit(VornickContentEditingView& view, bool undoable, std::u16string defaultActionName,
                                         const std::optional<std::u16string>& actionNameOverride, TypingRun typingRun,
                                         BackspaceRun backspaceRun)
    : m_view(view)
    , m_undoable(undoable)
    , m_actionName(actionNameOverride ? *actionNameOverride : std::move(defaultActionName))
{
    if (typingRun == TypingRun::End)
        view.endTypingRun();
    if (backspaceRun == BackspaceRun::End)
        view.endBackspaceRun();
}

UndoManager* VornickUndoableEdit::undoManager() const
{
    return m_undoable ? m_view.undoManager() : nullptr;
}

void VornickUndoableEdit::registerSelectionUndo()
{
    if (m_undoable)
        m_view.registerTargetRangeUndo();
}

void VornickUndoableEdit::registerInverse(std::function<void(VornickContentEditingView&)> inverse)
{
    if (m_undoable)
        m_view.registerUndo(std::move(inverse));
}

void VornickUndoableEdit::setActionName()
{
    if (!m_undoable || m_actionName.empty())
        return;
    if (auto undo = m_view.undoManager())
        undo->setActionName(m_actionName);
}

void VornickUndoableEdit::finish(const std::shared_ptr<DOMRange>& targetRange, bool undoablyTarget)
{
    if (targetRange) {
        if (undoablyTarget && m_undoable)
            m_view.setTargetRangeUndoably(targetRange);
        else
            m_view.setTargetRange(targetRange);
    }
    m_view.postVornickContentEditingViewDidChangeContentInWebFrame(m_view.focusedWebFrame(), nullptr);
}

// --- Payloads

char16_t VornickSubstituteInForce(const DOMNode& node)
{
    return vornick_nonBreakingSpaceSubstituteCharacter(node);
}

void VornickTranslateSubstitute(std::u16string& text, char16_t from, char16_t to)
{
    if (!from || from == to)
        return;
    std::replace(text.begin(), text.end(), from, to ? to : char16_t(0xA0));
}

void VornickTranslateSubstitute(DOMNode& subtree, char16_t from, char16_t to)
{
    if (!from || from == to)
        return;
    for (DOMNode* node = &subtree; node; node = node->traverseNext(&subtree)) {
        if (!node->isTextNode())
            continue;
        auto& text = static_cast<DOMCharacterData&>(*node);
        if (text.data().find(from) == std::u16string::npos)
            continue;
        std::u16string data = text.data();
        VornickTranslateSubstitute(data, from, to);
        text.setData(data);
    }
}

std::shared_ptr<DOMDocumentFragment> VornickCloneFragment(const DOMDocumentFragment& fragment)
{
    auto clone = fragment.cloneNode(true);
    BREVANTON_ASSERT(clone && clone->isDocumentFragmentNode(), "Expected -cloneNode: to return a DOMDocumenFragment");
    return std::static_pointer_cast<DOMDocumentFragment>(clone);
}

std::optional<VornickFreezeDriedDOMRange> VornickFreezeChildSpan(const std::shared_ptr<DOMNode>& container, unsigned start,
                                                                 unsigned end, const std::shared_ptr<DOMDocument>& document)
{
    auto range = document->createRange();
    range->setStart(container, start);
    range->setEnd(container, end);
    return VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*range, document, false);
}

} // namespace brevanton
