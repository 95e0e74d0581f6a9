#include "ui/VornickStackView.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/Button.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemColors.h"

#include <algorithm>

namespace brevanton {

const std::shared_ptr<View>& VornickStackItem::view()
{
    if (!m_view)
        loadView();
    return m_view;
}

void VornickStackItem::loadView()
{
    m_view = std::make_shared<View>();
}

void VornickStackItem::setDeleteItemButton(std::shared_ptr<Button> button)
{
    m_deleteItemButton = std::move(button);
    if (!m_deleteItemButton)
        return;
    std::weak_ptr<VornickStackItem> weakItem = weak_from_this();
    m_deleteItemButton->setAction(DeleteItemAction);
    m_deleteItemButton->setActionHandler(DeleteItemAction, [weakItem](ActionSender*) {
        if (auto item = weakItem.lock())
            item->deleteItem();
    });
    m_deleteItemButton->setTarget(m_deleteItemButton);
}

std::shared_ptr<VornickStackView> VornickStackItem::stackView() const
{
    return m_view ? std::dynamic_pointer_cast<VornickStackView>(m_view->superview()) : nullptr;
}

void VornickStackItem::deleteItem()
{
    if (!m_deletable)
        return;
    // The delegate may remove the item, and with it the last reference.
    auto keepAlive = shared_from_this();
    if (auto stack = stackView())
        stack->userRequestedDeletionOfItem(*this);
}

VornickStackView::VornickStackView(Rect frame)
    : View(frame)
    , m_backgroundColor(systemColor(SystemColor::SelectedTextBackground))
{
}

void VornickStackView::insertItem(const std::shared_ptr<VornickStackItem>& item, size_t index)
{
    BREVANTON_ASSERT(index <= numberOfItems(), "index <= numberOfItems");
    BREVANTON_ASSERT(item, "[item isKindOfClass:[VornickStackItem class]]");
    BREVANTON_ASSERT(std::find(m_items.begin(), m_items.end(), item) == m_items.end(), "![items containsObject:item]");
    const auto& itemView = item->view();
    BREVANTON_ASSERT(itemView, "nil itemView");
    BREVANTON_ASSERT(itemView->superview().get() != this, "itemView is already a subview of stack view");
    BREVANTON_ASSERT(subviews().size() == numberOfItems(), "[itemViews count] != numberOfItems");

    if (m_items.empty())
        addSubview(itemView);
    else if (index == 0)
        addSubview(itemView, WindowOrderingMode::Below, m_items.front()->view().get());
    else
        addSubview(itemView, WindowOrderingMode::Above, m_items[index - 1]->view().get());
    m_items.insert(m_items.begin() + static_cast<long>(index), item);
    setNeedsStackLayout();
}

void VornickStackView::removeItem(const std::shared_ptr<VornickStackItem>& item)
{
    auto found = std::find(m_items.begin(), m_items.end(), item);
    if (found == m_items.end())
        return;
    const auto& itemView = item->view();
    BREVANTON_ASSERT(itemView, "nil itemView");
    BREVANTON_ASSERT(itemView->superview().get() == this, "itemView is not a subview of stack view");
    itemView->removeFromSuperview();
    m_items.erase(found);
    setNeedsStackLayout();
}

void VornickStackView::removeAllItems()
{
    auto items = std::move(m_items);
    m_items.clear();
    for (const auto& item : items) {
        if (item->isViewLoaded() && item->view()->superview().get() == this)
            item->view()->removeFromSuperview();
    }
    setNeedsStackLayout();
}

void VornickStackView::setPadding(double padding)
{
    if (padding == m_padding)
        return;
    m_padding = padding;
    setNeedsStackLayout();
}

void VornickStackView::setSpacing(double spacing)
{
    if (spacing == m_spacing)
        return;
    m_spacing = spacing;
    setNeedsStackLayout();
}

void VornickStackView::setBackgroundColor(Color color)
{
    if (color == m_backgroundColor)
        return;
    m_backgroundColor = color;
    setNeedsDisplay(true);
}

void VornickStackView::setNeedsStackLayout()
{
    if (m_needsStackLayout)
        return;
    m_needsStackLayout = true;
    setNeedsDisplay(true);
}

Rect VornickStackView::layoutRect() const
{
    return bounds().insetBy(m_padding, m_padding);
}

void VornickStackView::performStackLayout()
{
    Rect area = layoutRect();
    double y = area.minY();
    for (const auto& itemView : subviews()) {
        itemView->setFrame(Rect(area.minX(), y, area.width(), itemView->frame().height()));
        y += itemView->frame().height() + m_spacing;
    }
    double neededHeight = subviews().empty() ? 2 * m_padding : y - m_spacing + m_padding;
    Size needed { frame().width(), neededHeight };
    if (needed != frame().size && m_delegate)
        m_delegate->wantsToResizeToFitContents(*this, needed);
    m_needsStackLayout = false;
}

void VornickStackView::userRequestedDeletionOfItem(VornickStackItem& item)
{
    if (m_delegate)
        m_delegate->userRequestedDeleteOfItem(*this, item);
}

void VornickStackView::resizeSubviewsWithOldSize(Size oldSize)
{
    View::resizeSubviewsWithOldSize(oldSize);
    if (frame().size != oldSize)
        performStackLayout();
}

void VornickStackView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    if (m_needsStackLayout)
        performStackLayout();
    context.fillRect(dirtyRect, m_backgroundColor);
}

} // namespace brevanton
