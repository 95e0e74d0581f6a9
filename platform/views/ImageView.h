// ImageView: a control showing one image scaled down to fit its bounds
// (never up), centred, in a well with a border.
#pragma once

#include "platform/views/Control.h"
#include "platform/views/Image.h"

namespace brevanton {

class ImageView : public Control {
public:
    explicit ImageView(Rect frame = {});

    const std::shared_ptr<const Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<const Image>);
    // Where the image is drawn: its size fitted into the bounds less the border.
    Rect imageRect() const;

    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    std::shared_ptr<const Image> m_image;
};

} // namespace brevanton
