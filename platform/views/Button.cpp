#include "platform/views/Button.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/Window.h"

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

ControlDrawing Button::controlDrawing() const
{
    ControlDrawing drawing;
    switch (m_buttonType) {
    case ButtonType::MomentaryPushIn: drawing.kind = ControlKind::PushButton; break;
    case ButtonType::Switch: drawing.kind = ControlKind::CheckBox; break;
    case ButtonType::Radio: drawing.kind = ControlKind::RadioButton; break;
    case ButtonType::PushOnPushOff: drawing.kind = ControlKind::ToolButton; break;
    }
    drawing.state = m_state;
    drawing.enabled = isEnabled();
    drawing.pressed = isHighlighted();
    auto window = this->window();
    drawing.focused = window && window->firstResponder().get() == this;
    drawing.isDefault = m_keyEquivalent == u"\r";
    return drawing;
}

void Button::draw(const Rect&, GraphicsContext& context)
{
    context.drawControl(controlDrawing(), m_title, bounds(), [&] {
        context.strokeRect(bounds(), isEnabled() ? Color::black() : Color::darkGray());
        context.drawText(m_title, bounds(), isEnabled() ? Color::black() : Color::darkGray());
    });
}

} // namespace brevanton
