#include "publishing/VornickMediaItemImageView.h"

#include "platform/views/GraphicsContext.h"
#include "wordpress/VornickWordPressMediaItem.h"

namespace brevanton {

VornickMediaItemImageView::VornickMediaItemImageView(Rect frame)
    : ImageView(frame)
{
    setTakesDroppedURLs(true);
}

void VornickMediaItemImageView::setMediaItem(std::shared_ptr<VornickWordPressMediaItem> item)
{
    if (item == m_mediaItem)
        return;
    m_mediaItem = std::move(item);
    std::optional<URL> url;
    if (m_mediaItem) {
        url = m_mediaItem->resolvedLocalURL();
        if (!url)
            url = m_mediaItem->imageRepresentation();
    }
    setImageURL(std::move(url));
}

void VornickMediaItemImageView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    if (m_mediaItem && !imageURL()) {
        Rect card = bounds().insetBy(4, 4);
        context.fillRoundedRect(card, 4, Color::genericGamma22White(0.84));
        context.strokeRoundedRect(card, 4, Color::genericGamma22White(0.63), 1);
        return;
    }
    ImageView::draw(dirtyRect, context);
}

void VornickMediaItemImageView::concludeDragOperation(const DraggingInfo&)
{
    if (droppedURLs().empty())
        return;
    URL first = droppedURLs().front();
    setMediaItem(m_mediaItemFinder ? m_mediaItemFinder->mediaItemForLocalURL(first) : nullptr);
    sendAction();
}

} // namespace brevanton
