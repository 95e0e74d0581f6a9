// VornickWordPressColorPaletteView: WordPress's text and background colour
// palette as a row of swatches over a border-coloured ground. A click on a
// swatch selects its colour description and sends the action; the swatches
// themselves take no clicks. The swatch of the selected description (the
// same object) shows the selection; a colour from elsewhere, even one equal
// to a palette colour, selects no swatch.
//
// With border width b (the theme's) and n colours, each swatch is
// (W - b) / n - b wide and H - 2b high, the ith at x = b + i (width + b),
// y = b; the gaps show the ground as the border.
#pragma once

#include "platform/views/Control.h"
#include "ui/VornickColorDescriptionList.h"

namespace brevanton {

class VornickColorSwatchView;

class VornickWordPressColorPaletteView : public Control {
public:
    using Description = VornickColorDescriptionList::Description;

    explicit VornickWordPressColorPaletteView(Rect frame = {});
    // A palette with its swatches (one made otherwise gets them when it
    // first draws or moves into a view).
    static std::shared_ptr<VornickWordPressColorPaletteView> create(Rect frame);

    // The palette's colours, in order.
    static const std::vector<Description>& colors();

    const Description& selectedColorDescription() const { return m_selectedColorDescription; }
    // Descriptions are told apart by identity.
    void setSelectedColorDescription(Description);

    Size colorSwatchSize() const;
    // Replaces the subviews by one swatch per colour.
    void addColorSwatchSubviews();
    // The swatch showing the description (by identity), or null.
    std::shared_ptr<VornickColorSwatchView> swatchForColorDescription(const Description&) const;

    bool isFlipped() const override { return true; }
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    // Every point of the frame hits the palette itself.
    std::shared_ptr<View> hitTest(Point pointInSuperview) override;
    void mouseDown(const Event&) override;
    void resizeSubviewsWithOldSize(Size oldSize) override;
    void viewDidMoveToSuperview() override;

private:
    void updateSwatchSelection();

    Description m_selectedColorDescription;
};

} // namespace brevanton
