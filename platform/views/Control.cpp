#include "platform/views/Control.h"

#include "platform/foundation/Text.h"
#include "platform/views/Application.h"

#include <cmath>

namespace brevanton {

Control::Control(Rect frame)
    : View(frame)
{
}

void Control::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    setNeedsDisplay(true);
}

void Control::setObjectValue(Value value)
{
    m_value = std::move(value);
    setNeedsDisplay(true);
}

std::u16string Control::stringValue() const
{
    switch (m_value.type()) {
    case Value::Type::String:
        return m_value.stringValue();
    case Value::Type::Integer:
        return toUTF16(std::to_string(m_value.integerValue()));
    case Value::Type::Boolean:
        return m_value.boolValue() ? u"1" : u"0";
    case Value::Type::Real: {
        double real = m_value.doubleValue();
        if (std::floor(real) == real && std::abs(real) < 1e15)
            return toUTF16(std::to_string(static_cast<long long>(real)));
        return toUTF16(std::to_string(real));
    }
    default:
        return {};
    }
}

long Control::integerValue() const
{
    switch (m_value.type()) {
    case Value::Type::Integer:
        return static_cast<long>(m_value.integerValue());
    case Value::Type::Real:
        return static_cast<long>(m_value.doubleValue());
    case Value::Type::Boolean:
        return m_value.boolValue() ? 1 : 0;
    case Value::Type::String: {
        std::string text = toUTF8(m_value.stringValue());
        try {
            return std::stol(text);
        } catch (const std::exception&) {
            return 0;
        }
    }
    default:
        return 0;
    }
}

bool Control::sendAction()
{
    return Application::shared().sendAction(m_action, target(), this);
}

bool Control::performClick()
{
    if (!m_enabled)
        return false;
    return clickDidEnd({ bounds().midX(), bounds().midY() });
}

bool Control::clickDidEnd(Point point)
{
    controlWasClicked(point);
    return sendAction();
}

void Control::mouseDown(const Event&)
{
    m_tracking = m_enabled;
}

void Control::mouseUp(const Event& event)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    if (!mouseInRect(point, bounds()))
        return;
    clickDidEnd(point);
}

} // namespace brevanton
