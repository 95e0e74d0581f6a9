// Setting the compact formatting preferences string a document keeps in its
// head. The frame's preferences object follows the string, but is never
// changed in place: the object may be shared (the user's default set, a set
// several documents use), so the frame gets a copy with the string applied.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentHeadFields.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/UndoManager.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

bool VornickContentEditingView::undoableSetHTMLFormattingPreferencesString(bool undoable, const std::optional<std::u16string>& string,
                                                                           const std::shared_ptr<WebFrame>& frame)
{
    endTypingRun();
    auto document = frame ? frame->domDocument() : nullptr;
    if (!document)
        return false;
    auto current = vornick_HTMLFormattingPreferencesString(*document);
    if (string && current == string)
        return false;
    if (undoable) {
        if (auto undo = undoManager()) {
            std::weak_ptr<WebFrame> weakFrame = frame;
            registerUndo([weakFrame, current](VornickContentEditingView& view) {
                if (auto frame = weakFrame.lock())
                    view.undoableSetHTMLFormattingPreferencesString(true, current, frame);
            });
            undo->setActionName(u"HTML formatting preferences change");
        }
    }
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
    if (frame == m_focusedWebFrame)
        scheduleHTMLUpdateForFocusedWebFrame();
    return true;
}

} // namespace brevanton
