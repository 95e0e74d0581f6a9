#include "publishing/VornickWordPressBlockColors.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <vector>

namespace brevanton {

namespace {

using Role = VornickWordPressBlockColorRole;
using Description = VornickColorDescriptionList::Description;

bool isHTMLSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

std::u16string_view trimmedHTMLSpace(std::u16string_view text)
{
    while (!text.empty() && isHTMLSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isHTMLSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::u16string> classNames(const DOMElement& element)
{
    std::vector<std::u16string> names;
    std::u16string text = element.getAttribute(u"class");
    size_t start = 0;
    while (start < text.size()) {
        if (isHTMLSpace(text[start])) {
            ++start;
            continue;
        }
        size_t end = start;
        while (end < text.size() && !isHTMLSpace(text[end]))
            ++end;
        names.push_back(text.substr(start, end - start));
        start = end;
    }
    return names;
}

template<typename Item> std::u16string joined(const std::vector<Item>& items, std::u16string_view separator)
{
    std::u16string text;
    for (size_t index = 0; index < items.size(); ++index) {
        if (index)
            text += separator;
        text += items[index];
    }
    return text;
}

std::u16string_view slugKey(Role role) { return role == Role::Text ? u"textColor" : u"backgroundColor"; }
std::u16string_view customKey(Role role) { return role == Role::Text ? u"text" : u"background"; }
std::u16string_view presenceClass(Role role) { return role == Role::Text ? u"has-text-color" : u"has-background"; }
std::u16string_view declaredProperty(Role role) { return role == Role::Text ? u"color" : u"background-color"; }

std::u16string slugClass(Role role, std::u16string_view slug)
{
    return u"has-" + std::u16string(slug) + (role == Role::Text ? u"-color" : u"-background-color");
}

// The property a declaration sets: the text before its colon, trimmed, in lower case.
std::u16string declarationProperty(std::u16string_view declaration)
{
    size_t colon = declaration.find(u':');
    if (colon == std::u16string_view::npos)
        return {};
    std::u16string name(trimmedHTMLSpace(declaration.substr(0, colon)));
    std::transform(name.begin(), name.end(), name.begin(), [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; });
    return name;
}

bool hasGradient(const Dictionary& properties, const Dictionary* colors)
{
    if (properties.contains(u"gradient"))
        return true;
    return colors && colors->contains(u"gradient");
}

bool isSlugCharacter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
}

bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// "#ABC" -> "#aabbcc", "#AbCdEf" -> "#abcdef"; other values as they are.
std::u16string normalizedHex(std::u16string_view value)
{
    if (value.empty() || value[0] != u'#' || !std::all_of(value.begin() + 1, value.end(), isHexDigit))
        return std::u16string(value);
    std::u16string hex;
    if (value.size() == 4) {
        hex = u"#";
        for (size_t index = 1; index < 4; ++index)
            hex.append(2, value[index]);
    } else
        hex = value;
    std::transform(hex.begin(), hex.end(), hex.begin(), [](char16_t c) { return c >= u'A' && c <= u'F' ? char16_t(c + 32) : c; });
    return hex;
}

} // namespace

Description vornick_wordPressBlockColorDescription(const std::optional<Dictionary>& properties, Role role,
                                                  const VornickColorDescriptionList& themeColors)
{
    if (!properties)
        return nullptr;
    if (auto slug = properties->find(slugKey(role)); slug != properties->end() && slug->second.isString()) {
        const auto& name = slug->second.string();
        if (auto known = VornickColorDescriptionList::wordPressTextAndBackgroundColors().colorDescriptionWithCSSName(name))
            return known;
        if (auto themed = themeColors.colorDescriptionWithCSSName(name))
            return themed;
        return VornickColorDescription::create(u"", name);
    }
    auto style = properties->find(u"style");
    if (style == properties->end() || !style->second.isDictionary())
        return nullptr;
    const Value& custom = style->second[u"color"][customKey(role)];
    if (!custom.isString())
        return nullptr;
    return VornickColorDescription::create(custom.string());
}

bool vornick_writeWordPressBlockColor(Role role, const Description& description, std::optional<Dictionary>& properties, DOMElement& element)
{
    Dictionary written = properties.value_or(Dictionary());
    Dictionary style;
    Dictionary colors;
    if (auto found = written.find(u"style"); found != written.end()) {
        if (!found->second.isDictionary())
            return false;
        style = found->second.dictionary();
    }
    if (auto found = style.find(u"color"); found != style.end()) {
        if (!found->second.isDictionary())
            return false;
        colors = found->second.dictionary();
    }

    std::optional<std::u16string> oldSlug;
    if (auto found = written.find(slugKey(role)); found != written.end() && found->second.isString())
        oldSlug = found->second.string();
    std::optional<std::u16string> newSlug;
    if (description && description->cssName())
        newSlug = *description->cssName();

    if (auto found = written.find(slugKey(role)); found != written.end())
        written.erase(found);
    if (auto found = colors.find(customKey(role)); found != colors.end())
        colors.erase(found);

    // Classes: this colour's own go; a gradient keeps "has-background".
    std::vector<std::u16string> removedClasses;
    if (role == Role::Text || description || !hasGradient(written, &colors))
        removedClasses.emplace_back(presenceClass(role));
    for (const auto& slug : { oldSlug, newSlug }) {
        if (!slug)
            continue;
        removedClasses.push_back(slugClass(role, *slug));
        removedClasses.push_back(slugClass(role, vornick_wordPressKebabCase(*slug)));
    }
    auto classes = classNames(element);
    std::erase_if(classes, [&](const std::u16string& name) {
        return std::find(removedClasses.begin(), removedClasses.end(), name) != removedClasses.end();
    });

    // Declarations: those of this colour's property go.
    std::vector<std::u16string> declarations;
    if (element.hasAttribute(u"style")) {
        std::u16string text = element.getAttribute(u"style");
        size_t start = 0;
        while (true) {
            size_t end = text.find(u';', start);
            declarations.push_back(text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start));
            if (end == std::u16string::npos)
                break;
            start = end + 1;
        }
    }
    std::erase_if(declarations, [&](const std::u16string& declaration) { return declarationProperty(declaration) == declaredProperty(role); });

