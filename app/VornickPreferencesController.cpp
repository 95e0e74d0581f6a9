#include "shell/VornickPreferencesController.h"

#include "app/VornickBloggingPreferencePane.h"

namespace brevanton {

VornickPreferencesController::VornickPreferencesController()
{
    setAlwaysShowsToolbar(true);
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
