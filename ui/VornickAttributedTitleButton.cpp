#include "ui/VornickAttributedTitleButton.h"

#include "platform/views/ControlSizing.h"
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
    // The control without its title, then the title where the control's label goes.
    ControlDrawing drawing = controlDrawing();
    context.drawControl(drawing, {}, bounds(), [&] { context.strokeRect(bounds(), Color::black()); });
    // Each run where the text before it ends, in its own colour, on
    // one line, centred as the control centres its label.
    double leading = controlLabelMargins(drawing.kind, bounds().height()).leading;
    double lineHeight = sizeOfAttributedString(*m_attributedTitle).height;
    Rect box(bounds().minX() + leading, bounds().midY() - lineHeight / 2, std::max(0.0, bounds().width() - leading), lineHeight);
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