    if (description) {
        std::vector<std::u16string> added;
        if (newSlug) {
            written[std::u16string(slugKey(role))] = Value(*newSlug);
            added.push_back(slugClass(role, vornick_wordPressKebabCase(*newSlug)));
        } else {
            colors[std::u16string(customKey(role))] = Value(description->hexRGBString());
            declarations.insert(declarations.begin(), std::u16string(declaredProperty(role)) + u":" + description->hexRGBString());
        }
        added.emplace_back(presenceClass(role));
        classes.insert(classes.begin(), added.begin(), added.end());
    }

    if (!colors.empty())
        style[u"color"] = Value(std::move(colors));
    else if (auto found = style.find(u"color"); found != style.end())
        style.erase(found);
    if (!style.empty())
        written[u"style"] = Value(std::move(style));
    else if (auto found = written.find(u"style"); found != written.end())
        written.erase(found);
    if (properties || !written.empty())
        properties = std::move(written);

    std::u16string classText = joined(classes, u" ");
    if (classText.empty())
        element.removeAttribute(u"class");
    else
        element.setAttribute(u"class", classText);
    bool anyDeclaration = std::any_of(declarations.begin(), declarations.end(),
                                      [](const std::u16string& declaration) { return !trimmedHTMLSpace(declaration).empty(); });
    if (!anyDeclaration)
        element.removeAttribute(u"style");
    else
        element.setAttribute(u"style", joined(declarations, u";"));
    return true;
}

std::u16string vornick_wordPressKebabCase(std::u16string_view slug)
{
    enum class Kind { Other, Lower, Upper, Digit };
    auto kindOf = [](char16_t c) {
        if (c >= u'a' && c <= u'z')
            return Kind::Lower;
        if (c >= u'A' && c <= u'Z')
            return Kind::Upper;
        if (c >= u'0' && c <= u'9')
            return Kind::Digit;
        return c >= 0x80 ? Kind::Lower : Kind::Other;
    };
    std::vector<std::u16string> words;
    std::u16string word;
    Kind previous = Kind::Other;
    for (size_t index = 0; index < slug.size(); ++index) {
        char16_t c = slug[index];
        Kind kind = kindOf(c);
        if (kind == Kind::Other) {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
            previous = kind;
            continue;
        }
        if (!word.empty()) {
            bool next = index + 1 < slug.size() && kindOf(slug[index + 1]) == Kind::Lower;
            bool boundary = (previous == Kind::Digit) != (kind == Kind::Digit)
                || (previous == Kind::Lower && kind == Kind::Upper)
                || (previous == Kind::Upper && kind == Kind::Upper && next);
            if (boundary) {
                words.push_back(std::move(word));
                word.clear();
            }
        }
        word += kind == Kind::Upper ? char16_t(c + 32) : c;
        previous = kind;
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return joined(words, u"-");
}

VornickColorDescriptionList vornick_wordPressPresetColorsFromStyleSheetText(std::u16string_view text)
{
    static constexpr std::u16string_view prefix = u"--wp--preset--color--";
    VornickColorDescriptionList list;
    size_t position = 0;
    while ((position = text.find(prefix, position)) != std::u16string_view::npos) {
        size_t nameStart = position + prefix.size();
        size_t nameEnd = nameStart;
        while (nameEnd < text.size() && isSlugCharacter(text[nameEnd]))
            ++nameEnd;
        position = nameEnd;
        size_t colon = nameEnd;
        while (colon < text.size() && isHTMLSpace(text[colon]))
            ++colon;
        if (nameEnd == nameStart || colon >= text.size() || text[colon] != u':')
            continue;
        size_t valueEnd = text.find_first_of(u";}", colon + 1);
        if (valueEnd == std::u16string_view::npos)
            valueEnd = text.size();
        auto value = trimmedHTMLSpace(text.substr(colon + 1, valueEnd - colon - 1));
        if (value.empty())
            continue;
        std::u16string slug(text.substr(nameStart, nameEnd - nameStart));
        // A later declaration of a slug overrides an earlier one.
        list.addColorDescriptionWithHexRGBString(normalizedHex(value), slug, std::nullopt);
        position = valueEnd;
    }
    return list;
}

VornickColorDescriptionList vornick_wordPressPresetColorsInDocument(DOMDocument& document)
{
    // The site prints its global styles in the head; the body (a long post)
    // is not walked.
    std::u16string text;
    auto head = document.head();
    for (auto child = head ? head->firstElementChild() : nullptr; child; child = child->nextElementSibling()) {
        if (child->hasTagName(u"style"))
            text += child->textContent() + u"\n";
    }
    return vornick_wordPressPresetColorsFromStyleSheetText(text);
}

} // namespace brevanton
