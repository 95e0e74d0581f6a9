// VornickFragmentSetEditorHorizontalSplitView: the snippet set editor's
// split view, whose divider is a glossy band across its bottom 39 points.
#pragma once

#include "platform/views/Gradient.h"
#include "platform/views/SplitView.h"

namespace brevanton {

class VornickFragmentSetEditorHorizontalSplitView : public SplitView {
public:
    static constexpr double BandHeight = 39;
    using SplitView::SplitView;

    // From white 253/255 to white 193/255 (made once).
    static const Gradient& glossGradient();
    // Draws the band whatever the divider rectangle's vertical position.
    void drawDividerInRect(const Rect&, GraphicsContext&) override;
};

} // namespace brevanton
