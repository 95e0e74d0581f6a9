#include "app/VornickProjectOrComponentWindow.h"

#include "platform/views/Button.h"

namespace brevanton {

std::shared_ptr<Button> VornickProjectOrComponentWindow::standardWindowButton(WindowButton kind, WindowStyleMask styleMask)
{
    if (kind == WindowButton::DocumentVersions)
        return nullptr;
    return Window::standardWindowButton(kind, styleMask);
}

std::shared_ptr<Button> VornickProjectOrComponentWindow::standardWindowButton(WindowButton kind) const
{
    if (kind == WindowButton::DocumentVersions)
        return nullptr;
    return VornickWindow::standardWindowButton(kind);
}

} // namespace brevanton
