// VornickWordPressHexColorWell: a colour well that shows a label (the hex
// value, or what names the colour) centred over its colour, drawn flat in a
// border of the theme's colour and width. The label's text is black, or
// white over a dark colour.
#pragma once

#include "platform/views/ColorWell.h"

#include <optional>
#include <string>

namespace brevanton {

class TextField;

class VornickWordPressHexColorWell : public ColorWell {
public:
    explicit VornickWordPressHexColorWell(Rect frame = {});

    const std::optional<std::u16string>& labelText() const { return m_labelText; }
    // Nothing removes the label.
    void setLabelText(std::optional<std::u16string>);
    // The label field while there is a label text.
    const std::shared_ptr<TextField>& labelTextField() const { return m_labelTextField; }

    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    // The label takes no clicks: every point of the frame hits the well.
    std::shared_ptr<View> hitTest(Point pointInSuperview) override;
    void resizeSubviewsWithOldSize(Size oldSize) override;

private:
    void updateLabel();

    std::optional<std::u16string> m_labelText;
    std::shared_ptr<TextField> m_labelTextField;
    std::u16string m_labelPlacedText;
    Size m_labelPlacedInSize;
};

} // namespace brevanton
