// EventSynthesizer: makes the events a user would cause, with timestamps
// from its own clock (advancing a fixed step per event, so runs repeat
// exactly), and optionally sends them through Application as the window
// system would. Tests and the scripted event source drive windows with it.
#pragma once

#include "platform/views/Event.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class Window;

class EventSynthesizer {
public:
    explicit EventSynthesizer(double startTime = 0, double step = 0.01);

    double now() const { return m_now; }
    void advance(double seconds) { m_now += seconds; }

    Event mouseDown(const std::shared_ptr<Window>&, Point locationInWindow, ModifierFlags = 0, int clickCount = 1);
    Event mouseUp(const std::shared_ptr<Window>&, Point locationInWindow, ModifierFlags = 0, int clickCount = 1);
    Event mouseDragged(const std::shared_ptr<Window>&, Point locationInWindow, ModifierFlags = 0);
    Event mouseMoved(const std::shared_ptr<Window>&, Point locationInWindow, ModifierFlags = 0);
    Event rightMouseDown(const std::shared_ptr<Window>&, Point locationInWindow, ModifierFlags = 0);
    Event rightMouseUp(const std::shared_ptr<Window>&, Point locationInWindow, ModifierFlags = 0);
    // A key event; the characters ignoring modifiers default to the characters.
    Event keyDown(const std::shared_ptr<Window>&, std::u16string characters, uint16_t keyCode, ModifierFlags = 0,
                  std::optional<std::u16string> charactersIgnoringModifiers = std::nullopt, bool isARepeat = false);
    Event keyUp(const std::shared_ptr<Window>&, std::u16string characters, uint16_t keyCode, ModifierFlags = 0);
    Event flagsChanged(const std::shared_ptr<Window>&, ModifierFlags, uint16_t keyCode = 0);

    // Key down for a character on a US keyboard: its key code, with Shift for
    // upper-case letters and shifted symbols; function-key characters add
    // the Function flag (arrows also NumericPad).
    Event keyDownForCharacter(const std::shared_ptr<Window>&, char16_t, ModifierFlags = 0);

    // Sending through Application::sendEvent.
    void send(const Event&);
    // Mouse down then up at the point, with the click count.
    void click(const std::shared_ptr<Window>&, Point, ModifierFlags = 0, int clickCount = 1);
    // A press with drags through the points and the release at the last one.
    void drag(const std::shared_ptr<Window>&, Point from, const std::vector<Point>& through, ModifierFlags = 0);
    // Key down and key up for each character of the text.
    void typeText(const std::shared_ptr<Window>&, std::u16string_view text, ModifierFlags = 0);
    // Key down and key up for one key.
    void pressKey(const std::shared_ptr<Window>&, char16_t character, ModifierFlags = 0);

    // The US-keyboard key code of a character and whether it needs Shift; 0xFFFF when unknown.
    static uint16_t keyCodeForCharacter(char16_t, bool* needsShift = nullptr);

private:
    double tick();

    double m_now;
    double m_step;
    Point m_lastMouseLocation;
};

} // namespace brevanton
