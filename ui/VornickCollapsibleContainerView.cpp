#include "ui/VornickCollapsibleContainerView.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/Button.h"
#include "platform/views/TextField.h"
#include "views/VornickViewExtensions.h"

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
    // With animates the change would run in a 0.5 second animation group;
    // the headless view layer applies its end state at once.
    setCollapsed(collapse);
}

void VornickCollapsibleContainerView::setCollapsed(bool collapsed)
{
    if (collapsed == m_collapsed)
        return;
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
