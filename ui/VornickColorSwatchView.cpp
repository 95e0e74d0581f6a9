#include "ui/VornickColorSwatchView.h"

#include "platform/views/GraphicsContext.h"

namespace brevanton {

VornickColorSwatchView::VornickColorSwatchView(Rect frame)
    : ColorWell(frame)
{
    setBordered(false);
}

void VornickColorSwatchView::setColorDescription(std::shared_ptr<const VornickColorDescription> description)
{
    if (description == m_colorDescription)
        return;
    m_colorDescription = std::move(description);
    setColor(m_colorDescription ? m_colorDescription->color() : std::nullopt);
    setNeedsDisplay(true);
}

void VornickColorSwatchView::setShowsSelection(bool shows)
{
    if (shows == m_showsSelection)
        return;
    m_showsSelection = shows;
    setNeedsDisplay(true);
}

void VornickColorSwatchView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    drawWellInside(dirtyRect.intersection(bounds()), context);
    if (!m_showsSelection)
        return;
    const auto& shown = color();
    bool dark = shown && shown->alphaComponent() >= 0.5
        && 0.299 * shown->redComponent() + 0.587 * shown->greenComponent() + 0.114 * shown->blueComponent() < 0.5;
    context.strokeRect(bounds().insetBy(selectionRingWidth / 2, selectionRingWidth / 2), dark ? Color::white() : Color::black(),
                       selectionRingWidth);
}

} // namespace brevanton
