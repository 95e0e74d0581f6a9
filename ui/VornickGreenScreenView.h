// VornickGreenScreenView: a flipped view that fills what it draws with pure
// green, a backdrop to find a view's edges by.
#pragma once

#include "ui/VornickFlippedView.h"

namespace brevanton {

class VornickGreenScreenView : public VornickFlippedView {
public:
    using VornickFlippedView::VornickFlippedView;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
};

} // namespace brevanton
