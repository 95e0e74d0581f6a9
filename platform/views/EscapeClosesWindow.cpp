#include "platform/views/EscapeClosesWindow.h"

#include "platform/views/Event.h"
#include "platform/views/Window.h"

namespace brevanton {

void closeWindowWithEscape(Window& window)
{
    constexpr ModifierFlags chord = ModifierFlag::Command | ModifierFlag::Control | ModifierFlag::Option | ModifierFlag::Shift;
    static_cast<void>(window.addSendEventHook([](Window& target, const Event& event) {
        if (event.type() != EventType::KeyDown || event.keyCode() != KeyCode::Escape || event.hasModifier(chord))
            return true;
        target.performClose();
        return false;
    }));
}

} // namespace brevanton
