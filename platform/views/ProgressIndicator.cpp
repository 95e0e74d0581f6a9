#include "platform/views/ProgressIndicator.h"

#include "platform/views/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

ProgressIndicator::ProgressIndicator(Rect frame)
    : View(frame)
{
}

void ProgressIndicator::setIndeterminate(bool indeterminate)
{
    if (indeterminate == m_indeterminate)
        return;
    m_indeterminate = indeterminate;
    setNeedsDisplay(true);
}

void ProgressIndicator::setMinValue(double value)
{
    m_minValue = value;
    setNeedsDisplay(true);
}

void ProgressIndicator::setMaxValue(double value)
{
    m_maxValue = value;
    setNeedsDisplay(true);
}

void ProgressIndicator::setDoubleValue(double value)
{
    if (std::isnan(value) || value == m_value)
        return;
    m_value = value;
    setNeedsDisplay(true);
}

void ProgressIndicator::startAnimation()
{
    if (m_indeterminate && !m_animating) {
        m_animating = true;
        setNeedsDisplay(true);
    }
}

void ProgressIndicator::stopAnimation()
{
    if (m_animating) {
        m_animating = false;
        setNeedsDisplay(true);
    }
}

void ProgressIndicator::draw(const Rect&, GraphicsContext& context)
{
    ControlDrawing drawing;
    drawing.kind = ControlKind::ProgressBar;
    drawing.minValue = m_minValue;
    drawing.maxValue = m_maxValue;
    drawing.value = m_value;
    drawing.indeterminate = m_indeterminate;
    context.drawControl(std::move(drawing), {}, bounds(), [&] {
        Rect track = bounds();
        context.fillRect(track, Color::lightGray());
        if (m_indeterminate)
            return;
        double span = m_maxValue - m_minValue;
        double fraction = span > 0 ? std::clamp((m_value - m_minValue) / span, 0.0, 1.0) : 0;
        if (fraction > 0)
            context.fillRect(Rect(track.minX(), track.minY(), track.width() * fraction, track.height()), Color::sRGB(0.2, 0.45, 0.85));
    });
}

} // namespace brevanton
