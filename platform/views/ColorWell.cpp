#include "platform/views/ColorWell.h"

#include "platform/views/ColorPanel.h"
#include "platform/views/GraphicsContext.h"

namespace brevanton {

ColorWell::ColorWell(Rect frame)
    : Control(frame)
{
}

void ColorWell::setColor(std::optional<Color> color)
{
    if (color == m_color)
        return;
    m_color = std::move(color);
    setNeedsDisplay(true);
}

void ColorWell::setBordered(bool bordered)
{
    if (bordered == m_bordered)
        return;
    m_bordered = bordered;
    setNeedsDisplay(true);
}

void ColorWell::activate()
{
    if (m_active || !isEnabled())
        return;
    auto panel = ColorPanel::colorPanel();
    panel->setColor(m_color);
    panel->setParentWindow(window());
    m_active = true;
    setNeedsDisplay(true);
    bool picked = panel->runModal();
    m_active = false;
    setNeedsDisplay(true);
    if (!picked || panel->color() == m_color)
        return;
    setColor(panel->color());
    sendAction();
}

bool ColorWell::clickDidEnd(Point)
{
    activate();
    return true;
}

void ColorWell::draw(const Rect&, GraphicsContext& context)
{
    Rect inside = bounds();
    if (m_bordered) {
        context.fillRect(bounds(), m_active ? Color::gray() : Color::lightGray());
        context.strokeRect(bounds(), Color::darkGray());
        inside = bounds().insetBy(bezelWidth, bezelWidth);
    }
    drawWellInside(inside, context);
}

void ColorWell::drawWellInside(const Rect& rect, GraphicsContext& context)
{
    if (m_color)
        context.fillRect(rect, *m_color, CompositingOperation::SourceOver);
}

} // namespace brevanton
