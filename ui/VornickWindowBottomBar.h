// VornickWindowBottomBar: the bar along a window's bottom edge, drawn with the
// theme's gradient and edge colours for a main or an inactive window. It
// redraws when its window becomes or stops being the main window.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "ui/VornickFlippedView.h"

namespace brevanton {

class VornickWindowBottomBar : public VornickFlippedView {
public:
    using VornickFlippedView::VornickFlippedView;
    ~VornickWindowBottomBar() override;

    bool isOpaque() const override { return false; }
    void viewWillMoveToWindow(Window*) override;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    ObserverToken m_didBecomeMainObserver;
    ObserverToken m_didResignMainObserver;
};

} // namespace brevanton
