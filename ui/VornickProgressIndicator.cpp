#include "ui/VornickProgressIndicator.h"

#include "platform/views/BezierPath.h"
#include "platform/views/GraphicsContext.h"

#include <cmath>

namespace brevanton {

VornickProgressIndicator::VornickProgressIndicator(Rect frame)
    : ProgressIndicator(frame)
{
}

VornickProgressIndicator::~VornickProgressIndicator() = default;

void VornickProgressIndicator::setIndeterminate(bool indeterminate)
{
    ProgressIndicator::setIndeterminate(indeterminate);
    if (isIndeterminate())
        startAnimation();
    else
        stopAnimation();
}

void VornickProgressIndicator::startAnimation()
{
    if (m_animationTimer || !isIndeterminate())
        return;
    m_animationPhase = 0;
    std::weak_ptr<VornickProgressIndicator> weakThis = std::static_pointer_cast<VornickProgressIndicator>(shared_from_this());
    m_animationTimer = Timer::scheduledTimer(AnimationInterval, true,
        Timer::weakBlock<VornickProgressIndicator>(weakThis, [](VornickProgressIndicator& indicator, Timer&) {
            if (indicator.isIndeterminate())
                indicator.setNeedsDisplay(true);
        }));
    setAnimating(true);
    setNeedsDisplay(true);
}

void VornickProgressIndicator::stopAnimation()
{
    if (!m_animationTimer)
        return;
    m_animationTimer.invalidate();
    setAnimating(false);
    setNeedsDisplay(true);
}

void VornickProgressIndicator::draw(const Rect&, GraphicsContext& context)
{
    Rect capsule = bounds().insetBy(1, 1);
    double radius = std::floor(capsule.height() * 0.5);
    BezierPath outline = BezierPath::bezierPathWithRoundedRect(capsule, radius, radius);
    outline.setLineWidth(2);

    if (isIndeterminate()) {
        m_animationPhase += 1;
        if (m_animationPhase >= 8)
            m_animationPhase = 0;
        outline.setLineDash({ 4, 4 }, m_animationPhase);
        context.strokePath(outline, outlineColor());
        return;
    }

    double value = doubleValue();
    double low = minValue();
    double high = maxValue();
    Color color = std::abs(high - value) > 0.001 ? outlineColor() : completedColor();
    context.strokePath(outline, color);
    if (std::abs(value - low) <= 0.001)
        return;
    double fraction = high - low > 0 ? (value - low) / (high - low) : 0;
    double barWidth = std::floor((bounds().width() - 2 * radius) * fraction + 2 * radius + 0.5);
    barWidth = std::min(barWidth, capsule.width());
    Rect bar(capsule.minX(), capsule.minY(), barWidth, capsule.height());
    context.fillPath(BezierPath::bezierPathWithRoundedRect(bar, radius, radius), color);
}

} // namespace brevanton
