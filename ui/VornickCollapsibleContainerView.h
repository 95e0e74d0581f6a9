// VornickCollapsibleContainerView: a box with a disclosure button that
// collapses the box to its header row (fading out its other subviews) and
// tells its delegate how much its height changed, so the owner can move the
// views below it.
#pragma once

#include "ui/VornickFlippedView.h"

#include <memory>

namespace brevanton {

class Button;
class TextField;
class VornickCollapsibleContainerView;

// Both operations are optional.
class VornickCollapsibleContainerViewDelegate {
public:
    virtual ~VornickCollapsibleContainerViewDelegate() = default;
    // Answer false to refuse the change.
    virtual bool shouldChangeStateTo(VornickCollapsibleContainerView&, bool /*collapsed*/) { return true; }
    // The new height minus the old (negative when collapsing).
    virtual void didResizeHeightBy(VornickCollapsibleContainerView&, double /*heightChange*/) {}
};

class VornickCollapsibleContainerView : public VornickFlippedView {
public:
    static constexpr const char* ToggleExpansionAction = "toggleExpansion:";

    using VornickFlippedView::VornickFlippedView;

    // Outlets, wired before awakeFromLayout.
    std::shared_ptr<Button> disclosureButton() const { return m_disclosureButton; }
    void setDisclosureButton(std::shared_ptr<Button> button) { m_disclosureButton = std::move(button); }
    std::shared_ptr<TextField> labelTextField() const { return m_labelTextField; }
    void setLabelTextField(std::shared_ptr<TextField> field) { m_labelTextField = std::move(field); }

    // Finishes the set-up once the subviews are in place, laid out as drawn
    // unflipped: asserts the disclosure button and the flipped view, mirrors
    // the subviews' vertical positions, records the expanded height (the
    // current one) and the collapsed height (the button with equal space
    // above and below), and aims the button at toggleExpansion.
    void awakeFromLayout();

    bool isCollapsed() const { return m_collapsed; }
    // Resizes to the collapsed or expanded height, fades the other subviews
    // and tells the delegate; nothing when the state does not change.
    void setCollapsed(bool);
    // The disclosure button's action: asks the delegate, then changes the state.
    void toggleExpansion();
    // With animates, the disclosure button's change steps over 0.5 seconds
    // of the run loop's clock (the state changes at once).
    bool animates() const { return m_animates; }
    void setAnimates(bool animates) { m_animates = animates; }
    static constexpr double CollapseAnimationDuration = 0.5;
    static constexpr const char* CollapseAnimationKey = "collapsed";
    bool isAnimatingCollapse() const;

    double expandedHeight() const { return m_expandedHeight; }
    double collapsedHeight() const { return m_collapsedHeight; }

    // Not owned.
    VornickCollapsibleContainerViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickCollapsibleContainerViewDelegate* delegate) { m_delegate = delegate; }

private:
    void animateToCollapsed(bool);

    std::shared_ptr<Button> m_disclosureButton;
    std::shared_ptr<TextField> m_labelTextField;
    bool m_collapsed { false };
    bool m_animates { false };
    double m_expandedHeight { 0 };
    double m_collapsedHeight { 0 };
    VornickCollapsibleContainerViewDelegate* m_delegate { nullptr };
};

} // namespace brevanton
