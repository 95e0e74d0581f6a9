#include "platform/views/Layer.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/views/View.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr const char* PositionAnimationKey = "position";

// The animations started in one transaction and its completion action.
struct AnimationGroup {
    int running { 0 };
    bool committed { false };
    std::function<void()> completion;

    void animationEnded()
    {
        --running;
        runCompletionIfDone();
    }
    void runCompletionIfDone()
    {
        if (!committed || running > 0 || !completion)
            return;
        auto block = std::move(completion);
        completion = nullptr;
        block();
    }
};

struct TransactionSettings {
    double duration { 0 };
    LayerTimingFunction timing { LayerTimingFunction::EaseInEaseOut };
    std::shared_ptr<AnimationGroup> group { std::make_shared<AnimationGroup>() };
};

std::vector<TransactionSettings>& openTransactions()
{
    static std::vector<TransactionSettings> transactions;
    return transactions;
}

double timed(double fraction, LayerTimingFunction timing)
{
    if (timing == LayerTimingFunction::Linear)
        return fraction;
    // Smooth start and end.
    return fraction * fraction * (3 - 2 * fraction);
}

} // namespace

struct Layer::PositionAnimation {
    Point from;
    Point to;
    LayerTimingFunction timing { LayerTimingFunction::Linear };
    double fraction { 0 };
};

Rect Layer::Placement::map(const Rect& rect) const
{
    Point first = map(rect.origin);
    Point second = map(Point { rect.maxX(), rect.maxY() });
    return Rect(std::min(first.x, second.x), std::min(first.y, second.y), std::abs(second.x - first.x), std::abs(second.y - first.y));
}

Layer::Layer() = default;

Layer::~Layer()
{
    if (m_positionAnimation)
        PropertyAnimator::stopAnimation(m_positionAnimation.get(), PositionAnimationKey);
}

void Layer::setNeedsDisplay() const
{
    std::shared_ptr<const Layer> root;
    for (auto parent = superlayer(); parent; parent = parent->superlayer())
        root = parent;
    if (auto view = (root ? root.get() : this)->hostingView())
        view->setNeedsDisplay(true);
}

void Layer::setBounds(const Rect& bounds)
{
    m_bounds = bounds;
    setNeedsDisplay();
}

void Layer::setPosition(Point position)
{
    Point shown = presentationPosition();
    m_position = position;
    auto& transactions = openTransactions();
    if (!transactions.empty() && transactions.back().duration > 0)
        animatePosition(shown, position);
    else if (m_positionAnimation)
        PropertyAnimator::stopAnimation(m_positionAnimation.get(), PositionAnimationKey);
    setNeedsDisplay();
}

void Layer::animatePosition(Point from, Point to)
{
    auto& settings = openTransactions().back();
    auto animation = std::make_shared<PositionAnimation>();
    animation->from = from;
    animation->to = to;
    animation->timing = settings.timing;
    auto previous = std::move(m_positionAnimation);
    m_positionAnimation = animation;
    if (previous)
        PropertyAnimator::stopAnimation(previous.get(), PositionAnimationKey);

    auto group = settings.group;
    ++group->running;
    std::weak_ptr<Layer> weakLayer = weak_from_this();
    std::weak_ptr<PositionAnimation> weakAnimation = animation;
    PropertyAnimator::animate(animation, PositionAnimationKey, 0, 1, settings.duration,
        [weakLayer, weakAnimation](double fraction) {
            if (auto animation = weakAnimation.lock())
                animation->fraction = fraction;
            if (auto layer = weakLayer.lock())
                layer->setNeedsDisplay();
        },
        [weakLayer, animation = animation.get(), group](bool) {
            if (auto layer = weakLayer.lock(); layer && layer->m_positionAnimation.get() == animation) {
                layer->m_positionAnimation = nullptr;
                layer->setNeedsDisplay();
            }
            group->animationEnded();
        });
}

Point Layer::presentationPosition() const
{
    if (!m_positionAnimation)
        return m_position;
    auto& animation = *m_positionAnimation;
    double fraction = timed(animation.fraction, animation.timing);
    return { animation.from.x + (animation.to.x - animation.from.x) * fraction,
             animation.from.y + (animation.to.y - animation.from.y) * fraction };
}

bool Layer::isAnimatingPosition() const
{
    return m_positionAnimation != nullptr;
}

void Layer::setTransform(LayerScaleTransform transform)
{
    m_transform = transform;
    setNeedsDisplay();
}

void Layer::setZPosition(double zPosition)
{
    m_zPosition = zPosition;
    setNeedsDisplay();
}

