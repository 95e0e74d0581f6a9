#include "platform/css/CSSPresentationalHints.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/HexDigits.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <array>
#include <optional>

namespace brevanton {

namespace {

std::u16string_view trimmed(std::u16string_view value)
{
    while (!value.empty() && isHTMLWhitespace(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && isHTMLWhitespace(value.back()))
        value.remove_suffix(1);
    return value;
}

bool isASCIIAlphanumeric(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// A colour as HTML reads it: a name or "#" and hex digits, the "#" optional
// before three or six hex digits; nullopt for anything else.
std::optional<std::u16string> colorValue(const std::u16string* attribute)
{
    if (!attribute)
        return std::nullopt;
    auto value = trimmed(*attribute);
    if (value.empty() || value.size() > 32)
        return std::nullopt;
    bool hash = value.front() == u'#';
    auto body = hash ? value.substr(1) : value;
    if (body.empty())
        return std::nullopt;
    for (char16_t c : body) {
        if (!isASCIIAlphanumeric(c))
            return std::nullopt;
    }
    bool allHex = std::all_of(body.begin(), body.end(), isASCIIHexDigit);
    if (hash && !allHex)
        return std::nullopt;
    if (!hash && allHex && (body.size() == 3 || body.size() == 6))
        return u"#" + std::u16string(body);
    return std::u16string(value);
}

// A length as HTML reads it: digits, perhaps a fraction, then "%" for a
// percentage (pixels otherwise); what follows the number is ignored.
std::optional<std::u16string> lengthValue(const std::u16string* attribute, bool allowPercent = true)
{
    if (!attribute)
        return std::nullopt;
    auto value = trimmed(*attribute);
    size_t end = 0;
    while (end < value.size() && value[end] >= u'0' && value[end] <= u'9')
        ++end;
    if (end == 0 || end > 9)
        return std::nullopt;
    size_t number = end;
    if (end < value.size() && value[end] == u'.') {
        size_t fraction = end + 1;
        while (fraction < value.size() && fraction - end <= 6 && value[fraction] >= u'0' && value[fraction] <= u'9')
            ++fraction;
        if (fraction > end + 1)
            number = fraction;
    }
    std::u16string result(value.substr(0, number));
    if (allowPercent && number < value.size() && value[number] == u'%')
        return result + u"%";
    return result + u"px";
}

// A CSS string holding the text as it stands.
std::u16string quoted(std::u16string_view text)
{
    std::u16string result = u"\"";
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\')
            result += u'\\';
        if (c == u'\n' || c == u'\r' || c == u'\f' || c == 0)
            result += u' ';
        else
            result += c;
    }
    return result + u"\"";
}

std::u16string lowered(std::u16string_view value)
{
    return asciiLowercase(trimmed(value));
}

void add(std::u16string& css, std::u16string_view property, const std::u16string& value)
{
    css.append(property);
    css += u": ";
    css += value;
    css += u"; ";
}

// A FONT's size: 1 to 7, or relative to 3 with a sign.
std::optional<std::u16string> fontSizeValue(const std::u16string* attribute)
{
    if (!attribute)
        return std::nullopt;
    auto value = trimmed(*attribute);
    if (value.empty())
        return std::nullopt;
    int sign = 0;
    if (value.front() == u'+' || value.front() == u'-') {
        sign = value.front() == u'+' ? 1 : -1;
        value.remove_prefix(1);
    }
    if (value.empty() || value.front() < u'0' || value.front() > u'9')
        return std::nullopt;
    int number = 0;
    for (size_t i = 0; i < value.size() && value[i] >= u'0' && value[i] <= u'9' && number < 100; ++i)
        number = number * 10 + (value[i] - u'0');
    int size = sign ? 3 + sign * number : number;
    static constexpr std::array<std::u16string_view, 7> sizes { u"x-small", u"small", u"medium", u"large", u"x-large", u"xx-large",
                                                                u"48px" };
    return std::u16string(sizes[static_cast<size_t>(std::clamp(size, 1, 7) - 1)]);
}

std::optional<std::u16string> listTypeValue(const std::u16string* attribute, bool ordered)
{
    if (!attribute)
        return std::nullopt;
    auto value = trimmed(*attribute);
    if (ordered || value.size() == 1) {
        // Case matters: "a" and "A", "i" and "I".
        if (value == u"1")
            return u"decimal";
        if (value == u"a")
            return u"lower-alpha";
        if (value == u"A")
            return u"upper-alpha";
        if (value == u"i")
            return u"lower-roman";
        if (value == u"I")
            return u"upper-roman";
    }
    auto kind = lowered(value);
    if (kind == u"disc" || kind == u"circle" || kind == u"square")
        return kind;
    return std::nullopt;
}

const DOMElement* enclosingTable(const DOMElement& element)
{
    for (auto* node = element.parent(); node; node = node->parent()) {
        if (auto* table = dynamicDowncast<DOMElement>(node); table && table->hasTagName(u"table"))
            return table;
    }
    return nullptr;
}

} // namespace

bool cssIsPresentationalAttribute(std::u16string_view name)
{
    static constexpr std::array<std::u16string_view, 18> names { u"bgcolor", u"text", u"link", u"background", u"align",
                                                                 u"valign", u"width", u"height", u"border", u"cellpadding",
                                                                 u"cellspacing", u"hspace", u"vspace", u"nowrap", u"color",
                                                                 u"size", u"face", u"type" };
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::u16string cssPresentationalHints(const DOMElement& element)
{
    if (!element.isHTMLElement())
        return {};
    std::u16string css;
    bool body = element.hasTagName(u"body");
    bool table = element.hasTagName(u"table");
    bool cell = element.hasTagName(u"td") || element.hasTagName(u"th");
    bool row = element.hasTagName(u"tr");
    bool section = element.hasTagName(u"thead") || element.hasTagName(u"tbody") || element.hasTagName(u"tfoot");
    bool image = element.hasTagName(u"img");

    if (body || table || cell || row || section) {
        if (auto color = colorValue(element.attributeValue(u"bgcolor")))
            add(css, u"background-color", *color);
        if (auto* background = element.attributeValue(u"background"); background && !trimmed(*background).empty())
            add(css, u"background-image", u"url(" + quoted(trimmed(*background)) + u")");
    }
    if (body) {
        if (auto color = colorValue(element.attributeValue(u"text")))
            add(css, u"color", *color);
    }
    // Links take the body's link colour.
    if (element.hasTagName(u"a") && element.hasAttribute(u"href")) {
        auto* document = element.document();
        auto bodyElement = document ? document->body() : nullptr;
        if (auto color = bodyElement ? colorValue(bodyElement->attributeValue(u"link")) : std::nullopt)
            add(css, u"color", *color);
    }
    if (auto* align = element.attributeValue(u"align")) {
        auto value = lowered(*align);
        bool known = value == u"left" || value == u"right" || value == u"center" || value == u"justify";
        if (image || element.hasTagName(u"iframe") || element.hasTagName(u"object")) {
            if (value == u"left" || value == u"right")
                add(css, u"float", value);
            else if (value == u"middle" || value == u"top" || value == u"bottom")
                add(css, u"vertical-align", value);
        } else if (table) {
            if (value == u"center") {
                add(css, u"margin-left", u"auto");
                add(css, u"margin-right", u"auto");
            } else if (value == u"left" || value == u"right") {
                add(css, u"float", value);
            }
        } else if (element.hasTagName(u"hr")) {
            if (value == u"left")
                add(css, u"margin-right", u"auto");
            else if (value == u"right")
                add(css, u"margin-left", u"auto");
        } else if (known && (cell || row || section || element.hasTagName(u"p") || element.hasTagName(u"div")
                             || element.hasTagName(u"caption") || element.hasTagName(u"h1") || element.hasTagName(u"h2")
                             || element.hasTagName(u"h3") || element.hasTagName(u"h4") || element.hasTagName(u"h5")
                             || element.hasTagName(u"h6") || element.hasTagName(u"col") || element.hasTagName(u"legend"))) {
            add(css, u"text-align", value);
        }
    }
    if (cell || row || section || element.hasTagName(u"col")) {
        if (auto* valign = element.attributeValue(u"valign")) {
            auto value = lowered(*valign);
            if (value == u"top" || value == u"middle" || value == u"bottom" || value == u"baseline")
                add(css, u"vertical-align", value);
        }
    }
    if (table || cell || image || element.hasTagName(u"col") || element.hasTagName(u"hr") || element.hasTagName(u"iframe")
        || element.hasTagName(u"object") || element.hasTagName(u"embed") || element.hasTagName(u"video")) {
        if (auto width = lengthValue(element.attributeValue(u"width")); width && *width != u"0px")
            add(css, u"width", *width);
    }
    if (table || cell || row || image || element.hasTagName(u"iframe") || element.hasTagName(u"object")
        || element.hasTagName(u"embed") || element.hasTagName(u"video")) {
        if (auto height = lengthValue(element.attributeValue(u"height")); height && *height != u"0px")
            add(css, u"height", *height);
    }
    if (table) {
        if (auto* border = element.attributeValue(u"border")) {
            // An empty border attribute is one pixel.
            auto width = trimmed(*border).empty() ? std::optional<std::u16string>(u"1px") : lengthValue(border, false);
            if (width && *width != u"0px") {
                add(css, u"border-width", *width);
                add(css, u"border-style", u"outset");
                add(css, u"border-color", u"gray");
            }
        }
        if (auto spacing = lengthValue(element.attributeValue(u"cellspacing"), false))
            add(css, u"border-spacing", *spacing);
    }
    if (cell) {
        if (auto* owner = enclosingTable(element)) {
            if (auto padding = lengthValue(owner->attributeValue(u"cellpadding"), false))
                add(css, u"padding", *padding);
        }
        if (element.hasAttribute(u"nowrap"))
            add(css, u"white-space", u"nowrap");
    }
    if (image || element.hasTagName(u"iframe") || element.hasTagName(u"object")) {
        if (auto space = lengthValue(element.attributeValue(u"hspace"), false)) {
            add(css, u"margin-left", *space);
            add(css, u"margin-right", *space);
        }
        if (auto space = lengthValue(element.attributeValue(u"vspace"), false)) {
            add(css, u"margin-top", *space);
            add(css, u"margin-bottom", *space);
        }
        if (auto* border = element.attributeValue(u"border")) {
            if (auto width = lengthValue(border, false)) {
                add(css, u"border-width", *width);
                add(css, u"border-style", u"solid");
            }
        }
    }
    if (element.hasTagName(u"font")) {
        if (auto color = colorValue(element.attributeValue(u"color")))
            add(css, u"color", *color);
        if (auto size = fontSizeValue(element.attributeValue(u"size")))
            add(css, u"font-size", *size);
        if (auto* face = element.attributeValue(u"face"); face && !trimmed(*face).empty()) {
            std::u16string families;
            std::u16string_view rest = *face;
            while (!rest.empty()) {
                size_t comma = rest.find(u',');
                auto family = trimmed(rest.substr(0, comma));
                if (!family.empty())
                    families += (families.empty() ? u"" : u", ") + quoted(family);
                rest = comma == std::u16string_view::npos ? std::u16string_view() : rest.substr(comma + 1);
            }
            if (!families.empty())
                add(css, u"font-family", families);
        }
    }
    bool ordered = element.hasTagName(u"ol");
    if (ordered || element.hasTagName(u"ul") || element.hasTagName(u"li")) {
        if (auto type = listTypeValue(element.attributeValue(u"type"), ordered))
            add(css, u"list-style-type", *type);
    }
    return css;
}

} // namespace brevanton
