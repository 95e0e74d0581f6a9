#include "platform/dom/DOMCSSStyleDeclaration.h"

#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

bool isCSSWhitespace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

std::u16string_view trim(std::u16string_view text)
{
    while (!text.empty() && isCSSWhitespace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isCSSWhitespace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::u16string propertyName(std::u16string_view name)
{
    name = trim(name);
    if (name.size() > 2 && name[0] == u'-' && name[1] == u'-')
        return std::u16string(name);
    return asciiLowercase(name);
}

// Removes comments, keeping the text of strings.
std::u16string stripComments(std::u16string_view text)
{
    std::u16string result;
    result.reserve(text.size());
    char16_t quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (quote) {
            result.push_back(c);
            if (c == u'\\' && i + 1 < text.size())
                result.push_back(text[++i]);
            else if (c == quote)
                quote = 0;
            continue;
        }
        if (c == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
            auto end = text.find(u"*/", i + 2);
            i = end == std::u16string_view::npos ? text.size() : end + 1;
            result.push_back(u' ');
            continue;
        }
        if (c == u'"' || c == u'\'')
            quote = c;
        result.push_back(c);
    }
    return result;
}

} // namespace

std::vector<DOMCSSStyleDeclaration::Declaration> DOMCSSStyleDeclaration::parseDeclarations(std::u16string_view input)
{
    std::vector<Declaration> result;
    auto text = stripComments(input);
    auto addDeclaration = [&](std::u16string_view part) {
        auto colon = part.find(u':');
        if (colon == std::u16string_view::npos)
            return;
        auto name = propertyName(part.substr(0, colon));
        auto value = trim(part.substr(colon + 1));
        bool important = false;
        auto bang = value.rfind(u'!');
        if (bang != std::u16string_view::npos && equalsIgnoringASCIICase(trim(value.substr(bang + 1)), u"important")) {
            important = true;
            value = trim(value.substr(0, bang));
        }
        if (name.empty() || value.empty())
            return;
        for (auto c : name) {
            if (isCSSWhitespace(c) || c == u'{' || c == u'}')
                return;
        }
        for (auto& existing : result) {
            if (existing.name == name) {
                if (existing.important && !important)
                    return;
                existing.value = value;
                existing.important = important;
                return;
            }
        }
        result.push_back({ std::move(name), std::u16string(value), important });
    };
    char16_t quote = 0;
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (quote) {
            if (c == u'\\')
                ++i;
            else if (c == quote)
                quote = 0;
        } else if (c == u'"' || c == u'\'')
            quote = c;
        else if (c == u'(' || c == u'[')
            ++depth;
        else if ((c == u')' || c == u']') && depth > 0)
            --depth;
        else if (c == u';' && !depth) {
            addDeclaration(std::u16string_view(text).substr(start, i - start));
            start = i + 1;
        }
    }
    if (start < text.size())
        addDeclaration(std::u16string_view(text).substr(start));
    return result;
}

std::u16string DOMCSSStyleDeclaration::serializeDeclarations(const std::vector<Declaration>& declarations)
{
    std::u16string text;
    for (auto& declaration : declarations) {
        if (!text.empty())
            text += u' ';
        text += declaration.name;
        text += u": ";
        text += declaration.value;
        if (declaration.important)
            text += u" !important";
        text += u';';
    }
    return text;
}

void DOMCSSStyleDeclaration::attributeChanged(const std::u16string* value)
{
    if (m_updatingAttribute)
        return;
    m_declarations = value ? parseDeclarations(*value) : std::vector<Declaration>();
}

void DOMCSSStyleDeclaration::commit()
{
    if (!m_owner)
        return;
    m_updatingAttribute = true;
    m_owner->styleDidChange(serializeDeclarations(m_declarations));
    m_updatingAttribute = false;
}

int DOMCSSStyleDeclaration::find(std::u16string_view name) const
{
    auto key = propertyName(name);
    for (size_t i = 0; i < m_declarations.size(); ++i) {
        if (m_declarations[i].name == key)
            return static_cast<int>(i);
    }
    return -1;
}

const std::vector<DOMCSSStyleDeclaration::Declaration>& DOMCSSStyleDeclaration::declarations() const
{
    return m_declarations;
}

unsigned DOMCSSStyleDeclaration::length() const
{
    return static_cast<unsigned>(m_declarations.size());
}

std::u16string DOMCSSStyleDeclaration::item(unsigned index) const
{
    return index < m_declarations.size() ? m_declarations[index].name : std::u16string();
}

std::u16string DOMCSSStyleDeclaration::getPropertyValue(std::u16string_view name) const
{
    int index = find(name);
    return index < 0 ? std::u16string() : m_declarations[index].value;
}

std::u16string DOMCSSStyleDeclaration::getPropertyPriority(std::u16string_view name) const
{
    int index = find(name);
    return index >= 0 && m_declarations[index].important ? u"important" : u"";
}

void DOMCSSStyleDeclaration::setProperty(std::u16string_view name, std::u16string_view value,
                                         std::u16string_view priority)
{
    if (trim(value).empty()) {
        removeProperty(name);
        return;
    }
    if (!priority.empty() && !equalsIgnoringASCIICase(priority, u"important"))
        return;
    // The value must parse as one declaration on its own.
    auto parsed = parseDeclarations(u"x:" + std::u16string(value));
    if (parsed.size() != 1 || parsed[0].important)
        return;
    auto key = propertyName(name);
    if (key.empty())
        return;
    int index = find(key);
    if (index >= 0) {
        m_declarations[index].value = parsed[0].value;
        m_declarations[index].important = !priority.empty();
    } else
        m_declarations.push_back({ key, parsed[0].value, !priority.empty() });
    commit();
}

std::u16string DOMCSSStyleDeclaration::removeProperty(std::u16string_view name)
{
    int index = find(name);
    if (index < 0)
        return {};
    auto value = std::move(m_declarations[index].value);
    m_declarations.erase(m_declarations.begin() + index);
    commit();
    return value;
}

std::u16string DOMCSSStyleDeclaration::cssText() const
{
    return serializeDeclarations(m_declarations);
}

void DOMCSSStyleDeclaration::setCssText(std::u16string_view text)
{
    m_declarations = parseDeclarations(text);
    commit();
}

} // namespace brevanton
