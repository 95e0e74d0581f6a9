// VornickCollapsibleHeaderSplitViewManager: the delegate of a split view
// that stacks an optional collapsible header pane, one main pane and an
// optional collapsible footer pane. It keeps the header between a minimum
// and a natural height, remembers the footer's height, collapses and
// restores the panes on a divider double-click, and lays the panes out
// itself when the split view is resized.
//
// Panes: with a header, the subviews are header, main, footer; without one,
// main, footer. The header is always the first subview and the footer the last.
#pragma once

#include "platform/views/SplitView.h"

#include <functional>
#include <memory>

namespace brevanton {

class VornickCollapsibleHeaderSplitViewManager : public SplitViewDelegate,
                                                 public std::enable_shared_from_this<VornickCollapsibleHeaderSplitViewManager> {
public:
    VornickCollapsibleHeaderSplitViewManager() = default;
    ~VornickCollapsibleHeaderSplitViewManager() override;

    std::shared_ptr<SplitView> splitView() const { return m_splitView; }
    // Becomes the split view's delegate (and stops being the previous one's).
    void setSplitView(std::shared_ptr<SplitView>);
    std::shared_ptr<View> headerView() const { return m_headerView; }
    // Replaces the previous header; the new one becomes the first subview.
    // Without a natural height yet, the header's height becomes it.
    void setHeaderView(std::shared_ptr<View>);
    std::shared_ptr<View> footerView() const { return m_footerView; }
    // Replaces the previous footer; the new one becomes the last subview.
    void setFooterView(std::shared_ptr<View>);

    double headerViewMinHeight() const { return m_headerViewMinHeight; }
    void setHeaderViewMinHeight(double height) { m_headerViewMinHeight = height; }
    double headerViewNaturalHeight() const { return m_headerViewNaturalHeight; }
    void setHeaderViewNaturalHeight(double height) { m_headerViewNaturalHeight = height; }
    double footerViewNaturalHeight() const { return m_footerViewNaturalHeight; }
    void setFooterViewNaturalHeight(double height) { m_footerViewNaturalHeight = height; }
    // Run (later, on the main queue) when the user collapses the header.
    const std::function<void()>& headerCollapseHandlerBlock() const { return m_headerCollapseHandlerBlock; }
    void setHeaderCollapseHandlerBlock(std::function<void()> block) { m_headerCollapseHandlerBlock = std::move(block); }

    // 0 with a header, else -1.
    long headerDividerIndex() const;
    // The divider above the footer, or -1.
    long footerDividerIndex() const;

    // Moves the header divider to the header's natural height.
    void restoreCollapsedHeaderArea();
    // Moves the footer divider up to leave the footer its natural height.
    void restoreCollapsedFooterArea();

    // The split view's delegate.
    double constrainMinCoordinate(SplitView&, double proposedMinimum, long dividerIndex) override;
    double constrainMaxCoordinate(SplitView&, double proposedMaximum, long dividerIndex) override;
    double constrainSplitPosition(SplitView&, double proposedPosition, long dividerIndex) override;
    bool canCollapseSubview(SplitView&, View&) override;
    bool shouldCollapseSubview(SplitView&, View&, long dividerIndex) override;
    bool resizeSubviewsWithOldSize(SplitView&, Size oldSize) override;

private:
    bool isMine(const SplitView& splitView) const { return m_splitView.get() == &splitView; }

    std::shared_ptr<SplitView> m_splitView;
    std::shared_ptr<View> m_headerView;
    std::shared_ptr<View> m_footerView;
    double m_headerViewMinHeight { 0 };
    double m_headerViewNaturalHeight { 0 };
    double m_footerViewNaturalHeight { 0 };
    std::function<void()> m_headerCollapseHandlerBlock;
};

} // namespace brevanton
