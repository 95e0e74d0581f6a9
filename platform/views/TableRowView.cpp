#include "platform/views/TableRowView.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemColors.h"

namespace brevanton {

void TableRowView::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    setNeedsDisplay(true);
}

void TableRowView::drawBackgroundInRect(const Rect& dirtyRect, GraphicsContext& context)
{
    if (m_backgroundColor)
        context.fillRect(dirtyRect, *m_backgroundColor);
}

void TableRowView::drawSelectionInRect(const Rect& dirtyRect, GraphicsContext& context)
{
    context.fillRect(dirtyRect, systemColor(SystemColor::SelectedTextBackground));
}

void TableRowView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    drawBackgroundInRect(dirtyRect, context);
    if (m_selected)
        drawSelectionInRect(dirtyRect, context);
}

} // namespace brevanton
