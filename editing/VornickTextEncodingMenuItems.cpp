#include "editing/VornickTextEncodingMenuItems.h"

#include "dom/VornickDocumentEncoding.h"
#include "dom/VornickDocumentExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "editing/commands/VornickUndoableStringEncodingChange.h"
#include "platform/dom/DOMDocument.h"
#include "platform/views/Menu.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

namespace {

std::shared_ptr<WebFrame> frameOf(const VornickContentEditingView& view)
{
    return view.focusedWebFrame() ? view.focusedWebFrame() : view.mainFrame();
}

bool canChange(const VornickContentEditingView& view, VornickStringEncoding encoding)
{
    auto frame = frameOf(view);
    auto document = frame ? frame->domDocument() : nullptr;
    return view.isEditable() && document && vornick_headElement(*document) && vornick_canDeclareStringEncoding(encoding)
        && vornick_stringEncoding(*document) != encoding;
}

} // namespace

bool VornickValidateStringEncodingMenuItem(VornickContentEditingView& view, MenuItem& item)
{
    auto encoding = static_cast<VornickStringEncoding>(item.tag());
    auto frame = frameOf(view);
    auto document = frame ? frame->domDocument() : nullptr;
    item.setState(document && encoding && vornick_stringEncoding(*document) == encoding ? OnState : OffState);
    return canChange(view, encoding);
}

void VornickChangeStringEncodingFromMenuItem(VornickContentEditingView& view, ActionSender* sender)
{
    auto encoding = sender ? static_cast<VornickStringEncoding>(sender->tag()) : VornickStringEncodingNone;
    if (!canChange(view, encoding)) {
        Sound::beep();
        return;
    }
    view.endTypingRun();
    (void)VornickUndoableStringEncodingChange(view.editingContext(), true, encoding, frameOf(view)).apply();
}

} // namespace brevanton
