// LayerHostingView: a view whose content is a tree of layers. Its layer
// has the view's bounds and draws in the view's coordinates (y up unless the
// view is flipped); any change in the tree, animation steps included, marks
// the view for display, so a window shows the layers as they move.
#pragma once

#include "platform/views/Layer.h"
#include "platform/views/View.h"

namespace brevanton {

class LayerHostingView : public View {
public:
    explicit LayerHostingView(Rect frame = {});

    // Made on first use, or the one given; follows the view's bounds.
    std::shared_ptr<Layer> layer();
    void setLayer(std::shared_ptr<Layer>);
    const Color& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const Color&);

    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    void resizeSubviewsWithOldSize(Size oldSize) override;

private:
    std::shared_ptr<Layer> m_layer;
    Color m_backgroundColor { Color::clear() };
};

} // namespace brevanton
