#include "ui/VornickHTMLFormattingPreferencesModule.h"

#include "html/VornickHTMLFormattingPreferences.h"
#include "platform/foundation/NotificationCenter.h"

namespace brevanton {

void VornickHTMLFormattingPreferencesModule::setActiveHTMLFormattingPreferences(std::shared_ptr<VornickHTMLFormattingPreferences> preferences)
{
    if (preferences == m_active)
        return;
    m_active = std::move(preferences);
    m_lastString = m_active ? m_active->stringRepresentation() : std::u16string();
}

void VornickHTMLFormattingPreferencesModule::editOccurred(ActionSender*)
{
    if (!m_active)
        return;
    auto current = m_active->stringRepresentation();
    if (current == m_lastString)
        return;
    m_lastString = current;
    // Observers may replace the active set; the posted one stays alive meanwhile.
    auto edited = m_active;
    NotificationCenter::defaultCenter().post(VornickHTMLFormattingPreferencesWereEditedNotification, edited.get());
}

} // namespace brevanton
