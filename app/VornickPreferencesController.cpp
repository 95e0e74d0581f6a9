#include "app/VornickPreferencesController.h"

#include "app/VornickAppearancePreferencePane.h"
#include "app/VornickApplicationDelegate.h"
#include "app/VornickBloggingPreferencePane.h"
#include "app/VornickGeneralPreferencePane.h"
#include "app/VornickHTMLFormattingPreferencePane.h"

namespace brevanton {

VornickPreferencesController::VornickPreferencesController()
{
    if (auto delegate = VornickApplicationDelegate::shared())
        setUserDefaults(&delegate->userDefaults());
    setAlwaysShowsToolbar(true);
    addPreferencePaneWithClass<VornickAppearancePreferencePane>();
    addPreferencePaneWithClass<VornickGeneralPreferencePane>();
    addPreferencePaneWithClass<VornickHTMLFormattingPreferencePane>();
    addPreferencePaneWithClass<VornickBloggingPreferencePane>();
}

std::shared_ptr<VornickPreferencesController> VornickPreferencesController::create()
{
    auto controller = std::make_shared<VornickPreferencesController>();
    controller->setDebug(true);
    controller->createPreferencesWindowAndDisplay(false);
    return controller;
}

} // namespace brevanton
