#include "platform/views/Button.h"

#include "platform/views/GraphicsContext.h"

namespace brevanton {

Button::Button(Rect frame, std::u16string title)
    : Control(frame)
    , m_title(std::move(title))
{
}

void Button::setTitle(std::u16string title)
{
    // Shown as it was: nothing to redraw (pop-up buttons set it again on every selection).
    if (title == m_title)
        return;
    m_title = std::move(title);
    setNeedsDisplay(true);
}

void Button::setState(ControlStateValue state)
{
    m_state = state;
    setNeedsDisplay(true);
}

void Button::controlWasClicked(Point)
{
    switch (m_buttonType) {
    case ButtonType::Switch:
    case ButtonType::PushOnPushOff:
        setState(m_state == OnState ? OffState : OnState);
        break;
    case ButtonType::Radio:
        setState(OnState);
        break;
    case ButtonType::MomentaryPushIn:
        break;
    }
}

void Button::draw(const Rect&, GraphicsContext& context)
{
    context.strokeRect(bounds(), isEnabled() ? Color::black() : Color::darkGray());
    context.drawText(m_title, bounds(), isEnabled() ? Color::black() : Color::darkGray());
}

} // namespace brevanton
