// VornickTitleWall: fills a layer with titles (the posts being fetched in a
// first blog sync) that rise one after another from below the bottom edge to
// beyond the top edge, at random sizes, depths and speeds, over and over
// until they are removed. Every 0.5 seconds the first waiting title starts a
// flight of 4 to 8 seconds; when the flight ends the title comes back at the
// end of the queue at a new random size and place.
//
// The wall is a plain object (std::make_shared), not a view; the window that
// shows it sets the container layer. Flights hold the wall weakly: a title
// comes back only while the wall lives and the layer is still in flight, so
// nothing returns after removeAllTitles or the wall's end. Main thread only.
#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/views/Font.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class Layer;
class TextLayer;

class VornickTitleWall : public std::enable_shared_from_this<VornickTitleWall> {
public:
    static constexpr double LaunchInterval = 0.5;
    // How far below the bottom edge a waiting title's centre lies, and above
    // the top edge a flight ends.
    static constexpr double WaitingDepth = 36.0;
    static constexpr double FlightOvershoot = 54.0;
    static constexpr double TitleFontSize = 36;

    // Uniform numbers in [0, 1).
    using RandomNumberSource = std::function<double()>;

    VornickTitleWall();
    ~VornickTitleWall();

    VornickTitleWall(const VornickTitleWall&) = delete;
    VornickTitleWall& operator=(const VornickTitleWall&) = delete;

    const std::shared_ptr<Layer>& containerLayer() const { return m_containerLayer; }
    void setContainerLayer(std::shared_ptr<Layer> layer) { m_containerLayer = std::move(layer); }

    // "Helvetica" at 36 points, which titles are measured and drawn in.
    const FontDescriptor& titleFont() const { return m_titleFont; }

    // Places the title below the bottom edge, at a random scale from 0.5 to
    // 1 (smaller titles lie deeper) and a random centre that keeps it within
    // the container's width; it waits at the end of the queue. Starts the
    // launch timer.
    void addTitle(const std::u16string& title);
    // Stops the timer and removes every title, waiting or in flight.
    void removeAllTitles();

    void scheduleLaunchTimer();
    void cancelLaunchTimer();
    bool isLaunchTimerScheduled() const { return static_cast<bool>(m_launchTimer); }
    // Starts the flight of the first waiting title; nothing when none waits.
    void launchOneTitle();

    const std::vector<std::shared_ptr<TextLayer>>& titleLayersAwaitingLaunch() const { return m_titleLayersAwaitingLaunch; }
    const std::vector<std::shared_ptr<TextLayer>>& titleLayersInFlight() const { return m_titleLayersInFlight; }

    // By default a generator seeded at random.
    void setRandomNumberSource(RandomNumberSource source) { m_random = std::move(source); }

private:
    void flightDidEnd(const std::shared_ptr<TextLayer>&);

    std::shared_ptr<Layer> m_containerLayer;
    std::vector<std::shared_ptr<TextLayer>> m_titleLayersAwaitingLaunch;
    std::vector<std::shared_ptr<TextLayer>> m_titleLayersInFlight;
    ScopedTimer m_launchTimer;
    FontDescriptor m_titleFont { u"Helvetica", TitleFontSize };
    RandomNumberSource m_random;
};

} // namespace brevanton
