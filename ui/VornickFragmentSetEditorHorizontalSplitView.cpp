#include "ui/VornickFragmentSetEditorHorizontalSplitView.h"

#include "platform/views/GraphicsContext.h"

namespace brevanton {

const Gradient& VornickFragmentSetEditorHorizontalSplitView::glossGradient()
{
    static const Gradient gradient(Color::genericGamma22White(253.0 / 255), Color::genericGamma22White(193.0 / 255));
    return gradient;
}

void VornickFragmentSetEditorHorizontalSplitView::drawDividerInRect(const Rect& rect, GraphicsContext& context)
{
    double top = bounds().maxY() - BandHeight;
    Rect band = Rect(rect.minX(), top, rect.width(), BandHeight).insetBy(0, 1);
    // The recorder keeps a gradient's starting colour.
    context.fillRect(band, glossGradient().startingColor());
    context.fillRect(Rect(rect.minX(), top, rect.width(), 1), Color::genericGamma22White(212.0 / 255));
    context.fillRect(Rect(rect.minX(), top + 38, rect.width(), 1), Color::genericGamma22White(125.0 / 255));
}

} // namespace brevanton
