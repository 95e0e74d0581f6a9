#include "editing/commands/VornickUndoableStringEncodingChange.h"

#include "dom/VornickDocumentExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "platform/dom/DOMDocument.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

VornickUndoableStringEncodingChange::VornickUndoableStringEncodingChange(
    VornickEditingContext& context, bool undoable, std::variant<VornickStringEncoding, VornickCharsetDeclarations> change,
    std::shared_ptr<WebFrame> frame)
    : VornickUndoableEdit(context, undoable)
    , m_change(std::move(change))
    , m_frame(std::move(frame))
{
}

bool VornickUndoableStringEncodingChange::apply()
{
    context().endTypingRun();
    auto document = m_frame ? m_frame->domDocument() : nullptr;
    if (!document || !vornick_headElement(*document))
        return false;
    auto* encoding = std::get_if<VornickStringEncoding>(&m_change);
    if (encoding && (!vornick_canDeclareStringEncoding(*encoding) || vornick_stringEncoding(*document) == *encoding))
        return false;
    begin(u"Change Text Encoding", TypingRun::End, BackspaceRun::End);
    std::weak_ptr<WebFrame> weakFrame = m_frame;
    registerInverse([weakFrame, declarations = vornick_charsetDeclarations(*document)](VornickEditingContext& context) {
        if (auto frame = weakFrame.lock())
            (void)VornickUndoableStringEncodingChange(context, true, declarations, frame).apply();
    });
    setActionName();
    if (encoding) {
        if (!vornick_declareStringEncoding(*document, *encoding))
            return false;
    } else
        vornick_restoreCharsetDeclarations(*document, std::get<VornickCharsetDeclarations>(m_change));
    if (m_frame == context().focusedWebFrame())
        context().scheduleHTMLUpdateForFocusedWebFrame();
    return true;
}

} // namespace brevanton
