// VornickMediaItemImageView: an image view showing one media item of a blog
// (a post's featured image), which the user replaces by dropping a file on
// it. The view does not know the blog: its finder maps the dropped file to a
// media item.
//
// It shows the item's local file; an item without one (a server item not
// downloaded) shows its cached copy (VornickWordPressMediaItem's image
// representation), else a placeholder card.
#pragma once

#include "platform/views/ImageView.h"

namespace brevanton {

class VornickWordPressMediaItem;

class VornickMediaItemFinder {
public:
    virtual ~VornickMediaItemFinder() = default;
    // The blog's media item for a dropped file, or null.
    virtual std::shared_ptr<VornickWordPressMediaItem> mediaItemForLocalURL(const URL&) = 0;
};

class VornickMediaItemImageView : public ImageView {
public:
    // Takes dropped URLs from the start.
    explicit VornickMediaItemImageView(Rect frame = {});

    const std::shared_ptr<VornickWordPressMediaItem>& mediaItem() const { return m_mediaItem; }
    void setMediaItem(std::shared_ptr<VornickWordPressMediaItem>);
    // Not retained: its owner clears it before it goes.
    VornickMediaItemFinder* mediaItemFinder() const { return m_mediaItemFinder; }
    void setMediaItemFinder(VornickMediaItemFinder* finder) { m_mediaItemFinder = finder; }

    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    // The first URL dropped goes to the finder; its answer (null clears the
    // view) becomes the item, and the action is sent.
    void concludeDragOperation(const DraggingInfo&) override;

private:
    std::shared_ptr<VornickWordPressMediaItem> m_mediaItem;
    VornickMediaItemFinder* m_mediaItemFinder { nullptr };
};

} // namespace brevanton
