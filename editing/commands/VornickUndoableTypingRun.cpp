#include "editing/commands/VornickUndoableTypingRun.h"

#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableEdit.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

#define RUN_ASSERT(condition, text) \
    BREVANTON_ASSERT(condition, "Invalid parameter not satisfying: " text " (VornickUndoableTypingRun)")

namespace {

// The ancestor a run's path starts from: the body when it holds the node.
std::shared_ptr<DOMNode> pathAncestor(const DOMDocument& document, bool fromBody)
{
    if (fromBody)
        return document.body();
    return std::const_pointer_cast<DOMDocument>(downcast<const DOMDocument>(document.shared_from_this()));
}

} // namespace

VornickUndoableTypingRun::VornickUndoableTypingRun(VornickEditingContext& context, const std::shared_ptr<DOMCharacterData>& textNode,
                                                   int32_t s, int32_t e, int32_t length)
{
    RUN_ASSERT(textNode, "newTextNode");
    int32_t textLength = static_cast<int32_t>(textNode->length());
    RUN_ASSERT(s >= 0 && s <= textLength, "replacedRangeStartOffset >= 0 && replacedRangeStartOffset <= textLength");
    RUN_ASSERT(e >= s, "replacedRangeEndOffset >= replacedRangeStartOffset");
    m_textNode = textNode;
    m_undoRangeStartOffset = s;
    m_undoRangeEndOffset = s + length;
    m_undoReplacementText = textNode->data().substr(s, std::min(e, textLength) - s);
    m_replacementTextSubstitute = VornickSubstituteInForce(*textNode);
    auto document = textNode->ownerDocument();
    m_document = document;
    if (!document)
        return;
    auto body = document->body();
    m_pathIsFromBody = body && body->contains(textNode.get());
    m_textNodePath = VornickRelativeDOMPath::pathToPosition(VornickMakeDOMPosition(textNode, 0),
                                                            pathAncestor(*document, m_pathIsFromBody).get(), false);
    if (body) {
        if (auto range = context.effectiveOperationRange(); range && range->startContainer()->ownerDocument() == document)
            m_freezeDriedTargetRangeToRestore = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*range, body, false);
    }
}

std::shared_ptr<DOMCharacterData> VornickUndoableTypingRun::textNode() const
{
    auto document = m_document.lock();
    if (document && m_textNodePath) {
        if (auto ancestor = pathAncestor(*document, m_pathIsFromBody)) {
            auto position = m_textNodePath->positionRelativeToNewAncestor(ancestor);
            if (position.node && position.node->isTextNode())
                return downcast<DOMCharacterData>(position.node);
        }
    }
    auto node = m_textNode.lock();
    if (node && node->isConnected() && node->ownerDocument() == document)
        return node;
    return nullptr;
}

bool VornickUndoableTypingRun::addReplacementInTextNode(const DOMCharacterData& node, int32_t s, int32_t e, int32_t length)
{
    if (m_textNode.lock().get() != &node)
        return false;
    int32_t textLength = static_cast<int32_t>(node.length());
    RUN_ASSERT(s >= 0 && s <= textLength, "replacedRangeStartOffset >= 0 && replacedRangeStartOffset <= textLength");
    RUN_ASSERT(e >= s, "replacedRangeEndOffset >= replacedRangeStartOffset");
    // A replacement that reaches back before the run's start would leave text
    // the run cannot put back: it starts a run of its own.
    if (m_undoRangeEndOffset != e || s < m_undoRangeStartOffset)
        return false;
    m_undoRangeEndOffset = s + length;
    return true;
}

void VornickUndoableTypingRun::endThisRun(VornickEditingContext& context)
{
    if (context.activeTypingRun() == this)
        context.endTypingRun();
}

void VornickUndoableTypingRun::registerUndo(VornickEditingContext& context)
{
    auto self = shared_from_this();
    context.registerUndo([self](VornickEditingContext& context) { self->undo(context); });
}

void VornickUndoableTypingRun::registerRedo(VornickEditingContext& context)
{
    auto node = textNode();
    if (!node)
        return;
    int32_t length = static_cast<int32_t>(m_undoReplacementText.size());
    if (m_undoRangeEndOffset > static_cast<int32_t>(node->length()))
        return;
    auto redo = std::make_shared<VornickUndoableTypingRun>(context, node, m_undoRangeStartOffset, m_undoRangeEndOffset, length);
    redo->registerUndo(context);
}

