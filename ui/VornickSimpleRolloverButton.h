// VornickSimpleRolloverButton: an image button that brightens under the
// mouse. Its 16 by 16 image is centred and drawn whole, at full opacity
// while enabled with the mouse inside, half opacity elsewhere, and a quarter
// when disabled; the alternate image shows while it is pressed. The hover
// look is taken at each redraw.
#pragma once

#include "platform/views/Button.h"

namespace brevanton {

class VornickSimpleRolloverButton : public Button {
public:
    using Button::Button;

    // Image names as the view layer draws them.
    const std::u16string& image() const { return m_image; }
    void setImage(std::u16string image) { m_image = std::move(image); }
    const std::u16string& alternateImage() const { return m_alternateImage; }
    void setAlternateImage(std::u16string image) { m_alternateImage = std::move(image); }

    // For bounds of width W and height H: (floor((W - 16) / 2), floor((H - 16) / 2), 16, 16).
    Rect imageRectForBounds(const Rect&) const;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    std::u16string m_image;
    std::u16string m_alternateImage;
};

} // namespace brevanton
