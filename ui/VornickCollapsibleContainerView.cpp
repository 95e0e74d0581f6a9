#include "ui/VornickCollapsibleContainerView.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/Button.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/views/TextField.h"
#include "views/VornickViewExtensions.h"

#include <cmath>
#include <vector>

namespace brevanton {

void VornickCollapsibleContainerView::awakeFromLayout()
{
    BREVANTON_ASSERT(m_disclosureButton, "VornickCollapsibleContainerView's disclosureButton must be wired in .xib");
    for (auto& subview : subviews())
        subview->setAutoresizingMask(Autoresizing::NotSizable);
    BREVANTON_ASSERT(isFlipped(), "VornickCollapsibleContainerView should be flipped");
    vornick_flipSubviewPositionsIfSelfFlipped(*this);
    m_collapsed = false;
    m_expandedHeight = frame().height();
    m_collapsedHeight = 2 * m_disclosureButton->frame().minY() + m_disclosureButton->frame().height();
    if (m_disclosureButton->action() != ToggleExpansionAction) {
        m_disclosureButton->setAction(ToggleExpansionAction);
        m_disclosureButton->setTarget(shared_from_this());
        setActionHandler(ToggleExpansionAction, [this](ActionSender*) { toggleExpansion(); });
    }
}

void VornickCollapsibleContainerView::toggleExpansion()
{
    bool collapse = !isCollapsed();
    if (m_delegate && !m_delegate->shouldChangeStateTo(*this, collapse))
        return;
    if (m_animates)
        animateToCollapsed(collapse);
    else
        setCollapsed(collapse);
}

bool VornickCollapsibleContainerView::isAnimatingCollapse() const
{
    return PropertyAnimator::isAnimating(this, CollapseAnimationKey);
}

void VornickCollapsibleContainerView::animateToCollapsed(bool collapsed)
{
    if (collapsed == m_collapsed)
        return;
    // The state is the new one at once; the height and the other subviews'
    // alphas step towards it on the run loop's clock, the delegate hearing
    // each whole-point change of height as it happens.
    m_collapsed = collapsed;
    if (m_disclosureButton)
        m_disclosureButton->setState(collapsed ? OffState : OnState);
    struct Fade {
        std::weak_ptr<View> view;
        double from;
    };
    std::vector<Fade> fades;
    for (auto& subview : subviews()) {
        if (subview != m_disclosureButton && subview != m_labelTextField)
            fades.push_back({ subview, subview->alphaValue() });
    }
    double fromHeight = frame().height();
    double toHeight = collapsed ? m_collapsedHeight : m_expandedHeight;
    double toAlpha = collapsed ? 0.0 : 1.0;
    std::weak_ptr<VornickCollapsibleContainerView> weakSelf = std::static_pointer_cast<VornickCollapsibleContainerView>(shared_from_this());
    PropertyAnimator::animate(weakSelf.lock(), CollapseAnimationKey, 0, 1, CollapseAnimationDuration,
        [weakSelf, fades, fromHeight, toHeight, toAlpha](double progress) {
            auto self = weakSelf.lock();
            if (!self)
                return;
            for (const auto& fade : fades) {
                if (auto view = fade.view.lock())
                    view->setAlphaValue(fade.from + (toAlpha - fade.from) * progress);
            }
            double height = progress >= 1 ? toHeight : std::round(fromHeight + (toHeight - fromHeight) * progress);
            double change = height - self->frame().height();
            if (change == 0)
                return;
            self->setFrameSize({ self->frame().width(), height });
            if (self->m_delegate)
                self->m_delegate->didResizeHeightBy(*self, change);
        });
}

void VornickCollapsibleContainerView::setCollapsed(bool collapsed)
{
    if (collapsed == m_collapsed)
        return;
    PropertyAnimator::stopAnimation(this, CollapseAnimationKey);
    double oldHeight = frame().height();
    setFrameSize({ frame().width(), collapsed ? m_collapsedHeight : m_expandedHeight });
    m_collapsed = collapsed;
    if (m_disclosureButton)
        m_disclosureButton->setState(collapsed ? OffState : OnState);
    for (auto& subview : subviews()) {
        if (subview == m_disclosureButton || subview == m_labelTextField)
            continue;
        subview->setAlphaValue(collapsed ? 0.0 : 1.0);
    }
    if (m_delegate)
        m_delegate->didResizeHeightBy(*this, frame().height() - oldHeight);
}

} // namespace brevanton
