#include "publishing/VornickBlogLoginPanelView.h"

#include "platform/views/GraphicsContext.h"
#include "ui/VornickUITheme.h"

namespace brevanton {

void VornickBlogLoginPanelView::draw(const Rect&, GraphicsContext& context)
{
    if (auto color = VornickUITheme::currentTheme().blogLoginPanelBackgroundColor())
        context.fillRoundedRect(bounds(), CornerRadius, *color);
}

} // namespace brevanton
