#include "platform/views/Toolbar.h"

#include "platform/foundation/AttributedString.h"
#include "platform/views/Application.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/TextLayout.h"
#include "platform/views/Window.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

namespace {
// The view's margins and the space between items.
constexpr double sideMargin = 8;
constexpr double itemSpacing = 8;
// The band the item views and pictures take above the labels.
constexpr double itemTop = 4;
constexpr double itemBand = 32;
constexpr double labelTop = itemTop + itemBand + 2;
constexpr double labelHeight = 14;
constexpr double imageSide = 24;

Color labelColor(bool enabled)
{
    return enabled ? Color::genericGamma22White(0.15) : Color::genericGamma22White(0.6);
}

} // namespace

// ToolbarItem

ToolbarItem::ToolbarItem(std::u16string itemIdentifier)
    : m_identifier(std::move(itemIdentifier))
{
}

Control* ToolbarItem::control() const
{
    return dynamic_cast<Control*>(m_view.get());
}

void ToolbarItem::setView(std::shared_ptr<View> view)
{
    m_view = std::move(view);
    if (auto toolbar = m_toolbar.lock())
        toolbar->layout();
}

Action ToolbarItem::action() const
{
    if (!m_action.empty())
        return m_action;
    auto* control = this->control();
    return control ? control->action() : Action();
}

void ToolbarItem::setAction(Action action)
{
    if (auto* control = this->control())
        control->setAction(action);
    m_action = std::move(action);
}

std::shared_ptr<Responder> ToolbarItem::target() const
{
    if (auto target = m_target.lock())
        return target;
    auto* control = this->control();
    return control ? control->target() : nullptr;
}

void ToolbarItem::setTarget(const std::shared_ptr<Responder>& target)
{
    if (auto* control = this->control())
        control->setTarget(target);
    m_target = target;
}

Size ToolbarItem::minSize() const
{
    if (m_minSize != Size())
        return m_minSize;
    return m_view ? m_view->frame().size : Size { imageSide, imageSide };
}

Size ToolbarItem::maxSize() const
{
    if (m_maxSize != Size())
        return m_maxSize;
    return m_view ? m_view->frame().size : Size { imageSide, imageSide };
}

void ToolbarItem::setEnabled(bool enabled)
{
    if (auto* control = this->control())
        control->setEnabled(enabled);
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (auto toolbar = m_toolbar.lock())
        toolbar->view()->setNeedsDisplay(true);
}

void ToolbarItem::validate()
{
    Action action = this->action();
    if (action.empty())
        return;
    auto receiver = Application::shared().targetForAction(action, target());
    setEnabled(receiver && receiver->validateToolbarItem(*this));
}

bool ToolbarItem::sendAction()
{
    Action action = this->action();
    if (!m_enabled || action.empty())
        return false;
    return Application::shared().sendAction(action, target(), this);
}

// Toolbar

std::shared_ptr<Toolbar> Toolbar::create(std::u16string identifier)
{
    return std::make_shared<Toolbar>(std::move(identifier));
}

Toolbar::Toolbar(std::u16string identifier)
    : m_identifier(std::move(identifier))
    , m_view(std::make_shared<ToolbarView>(*this))
{
}

std::vector<std::shared_ptr<ToolbarItem>> Toolbar::visibleItems() const
{
    std::vector<std::shared_ptr<ToolbarItem>> visible;
    if (!m_visible)
        return visible;
    for (const auto& slot : m_view->m_slots) {
        if (auto item = slot.item.lock())
            visible.push_back(std::move(item));
    }
    return visible;
}

void Toolbar::insertItemWithItemIdentifier(const std::u16string& identifier, long index)
{
    auto delegate = m_delegate.lock();
    auto item = delegate ? delegate->itemForItemIdentifier(*this, identifier, true) : nullptr;
    if (!item)
        return;
    index = std::clamp(index, 0L, static_cast<long>(m_items.size()));
    item->m_toolbar = weak_from_this();
    if (item->view())
        m_view->addSubview(item->view());
    m_items.insert(m_items.begin() + index, std::move(item));
    layout();
}

void Toolbar::removeItemAtIndex(long index)
{
    if (index < 0 || index >= static_cast<long>(m_items.size()))
        return;
    auto item = m_items[index];
    m_items.erase(m_items.begin() + index);
    item->m_toolbar.reset();
    if (item->view() && item->view()->superview() == m_view)
        item->view()->removeFromSuperview();
    layout();
}

std::shared_ptr<ToolbarItem> Toolbar::itemWithIdentifier(std::u16string_view identifier) const
{
    for (const auto& item : m_items) {
        if (item->itemIdentifier() == identifier)
            return item;
    }
    return nullptr;
}

void Toolbar::setVisible(bool visible)
{
    m_visible = visible;
    m_view->setHidden(!visible);
}

void Toolbar::setWindow(Window* window)
{
    m_window = window;
    if (!window || m_loadedDefaultItems)
        return;
    m_loadedDefaultItems = true;
    auto delegate = m_delegate.lock();
    if (!delegate)
        return;
    for (const auto& identifier : delegate->defaultItemIdentifiers(*this))
        insertItemWithItemIdentifier(identifier, static_cast<long>(m_items.size()));
}

