#include "views/VornickEventExtensions.h"

#include "platform/foundation/Text.h"

#include <fmt/format.h>
#include <utility>

namespace brevanton {

std::string VornickModifierFlagsDescription(ModifierFlags flags)
{
    static const std::pair<ModifierFlags, const char*> names[] = {
        { ModifierFlag::CapsLock, "[CapsLock]" }, { ModifierFlag::Shift, "[Shift]" }, { ModifierFlag::Function, "[Fn]" },
        { ModifierFlag::Control, "[Ctrl]" }, { ModifierFlag::Option, "[Opt]" }, { ModifierFlag::Command, "[Cmd]" },
    };
    std::string text;
    for (auto& [flag, name] : names) {
        if (!(flags & flag))
            continue;
        if (!text.empty())
            text += "+";
        text += name;
    }
    return text;
}

std::string vornick_splat(const Event& event)
{
    switch (event.type()) {
    case EventType::KeyDown:
    case EventType::KeyUp:
        return fmt::format("{}: {}+{} (keyCode=0x{:x}, isARepeat={})",
                           event.type() == EventType::KeyDown ? "NSEventTypeKeyDown" : "NSEventTypeKeyUp",
                           VornickModifierFlagsDescription(event.modifierFlags()), toUTF8(event.characters()),
                           event.keyCode(), event.isARepeat() ? "YES" : "NO");
    case EventType::FlagsChanged:
        return fmt::format("NSEventTypeFlagsChanged: {}", VornickModifierFlagsDescription(event.modifierFlags()));
    default:
        return event.description();
    }
}

} // namespace brevanton
