#include "editing/VornickTextEncodingMenuItems.h"

#include "dom/VornickDocumentEncoding.h"
#include "dom/VornickDocumentExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableStringEncodingChange.h"
#include "platform/dom/DOMDocument.h"
#include "platform/views/Menu.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

namespace {

std::shared_ptr<WebFrame> frameOf(const VornickEditingContext& editor)
{
    auto focused = editor.focusedWebFrame();
    return focused ? focused : editor.mainFrame();
}

bool canChange(const VornickEditingContext& editor, VornickStringEncoding encoding)
{
    auto frame = frameOf(editor);
    auto document = frame ? frame->domDocument() : nullptr;
    return editor.isEditable() && document && vornick_headElement(*document) && vornick_canDeclareStringEncoding(encoding)
        && vornick_stringEncoding(*document) != encoding;
}

} // namespace

bool VornickValidateStringEncodingMenuItem(VornickEditingContext& editor, MenuItem& item)
{
    auto encoding = static_cast<VornickStringEncoding>(item.tag());
    auto frame = frameOf(editor);
    auto document = frame ? frame->domDocument() : nullptr;
    item.setState(document && encoding && vornick_stringEncoding(*document) == encoding ? OnState : OffState);
    return canChange(editor, encoding);
}

void VornickChangeStringEncodingFromMenuItem(VornickEditingContext& editor, ActionSender* sender)
{
    auto encoding = sender ? static_cast<VornickStringEncoding>(sender->tag()) : VornickStringEncodingNone;
    if (!canChange(editor, encoding)) {
        Sound::beep();
        return;
    }
    editor.endTypingRun();
    (void)VornickUndoableStringEncodingChange(editor, true, encoding, frameOf(editor)).apply();
}

} // namespace brevanton
