#include "platform/views/SearchField.h"

#include "platform/views/BezierPath.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Window.h"

namespace brevanton {

namespace {
constexpr double buttonSide = 16;
constexpr double buttonInset = 4;
} // namespace

SearchField::SearchField(Rect frame)
    : TextField(frame)
{
    setEditable(true);
    setBezeled(true);
    setDrawsBackground(true);
}

void SearchField::setPlaceholderString(std::u16string placeholder)
{
    m_placeholder = std::move(placeholder);
    setNeedsDisplay(true);
}

Rect SearchField::searchButtonRect() const
{
    return Rect(buttonInset, (bounds().height() - buttonSide) / 2, buttonSide, buttonSide);
}

Rect SearchField::cancelButtonRect() const
{
    if (stringValue().empty())
        return {};
    return Rect(bounds().width() - buttonInset - buttonSide, (bounds().height() - buttonSide) / 2, buttonSide, buttonSide);
}

void SearchField::textDidChange()
{
    TextField::textDidChange();
    sendAction();
}

void SearchField::cancel()
{
    if (stringValue().empty())
        return;
    editTextAsUser({});
}

void SearchField::mouseDown(const Event& event)
{
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    if (isEnabled() && cancelButtonRect().containsPoint(point)) {
        cancel();
        return;
    }
    if (auto window = this->window(); window && isEnabled())
        window->makeFirstResponder(sharedAs<Responder>());
}

bool SearchField::becomeFirstResponder()
{
    if (!TextField::becomeFirstResponder())
        return false;
    setSelectsWholeText(false);
    return true;
}

void SearchField::keyDown(const Event& event)
{
    if (!isEnabled() || event.hasModifier(ModifierFlag::Command | ModifierFlag::Control)) {
        TextField::keyDown(event);
        return;
    }
    switch (event.keyCode()) {
    case KeyCode::Escape:
        cancel();
        return;
    case KeyCode::Delete: {
        std::u16string text = stringValue();
        if (selectsWholeText()) {
            // Select All (or the focus) chose the whole text: it goes.
            setSelectsWholeText(false);
            if (!text.empty())
                editTextAsUser({});
        } else if (!text.empty()) {
            // A surrogate pair goes as one character.
            size_t cut = text.size() - 1;
            if (cut > 0 && text[cut] >= 0xDC00 && text[cut] <= 0xDFFF && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF)
                --cut;
            editTextAsUser(text.substr(0, cut));
        }
        return;
    }
    case KeyCode::Return:
    case KeyCode::Enter:
    case KeyCode::Tab:
        TextField::keyDown(event);
        return;
    default:
        break;
    }
    std::u16string typed;
    for (char16_t character : event.characters()) {
        // Control characters and the function keys' private-use characters are not text.
        if (character >= 0x20 && character != 0x7F && !(character >= 0xF700 && character <= 0xF8FF))
            typed.push_back(character);
    }
    if (typed.empty()) {
        TextField::keyDown(event);
        return;
    }
    // What is typed replaces a selected text, else goes at the end.
    bool replaces = selectsWholeText();
    setSelectsWholeText(false);
    editTextAsUser(replaces ? typed : stringValue() + typed);
}

void SearchField::draw(const Rect&, GraphicsContext& context)
{
    Rect frame = bounds();
    drawFrame(context, [&] {
        context.fillRoundedRect(frame, frame.height() / 2, Color::white());
        context.strokeRoundedRect(frame.insetBy(0.5, 0.5), frame.height() / 2, Color::genericGamma22White(0.7), 1);
    });
    // The magnifier.
    Rect search = searchButtonRect();
    context.strokePath(BezierPath::bezierPathWithOvalInRect(Rect(search.minX() + 2, search.minY() + 2, 9, 9)), Color::genericGamma22White(0.45));
    context.drawLine(Point { search.minX() + 10, search.minY() + 10 }, Point { search.maxX() - 2, search.maxY() - 2 },
                     Color::genericGamma22White(0.45), 1.5);
    Rect text(search.maxX() + buttonInset, 0, frame.width() - 2 * (buttonSide + 2 * buttonInset), frame.height());
    if (stringValue().empty()) {
        if (!m_placeholder.empty())
            context.drawText(m_placeholder, text, Color::genericGamma22White(0.6));
        return;
    }
    context.drawText(stringValue(), text, Color::black());
    Rect cancel = cancelButtonRect();
    context.fillPath(BezierPath::bezierPathWithOvalInRect(cancel), Color::genericGamma22White(0.65));
    context.drawLine(Point { cancel.minX() + 5, cancel.minY() + 5 }, Point { cancel.maxX() - 5, cancel.maxY() - 5 }, Color::white(), 1.5);
    context.drawLine(Point { cancel.minX() + 5, cancel.maxY() - 5 }, Point { cancel.maxX() - 5, cancel.minY() + 5 }, Color::white(), 1.5);
}

} // namespace brevanton
