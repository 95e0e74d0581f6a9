#include "platform/views/TextField.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Shadow.h"
#include "platform/views/TextLayout.h"
#include "platform/views/Window.h"
#include "platform/views/Event.h"

#include <iterator>
#include <unicode/utf16.h>

namespace brevanton {

TextField::TextField(Rect frame)
    : Control(frame)
{
    setActionHandler("selectAll:", [this](ActionSender*) {
        if (m_editable && isEnabled())
            m_selectsWholeText = true;
    });
}

bool TextField::becomeFirstResponder()
{
    m_selectsWholeText = m_editable && isEnabled();
    return Control::becomeFirstResponder();
}

void TextField::mouseDown(const Event& event)
{
    // A click in a field being edited places the insertion point; only a
    // static field is clicked like a button.
    if (m_editable && isEnabled()) {
        m_selectsWholeText = false;
        return;
    }
    Control::mouseDown(event);
}

void TextField::keyDown(const Event& event)
{
    const std::u16string& characters = event.characters();
    // A key with Command or Control held is a command, never typed.
    if (!m_editable || !isEnabled() || characters.empty() || event.hasModifier(ModifierFlag::Command | ModifierFlag::Control)) {
        Control::keyDown(event);
        return;
    }
    std::u16string text = m_text.string();
    bool changed = false;
    for (char16_t character : characters) {
        bool erases = character == u'\x7f' || character == u'\b';
        if (erases || character == FunctionKey::Delete) {
            if (m_selectsWholeText)
                text.clear();
            else if (erases && !text.empty()) {
                size_t length = text.size() >= 2 && U16_IS_TRAIL(text.back()) && U16_IS_LEAD(text[text.size() - 2]) ? 2 : 1;
                text.erase(text.size() - length);
            } else
                continue;
            m_selectsWholeText = false;
            changed = true;
            continue;
        }
        // Return and Enter send the field's action, as ending an edit does;
        // Tab, Escape, the other control characters and the function keys
        // are not typed.
        if (character < 0x20 || (character >= 0xF700 && character <= 0xF8FF)) {
            bool ends = character == u'\r' || character == u'\n' || character == 3;
            if (changed)
                break;
            if (!ends || action().empty() || !sendAction())
                Control::keyDown(event);
            return;
        }
        if (m_selectsWholeText)
            text.clear();
        m_selectsWholeText = false;
        text += character;
        changed = true;
    }
    if (changed)
        editTextAsUser(std::move(text));
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
    m_textSize.valid = false;
    setStringValue(m_text.string());
    setNeedsDisplay(true);
}

void TextField::setObjectValue(Value value)
{
    Value::Type type = value.type();
    Control::setObjectValue(std::move(value));
    if (type != Value::Type::String && type != Value::Type::Integer && type != Value::Type::Real)
        return;
    std::u16string text = stringValue();
    if (text == m_text.string())
        return;
    m_text = AttributedString(std::move(text));
    m_textSize.valid = false;
}

void TextField::setTextString(std::u16string text)
{
    setAttributedStringValue(AttributedString(std::move(text)));
}

void TextField::setPlaceholderString(std::u16string placeholder)
{
    m_placeholderString = std::move(placeholder);
    m_placeholderSize.valid = false;
    setNeedsDisplay(true);
}

Size TextField::measured(MeasuredSize& measured, const AttributedString& text) const
{
    uint64_t generation = FontMetricsProvider::generation();
    if (!measured.valid || measured.metricsGeneration != generation)
        measured = { sizeOfAttributedString(text), generation, true };
    return measured.size;
}

Size TextField::naturalSize() const
{
    return measured(m_textSize, m_text);
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

void TextField::drawFrame(GraphicsContext& context, const std::function<void()>& drawPlain) const
{
    if (!m_editable && !m_bezeled) {
        drawPlain();
        return;
    }
    ControlDrawing drawing;
    drawing.kind = ControlKind::TextFieldFrame;
    drawing.enabled = isEnabled();
    auto window = this->window();
    drawing.focused = window && window->firstResponder().get() == this;
    context.drawControl(std::move(drawing), {}, bounds(), drawPlain);
}

void TextField::drawTextShadow(GraphicsContext& context, const Shadow& shadow, const Rect& textRect) const
{
    // A shadow's offset is upwards-positive, as in an unflipped view.
    Point origin = textRect.origin;
    origin.x += shadow.offset.width;
    origin.y += isFlipped() ? -shadow.offset.height : shadow.offset.height;
    if (shadow.blurRadius <= 0) {
        context.drawText(m_text.string(), Rect(origin, textRect.size), shadow.color);
        return;
    }
    // The blur is a ring of fainter copies half the blur radius around the
    // shadow's place, their alphas adding up to the shadow colour's.
    double spread = shadow.blurRadius / 2;
    constexpr Size ring[] = { { 0, 0 }, { -1, 0 }, { 1, 0 }, { 0, -1 }, { 0, 1 } };
    Color faint = shadow.color.withAlphaComponent(shadow.color.alphaComponent() / std::size(ring));
    for (auto step : ring)
        context.drawText(m_text.string(), Rect(Point { origin.x + step.width * spread, origin.y + step.height * spread }, textRect.size), faint);
}

void TextField::draw(const Rect&, GraphicsContext& context)
{
    drawFrame(context, [&] {
        if (m_drawsBackground)
            context.fillRect(bounds(), Color::white());
    });
    if (m_text.length() == 0) {
        if (!m_placeholderString.empty())
            context.drawText(m_placeholderString, Rect(bounds().origin, measured(m_placeholderSize, AttributedString(m_placeholderString))),
                             Color::genericGamma22White(0.5));
        return;
    }
    const Color* color = m_text.attributeAtIndex<Color>(ForegroundColorAttributeName, 0);
    Rect textRect(bounds().origin, naturalSize());
    if (const Shadow* shadow = m_text.attributeAtIndex<Shadow>(ShadowAttributeName, 0))
        drawTextShadow(context, *shadow, textRect);
    if (auto elided = elidedText()) {
        textRect.size.width = bounds().size.width;
        context.drawText(std::move(*elided), textRect, color ? *color : Color::black());
        return;
    }
    context.drawText(m_text.string(), textRect, color ? *color : Color::black());
}

std::optional<std::u16string> TextField::elidedText() const
{
    // A label wider than its field ends in an ellipsis where it is cut, never
    // mid-letter; a field being edited scrolls instead, and text of several
    // lines wraps in the room it was given.
    double room = bounds().size.width;
    const std::u16string& text = m_text.string();
    if (m_editable || room <= 0 || naturalSize().width <= room || text.find_first_of(u"\n\r") != std::u16string::npos)
        return std::nullopt;
    auto widthOfPrefix = [&](size_t length) {
        AttributedString prefix = m_text.attributedSubstring(0, length);
        prefix.replaceCharacters(length, 0, u"\u2026");
        return sizeOfAttributedString(prefix).width;
    };
    // The longest prefix that fits beside the ellipsis, not ending between
    // the two halves of a surrogate pair.
    size_t fits = 0;
    size_t low = 1;
    size_t high = text.size();
    while (low <= high) {
        size_t middle = low + (high - low) / 2;
        if (widthOfPrefix(middle) <= room) {
            fits = middle;
            low = middle + 1;
        } else
            high = middle - 1;
    }
    if (fits > 0 && fits < text.size() && U16_IS_TRAIL(text[fits]) && U16_IS_LEAD(text[fits - 1]))
        --fits;
    return text.substr(0, fits) + u"\u2026";
}

} // namespace brevanton