bool VornickUndoableTypingRun::replaceInTextNode(VornickEditingContext& context, int32_t start, int32_t end, const std::u16string& text)
{
    auto node = textNode();
    if (!node || start < 0 || end < start || end > static_cast<int32_t>(node->length()))
        return false;
    bool wasInserting = context.insertingTextOrBackspacing();
    context.setInsertingTextOrBackspacing(true);
    node->replaceData(static_cast<unsigned>(start), static_cast<unsigned>(end - start), text);
    context.setInsertingTextOrBackspacing(wasInserting);
    m_textNode = node;
    return true;
}

void VornickUndoableTypingRun::postContentChange(VornickEditingContext& context)
{
    auto document = m_document.lock();
    if (!document)
        return;
    auto mainFrame = context.mainFrame();
    context.contentDidChangeInWebFrame(mainFrame ? mainFrame->frameForDocument(*document) : nullptr);
}

void VornickUndoableTypingRun::undo(VornickEditingContext& context)
{
    auto self = shared_from_this();
    endThisRun(context);
    registerRedo(context);
    auto node = textNode();
    if (!node)
        return;
    std::u16string text = m_undoReplacementText;
    VornickTranslateSubstitute(text, m_replacementTextSubstitute, VornickSubstituteInForce(*node));
    if (!replaceInTextNode(context, m_undoRangeStartOffset, m_undoRangeEndOffset, text))
        return;
    auto document = m_document.lock();
    auto body = document ? document->body() : nullptr;
    if (m_freezeDriedTargetRangeToRestore && body) {
        if (auto range = m_freezeDriedTargetRangeToRestore->thawRangeRelativeToNewAncestor(body))
            context.setTargetRange(range);
    }
    postContentChange(context);
}

// --- Backspace runs

VornickUndoableBackspaceRun::VornickUndoableBackspaceRun(VornickEditingContext& context, const std::shared_ptr<DOMCharacterData>& textNode,
                                                         int32_t s, int32_t e)
    : VornickUndoableTypingRun(context, textNode, s, e, 0)
{
}

bool VornickUndoableBackspaceRun::consumeCharactersInTextNode(const DOMCharacterData& node, int32_t s, int32_t e)
{
    if (m_textNode.lock().get() != &node)
        return false;
    int32_t textLength = static_cast<int32_t>(node.length());
    RUN_ASSERT(s >= 0 && s <= textLength, "replacedRangeStartOffset >= 0 && replacedRangeStartOffset <= textLength");
    RUN_ASSERT(e >= s, "replacedRangeEndOffset >= replacedRangeStartOffset");
    bool backward = e == m_undoRangeStartOffset;
    if (!backward && s != m_undoRangeStartOffset)
        return false;
    std::u16string deleted = node.data().substr(s, std::min(e, textLength) - s);
    VornickTranslateSubstitute(deleted, VornickSubstituteInForce(node), m_replacementTextSubstitute);
    if (backward)
        m_undoReplacementText.insert(0, deleted);
    else
        m_undoReplacementText += deleted;
    m_undoRangeStartOffset = s;
    m_undoRangeEndOffset = s;
    return true;
}

void VornickUndoableBackspaceRun::endThisRun(VornickEditingContext& context)
{
    if (context.activeBackspaceRun() == this)
        context.endBackspaceRun();
}

void VornickUndoableBackspaceRun::registerRedo(VornickEditingContext& context)
{
    auto self = std::static_pointer_cast<VornickUndoableBackspaceRun>(shared_from_this());
    context.registerUndo([self](VornickEditingContext& context) { self->redo(context); });
}

void VornickUndoableBackspaceRun::redo(VornickEditingContext& context)
{
    auto self = shared_from_this();
    auto node = textNode();
    if (!node)
        return;
    int32_t length = static_cast<int32_t>(m_undoReplacementText.size());
    if (m_undoRangeStartOffset + length > static_cast<int32_t>(node->length()))
        return;
    // The characters are deleted where they stand: the node stays, so the
    // next undo finds it.
    m_undoReplacementText = node->data().substr(m_undoRangeStartOffset, length);
    m_replacementTextSubstitute = VornickSubstituteInForce(*node);
    replaceInTextNode(context, m_undoRangeStartOffset, m_undoRangeStartOffset + length, u"");
    auto collapsed = node->ownerDocument()->createRange();
    collapsed->setStart(node, m_undoRangeStartOffset);
    collapsed->setEnd(node, m_undoRangeStartOffset);
    context.setTargetRange(collapsed);
    registerUndo(context);
    postContentChange(context);
}

} // namespace brevanton
