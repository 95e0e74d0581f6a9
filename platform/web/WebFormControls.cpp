#include "platform/web/WebFormControls.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/views/BezierPath.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/GraphicsContext.h"

#include <algorithm>

namespace brevanton {

namespace {

enum class FormControlKind { None, TextField, Button, CheckBox, Radio, PopUp, TextArea };

constexpr double fieldPadding = 3;
constexpr double buttonPadding = 8;
constexpr double checkSize = 13;
constexpr double arrowWidth = 16;

std::u16string typeOf(const DOMElement& element)
{
    return asciiLowercase(element.getAttribute(u"type"));
}

FormControlKind kindOf(const DOMElement& element)
{
    if (element.hasTagName(u"button"))
        return FormControlKind::Button;
    if (element.hasTagName(u"select"))
        return FormControlKind::PopUp;
    if (element.hasTagName(u"textarea"))
        return FormControlKind::TextArea;
    if (!element.hasTagName(u"input"))
        return FormControlKind::None;
    auto type = typeOf(element);
    if (type == u"checkbox")
        return FormControlKind::CheckBox;
    if (type == u"radio")
        return FormControlKind::Radio;
    if (type == u"submit" || type == u"reset" || type == u"button")
        return FormControlKind::Button;
    if (type.empty() || type == u"text" || type == u"search" || type == u"email" || type == u"url" || type == u"password"
        || type == u"tel" || type == u"number")
        return FormControlKind::TextField;
    return FormControlKind::None;
}

// A positive number attribute, else the fallback.
unsigned countAttribute(const DOMElement& element, std::u16string_view name, unsigned fallback)
{
    auto* value = element.attributeValue(name);
    if (!value)
        return fallback;
    unsigned number = 0;
    for (char16_t c : *value) {
        if (c < u'0' || c > u'9')
            break;
        number = std::min(number * 10 + (c - u'0'), 1000u);
    }
    return number ? number : fallback;
}

// What a control shows as its text.
std::u16string labelOf(const DOMElement& element, FormControlKind kind)
{
    switch (kind) {
    case FormControlKind::Button:
        if (element.hasTagName(u"button"))
            return stripAndCollapseHTMLWhitespace(element.textContent());
        if (auto* value = element.attributeValue(u"value"))
            return *value;
        return typeOf(element) == u"reset" ? u"Reset" : typeOf(element) == u"submit" ? u"Submit" : u"";
    case FormControlKind::TextField: {
        auto value = element.getAttribute(u"value");
        if (typeOf(element) == u"password")
            return std::u16string(value.size(), u'\u2022');
        return value;
    }
    case FormControlKind::PopUp: {
        // The selected option, else the first.
        std::u16string first;
        bool haveFirst = false;
        for (auto* node = element.traverseNext(&element); node; node = node->traverseNext(&element)) {
            auto* option = dynamicDowncast<DOMElement>(node);
            if (!option || !option->hasTagName(u"option"))
                continue;
            auto text = option->hasAttribute(u"label") ? option->getAttribute(u"label") : stripAndCollapseHTMLWhitespace(option->textContent());
            if (option->hasAttribute(u"selected"))
                return text;
            if (!haveFirst) {
                first = text;
                haveFirst = true;
            }
        }
        return first;
    }
    case FormControlKind::TextArea:
        return element.textContent();
    default:
        return {};
    }
}

double widthOf(const std::u16string& text, const FontDescriptor& font)
{
    return text.empty() ? 0 : FontMetricsProvider::current().widthOfRun(font, text);
}

// The widest option's text of a pop-up.
double widestOption(const DOMElement& select, const FontDescriptor& font)
{
    double widest = 0;
    for (auto* node = select.traverseNext(&select); node; node = node->traverseNext(&select)) {
        if (auto* option = dynamicDowncast<DOMElement>(node); option && option->hasTagName(u"option"))
            widest = std::max(widest, widthOf(stripAndCollapseHTMLWhitespace(option->textContent()), font));
    }
    return widest;
}

// One line of text in a box, from its left (or centred), clipped to the box.
void drawLine(const std::u16string& text, const Rect& box, double inset, bool centred, const FontDescriptor& font,
              const Color& color, GraphicsContext& context)
{
    if (text.empty() || box.width() <= 2 * inset)
        return;
    auto& metrics = FontMetricsProvider::current();
    FontLineMetrics line = metrics.lineMetrics(font);
    auto positions = metrics.caretPositions(font, text);
    double width = positions.back();
    double left = centred ? box.minX() + std::max(inset, (box.width() - width) / 2) : box.minX() + inset;
    for (double& x : positions)
        x += left;
    double top = box.minY() + std::max(0.0, (box.height() - line.lineHeight) / 2);
    context.beginClip(box.insetBy(1, 1));
    context.drawTextRun(text, font, Rect(left, top, width, line.lineHeight), top + (line.lineHeight - line.ascent - line.descent) / 2 + line.ascent,
                        positions, color);
    context.endClip();
}

} // namespace

bool webIsFormControl(const DOMElement& element)
{
    return element.isHTMLElement() && kindOf(element) != FormControlKind::None;
}

std::optional<Size> webFormControlIntrinsicSize(const DOMElement& element, const FontDescriptor& font)
{
    auto kind = element.isHTMLElement() ? kindOf(element) : FormControlKind::None;
    if (kind == FormControlKind::None)
        return std::nullopt;
    auto& metrics = FontMetricsProvider::current();
    double lineHeight = metrics.lineMetrics(font).lineHeight;
    double character = widthOf(u"0", font);
    switch (kind) {
    case FormControlKind::TextField:
        return Size { countAttribute(element, u"size", 20) * character + 2 * fieldPadding, lineHeight + 2 * fieldPadding };
    case FormControlKind::TextArea:
        return Size { countAttribute(element, u"cols", 20) * character + 2 * fieldPadding,
                      countAttribute(element, u"rows", 2) * lineHeight + 2 * fieldPadding };
    case FormControlKind::Button:
        return Size { widthOf(labelOf(element, kind), font) + 2 * buttonPadding, lineHeight + 2 * fieldPadding };
    case FormControlKind::PopUp:
        return Size { widestOption(element, font) + 2 * fieldPadding + arrowWidth, lineHeight + 2 * fieldPadding };
    case FormControlKind::CheckBox:
    case FormControlKind::Radio:
        return Size { checkSize, checkSize };
    case FormControlKind::None:
        break;
    }
    return std::nullopt;
}

Size webMissingImageSize(const std::u16string& alt, const FontDescriptor& font)
{
    return { widthOf(alt, font) + 2 * fieldPadding, FontMetricsProvider::current().lineMetrics(font).lineHeight + 2 * fieldPadding };
}

void webDrawFormControl(const DOMElement& element, const Rect& box, const FontDescriptor& font, const Color& textColor,
                        GraphicsContext& context)
{
    auto kind = kindOf(element);
    if (kind == FormControlKind::None || box.isEmpty())
        return;
    Color edge = Color::genericGamma22White(0.6);
    Color face = Color::genericGamma22White(0.93);
    bool checked = element.hasAttribute(u"checked");
    switch (kind) {
    case FormControlKind::TextField:
    case FormControlKind::TextArea:
        context.fillRect(box, Color::white());
        context.strokeRect(box, edge, 1);
        if (kind == FormControlKind::TextField)
            drawLine(labelOf(element, kind), box, fieldPadding, false, font, textColor, context);
        else {
            // The first line of the text, at the top.
            auto text = labelOf(element, kind);
            auto firstLine = text.substr(0, text.find(u'\n'));
            double lineHeight = FontMetricsProvider::current().lineMetrics(font).lineHeight;
            drawLine(firstLine, Rect(box.minX(), box.minY() + fieldPadding, box.width(), lineHeight), fieldPadding, false, font,
                     textColor, context);
        }
        return;
    case FormControlKind::Button:
        context.fillRoundedRect(box, 4, face);
        context.strokeRoundedRect(box, 4, edge, 1);
        drawLine(labelOf(element, kind), box, buttonPadding, true, font, textColor, context);
        return;
    case FormControlKind::PopUp: {
        context.fillRoundedRect(box, 4, face);
        context.strokeRoundedRect(box, 4, edge, 1);
        drawLine(labelOf(element, kind), Rect(box.minX(), box.minY(), box.width() - arrowWidth, box.height()), fieldPadding,
                 false, font, textColor, context);
        // The arrow: a small triangle pointing down.
        double x = box.maxX() - arrowWidth / 2;
        double y = box.midY();
        BezierPath arrow;
        arrow.moveToPoint(Point { x - 4, y - 2 });
        arrow.lineToPoint(Point { x + 4, y - 2 });
        arrow.lineToPoint(Point { x, y + 3 });
        arrow.closePath();
        context.fillPath(arrow, textColor);
        return;
    }
    case FormControlKind::CheckBox:
        context.fillRoundedRect(box, 2, Color::white());
        context.strokeRoundedRect(box, 2, edge, 1);
        if (checked) {
            BezierPath mark;
            mark.moveToPoint(Point { box.minX() + box.width() * 0.2, box.midY() });
            mark.lineToPoint(Point { box.minX() + box.width() * 0.42, box.maxY() - box.height() * 0.2 });
            mark.lineToPoint(Point { box.maxX() - box.width() * 0.2, box.minY() + box.height() * 0.2 });
            mark.setLineWidth(2);
            context.strokePath(mark, textColor);
        }
        return;
    case FormControlKind::Radio:
        context.fillPath(BezierPath::bezierPathWithOvalInRect(box), Color::white());
        context.strokePath(BezierPath::bezierPathWithOvalInRect(box), edge);
        if (checked)
            context.fillPath(BezierPath::bezierPathWithOvalInRect(box.insetBy(box.width() * 0.3, box.height() * 0.3)), textColor);
        return;
    case FormControlKind::None:
        return;
    }
}

void webDrawMissingImage(const std::u16string& alt, const Rect& box, const FontDescriptor& font, const Color& textColor,
                         GraphicsContext& context)
{
    if (box.isEmpty())
        return;
    context.strokeRect(box, Color::lightGray(), 1);
    drawLine(alt, box, fieldPadding, false, font, textColor, context);
}

} // namespace brevanton
