#include "ui/VornickCollapsibleHeaderSplitViewManager.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

namespace {

// The largest rectangle with integral edges inside `rect`.
Rect alignedInwards(const Rect& rect)
{
    double minX = std::ceil(rect.minX());
    double minY = std::ceil(rect.minY());
    double maxX = std::floor(rect.maxX());
    double maxY = std::floor(rect.maxY());
    return Rect(minX, minY, std::max(0.0, maxX - minX), std::max(0.0, maxY - minY));
}

} // namespace

VornickCollapsibleHeaderSplitViewManager::~VornickCollapsibleHeaderSplitViewManager()
{
    RunLoop::main().cancelPerforms(this);
}

void VornickCollapsibleHeaderSplitViewManager::setSplitView(std::shared_ptr<SplitView> splitView)
{
    if (splitView == m_splitView)
        return;
    if (m_splitView && m_splitView->delegate().lock().get() == this)
        m_splitView->setDelegate({});
    m_splitView = std::move(splitView);
    if (m_splitView)
        m_splitView->setDelegate(std::static_pointer_cast<SplitViewDelegate>(shared_from_this()));
}

void VornickCollapsibleHeaderSplitViewManager::setHeaderView(std::shared_ptr<View> headerView)
{
    if (headerView == m_headerView)
        return;
    if (m_headerView && m_splitView && m_headerView->superview() == m_splitView)
        m_headerView->removeFromSuperview();
    m_headerView = std::move(headerView);
    if (!m_headerView)
        return;
    if (m_headerViewNaturalHeight == 0)
        m_headerViewNaturalHeight = m_headerView->frame().height();
    if (m_splitView && m_headerView->superview() != m_splitView) {
        auto first = m_splitView->subviews().empty() ? nullptr : m_splitView->subviews().front();
        m_splitView->addSubview(m_headerView, WindowOrderingMode::Below, first.get());
    }
}

void VornickCollapsibleHeaderSplitViewManager::setFooterView(std::shared_ptr<View> footerView)
{
    if (footerView == m_footerView)
        return;
    if (m_footerView && m_splitView && m_footerView->superview() == m_splitView)
        m_footerView->removeFromSuperview();
    m_footerView = std::move(footerView);
    if (m_footerView && m_splitView && m_footerView->superview() != m_splitView)
        m_splitView->addSubview(m_footerView);
    // The panes are placed anew: a footer comes in at its own height at the
    // foot, and without one the main pane reaches the foot again.
    if (m_splitView)
        resizeSubviewsWithOldSize(*m_splitView, m_splitView->bounds().size);
}

long VornickCollapsibleHeaderSplitViewManager::headerDividerIndex() const
{
    return m_headerView ? 0 : -1;
}

long VornickCollapsibleHeaderSplitViewManager::footerDividerIndex() const
{
    if (!m_splitView || !m_footerView)
        return -1;
    long count = static_cast<long>(m_splitView->subviews().size());
    return count >= 2 ? count - 2 : -1;
}

void VornickCollapsibleHeaderSplitViewManager::restoreCollapsedHeaderArea()
{
    if (m_splitView && headerDividerIndex() >= 0)
        m_splitView->setPosition(m_headerViewNaturalHeight, headerDividerIndex());
}

void VornickCollapsibleHeaderSplitViewManager::restoreCollapsedFooterArea()
{
    long index = footerDividerIndex();
    if (!m_splitView || index < 0)
        return;
    m_splitView->setPosition(m_splitView->maxPossiblePositionOfDividerAtIndex(index) - m_footerViewNaturalHeight, index);
}

double VornickCollapsibleHeaderSplitViewManager::constrainMinCoordinate(SplitView& splitView, double proposed, long dividerIndex)
{
    if (isMine(splitView) && dividerIndex == 0 && m_headerView)
        return m_headerViewMinHeight;
    return proposed;
}

double VornickCollapsibleHeaderSplitViewManager::constrainMaxCoordinate(SplitView& splitView, double proposed, long dividerIndex)
{
    if (isMine(splitView) && dividerIndex == 0 && m_headerView)
        return m_headerViewNaturalHeight;
    return proposed;
}

