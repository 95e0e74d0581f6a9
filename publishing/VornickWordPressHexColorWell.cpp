#include "publishing/VornickWordPressHexColorWell.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/TextField.h"
#include "ui/VornickUITheme.h"

#include <cmath>

namespace brevanton {

namespace {

// Black or white, whichever reads better over the colour.
Color labelColorOver(const std::optional<Color>& color)
{
    if (!color || color->alphaComponent() < 0.5)
        return Color::black();
    double luminance = 0.299 * color->redComponent() + 0.587 * color->greenComponent() + 0.114 * color->blueComponent();
    return luminance < 0.5 ? Color::white() : Color::black();
}

} // namespace

VornickWordPressHexColorWell::VornickWordPressHexColorWell(Rect frame)
    : ColorWell(frame)
{
}

void VornickWordPressHexColorWell::setLabelText(std::optional<std::u16string> text)
{
    if (text == m_labelText)
        return;
    m_labelText = std::move(text);
    updateLabel();
}

void VornickWordPressHexColorWell::updateLabel()
{
    if (!m_labelText) {
        if (m_labelTextField)
            m_labelTextField->removeFromSuperview();
        return;
    }
    if (!m_labelTextField)
        m_labelTextField = std::make_shared<TextField>();
    Color textColor = labelColorOver(color());
    const auto& shown = m_labelTextField->attributedStringValue();
    const Color* shownColor = shown.length() ? shown.attributeAtIndex<Color>(ForegroundColorAttributeName, 0) : nullptr;
    if (shown.string() != *m_labelText || (!m_labelText->empty() && (!shownColor || *shownColor != textColor))) {
        auto attributes = std::make_shared<const TextAttributeDictionary>(TextAttributeDictionary { { ForegroundColorAttributeName, textColor } });
        m_labelTextField->setAttributedStringValue(AttributedString(*m_labelText, attributes));
    }
    // Measured again only when the text or the well's size changed.
    if (m_labelPlacedText != *m_labelText || m_labelPlacedInSize != bounds().size) {
        Size size = m_labelTextField->naturalSize();
        m_labelTextField->setFrame(Rect(std::floor((bounds().width() - size.width) / 2),
                                        std::floor((bounds().height() - size.height) / 2), size.width, size.height));
        m_labelPlacedText = *m_labelText;
        m_labelPlacedInSize = bounds().size;
    }
    if (m_labelTextField->superview().get() != this)
        addSubview(m_labelTextField);
}

void VornickWordPressHexColorWell::draw(const Rect&, GraphicsContext& context)
{
    updateLabel();
    auto& theme = VornickUITheme::currentTheme();
    double border = theme.wordPressHexColorWellBorderWidthInPoints();
    if (auto borderColor = theme.wordPressHexColorWellBorderColor())
        context.strokeRect(bounds().insetBy(border / 2, border / 2), *borderColor, border);
    drawWellInside(bounds().insetBy(border, border), context);
}

std::shared_ptr<View> VornickWordPressHexColorWell::hitTest(Point pointInSuperview)
{
    return View::hitTest(pointInSuperview) ? std::static_pointer_cast<View>(shared_from_this()) : nullptr;
}

void VornickWordPressHexColorWell::resizeSubviewsWithOldSize(Size)
{
    updateLabel();
}

} // namespace brevanton
