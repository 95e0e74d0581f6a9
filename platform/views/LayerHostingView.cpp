#include "platform/views/LayerHostingView.h"

#include "platform/views/GraphicsContext.h"

namespace brevanton {

LayerHostingView::LayerHostingView(Rect frame)
    : View(frame)
{
    setWantsLayer(true);
}

std::shared_ptr<Layer> LayerHostingView::layer()
{
    if (!m_layer)
        setLayer(std::make_shared<Layer>());
    return m_layer;
}

void LayerHostingView::setLayer(std::shared_ptr<Layer> layer)
{
    if (m_layer == layer)
        return;
    if (m_layer)
        m_layer->setHostingView({});
    m_layer = std::move(layer);
    if (m_layer) {
        m_layer->setHostingView(std::static_pointer_cast<View>(shared_from_this()));
        m_layer->setBounds(Rect(0, 0, bounds().width(), bounds().height()));
        m_layer->setPosition({ bounds().width() / 2, bounds().height() / 2 });
    }
    setNeedsDisplay(true);
}

void LayerHostingView::setBackgroundColor(const Color& color)
{
    m_backgroundColor = color;
    setNeedsDisplay(true);
}

void LayerHostingView::resizeSubviewsWithOldSize(Size oldSize)
{
    View::resizeSubviewsWithOldSize(oldSize);
    if (m_layer) {
        m_layer->setBounds(Rect(0, 0, bounds().width(), bounds().height()));
        m_layer->setPosition({ bounds().width() / 2, bounds().height() / 2 });
    }
}

void LayerHostingView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    if (m_backgroundColor.alphaComponent() > 0)
        context.fillRect(dirtyRect, m_backgroundColor);
    if (!m_layer)
        return;
    // The layer's coordinates are the view's, offset by the bounds origin.
    Layer::Placement placement;
    placement.tx = bounds().minX();
    placement.ty = bounds().minY();
    context.beginClip(bounds());
    m_layer->drawTree(context, placement);
    context.endClip();
}

} // namespace brevanton