double VornickCollapsibleHeaderSplitViewManager::constrainSplitPosition(SplitView&, double proposed, long)
{
    return proposed;
}

bool VornickCollapsibleHeaderSplitViewManager::canCollapseSubview(SplitView& splitView, View& subview)
{
    if (!isMine(splitView))
        return false;
    return &subview == m_headerView.get() || &subview == m_footerView.get();
}

bool VornickCollapsibleHeaderSplitViewManager::shouldCollapseSubview(SplitView& splitView, View& subview, long)
{
    if (!isMine(splitView))
        return false;
    std::weak_ptr<VornickCollapsibleHeaderSplitViewManager> weakThis = weak_from_this();
    if (&subview == m_headerView.get()) {
        if (subview.isHidden() || subview.frame().height() < 1.0) {
            RunLoop::main().performAfterDelay(this, 0, [weakThis] {
                if (auto manager = weakThis.lock())
                    manager->restoreCollapsedHeaderArea();
            });
            return false;
        }
        // Later, and never after the manager has gone.
        if (m_headerCollapseHandlerBlock) {
            RunLoop::main().performAfterDelay(this, 0, [weakThis] {
                if (auto manager = weakThis.lock(); manager && manager->m_headerCollapseHandlerBlock)
                    manager->m_headerCollapseHandlerBlock();
            });
        }
        return true;
    }
    if (&subview == m_footerView.get()) {
        if (subview.isHidden() || subview.frame().height() < 1.0) {
            RunLoop::main().performAfterDelay(this, 0, [weakThis] {
                if (auto manager = weakThis.lock())
                    manager->restoreCollapsedFooterArea();
            });
            return false;
        }
        m_footerViewNaturalHeight = subview.frame().height();
        return true;
    }
    return false;
}

bool VornickCollapsibleHeaderSplitViewManager::resizeSubviewsWithOldSize(SplitView& splitView, Size oldSize)
{
    if (!isMine(splitView))
        return false;
    auto panes = splitView.subviews();
    size_t count = panes.size();
    Rect bounds = splitView.bounds();
    if (count == 1) {
        panes[0]->setFrame(bounds);
        return true;
    }
    if (count != 2 && count != 3)
        return false;

    double height = bounds.height();
    double width = bounds.width();
    double thickness = splitView.dividerThickness();
    bool hasHeader = m_headerView && panes.front() == m_headerView;
    bool hasFooter = m_footerView && panes.back() == m_footerView && (!hasHeader || count == 3);
    auto& main = hasHeader ? panes[1] : panes[0];

    double mainTop = 0;
    if (hasHeader) {
        Rect header = m_headerView->frame();
        if (splitView.isSubviewCollapsed(*m_headerView)) {
            header.size.width = width;
            m_headerView->setFrame(header);
            mainTop = thickness;
        } else {
            double headerHeight = header.height() + (height - oldSize.height) / double(count);
            headerHeight = std::min(headerHeight, m_headerViewNaturalHeight);
            headerHeight = std::max(headerHeight, m_headerViewMinHeight);
            Rect aligned = alignedInwards(Rect(header.minX(), header.minY(), width, headerHeight));
            m_headerView->setFrame(aligned);
            mainTop = aligned.maxY() + thickness;
        }
    }

    double mainHeight = height - mainTop;
    if (hasFooter) {
        double footerHeight = m_footerView->frame().height();
        mainHeight = height - footerHeight - thickness - mainTop;
        double footerTop = height - footerHeight;
        if (mainHeight < footerHeight) {
            // Too little room even for the shared layout leaves both panes empty, never negative.
            mainHeight = std::max(0.0, std::floor((height - mainTop - thickness) * 0.5));
            footerHeight = std::max(0.0, height - (mainTop + mainHeight + thickness));
            footerTop = mainTop + mainHeight + thickness;
        }
        m_footerView->setFrame(Rect(m_footerView->frame().minX(), footerTop, width, footerHeight));
    }
    main->setFrame(alignedInwards(Rect(main->frame().minX(), mainTop, width, mainHeight)));
    return true;
}

} // namespace brevanton
