// The controls that give the toolbar's items their look.
//
// A picker is drawn as one joined control: its pop-up button, whose bezel
// is cut 2 points short on the right when the theme has pickers draw their
// own pop-up bezel (pickersUseCustomPopUpButtonDrawing, asked once per
// process), and its edit button to the right, whose bezel is always cut 4
// points short on the left and whose image is drawn at (x + 2, y + image
// baseline offset) with the frame's size.
//
// The text size control: three segments showing "A" (smaller), "0" (actual
// size) and "A" (larger) in 13, 15 and 17 point system fonts (bold for the
// letters), calibrated white 0.25, drawn bottom-aligned in their segments
// (the first one point higher), in the disabled control text colour while
// the window is not main. Each segment sends its own action.
#pragma once

#include "platform/views/Button.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/SegmentedControl.h"

#include <memory>

namespace brevanton {

class Image;

class VornickToolbarPickerPopUpButton : public PopUpButton {
public:
    explicit VornickToolbarPickerPopUpButton(Rect frame = {});

    // Whether the bezel is cut where the edit button joins: the current
    // theme's answer, asked once per process.
    static bool drawsCustomBezel();
    // Replaces that answer (tests of another theme's look).
    static void setDrawsCustomBezelForTesting(bool);

    bool isFlipped() const override { return true; }
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
};

class VornickToolbarPickerEditButton : public Button {
public:
    explicit VornickToolbarPickerEditButton(Rect frame = {});

    const std::shared_ptr<Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<Image> image);
    // Points the image is drawn below the frame's top; 0 as made.
    double vornickImageBaselineOffset() const { return m_imageBaselineOffset; }
    void setVornickImageBaselineOffset(double offset);

    bool isFlipped() const override { return true; }
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    std::shared_ptr<Image> m_image;
    double m_imageBaselineOffset { 0 };
};

// A plain toolbar button showing an image (or its title without one).
class VornickToolbarImageButton : public Button {
public:
    explicit VornickToolbarImageButton(Rect frame = {}, std::u16string title = {});

    const std::shared_ptr<Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<Image> image);
    // Sends the action as the mouse goes down rather than up.
    bool sendsActionOnMouseDown() const { return m_sendsActionOnMouseDown; }
    void setSendsActionOnMouseDown(bool sends) { m_sendsActionOnMouseDown = sends; }

    bool isFlipped() const override { return true; }
    void mouseDown(const Event&) override;
    void mouseUp(const Event&) override;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    std::shared_ptr<Image> m_image;
    bool m_sendsActionOnMouseDown { false };
};

class VornickTextMagnificationSegmentedControl : public SegmentedControl {
public:
    explicit VornickTextMagnificationSegmentedControl(Rect frame = {});

    // A click sends the clicked segment's action: "makeTextSmaller:",
    // "makeTextStandardSize:" or "makeTextLarger:".
    void controlWasClicked(Point) override;
    bool isFlipped() const override { return true; }
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
};

// The bezel of the view layer's pop-up buttons and push buttons, drawn in a frame.
void VornickDrawStandardControlBezel(GraphicsContext&, const Rect& frame, bool enabled);

} // namespace brevanton
