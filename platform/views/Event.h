// Event: one mouse or keyboard event as the window system would deliver it:
// its type, location in the window's base coordinates, modifier flags,
// timestamp and window; click count for mouse events; characters, characters
// ignoring modifiers, key code and repeat flag for key events.
#pragma once

#include "platform/views/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>

namespace brevanton {

class TrackingArea;
class Window;

enum class EventType {
    LeftMouseDown = 1,
    LeftMouseUp = 2,
    RightMouseDown = 3,
    RightMouseUp = 4,
    MouseMoved = 5,
    LeftMouseDragged = 6,
    RightMouseDragged = 7,
    // Sent to a tracking area's owner; they carry the area.
    MouseEntered = 8,
    MouseExited = 9,
    KeyDown = 10,
    KeyUp = 11,
    FlagsChanged = 12,
};

using ModifierFlags = uint64_t;
namespace ModifierFlag {
constexpr ModifierFlags CapsLock = 1 << 16;
constexpr ModifierFlags Shift = 1 << 17;
constexpr ModifierFlags Control = 1 << 18;
constexpr ModifierFlags Option = 1 << 19;
constexpr ModifierFlags Command = 1 << 20;
constexpr ModifierFlags NumericPad = 1 << 21;
constexpr ModifierFlags Help = 1 << 22;
constexpr ModifierFlags Function = 1 << 23;
// The flags that depend on the device rather than on the key pressed.
constexpr ModifierFlags DeviceIndependentMask = 0xffff0000ULL;
} // namespace ModifierFlag

// Virtual key codes of the keys the editor treats specially (the positions
// on a US keyboard).
namespace KeyCode {
constexpr uint16_t Return = 36;
constexpr uint16_t Tab = 48;
constexpr uint16_t Space = 49;
constexpr uint16_t Delete = 51;
constexpr uint16_t Escape = 53;
constexpr uint16_t Enter = 76;
constexpr uint16_t ForwardDelete = 117;
constexpr uint16_t Home = 115;
constexpr uint16_t End = 119;
constexpr uint16_t PageUp = 116;
constexpr uint16_t PageDown = 121;
constexpr uint16_t LeftArrow = 123;
constexpr uint16_t RightArrow = 124;
constexpr uint16_t DownArrow = 125;
constexpr uint16_t UpArrow = 126;
} // namespace KeyCode

// The characters that function keys produce.
namespace FunctionKey {
constexpr char16_t UpArrow = 0xF700;
constexpr char16_t DownArrow = 0xF701;
constexpr char16_t LeftArrow = 0xF702;
constexpr char16_t RightArrow = 0xF703;
constexpr char16_t Delete = 0xF728;
constexpr char16_t Home = 0xF729;
constexpr char16_t End = 0xF72B;
constexpr char16_t PageUp = 0xF72C;
constexpr char16_t PageDown = 0xF72D;
} // namespace FunctionKey

class Event {
public:
    static Event mouseEvent(EventType, Point locationInWindow, ModifierFlags, double timestamp,
                            const std::shared_ptr<Window>&, int clickCount);
    // Entering or leaving a tracking area, at a location in the window.
    static Event enterExitEvent(EventType, Point locationInWindow, ModifierFlags, double timestamp,
                                const std::shared_ptr<Window>&, const std::shared_ptr<TrackingArea>&);
    static Event keyEvent(EventType, Point locationInWindow, ModifierFlags, double timestamp,
                          const std::shared_ptr<Window>&, std::u16string characters,
                          std::u16string charactersIgnoringModifiers, bool isARepeat, uint16_t keyCode);

    EventType type() const { return m_type; }
    bool isMouseEvent() const;
    bool isKeyEvent() const { return m_type == EventType::KeyDown || m_type == EventType::KeyUp; }
    bool isEnterExitEvent() const { return m_type == EventType::MouseEntered || m_type == EventType::MouseExited; }

    Point locationInWindow() const { return m_location; }
    ModifierFlags modifierFlags() const { return m_modifierFlags; }
    bool hasModifier(ModifierFlags flag) const { return (m_modifierFlags & flag) != 0; }
    double timestamp() const { return m_timestamp; }
    std::shared_ptr<Window> window() const { return m_window.lock(); }

    // Mouse events: 1 for a single click, 2 for the second of a double click, ...
    // Asserts that the event is a mouse event.
    int clickCount() const;

    // The area of an enter or exit event, else null.
    std::shared_ptr<TrackingArea> trackingArea() const { return m_trackingArea; }

    // Key events (assertions for other types); flags-changed events carry the key code too.
    const std::u16string& characters() const;
    const std::u16string& charactersIgnoringModifiers() const;
    bool isARepeat() const;
    uint16_t keyCode() const;

    // A line for logs: the type, the location, the flags and the type's own fields.
    std::string description() const;

private:
    Event() = default;

    EventType m_type { EventType::MouseMoved };
    Point m_location;
    ModifierFlags m_modifierFlags { 0 };
    double m_timestamp { 0 };
    std::weak_ptr<Window> m_window;
    int m_clickCount { 0 };
    std::u16string m_characters;
    std::u16string m_charactersIgnoringModifiers;
    bool m_isARepeat { false };
    uint16_t m_keyCode { 0 };
    std::shared_ptr<TrackingArea> m_trackingArea;
};

const char* eventTypeName(EventType);

} // namespace brevanton
