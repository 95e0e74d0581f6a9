#include "platform/views/Button.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/TextLayout.h"

#include <algorithm>

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
    m_attributedTitle.reset();
    setNeedsDisplay(true);
}

void Button::setAttributedTitle(AttributedString title)
{
    m_title = title.string();
    m_attributedTitle = std::move(title);
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
    Color plain = isEnabled() ? Color::black() : Color::darkGray();
    context.strokeRect(bounds(), plain);
    if (!m_attributedTitle || m_attributedTitle->string() != m_title) {
        context.drawText(m_title, bounds(), plain);
        return;
    }
    // Each run where the text before it ends, in its own colour.
    Rect box = bounds();
    for (const auto& run : m_attributedTitle->runs()) {
        AttributedString piece = m_attributedTitle->attributedSubstring(run.location, run.length);
        const Color* color = isEnabled() ? m_attributedTitle->attributeAtIndex<Color>(ForegroundColorAttributeName, run.location) : nullptr;
        context.drawText(piece.string(), box, color ? *color : plain);
        double width = sizeOfAttributedString(piece).width;
        box.origin.x += width;
        box.size.width = std::max(0.0, box.size.width - width);
    }
}

} // namespace brevanton
