// ColorWell: a control showing a colour. A click (or performClick) on an
// enabled well opens the colour panel with the well's colour; the colour
// picked there becomes the well's and the well sends its action. A
// cancelled panel, or the well's own colour picked again, sends nothing.
//
// A bordered well draws a bezel and its colour inside it; an unbordered
// well only its colour. A well with no colour draws nothing inside.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/views/Control.h"

#include <optional>

namespace brevanton {

class ColorWell : public Control {
public:
    explicit ColorWell(Rect frame = {});

    const std::optional<Color>& color() const { return m_color; }
    void setColor(std::optional<Color>);
    bool isBordered() const { return m_bordered; }
    void setBordered(bool);
    // True while the colour panel runs for the well.
    bool isActive() const { return m_active; }

    // Runs the colour panel for the well, as a click does.
    void activate();

    bool clickDidEnd(Point) override;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    // Fills the rectangle with the well's colour (source-over); nothing without one.
    virtual void drawWellInside(const Rect&, GraphicsContext&);

    // The bezel's width on each side of a bordered well.
    static constexpr double bezelWidth = 4;

private:
    std::optional<Color> m_color;
    bool m_bordered { true };
    bool m_active { false };
};

} // namespace brevanton
