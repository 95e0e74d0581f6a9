#include "ui/VornickTitleWall.h"

#include "platform/views/Layer.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>

namespace brevanton {

VornickTitleWall::VornickTitleWall()
{
    auto engine = std::make_shared<std::mt19937_64>(std::random_device {}());
    m_random = [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); };
}

VornickTitleWall::~VornickTitleWall() = default;

void VornickTitleWall::addTitle(const std::u16string& title)
{
    Font font(m_titleFont);
    double width = font.widthOfString(title);
    double height = font.lineHeight();

    auto layer = std::make_shared<TextLayer>();
    Rect container = m_containerLayer ? m_containerLayer->bounds() : Rect();
    double r1 = m_random();
    double r2 = m_random();
    double scale = 1 - 0.5 * r1;
    double centreX = container.width() * 0.5 + (r2 - 0.5) * (container.width() - width * scale);

    layer->setTransform(LayerScaleTransform::scale(scale, scale));
    layer->setZPosition(-1 / scale);
    layer->setFont(m_titleFont);
    layer->setBounds(Rect(0, 0, width, height));
    layer->setPosition({ std::floor(centreX), container.minY() - WaitingDepth });
    layer->setString(title);

    if (m_containerLayer)
        m_containerLayer->addSublayer(layer);
    m_titleLayersAwaitingLaunch.push_back(std::move(layer));
    scheduleLaunchTimer();
}

void VornickTitleWall::removeAllTitles()
{
    cancelLaunchTimer();
    // Emptied first: removing a layer ends its flight, whose end must find
    // it no longer in flight.
    auto waiting = std::exchange(m_titleLayersAwaitingLaunch, {});
    auto inFlight = std::exchange(m_titleLayersInFlight, {});
    for (auto& layer : waiting)
        layer->removeFromSuperlayer();
    for (auto& layer : inFlight)
        layer->removeFromSuperlayer();
}

void VornickTitleWall::scheduleLaunchTimer()
{
    if (m_launchTimer)
        return;
    m_launchTimer = Timer::scheduledTimer(LaunchInterval, true,
        Timer::weakBlock<VornickTitleWall>(weak_from_this(), [](VornickTitleWall& wall, Timer&) { wall.launchOneTitle(); }));
}

void VornickTitleWall::cancelLaunchTimer()
{
    m_launchTimer.invalidate();
}

void VornickTitleWall::launchOneTitle()
{
    if (m_titleLayersAwaitingLaunch.empty())
        return;
    auto layer = m_titleLayersAwaitingLaunch.front();
    m_titleLayersAwaitingLaunch.erase(m_titleLayersAwaitingLaunch.begin());
    m_titleLayersInFlight.push_back(layer);

    Rect container = m_containerLayer ? m_containerLayer->bounds() : Rect();
    double duration = (m_random() + 1) * 4;
    std::weak_ptr<VornickTitleWall> weakWall = weak_from_this();
    LayerTransaction::begin();
    LayerTransaction::setAnimationDuration(duration);
    LayerTransaction::setAnimationTimingFunction(LayerTimingFunction::Linear);
    LayerTransaction::setCompletionBlock([weakWall, layer] {
        if (auto wall = weakWall.lock())
            wall->flightDidEnd(layer);
        else
            layer->removeFromSuperlayer();
    });
    layer->setPosition({ layer->position().x, container.minY() + container.height() + FlightOvershoot });
    LayerTransaction::commit();
}

void VornickTitleWall::flightDidEnd(const std::shared_ptr<TextLayer>& layer)
{
    auto found = std::find(m_titleLayersInFlight.begin(), m_titleLayersInFlight.end(), layer);
    if (found == m_titleLayersInFlight.end()) {
        // Removed while it flew: it does not come back.
        layer->removeFromSuperlayer();
        return;
    }
    m_titleLayersInFlight.erase(found);
    if (!layer->string().empty())
        addTitle(layer->string());
    layer->removeFromSuperlayer();
}

} // namespace brevanton
