// VornickProjectOrComponentWindow: the window of a project or of one of its
// components. It has no document versions button; every other standard
// button is the platform's.
#pragma once

#include "app/VornickWindow.h"

namespace brevanton {

class VornickProjectOrComponentWindow : public VornickWindow {
public:
    using VornickWindow::VornickWindow;

    static std::shared_ptr<Button> standardWindowButton(WindowButton, WindowStyleMask);
    std::shared_ptr<Button> standardWindowButton(WindowButton) const override;
};

} // namespace brevanton