Layer::Placement Layer::placementInSuperlayer(bool presentation) const
{
    Point position = presentation ? presentationPosition() : m_position;
    Placement placement;
    placement.sx = m_transform.sx;
    placement.sy = m_transform.sy;
    placement.tx = position.x - m_transform.sx * m_bounds.midX();
    placement.ty = position.y - m_transform.sy * m_bounds.midY();
    return placement;
}

Rect Layer::frame() const
{
    return placementInSuperlayer(false).map(m_bounds);
}

Rect Layer::presentationFrame() const
{
    return placementInSuperlayer(true).map(m_bounds);
}

void Layer::addSublayer(const std::shared_ptr<Layer>& layer)
{
    if (!layer || layer.get() == this)
        return;
    if (auto old = layer->superlayer())
        std::erase(old->m_sublayers, layer);
    layer->m_superlayer = weak_from_this();
    m_sublayers.push_back(layer);
    setNeedsDisplay();
}

void Layer::removeFromSuperlayer()
{
    auto self = shared_from_this();
    if (m_positionAnimation)
        PropertyAnimator::stopAnimation(m_positionAnimation.get(), PositionAnimationKey);
    auto parent = superlayer();
    if (!parent)
        return;
    parent->setNeedsDisplay();
    std::erase(parent->m_sublayers, self);
    m_superlayer.reset();
}

void Layer::drawTree(GraphicsContext& context, const Placement& toView) const
{
    drawContent(context, toView);
    // A copy: deeper layers first, equal depths in order.
    auto ordered = m_sublayers;
    std::stable_sort(ordered.begin(), ordered.end(), [](auto& a, auto& b) { return a->m_zPosition < b->m_zPosition; });
    for (auto& sublayer : ordered) {
        Placement inner = sublayer->placementInSuperlayer(true);
        Placement combined;
        combined.sx = toView.sx * inner.sx;
        combined.sy = toView.sy * inner.sy;
        combined.tx = toView.sx * inner.tx + toView.tx;
        combined.ty = toView.sy * inner.ty + toView.ty;
        sublayer->drawTree(context, combined);
    }
}

void TextLayer::setString(std::u16string string)
{
    m_string = std::move(string);
    setNeedsDisplay();
}

void TextLayer::setFont(FontDescriptor font)
{
    m_font = std::move(font);
    setNeedsDisplay();
}

void TextLayer::setForegroundColor(const Color& color)
{
    m_foregroundColor = color;
    setNeedsDisplay();
}

void TextLayer::drawContent(GraphicsContext& context, const Placement& placement) const
{
    if (m_string.empty() || placement.sx <= 0 || placement.sy <= 0)
        return;
    Rect rect = placement.map(bounds());
    FontDescriptor shownFont = m_font.withPointSize(m_font.pointSize() * placement.sy);
    Font font(shownFont);
    std::vector<double> positions;
    positions.reserve(m_string.size() + 1);
    double x = rect.minX();
    for (char16_t unit : m_string) {
        positions.push_back(x);
        x += font.advanceForCharacter(unit);
    }
    positions.push_back(x);
    bool flipped = !context.currentView() || context.currentView()->isFlipped();
    double baseline = flipped ? rect.minY() + font.ascender() : rect.maxY() - font.ascender();
    context.drawTextRun(m_string, shownFont, rect, baseline, positions, m_foregroundColor);
}

void LayerTransaction::begin()
{
    auto& transactions = openTransactions();
    TransactionSettings settings;
    if (!transactions.empty()) {
        settings.duration = transactions.back().duration;
        settings.timing = transactions.back().timing;
    }
    transactions.push_back(std::move(settings));
}

void LayerTransaction::commit()
{
    auto& transactions = openTransactions();
    if (transactions.empty())
        return;
    auto group = transactions.back().group;
    transactions.pop_back();
    group->committed = true;
    group->runCompletionIfDone();
}

void LayerTransaction::setAnimationDuration(double seconds)
{
    if (!openTransactions().empty())
        openTransactions().back().duration = seconds;
}

double LayerTransaction::animationDuration()
{
    return openTransactions().empty() ? 0 : openTransactions().back().duration;
}

void LayerTransaction::setAnimationTimingFunction(LayerTimingFunction timing)
{
    if (!openTransactions().empty())
        openTransactions().back().timing = timing;
}

void LayerTransaction::setCompletionBlock(std::function<void()> block)
{
    if (!openTransactions().empty())
        openTransactions().back().group->completion = std::move(block);
}

bool LayerTransaction::isOpen()
{
    return !openTransactions().empty();
}

} // namespace brevanton
