#include "platform/views/Event.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <fmt/format.h>

namespace brevanton {

Event Event::mouseEvent(EventType type, Point location, ModifierFlags flags, double timestamp,
                        const std::shared_ptr<Window>& window, int clickCount)
{
    Event event;
    event.m_type = type;
    BREVANTON_ASSERT(event.isMouseEvent(), "a mouse event needs a mouse event type");
    event.m_location = location;
    event.m_modifierFlags = flags;
    event.m_timestamp = timestamp;
    event.m_window = window;
    event.m_clickCount = clickCount;
    return event;
}

Event Event::enterExitEvent(EventType type, Point location, ModifierFlags flags, double timestamp,
                            const std::shared_ptr<Window>& window, const std::shared_ptr<TrackingArea>& area)
{
    Event event;
    event.m_type = type;
    BREVANTON_ASSERT(event.isEnterExitEvent(), "an enter or exit event needs its type");
    event.m_location = location;
    event.m_modifierFlags = flags;
    event.m_timestamp = timestamp;
    event.m_window = window;
    event.m_trackingArea = area;
    return event;
}

Event Event::keyEvent(EventType type, Point location, ModifierFlags flags, double timestamp,
                      const std::shared_ptr<Window>& window, std::u16string characters,
                      std::u16string charactersIgnoringModifiers, bool isARepeat, uint16_t keyCode)
{
    Event event;
    event.m_type = type;
    BREVANTON_ASSERT(event.isKeyEvent() || type == EventType::FlagsChanged, "a key event needs a key event type");
    event.m_location = location;
    event.m_modifierFlags = flags;
    event.m_timestamp = timestamp;
    event.m_window = window;
    event.m_characters = std::move(characters);
    event.m_charactersIgnoringModifiers = std::move(charactersIgnoringModifiers);
    event.m_isARepeat = isARepeat;
    event.m_keyCode = keyCode;
    return event;
}

bool Event::isMouseEvent() const
{
    switch (m_type) {
    case EventType::LeftMouseDown:
    case EventType::LeftMouseUp:
    case EventType::RightMouseDown:
    case EventType::RightMouseUp:
    case EventType::MouseMoved:
    case EventType::LeftMouseDragged:
    case EventType::RightMouseDragged:
        return true;
    default:
        return false;
    }
}

int Event::clickCount() const
{
    BREVANTON_ASSERT(isMouseEvent(), "clickCount is only valid for mouse events");
    return m_clickCount;
}

const std::u16string& Event::characters() const
{
    BREVANTON_ASSERT(isKeyEvent(), "characters is only valid for key events");
    return m_characters;
}

const std::u16string& Event::charactersIgnoringModifiers() const
{
    BREVANTON_ASSERT(isKeyEvent(), "charactersIgnoringModifiers is only valid for key events");
    return m_charactersIgnoringModifiers;
}

bool Event::isARepeat() const
{
    BREVANTON_ASSERT(isKeyEvent(), "isARepeat is only valid for key events");
    return m_isARepeat;
}

uint16_t Event::keyCode() const
{
    BREVANTON_ASSERT(isKeyEvent() || m_type == EventType::FlagsChanged, "keyCode is only valid for key events");
    return m_keyCode;
}

const char* eventTypeName(EventType type)
{
    switch (type) {
    case EventType::LeftMouseDown: return "LeftMouseDown";
    case EventType::LeftMouseUp: return "LeftMouseUp";
    case EventType::RightMouseDown: return "RightMouseDown";
    case EventType::RightMouseUp: return "RightMouseUp";
    case EventType::MouseMoved: return "MouseMoved";
    case EventType::LeftMouseDragged: return "LeftMouseDragged";
    case EventType::RightMouseDragged: return "RightMouseDragged";
    case EventType::MouseEntered: return "MouseEntered";
    case EventType::MouseExited: return "MouseExited";
    case EventType::KeyDown: return "KeyDown";
    case EventType::KeyUp: return "KeyUp";
    case EventType::FlagsChanged: return "FlagsChanged";
    }
    return "Unknown";
}

std::string Event::description() const
{
    std::string text = fmt::format("{} loc=({},{}) time={} flags=0x{:x}", eventTypeName(m_type), m_location.x,
                                   m_location.y, m_timestamp, m_modifierFlags);
    if (isMouseEvent())
        text += fmt::format(" clickCount={}", m_clickCount);
    else if (isKeyEvent())
        text += fmt::format(" chars=\"{}\" unmodchars=\"{}\" repeat={} keyCode={}", toUTF8(m_characters),
                            toUTF8(m_charactersIgnoringModifiers), m_isARepeat ? "YES" : "NO", m_keyCode);
    else
        text += fmt::format(" keyCode={}", m_keyCode);
    return text;
}

} // namespace brevanton
