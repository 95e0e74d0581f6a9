#include "platform/views/EventSynthesizer.h"

#include "platform/views/Application.h"
#include "platform/views/Window.h"

#include <string_view>

namespace brevanton {

EventSynthesizer::EventSynthesizer(double startTime, double step)
    : m_now(startTime)
    , m_step(step)
{
}

double EventSynthesizer::tick()
{
    double time = m_now;
    m_now += m_step;
    return time;
}

Event EventSynthesizer::mouseDown(const std::shared_ptr<Window>& window, Point location, ModifierFlags flags, int clickCount)
{
    m_lastMouseLocation = location;
    return Event::mouseEvent(EventType::LeftMouseDown, location, flags, tick(), window, clickCount);
}

Event EventSynthesizer::mouseUp(const std::shared_ptr<Window>& window, Point location, ModifierFlags flags, int clickCount)
{
    m_lastMouseLocation = location;
    return Event::mouseEvent(EventType::LeftMouseUp, location, flags, tick(), window, clickCount);
}

Event EventSynthesizer::mouseDragged(const std::shared_ptr<Window>& window, Point location, ModifierFlags flags)
{
    m_lastMouseLocation = location;
    return Event::mouseEvent(EventType::LeftMouseDragged, location, flags, tick(), window, 1);
}

Event EventSynthesizer::mouseMoved(const std::shared_ptr<Window>& window, Point location, ModifierFlags flags)
{
    m_lastMouseLocation = location;
    return Event::mouseEvent(EventType::MouseMoved, location, flags, tick(), window, 0);
}

Event EventSynthesizer::rightMouseDown(const std::shared_ptr<Window>& window, Point location, ModifierFlags flags)
{
    m_lastMouseLocation = location;
    return Event::mouseEvent(EventType::RightMouseDown, location, flags, tick(), window, 1);
}

Event EventSynthesizer::rightMouseUp(const std::shared_ptr<Window>& window, Point location, ModifierFlags flags)
{
    m_lastMouseLocation = location;
    return Event::mouseEvent(EventType::RightMouseUp, location, flags, tick(), window, 1);
}

Event EventSynthesizer::keyDown(const std::shared_ptr<Window>& window, std::u16string characters, uint16_t keyCode,
                                ModifierFlags flags, std::optional<std::u16string> ignoringModifiers, bool isARepeat)
{
    std::u16string unmodified = ignoringModifiers ? *ignoringModifiers : characters;
    return Event::keyEvent(EventType::KeyDown, m_lastMouseLocation, flags, tick(), window, std::move(characters),
                           std::move(unmodified), isARepeat, keyCode);
}

Event EventSynthesizer::keyUp(const std::shared_ptr<Window>& window, std::u16string characters, uint16_t keyCode, ModifierFlags flags)
{
    std::u16string unmodified = characters;
    return Event::keyEvent(EventType::KeyUp, m_lastMouseLocation, flags, tick(), window, std::move(characters),
                           std::move(unmodified), false, keyCode);
}

Event EventSynthesizer::flagsChanged(const std::shared_ptr<Window>& window, ModifierFlags flags, uint16_t keyCode)
{
    return Event::keyEvent(EventType::FlagsChanged, m_lastMouseLocation, flags, tick(), window, {}, {}, false, keyCode);
}

uint16_t EventSynthesizer::keyCodeForCharacter(char16_t character, bool* needsShift)
{
    // Key codes of the US layout, by the unshifted and shifted characters of each key.
    using namespace std::string_view_literals;
    static constexpr std::u16string_view unshifted = u"asdfhgzxcv\0bqweryt123465=97-80]ou[ip\rlj'k;\\,/nm.\t `"sv;
    static constexpr std::u16string_view shifted = u"ASDFHGZXCV\0BQWERYT!@#$^%+(&_*)}OU{IP\rLJ\"K:|<?NM>\t ~"sv;
    if (needsShift)
        *needsShift = false;
    switch (character) {
    case u'\x7f': case u'\b': return KeyCode::Delete;
    case u'\x1b': return KeyCode::Escape;
    case u'\x03': return KeyCode::Enter;
    case FunctionKey::UpArrow: return KeyCode::UpArrow;
    case FunctionKey::DownArrow: return KeyCode::DownArrow;
    case FunctionKey::LeftArrow: return KeyCode::LeftArrow;
    case FunctionKey::RightArrow: return KeyCode::RightArrow;
    case FunctionKey::Delete: return KeyCode::ForwardDelete;
    case FunctionKey::Home: return KeyCode::Home;
    case FunctionKey::End: return KeyCode::End;
    case FunctionKey::PageUp: return KeyCode::PageUp;
    case FunctionKey::PageDown: return KeyCode::PageDown;
    default: break;
    }
    if (character == 0)
        return 0xFFFF;
    if (auto index = unshifted.find(character); index != std::u16string_view::npos)
        return static_cast<uint16_t>(index);
    if (auto index = shifted.find(character); index != std::u16string_view::npos) {
        if (needsShift)
            *needsShift = true;
        return static_cast<uint16_t>(index);
    }
    return 0xFFFF;
}

Event EventSynthesizer::keyDownForCharacter(const std::shared_ptr<Window>& window, char16_t character, ModifierFlags flags)
{
    bool needsShift = false;
    uint16_t keyCode = keyCodeForCharacter(character, &needsShift);
    if (needsShift)
        flags |= ModifierFlag::Shift;
    if (character >= 0xF700 && character <= 0xF8FF) {
        flags |= ModifierFlag::Function;
        if (character <= FunctionKey::RightArrow)
            flags |= ModifierFlag::NumericPad;
    }
    return keyDown(window, std::u16string(1, character), keyCode == 0xFFFF ? 0 : keyCode, flags);
}

void EventSynthesizer::send(const Event& event)
{
    Application::shared().sendEvent(event);
}

void EventSynthesizer::click(const std::shared_ptr<Window>& window, Point point, ModifierFlags flags, int clickCount)
{
    send(mouseDown(window, point, flags, clickCount));
    send(mouseUp(window, point, flags, clickCount));
}

void EventSynthesizer::drag(const std::shared_ptr<Window>& window, Point from, const std::vector<Point>& through, ModifierFlags flags)
{
    send(mouseDown(window, from, flags));
    Point last = from;
    for (Point point : through) {
        send(mouseDragged(window, point, flags));
        last = point;
    }
    send(mouseUp(window, last, flags));
}

void EventSynthesizer::pressKey(const std::shared_ptr<Window>& window, char16_t character, ModifierFlags flags)
{
    Event down = keyDownForCharacter(window, character, flags);
    send(down);
    send(keyUp(window, down.characters(), down.keyCode(), down.modifierFlags()));
}

void EventSynthesizer::typeText(const std::shared_ptr<Window>& window, std::u16string_view text, ModifierFlags flags)
{
    for (char16_t character : text)
        pressKey(window, character, flags);
}

} // namespace brevanton
