#include "editing/VornickUndoableTypingRun.h"

#include "editing/VornickContentEditingView.h"
#include "editing/commands/VornickUndoableEdit.h"
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
    return std::const_pointer_cast<DOMDocument>(std::static_pointer_cast<const DOMDocument>(document.shared_from_this()));
}

} // namespace

VornickUndoableTypingRun::VornickUndoableTypingRun(VornickContentEditingView& view, const std::shared_ptr<DOMCharacterData>& textNode,
                                                   int32_t s, int32_t e, int32_t length)
{
    RUN_ASSERT(textNode, "newTextNode");
    int32_t textLength = static_cast<int32_t>(textNode->length());
    RUN_ASSERT(s >= 0 && s <= textLength, "replacedRangeStartOffset >= 0 && replacedRangeStartOffset <= textLength");
    RUN_ASSERT(e >= s, "replacedRangeEndOffset >= replacedRangeStartOffset");
    m_contentEditingView = std::static_pointer_cast<VornickContentEditingView>(view.shared_from_this());
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
        if (auto range = view.effectiveOperationRange(); range && range->startContainer()->ownerDocument() == document)
            m_freezeDriedTargetRangeToRestore = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*range, body, false);
    }
}

VornickContentEditingView* VornickUndoableTypingRun::contentEditingView() const
{
    return m_contentEditingView.lock().get();
}

std::shared_ptr<DOMCharacterData> VornickUndoableTypingRun::textNode() const
{
    auto document = m_document.lock();
    if (document && m_textNodePath) {
        if (auto ancestor = pathAncestor(*document, m_pathIsFromBody)) {
            auto position = m_textNodePath->positionRelativeToNewAncestor(ancestor);
            if (position.node && position.node->isTextNode())
                return std::static_pointer_cast<DOMCharacterData>(position.node);
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

void VornickUndoableTypingRun::endThisRun()
{
    if (auto view = m_contentEditingView.lock(); view && view->activeTypingRun().get() == this)
        view->endTypingRun();
}

void VornickUndoableTypingRun::registerUndo()
{
    auto view = m_contentEditingView.lock();
    if (!view)
        return;
    auto self = shared_from_this();
    view->registerUndo([self](VornickContentEditingView&) { self->undo(); });
}

void VornickUndoableTypingRun::registerRedo()
{
    auto view = m_contentEditingView.lock();
    auto node = textNode();
    if (!view || !node)
        return;
    int32_t length = static_cast<int32_t>(m_undoReplacementText.size());
    if (m_undoRangeEndOffset > static_cast<int32_t>(node->length()))
        return;
    auto redo = std::make_shared<VornickUndoableTypingRun>(*view, node, m_undoRangeStartOffset, m_undoRangeEndOffset, length);
    redo->registerUndo();
}

bool VornickUndoableTypingRun::replaceInTextNode(int32_t start, int32_t end, const std::u16string& text)
{
    auto view = m_contentEditingView.lock();
    auto node = textNode();
    if (!view || !node || start < 0 || end < start || end > static_cast<int32_t>(node->length()))
        return false;
    bool wasInserting = view->m_insertingTextOrBackspacing;
    view->m_insertingTextOrBackspacing = true;
    node->replaceData(static_cast<unsigned>(start), static_cast<unsigned>(end - start), text);
    view->m_insertingTextOrBackspacing = wasInserting;
    m_textNode = node;
    return true;
}

void VornickUndoableTypingRun::postContentChange()
{
    auto view = m_contentEditingView.lock();
    auto document = m_document.lock();
    if (!view || !document)
        return;
    auto mainFrame = view->mainFrame();
    view->postVornickContentEditingViewDidChangeContentInWebFrame(mainFrame ? mainFrame->frameForDocument(*document) : nullptr,
                                                                  nullptr);
}

void VornickUndoableTypingRun::undo()
{
    auto self = shared_from_this();
    auto view = m_contentEditingView.lock();
    if (!view)
        return;
    endThisRun();
    registerRedo();
    auto node = textNode();
    if (!node)
        return;
    std::u16string text = m_undoReplacementText;
    VornickTranslateSubstitute(text, m_replacementTextSubstitute, VornickSubstituteInForce(*node));
    if (!replaceInTextNode(m_undoRangeStartOffset, m_undoRangeEndOffset, text))
        return;
    auto document = m_document.lock();
    auto body = document ? document->body() : nullptr;
    if (m_freezeDriedTargetRangeToRestore && body) {
        if (auto range = m_freezeDriedTargetRangeToRestore->thawRangeRelativeToNewAncestor(body))
            view->setTargetRange(range);
    }
    postContentChange();
}

// --- Backspace runs

VornickUndoableBackspaceRun::VornickUndoableBackspaceRun(VornickContentEditingView& view, const std::shared_ptr<DOMCharacterData>& textNode,
                                                         int32_t s, int32_t e)
    : VornickUndoableTypingRun(view, textNode, s, e, 0)
{
}

bool VornickUndoableBackspaceRun::consumeCharactersInTextNode(const DOMCharacterData& node, int32_t s, int32_t e)
{
    if (m_textNode.lock().get() != &node)
        return false;
    int32_t textLength = static_cast<int32_t>(node.length());
    RUN_ASSERT(s >= 0 && s <= textLength, "replacedRangeStartOffset >= 0 && replacedRangeStartOffset <= textLength");
    RUN_ASSERT(e >= s, "replacedRangeEndOffset >= replacedRangeStartOffset");
    if (e != m_undoRangeStartOffset)
        return false;
    std::u16string deleted = node.data().substr(s, std::min(e, textLength) - s);
    VornickTranslateSubstitute(deleted, VornickSubstituteInForce(node), m_replacementTextSubstitute);
    m_undoReplacementText.insert(0, deleted);
    m_undoRangeStartOffset = s;
    m_undoRangeEndOffset = s;
    return true;
}

void VornickUndoableBackspaceRun::endThisRun()
{
    if (auto view = m_contentEditingView.lock(); view && view->activeBackspaceRun().get() == this)
        view->endBackspaceRun();
}

void VornickUndoableBackspaceRun::registerRedo()
{
    auto view = m_contentEditingView.lock();
    if (!view)
        return;
    auto self = std::static_pointer_cast<VornickUndoableBackspaceRun>(shared_from_this());
    view->registerUndo([self](VornickContentEditingView&) { self->redo(); });
}

void VornickUndoableBackspaceRun::redo()
{
    auto self = shared_from_this();
    auto view = m_contentEditingView.lock();
    auto node = textNode();
    if (!view || !node)
        return;
    int32_t length = static_cast<int32_t>(m_undoReplacementText.size());
    if (m_undoRangeStartOffset + length > static_cast<int32_t>(node->length()))
        return;
    // The characters are deleted where they stand: the node stays, so the
    // next undo finds it.
    m_undoReplacementText = node->data().substr(m_undoRangeStartOffset, length);
    m_replacementTextSubstitute = VornickSubstituteInForce(*node);
    replaceInTextNode(m_undoRangeStartOffset, m_undoRangeStartOffset + length, u"");
    auto collapsed = node->ownerDocument()->createRange();
    collapsed->setStart(node, m_undoRangeStartOffset);
    collapsed->setEnd(node, m_undoRangeStartOffset);
    view->setTargetRange(collapsed);
    registerUndo();
    postContentChange();
}

} // namespace brevanton
