#include "publishing/VornickWordPressColorPaletteView.h"

#include "platform/views/Event.h"
#include "platform/views/GraphicsContext.h"
#include "ui/VornickColorSwatchView.h"
#include "ui/VornickUITheme.h"

namespace brevanton {

VornickWordPressColorPaletteView::VornickWordPressColorPaletteView(Rect frame)
    : Control(frame)
{
}

std::shared_ptr<VornickWordPressColorPaletteView> VornickWordPressColorPaletteView::create(Rect frame)
{
    auto palette = std::make_shared<VornickWordPressColorPaletteView>(frame);
    palette->addColorSwatchSubviews();
    return palette;
}

const std::vector<VornickWordPressColorPaletteView::Description>& VornickWordPressColorPaletteView::colors()
{
    return VornickColorDescriptionList::wordPressTextAndBackgroundColors().colorDescriptions();
}

void VornickWordPressColorPaletteView::setSelectedColorDescription(Description description)
{
    if (description == m_selectedColorDescription)
        return;
    m_selectedColorDescription = std::move(description);
    updateSwatchSelection();
}

Size VornickWordPressColorPaletteView::colorSwatchSize() const
{
    double border = VornickUITheme::currentTheme().wordPressColorPaletteBorderWidthInPoints();
    size_t count = colors().size();
    double width = count ? (bounds().width() - border) / static_cast<double>(count) - border : 0;
    return { width, bounds().height() - 2 * border };
}

void VornickWordPressColorPaletteView::addColorSwatchSubviews()
{
    for (auto& subview : std::vector(subviews()))
        subview->removeFromSuperview();
    double border = VornickUITheme::currentTheme().wordPressColorPaletteBorderWidthInPoints();
    Size size = colorSwatchSize();
    double x = border;
    for (const auto& description : colors()) {
        auto swatch = std::make_shared<VornickColorSwatchView>(Rect(x, border, size.width, size.height));
        swatch->setColorDescription(description);
        swatch->setEnabled(false);
        swatch->setShowsSelection(description == m_selectedColorDescription);
        addSubview(swatch);
        x += size.width + border;
    }
}

std::shared_ptr<VornickColorSwatchView> VornickWordPressColorPaletteView::swatchForColorDescription(const Description& description) const
{
    for (const auto& subview : subviews()) {
        auto swatch = std::dynamic_pointer_cast<VornickColorSwatchView>(subview);
        if (swatch && swatch->colorDescription() == description)
            return swatch;
    }
    return nullptr;
}

void VornickWordPressColorPaletteView::updateSwatchSelection()
{
    for (const auto& subview : subviews()) {
        if (auto swatch = std::dynamic_pointer_cast<VornickColorSwatchView>(subview))
            swatch->setShowsSelection(m_selectedColorDescription && swatch->colorDescription() == m_selectedColorDescription);
    }
}

void VornickWordPressColorPaletteView::draw(const Rect&, GraphicsContext& context)
{
    if (subviews().size() != colors().size())
        addColorSwatchSubviews();
    if (auto border = VornickUITheme::currentTheme().wordPressColorPaletteBorderColor())
        context.fillRect(bounds(), *border);
}

std::shared_ptr<View> VornickWordPressColorPaletteView::hitTest(Point pointInSuperview)
{
    if (isHidden() || !brevanton::mouseInRect(pointInSuperview, frame(), superviewIsFlipped()))
        return nullptr;
    return std::static_pointer_cast<View>(shared_from_this());
}

void VornickWordPressColorPaletteView::mouseDown(const Event& event)
{
    if (!isEnabled())
        return;
    Point point = toSuperviewCoordinates(convertPointFromView(event.locationInWindow(), nullptr));
    auto hit = View::hitTest(point);
    auto swatch = std::dynamic_pointer_cast<VornickColorSwatchView>(hit);
    if (!swatch)
        return;
    setSelectedColorDescription(swatch->colorDescription());
    sendAction();
}

void VornickWordPressColorPaletteView::resizeSubviewsWithOldSize(Size)
{
    addColorSwatchSubviews();
}

void VornickWordPressColorPaletteView::viewDidMoveToSuperview()
{
    if (subviews().size() != colors().size())
        addColorSwatchSubviews();
}

} // namespace brevanton
