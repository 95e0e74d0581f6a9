#include "platform/views/TextField.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/TextLayout.h"

namespace brevanton {

TextField::TextField(Rect frame)
    : Control(frame)
{
}

std::shared_ptr<TextField> TextField::labelWithString(std::u16string text)
{
    auto field = std::make_shared<TextField>();
    field->setTextString(std::move(text));
    field->setFrameSize(field->naturalSize());
    return field;
}

void TextField::setAttributedStringValue(AttributedString text)
{
    m_text = std::move(text);
    setStringValue(m_text.string());
    setNeedsDisplay(true);
}

void TextField::setTextString(std::u16string text)
{
    setAttributedStringValue(AttributedString(std::move(text)));
}

Size TextField::naturalSize() const
{
    return sizeOfAttributedString(m_text);
}

void TextField::textDidChange()
{
    NotificationCenter::defaultCenter().post(TextDidChangeNotification, this);
}

void TextField::editTextAsUser(std::u16string text)
{
    setTextString(std::move(text));
    textDidChange();
}

void TextField::draw(const Rect&, GraphicsContext& context)
{
    if (m_drawsBackground)
        context.fillRect(bounds(), Color::white());
    if (m_text.length() == 0)
        return;
    const Color* color = m_text.attributeAtIndex<Color>(ForegroundColorAttributeName, 0);
    context.drawText(m_text.string(), Rect(bounds().origin, naturalSize()), color ? *color : Color::black());
}

} // namespace brevanton
