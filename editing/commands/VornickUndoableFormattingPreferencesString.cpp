#include "editing/commands/VornickUndoableFormattingPreferencesString.h"

#include "dom/VornickDocumentHeadFields.h"
#include "editing/commands/VornickEditingContext.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

VornickUndoableFormattingPreferencesString::VornickUndoableFormattingPreferencesString(VornickEditingContext& context, bool undoable,
                                                                                       std::optional<std::u16string> string,
                                                                                       std::shared_ptr<WebFrame> frame)
    : VornickUndoableEdit(context, undoable)
    , m_string(std::move(string))
    , m_frame(std::move(frame))
{
}

bool VornickUndoableFormattingPreferencesString::apply()
{
    const auto& frame = m_frame;
    const auto& string = m_string;
    // The open typing run ends even when nothing changes.
    context().endTypingRun();
    auto document = frame ? frame->domDocument() : nullptr;
    if (!document)
        return false;
    auto current = vornick_HTMLFormattingPreferencesString(*document);
    if (string && current == string)
        return false;
    begin(u"HTML formatting preferences change", TypingRun::End, BackspaceRun::Keep);
    std::weak_ptr<WebFrame> weakFrame = frame;
    registerInverse([weakFrame, current](VornickEditingContext& context) {
        if (auto frame = weakFrame.lock())
            (void)VornickUndoableFormattingPreferencesString(context, true, current, frame).apply();
    });
    setActionName();

    vornick_setHTMLFormattingPreferencesString(*document, string ? std::optional<std::u16string_view>(*string) : std::nullopt);
    if (string) {
        auto preferences = vornick_HTMLFormattingPreferences(*frame);
        // An object that already says this (the edited object itself,
        // reporting its change) stays the frame's.
        if (preferences && preferences->stringRepresentation() != *string) {
            if (auto copy = VornickHTMLFormattingPreferences::preferencesByApplyingStringRepresentation(*preferences, *string))
                vornick_storeHTMLFormattingPreferencesOfLoadedDocument(*frame, std::make_shared<VornickHTMLFormattingPreferences>(*copy));
        }
    }
    if (frame == context().focusedWebFrame())
        context().scheduleHTMLUpdateForFocusedWebFrame();
    return true;
}

} // namespace brevanton
