// VornickDocumentActionButtonCell: the small image button of a document
// window's title area. While the mouse pointer is over it, it first fills an
// oval of its frame with black at 0.15 alpha, then draws its image centred as
// usual. The view layer has no cells: the button draws as the cell would, and
// redraws as the pointer enters and leaves it.
#pragma once

#include "platform/views/Button.h"
#include "platform/views/Image.h"

#include <memory>

namespace brevanton {

class TrackingArea;

class VornickDocumentActionButtonCell : public Button {
public:
    static Color hoverOvalColor() { return Color::genericGamma22White(0, 0.15); }

    using Button::Button;

    const std::shared_ptr<Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<Image> image) { m_image = std::move(image); }

    // Whether the pointer (the window's, outside the event stream) is over the button.
    bool mouseIsInside() const;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    void updateTrackingAreas() override;
    void mouseEntered(const Event&) override;
    void mouseExited(const Event&) override;

private:
    std::shared_ptr<Image> m_image;
    std::shared_ptr<TrackingArea> m_trackingArea;
};

} // namespace brevanton
