// VornickGroupTableRowView: the row view of group rows in tables. It fills
// its background with the window background on newer looks, and draws its
// selection as the running look does: a flat selection colour, or on older
// looks a blue gradient between two edge lines.
#pragma once

#include "platform/views/Gradient.h"
#include "platform/views/TableRowView.h"

namespace brevanton {

class VornickGroupTableRowView : public TableRowView {
public:
    using TableRowView::TableRowView;

    // The gradient of the older selection, made once.
    static const Gradient& groupSelectionGradient();

    bool preservesContentDuringLiveResize() const override { return false; }
    void drawBackgroundInRect(const Rect& dirtyRect, GraphicsContext&) override;
    void drawSelectionInRect(const Rect& dirtyRect, GraphicsContext&) override;
};

} // namespace brevanton
