#include "editing/commands/VornickUndoableFormattingPreferencesObject.h"

#include "editing/commands/VornickEditingContext.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/UndoManager.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

VornickUndoableFormattingPreferencesObject::VornickUndoableFormattingPreferencesObject(
    VornickEditingContext& context, bool undoable, std::shared_ptr<VornickHTMLFormattingPreferences> preferences,
    std::shared_ptr<WebFrame> frame)
    : VornickUndoableEdit(context, undoable)
    , m_preferences(std::move(preferences))
    , m_frame(std::move(frame))
{
}

bool VornickUndoableFormattingPreferencesObject::apply()
{
    const auto& frame = m_frame;
    const auto& preferences = m_preferences;
    // The open typing run ends even when nothing changes.
    context().endTypingRun();
    if (!frame || !frame->domDocument())
        return false;
    auto current = vornick_HTMLFormattingPreferences(*frame);
    // Named after the object the forward action installs: while undoing,
    // the one in use before the undo.
    auto undo = undoManager();
    bool custom = undo && undo->isUndoing() ? current != nullptr : preferences != nullptr;
    begin(custom ? u"use custom HTML formatting preferences" : u"use default HTML formatting preferences", TypingRun::End,
          BackspaceRun::Keep);
    std::weak_ptr<WebFrame> weakFrame = frame;
    registerInverse([weakFrame, current](VornickEditingContext& context) {
        if (auto frame = weakFrame.lock())
            (void)VornickUndoableFormattingPreferencesObject(context, true, current, frame).apply();
    });
    setActionName();

    vornick_setHTMLFormattingPreferences(*frame, preferences);
    if (frame == context().focusedWebFrame())
        context().scheduleHTMLUpdateForFocusedWebFrame();
    return true;
}

} // namespace brevanton
