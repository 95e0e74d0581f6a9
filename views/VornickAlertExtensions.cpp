#include "views/VornickAlertExtensions.h"

namespace brevanton {

std::shared_ptr<Alert> vornick_alertWithMessageText(const std::optional<std::u16string>& messageText,
                                                    const std::optional<std::u16string>& defaultButton,
                                                    const std::optional<std::u16string>& alternateButton,
                                                    const std::optional<std::u16string>& otherButton,
                                                    const std::u16string& informativeText)
{
    auto alert = Alert::create();
    if (messageText)
        alert->setMessageText(*messageText);
    for (auto* title : { &defaultButton, &alternateButton, &otherButton }) {
        if (*title)
            alert->addButtonWithTitle(**title);
    }
    alert->setInformativeText(informativeText);
    return alert;
}

} // namespace brevanton
