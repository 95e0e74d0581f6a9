// VornickHTMLFormattingPreferencesModule: the editor of one set of HTML
// formatting preferences (the user's defaults, or one document's own set).
// Its controls change the set's properties and then send `editOccurred`;
// when the set's compact string form really changed, the module tells
// everyone who writes with that set (VornickHTMLFormattingPreferencesWereEditedNotification
// with the set as object): an editing view then stores a document's new
// string undoably, or regenerates the source for the user's defaults.
#pragma once

#include "platform/views/Responder.h"

#include <memory>
#include <string>

namespace brevanton {

class VornickHTMLFormattingPreferences;

class VornickHTMLFormattingPreferencesModule {
public:
    const std::shared_ptr<VornickHTMLFormattingPreferences>& activeHTMLFormattingPreferences() const { return m_active; }
    // A different set is kept and its string form remembered.
    void setActiveHTMLFormattingPreferences(std::shared_ptr<VornickHTMLFormattingPreferences>);
    const std::u16string& lastHTMLFormattingPreferencesString() const { return m_lastString; }

    // After a control changed the active set: posts the notification when
    // its string form differs from the one last seen, and remembers the new one.
    void editOccurred(ActionSender*);

private:
    std::shared_ptr<VornickHTMLFormattingPreferences> m_active;
    std::u16string m_lastString;
};

} // namespace brevanton
