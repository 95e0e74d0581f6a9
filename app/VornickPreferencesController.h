// VornickPreferencesController: the application's preferences window, with
// its toolbar always shown. Its panes, in toolbar order: Appearance,
// General, HTML Formatting, Blogging. The last pane shown is kept in the
// application delegate's defaults.
#pragma once

#include "ui/PrefsPaneController.h"

namespace brevanton {

class VornickPreferencesController final : public PrefsPaneController {
public:
    // Made with debug logging on and its window built, not shown.
    static std::shared_ptr<VornickPreferencesController> create();

    VornickPreferencesController();
};

} // namespace brevanton
