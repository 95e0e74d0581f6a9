#include "ui/RatingRequestWindowController.h"

#include "platform/views/Application.h"
#include "platform/views/BezierPath.h"
#include "platform/views/Image.h"
#include "platform/views/ImageView.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/views/TextField.h"

#include <cmath>
#include <numbers>

namespace brevanton {

namespace {

constexpr double WindowWidth = 420;
constexpr double WindowHeight = 200;
constexpr double StarSide = 24;
// The star's centre: just left of the window, 17 points above its bottom edge.
constexpr double StarStartX = -30;
constexpr double StarCentreY = 17;
constexpr const char16_t* HappyStarImageName = u"BrevantonHappyStar";

void registerHappyStarImage()
{
    static bool registered = [] {
        Image::registerImageNamed(HappyStarImageName, [] {
            return Image::imageWithSize(Size { StarSide, StarSide }, [](GraphicsContext& context) {
                BezierPath star;
                for (int point = 0; point < 10; ++point) {
                    double radius = point % 2 ? 5.0 : 11.5;
                    double angle = std::numbers::pi / 2 + point * std::numbers::pi / 5;
                    Point at { StarSide / 2 + radius * std::cos(angle), StarSide / 2 + radius * std::sin(angle) };
                    if (point)
                        star.lineToPoint(at);
                    else
                        star.moveToPoint(at);
                }
                star.closePath();
                context.fillPath(star, Color::sRGB255(255, 204, 0));
            });
        });
        return true;
    }();
    static_cast<void>(registered);
}

} // namespace

std::shared_ptr<RatingRequestWindowController> RatingRequestWindowController::create()
{
    return std::shared_ptr<RatingRequestWindowController>(new RatingRequestWindowController);
}

RatingRequestWindowController::RatingRequestWindowController()
{
    registerHappyStarImage();
    m_happyStarImage = Image::imageNamed(HappyStarImageName);
}

RatingRequestWindowController::~RatingRequestWindowController()
{
    cancelStarTimer();
    stopStarAnimations();
    if (m_window) {
        m_window->setDelegate({});
        m_window->orderOut();
    }
}

const std::shared_ptr<Window>& RatingRequestWindowController::window()
{
    if (m_window)
        return m_window;
    m_window = std::make_shared<Window>(Rect(300, 300, WindowWidth, WindowHeight), WindowStyle::Titled | WindowStyle::Closable);
    Application::shared().addWindow(m_window);
    m_window->setTitle(u"Rate Brevanton");
    auto content = std::make_shared<View>(Rect(0, 0, WindowWidth, WindowHeight));
    m_window->setContentView(content);
    auto message = TextField::labelWithString(u"Enjoying Brevanton? Please take a moment to rate it.");
    message->setFrameOrigin({ 20, 120 });
    content->addSubview(message);
    m_window->setDelegate(std::static_pointer_cast<WindowDelegate>(shared_from_this()));
    return m_window;
}

void RatingRequestWindowController::showWindow()
{
    window()->makeKeyAndOrderFront();
}

void RatingRequestWindowController::windowDidBecomeMain(Window&)
{
    m_closed = false;
    scheduleStarAfter(initialStarDelay);
}

void RatingRequestWindowController::windowWillClose(Window&)
{
    // Stopping the flight must not plan the next one.
    m_closed = true;
    cancelStarTimer();
    stopStarAnimations();
}

void RatingRequestWindowController::scheduleStarAfter(double interval)
{
    cancelStarTimer();
    std::weak_ptr<RatingRequestWindowController> weakThis = weak_from_this();
    m_happyStarTimer = Timer::scheduledTimer(interval, false, [weakThis](Timer&) {
        if (auto controller = weakThis.lock())
            controller->starTimerFired();
    });
}

void RatingRequestWindowController::cancelStarTimer()
{
    m_happyStarTimer.invalidate();
}

void RatingRequestWindowController::stopStarAnimations()
{
    if (!m_happyStarView)
        return;
    PropertyAnimator::stopAnimation(m_happyStarView.get(), "fly");
    PropertyAnimator::stopAnimation(m_happyStarView.get(), "spin");
}

bool RatingRequestWindowController::isStarFlying() const
{
    return m_happyStarView && PropertyAnimator::isAnimating(m_happyStarView.get(), "fly");
}

void RatingRequestWindowController::starTimerFired()
{
    m_happyStarTimer.invalidate();
    auto content = m_window ? m_window->contentView() : nullptr;
    if (m_closed || !content)
        return;
    if (!m_happyStarView) {
        if (!m_happyStarImage)
            return;
        Size size = m_happyStarImage->size();
        m_happyStarView = std::make_shared<ImageView>(Rect(StarStartX - size.width / 2, StarCentreY - size.height / 2, size.width, size.height));
        m_happyStarView->setImage(m_happyStarImage);
    }
    auto star = m_happyStarView;
    if (star->superview() != content)
        content->addSubview(star);
    std::weak_ptr<ImageView> weakStar = star;
    std::weak_ptr<RatingRequestWindowController> weakThis = weak_from_this();
    double halfWidth = star->frame().width() / 2;
    stopStarAnimations();
    // Fly: the centre from left of the window to right of it, staying where it ends.
    PropertyAnimator::animate(star, "fly", StarStartX, content->bounds().width() + 30, flightDuration,
        [weakStar, halfWidth](double x) {
            if (auto star = weakStar.lock())
                star->setFrameOrigin({ x - halfWidth, star->frame().minY() });
        },
        [weakThis](bool finished) {
            if (auto controller = weakThis.lock())
                controller->flightDidStop(finished);
        });
    // Spin: one turn clockwise every 3 seconds, for as long as the flight lasts.
    auto spin = std::make_shared<std::function<void()>>();
    *spin = [weakStar, weakSpin = std::weak_ptr(spin)] {
        auto star = weakStar.lock();
        auto again = weakSpin.lock();
        if (!star || !again)
            return;
        PropertyAnimator::animate(star, "spin", 0, -360, spinDuration,
            [weakStar](double degrees) {
                if (auto star = weakStar.lock())
                    star->setFrameCenterRotation(degrees);
            },
            [again](bool finished) {
                if (finished)
                    (*again)();
            });
    };
    (*spin)();
}

void RatingRequestWindowController::flightDidStop(bool)
{
    if (m_happyStarView) {
        PropertyAnimator::stopAnimation(m_happyStarView.get(), "spin");
        m_happyStarView->removeFromSuperview();
    }
    if (!m_closed)
        scheduleStarAfter(repeatStarDelay);
}

} // namespace brevanton
