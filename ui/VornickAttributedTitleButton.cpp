#include "ui/VornickAttributedTitleButton.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/TextLayout.h"

#include <algorithm>

namespace brevanton {

void VornickAttributedTitleButton::setAttributedTitle(AttributedString title)
{
    setTitle(title.string());
    m_attributedTitle = std::move(title);
    setNeedsDisplay(true);
}

void VornickAttributedTitleButton::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    if (!m_attributedTitle || m_attributedTitle->string() != title() || !isEnabled()) {
        Button::draw(dirtyRect, context);
        return;
    }
    context.strokeRect(bounds(), Color::black());
    // Each run where the text before it ends, in its own colour.
    Rect box = bounds();
    for (const auto& run : m_attributedTitle->runs()) {
        AttributedString piece = m_attributedTitle->attributedSubstring(run.location, run.length);
        const Color* color = m_attributedTitle->attributeAtIndex<Color>(ForegroundColorAttributeName, run.location);
        context.drawText(piece.string(), box, color ? *color : Color::black());
        double width = sizeOfAttributedString(piece).width;
        box.origin.x += width;
        box.size.width = std::max(0.0, box.size.width - width);
    }
}

} // namespace brevanton
