// ImageView: a control showing one picture scaled down to fit its bounds,
// centred, its aspect kept: an image it holds, or an image file it draws as
// a thumbnail of its size (read when drawn, so a file that is not there yet
// shows once it is). An image view that takes dropped URLs accepts a drag
// carrying any (as a copy); a drop collects them in the drag's order and
// concludeDragOperation hands them on: by default the first file URL becomes
// the image file shown and the action is sent.
#pragma once

#include "platform/foundation/URL.h"
#include "platform/views/Control.h"

#include <optional>
#include <vector>

namespace brevanton {

class Image;

class ImageView : public Control {
public:
    explicit ImageView(Rect frame = {});

    const std::shared_ptr<Image>& image() const { return m_image; }
    // Replaces the image file too.
    void setImage(std::shared_ptr<Image>);
    const std::optional<URL>& imageURL() const { return m_imageURL; }
    // A file URL drawn as the picture (other URLs show nothing); replaces the image too.
    void setImageURL(std::optional<URL>);

    // The image turned about its centre, in degrees counterclockwise as seen.
    double frameCenterRotation() const { return m_frameCenterRotation; }
    void setFrameCenterRotation(double degrees);

    bool takesDroppedURLs() const { return m_takesDroppedURLs; }
    void setTakesDroppedURLs(bool takes) { m_takesDroppedURLs = takes; }

    void draw(const Rect& dirtyRect, GraphicsContext&) override;

    DragOperation draggingEntered(const DraggingInfo&) override;
    bool prepareForDragOperation(const DraggingInfo&) override;
    bool performDragOperation(const DraggingInfo&) override;
    void concludeDragOperation(const DraggingInfo&) override;

protected:
    // The URLs of the drop being concluded, in the drag's order.
    const std::vector<URL>& droppedURLs() const { return m_droppedURLs; }

private:
    std::shared_ptr<Image> m_image;
    std::optional<URL> m_imageURL;
    bool m_takesDroppedURLs { false };
    double m_frameCenterRotation { 0 };
    std::vector<URL> m_droppedURLs;
};

// The URLs a pasteboard carries, item by item in order.
std::vector<URL> URLsOnPasteboard(const Pasteboard&);

} // namespace brevanton
