// VornickBlogLoginPanelView: the flipped background of the blog login panel,
// a card in the current theme's blogLoginPanelBackgroundColor with corners
// of CornerRadius points.
#pragma once

#include "ui/VornickFlippedView.h"

namespace brevanton {

class VornickBlogLoginPanelView : public VornickFlippedView {
public:
    static constexpr double CornerRadius = 8;

    using VornickFlippedView::VornickFlippedView;

    void draw(const Rect& dirtyRect, GraphicsContext&) override;
};

} // namespace brevanton
