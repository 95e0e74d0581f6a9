#include "ui/VornickGroupTableRowView.h"

#include "platform/views/Appearance.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemColors.h"
#include "ui/VornickAppKitGeneration.h"

namespace brevanton {

namespace {
// The generation from which the look follows the system of 10.14 and later.
constexpr unsigned NewerLookGeneration = 4;
} // namespace

const Gradient& VornickGroupTableRowView::groupSelectionGradient()
{
    static const Gradient gradient(Color::sRGB255(179, 210, 236), Color::sRGB255(150, 177, 199));
    return gradient;
}

void VornickGroupTableRowView::drawBackgroundInRect(const Rect& dirtyRect, GraphicsContext& context)
{
    if (!isSelected())
        TableRowView::drawBackgroundInRect(dirtyRect, context);
    if (VornickAppKitGeneration() >= NewerLookGeneration)
        context.fillRect(dirtyRect, systemColor(SystemColor::WindowBackground));
}

void VornickGroupTableRowView::drawSelectionInRect(const Rect& dirtyRect, GraphicsContext& context)
{
    if (VornickAppKitGeneration() >= NewerLookGeneration) {
        auto color = Appearance::currentIsDark() ? SystemColor::UnemphasizedSelectedTextBackground
                                                 : SystemColor::SelectedTextBackground;
        context.fillRect(dirtyRect, systemColor(color));
        return;
    }
    Rect bounds = this->bounds();
    context.drawLine({ bounds.minX(), bounds.minY() + 0.5 }, { bounds.maxX(), bounds.minY() + 0.5 },
                     Color::sRGB255(156, 198, 232));
    context.drawLine({ bounds.minX(), bounds.maxY() - 0.5 }, { bounds.maxX(), bounds.maxY() - 0.5 },
                     Color::sRGB255(128, 163, 191));
    context.drawGradient(groupSelectionGradient(), bounds.insetBy(0, 1), 90);
}

} // namespace brevanton
