// VornickColorSwatchView: a flat swatch of one colour description's colour:
// a colour well without bezel or border that fills its inside with the
// colour (source-over), or leaves it empty when the description has none.
//
// A swatch showing the selection draws a ring inside its edge, white over a
// dark colour and black over a light one.
//
// Descriptions are told apart by identity: setting the description held
// again changes nothing, while another description of the same colour (a
// custom one equal to a palette colour) is stored and redrawn.
#pragma once

#include "platform/views/ColorWell.h"
#include "ui/VornickColorDescription.h"

namespace brevanton {

class VornickColorSwatchView : public ColorWell {
public:
    explicit VornickColorSwatchView(Rect frame = {});

    const std::shared_ptr<const VornickColorDescription>& colorDescription() const { return m_colorDescription; }
    void setColorDescription(std::shared_ptr<const VornickColorDescription>);

    bool showsSelection() const { return m_showsSelection; }
    void setShowsSelection(bool);

    void draw(const Rect& dirtyRect, GraphicsContext&) override;

    // The width of the selection ring.
    static constexpr double selectionRingWidth = 2;

private:
    std::shared_ptr<const VornickColorDescription> m_colorDescription;
    bool m_showsSelection { false };
};

} // namespace brevanton
