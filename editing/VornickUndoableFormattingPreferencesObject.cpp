// Installing a preferences object in a frame (none: the user's default set).
// The document keeps the object's string; the user's default set stores none.
#include "editing/VornickContentEditingView.h"

#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/UndoManager.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

bool VornickContentEditingView::undoableSetHTMLFormattingPreferences(bool undoable,
                                                                     const std::shared_ptr<VornickHTMLFormattingPreferences>& preferences,
                                                                     const std::shared_ptr<WebFrame>& frame)
{
    endTypingRun();
    if (!frame || !frame->domDocument())
        return false;
    auto current = vornick_HTMLFormattingPreferences(*frame);
    if (undoable) {
        if (auto undo = undoManager()) {
            std::weak_ptr<WebFrame> weakFrame = frame;
            registerUndo([weakFrame, current](VornickContentEditingView& view) {
                if (auto frame = weakFrame.lock())
                    view.undoableSetHTMLFormattingPreferences(true, current, frame);
            });
            // Named after the object the forward action installs: while
            // undoing, the one in use before the undo.
            bool custom = undo->isUndoing() ? current != nullptr : preferences != nullptr;
            undo->setActionName(custom ? u"use custom HTML formatting preferences" : u"use default HTML formatting preferences");
        }
    }
    vornick_setHTMLFormattingPreferences(*frame, preferences);
    if (frame == m_focusedWebFrame)
        scheduleHTMLUpdateForFocusedWebFrame();
    return true;
}

} // namespace brevanton
