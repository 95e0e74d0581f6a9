#include "platform/web/WebStyleSheets.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

namespace {

constexpr unsigned maximumImportDepth = 16;

bool isSpace(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::u16string trimmed(std::u16string_view text)
{
    size_t start = 0, end = text.size();
    while (start < end && isSpace(text[start]))
        ++start;
    while (end > start && isSpace(text[end - 1]))
        --end;
    return std::u16string(text.substr(start, end - start));
}

// The top-level statements of a sheet: "selector { ... }" and "@rule ...;" or "@rule ... { ... }".
std::vector<std::u16string> statements(std::u16string_view text)
{
    std::vector<std::u16string> result;
    size_t i = 0, start = 0;
    int depth = 0;
    while (i < text.size()) {
        char16_t c = text[i];
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            size_t close = text.find(u"*/", i + 2);
            size_t end = close == std::u16string_view::npos ? text.size() : close + 2;
            if (depth == 0 && trimmed(text.substr(start, i - start)).empty())
                start = end;
            i = end;
            continue;
        }
        if (c == '"' || c == '\'') {
            ++i;
            while (i < text.size() && text[i] != c) {
                if (text[i] == '\\')
                    ++i;
                ++i;
            }
            ++i;
            continue;
        }
        if (c == '{')
            ++depth;
        else if (c == '}') {
            if (depth > 0 && --depth == 0) {
                result.push_back(trimmed(text.substr(start, i + 1 - start)));
                start = i + 1;
            }
        } else if (c == ';' && depth == 0) {
            auto statement = trimmed(text.substr(start, i + 1 - start));
            if (statement.size() > 1)
                result.push_back(statement);
            start = i + 1;
        }
        ++i;
    }
    auto rest = trimmed(text.substr(std::min(start, text.size())));
    if (!rest.empty() && rest[0] == '@')
        result.push_back(rest);
    return result;
}

std::u16string importTarget(std::u16string_view statement)
{
    size_t i = 7; // after "@import"
    while (i < statement.size() && isSpace(statement[i]))
        ++i;
    std::u16string target;
    bool url = statement.substr(i, 4) == u"url(";
    if (url)
        i += 4;
    while (i < statement.size() && isSpace(statement[i]))
        ++i;
    char16_t quote = i < statement.size() && (statement[i] == '"' || statement[i] == '\'') ? statement[i] : 0;
    if (quote)
        ++i;
    while (i < statement.size()) {
        char16_t c = statement[i];
        if ((quote && c == quote) || (!quote && (c == ')' || isSpace(c) || c == ';')))
            break;
        target += c;
        ++i;
    }
    return target;
}

std::u16string sheetText(const WebFrame& frame, const URL& url)
{
    auto& source = frame.dataSource();
    if (!source)
        return {};
    auto resource = source->subresourceForURL(url);
    if (!resource)
        return {};
    std::string_view bytes(reinterpret_cast<const char*>(resource->data().data()), resource->data().size());
    return toUTF16(bytes);
}

} // namespace

DOMCSSStyleSheet::DOMCSSStyleSheet(std::optional<std::u16string> href, std::shared_ptr<DOMElement> ownerNode)
    : m_href(std::move(href))
    , m_ownerNode(ownerNode)
{
}

void DOMCSSStyleSheet::parse(std::u16string_view text, const WebFrame& frame, unsigned depth)
{
    m_rules.clear();
    std::optional<URL> base;
    if (m_href)
        base = URL::create(*m_href);
    else
        base = frame.baseURL();
    for (auto& statement : statements(text)) {
        DOMCSSRule::Type type = DOMCSSRule::STYLE_RULE;
        if (statement[0] == '@') {
            auto lower = statement.substr(0, 10);
            for (auto& c : lower)
                c = (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c + 32) : c;
            type = lower.starts_with(u"@import") ? DOMCSSRule::IMPORT_RULE
                : lower.starts_with(u"@charset") ? DOMCSSRule::CHARSET_RULE
                : lower.starts_with(u"@media")   ? DOMCSSRule::MEDIA_RULE
                : lower.starts_with(u"@font-face") ? DOMCSSRule::FONT_FACE_RULE
                : lower.starts_with(u"@page")    ? DOMCSSRule::PAGE_RULE
                                                 : DOMCSSRule::UNKNOWN_RULE;
        }
        auto rule = std::make_shared<DOMCSSRule>(type, statement);
        rule->m_parent = weak_from_this();
        if (type == DOMCSSRule::IMPORT_RULE) {
            rule->m_href = importTarget(statement);
            auto url = URL::create(rule->m_href, base ? &*base : nullptr);
            if (url && depth < maximumImportDepth) {
                auto absolute = url->absoluteURL();
                if (frame.dataSource() && frame.dataSource()->subresourceForURL(absolute)) {
                    auto imported = std::make_shared<DOMCSSStyleSheet>(absolute.absoluteString(), nullptr);
                    imported->m_parent = weak_from_this();
                    imported->parse(sheetText(frame, absolute), frame, depth + 1);
                    rule->m_styleSheet = imported;
                }
            }
        }
        m_rules.push_back(std::move(rule));
    }
}

std::vector<std::shared_ptr<DOMCSSStyleSheet>> webStyleSheets(const WebFrame& frame)
{
    std::vector<std::shared_ptr<DOMCSSStyleSheet>> sheets;
    auto& document = frame.domDocument();
    if (!document)
        return sheets;
    auto base = frame.baseURL();
    for (DOMNode* node = document->first(); node; node = node->traverseNext()) {
        if (!node->isElementNode())
            continue;
        auto element = downcast<DOMElement>(node->shared_from_this());
        if (element->hasTagName(u"style")) {
            auto sheet = std::make_shared<DOMCSSStyleSheet>(std::nullopt, element);
            sheet->parse(element->textContent(), frame);
            sheets.push_back(std::move(sheet));
        } else if (element->hasTagName(u"link")) {
            auto rel = element->getAttribute(u"rel");
            for (auto& c : rel)
                c = (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c + 32) : c;
            if (rel.find(u"stylesheet") == std::u16string::npos || !element->hasAttribute(u"href"))
                continue;
            auto url = URL::create(element->getAttribute(u"href"), base ? &*base : nullptr);
            auto href = url ? std::optional<std::u16string>(url->absoluteURL().absoluteString()) : std::nullopt;
            auto sheet = std::make_shared<DOMCSSStyleSheet>(href, element);
            if (url)
                sheet->parse(sheetText(frame, url->absoluteURL()), frame);
            sheets.push_back(std::move(sheet));
        }
    }
    return sheets;
}

} // namespace brevanton
