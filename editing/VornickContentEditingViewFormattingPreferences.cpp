// A frame's formatting preferences (its object and the string its document
// keeps), set undoably; an edited preferences object reaches every frame
// that writes with it: a document's own set stores its new string
// (undoably), the user's default set only regenerates the source (the
// focused frame's now, another frame's when it is focused).
#include "editing/VornickContentEditingView.h"

#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/commands/VornickUndoableFormattingPreferencesObject.h"
#include "editing/commands/VornickUndoableFormattingPreferencesString.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/WebFrame.h"

#include <functional>

namespace brevanton {

bool VornickContentEditingView::undoableSetHTMLFormattingPreferences(bool undoable,
                                                                     const std::shared_ptr<VornickHTMLFormattingPreferences>& preferences,
                                                                     const std::shared_ptr<WebFrame>& frame)
{
    return VornickUndoableFormattingPreferencesObject(editingContext(), undoable, preferences, frame).apply();
}

bool VornickContentEditingView::undoableSetHTMLFormattingPreferencesString(bool undoable, const std::optional<std::u16string>& string,
                                                                           const std::shared_ptr<WebFrame>& frame)
{
    return VornickUndoableFormattingPreferencesString(editingContext(), undoable, string, frame).apply();
}

void VornickContentEditingView::Internals::observeFormattingPreferencesEdits(VornickContentEditingView& view)
{
    auto weak = view.weakSelf();
    view.m_internals->formattingPreferencesObservation = NotificationCenter::defaultCenter().addObserver(
        VornickHTMLFormattingPreferencesWereEditedNotification, nullptr, nullptr, [weak](const Notification& note) {
            if (auto self = weak.lock())
                Internals::htmlFormattingPreferencesInstanceWasEdited(*self, note);
        });
}

void VornickContentEditingView::Internals::htmlFormattingPreferencesInstanceWasEdited(VornickContentEditingView& view, const Notification& notification)
{
    auto* edited = static_cast<const VornickHTMLFormattingPreferences*>(notification.object);
    auto root = view.mainFrame();
    if (!edited || !root)
        return;
    auto usersDefault = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    bool isUsersDefault = usersDefault && usersDefault.get() == edited;
    std::vector<std::shared_ptr<WebFrame>> frames;
    std::function<void(const std::shared_ptr<WebFrame>&)> collect = [&](const std::shared_ptr<WebFrame>& frame) {
        frames.push_back(frame);
        for (const auto& child : frame->childFrames())
            collect(child);
    };
    collect(root);
    for (const auto& frame : frames) {
        if (!frame->domDocument() || vornick_effectiveHTMLFormattingPreferences(*frame).get() != edited)
            continue;
        if (!isUsersDefault)
            (void)view.undoableSetHTMLFormattingPreferencesString(true, edited->stringRepresentation(), frame);
        else if (frame == view.m_internals->focusedWebFrame)
            view.scheduleHTMLUpdateForFocusedWebFrame();
        else {
            // Written again when it is focused, rather than its old source shown.
            vornick_setLastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*frame, false);
            view.m_internals->staleFrames.insert(frame.get());
        }
    }
}

} // namespace brevanton