void Toolbar::validateVisibleItems()
{
    for (const auto& item : visibleItems())
        item->validate();
}

void Toolbar::layout()
{
    struct Placement {
        std::shared_ptr<ToolbarItem> item;
        double itemWidth;
        double minWidth;
        double labelWidth;
    };
    std::vector<Placement> placements;
    for (const auto& item : m_items) {
        Size min = item->minSize();
        Size max = item->maxSize();
        double labelWidth = std::ceil(sizeOfAttributedString(AttributedString(item->label())).width);
        placements.push_back({ item, std::max(min.width, max.width), min.width, labelWidth });
    }
    auto slotWidth = [](const Placement& placement) { return std::max(placement.itemWidth, placement.labelWidth); };
    auto totalWidth = [&] {
        double total = 2 * sideMargin;
        for (size_t index = 0; index < placements.size(); ++index)
            total += slotWidth(placements[index]) + (index ? itemSpacing : 0);
        return total;
    };
    double available = m_view->bounds().width();
    // Flexible items give up their extra width first, then the last items go.
    if (totalWidth() > available) {
        for (auto& placement : placements)
            placement.itemWidth = placement.minWidth;
    }
    while (!placements.empty() && totalWidth() > available) {
        if (auto& view = placements.back().item->view())
            view->setHidden(true);
        placements.pop_back();
    }

    m_view->m_slots.clear();
    double x = sideMargin;
    for (auto& placement : placements) {
        double width = slotWidth(placement);
        Rect slot(x, 0, width, height);
        if (auto& view = placement.item->view()) {
            Size min = placement.item->minSize();
            Size max = placement.item->maxSize();
            double viewHeight = std::clamp(view->frame().height(), std::min(min.height, max.height), std::max(min.height, max.height));
            viewHeight = std::min(viewHeight, itemBand);
            view->setHidden(false);
            view->setFrame(Rect(x + (width - placement.itemWidth) / 2, itemTop + (itemBand - viewHeight) / 2, placement.itemWidth, viewHeight));
        }
        m_view->m_slots.push_back({ placement.item, slot });
        x += width + itemSpacing;
    }
    m_view->setNeedsDisplay(true);
}

// ToolbarView

ToolbarView::ToolbarView(Toolbar& toolbar)
    : View(Rect(0, 0, 0, Toolbar::height))
    , m_toolbar(toolbar)
{
    setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
}

ToolbarItem::Placement ToolbarItem::placement() const
{
    if (m_view)
        return { m_view, m_view->bounds() };
    auto toolbar = this->toolbar();
    if (!toolbar || !toolbar->view())
        return {};
    Rect rect = toolbar->view()->rectOfItem(*this);
    if (rect.isEmpty())
        return {};
    return { toolbar->view(), rect };
}

Rect ToolbarView::rectOfItem(const ToolbarItem& item) const
{
    for (const auto& slot : m_slots) {
        if (slot.item.lock().get() == &item)
            return slot.rect;
    }
    return {};
}

std::shared_ptr<ToolbarItem> ToolbarView::itemAtPoint(Point point) const
{
    for (const auto& slot : m_slots) {
        if (slot.rect.containsPoint(point))
            return slot.item.lock();
    }
    return nullptr;
}

void ToolbarView::resizeSubviewsWithOldSize(Size oldSize)
{
    View::resizeSubviewsWithOldSize(oldSize);
    if (oldSize.width != bounds().width())
        m_toolbar.layout();
}

void ToolbarView::draw(const Rect&, GraphicsContext& context)
{
    context.fillRect(bounds(), Color::genericGamma22White(246.0 / 255));
    context.fillRect(Rect(0, bounds().maxY() - 1, bounds().width(), 1), Color::genericGamma22White(209.0 / 255));
    for (const auto& slot : m_slots) {
        auto item = slot.item.lock();
        if (!item)
            continue;
        if (!m_toolbar.m_selectedItemIdentifier.empty() && item->itemIdentifier() == m_toolbar.m_selectedItemIdentifier)
            context.fillRoundedRect(slot.rect.insetBy(1, 1), 5, Color::genericGamma22White(0, 0.1));
        if (!item->view()) {
            Rect picture(slot.rect.midX() - imageSide / 2, itemTop + (itemBand - imageSide) / 2, imageSide, imageSide);
            if (item->image())
                context.drawImage(std::shared_ptr<const Image>(item->image()), picture, CompositingOperation::SourceOver,
                                  item->isEnabled() ? 1.0 : 0.4);
        }
        double labelWidth = std::ceil(sizeOfAttributedString(AttributedString(item->label())).width);
        Rect label(slot.rect.midX() - labelWidth / 2, labelTop, labelWidth, labelHeight);
        context.drawText(item->label(), label, labelColor(item->isEnabled()));
    }
}

void Toolbar::setSelectedItemIdentifier(std::u16string identifier)
{
    if (identifier == m_selectedItemIdentifier)
        return;
    m_selectedItemIdentifier = std::move(identifier);
    m_view->setNeedsDisplay(true);
}

void ToolbarView::mouseDown(const Event& event)
{
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    auto item = itemAtPoint(point);
    if (item && !item->view())
        item->sendAction();
}

} // namespace brevanton
