// The style sheets of a frame's document as the DOM's CSS object model shows
// them: one sheet per LINK rel=stylesheet (its text as loaded) and per STYLE
// element, each with its rules; an import rule holds the imported sheet.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMCSSStyleSheet;
class DOMElement;
class WebFrame;

class DOMCSSRule {
public:
    enum Type : unsigned short {
        UNKNOWN_RULE = 0,
        STYLE_RULE = 1,
        CHARSET_RULE = 2,
        IMPORT_RULE = 3,
        MEDIA_RULE = 4,
        FONT_FACE_RULE = 5,
        PAGE_RULE = 6,
    };
    DOMCSSRule(Type type, std::u16string cssText) : m_type(type), m_cssText(std::move(cssText)) {}

    Type type() const { return m_type; }
    const std::u16string& cssText() const { return m_cssText; }
    std::shared_ptr<DOMCSSStyleSheet> parentStyleSheet() const { return m_parent.lock(); }
    // Import rules: the URL as written, and the imported sheet (null when it was not loaded).
    const std::u16string& href() const { return m_href; }
    const std::shared_ptr<DOMCSSStyleSheet>& styleSheet() const { return m_styleSheet; }

private:
    friend class DOMCSSStyleSheet;
    Type m_type;
    std::u16string m_cssText;
    std::u16string m_href;
    std::shared_ptr<DOMCSSStyleSheet> m_styleSheet;
    std::weak_ptr<DOMCSSStyleSheet> m_parent;
};

class DOMCSSStyleSheet : public std::enable_shared_from_this<DOMCSSStyleSheet> {
public:
    // `href` is the absolute URL string of a linked or imported sheet.
    DOMCSSStyleSheet(std::optional<std::u16string> href, std::shared_ptr<DOMElement> ownerNode);

    const std::optional<std::u16string>& href() const { return m_href; }
    // The LINK or STYLE element; null for an imported sheet.
    std::shared_ptr<DOMElement> ownerNode() const { return m_ownerNode.lock(); }
    std::shared_ptr<DOMCSSStyleSheet> parentStyleSheet() const { return m_parent.lock(); }
    const std::vector<std::shared_ptr<DOMCSSRule>>& cssRules() const { return m_rules; }

    // Splits the text into rules; imported sheets come from `frame`'s loaded resources.
    void parse(std::u16string_view text, const WebFrame& frame, unsigned depth = 0);

private:
    std::optional<std::u16string> m_href;
    std::weak_ptr<DOMElement> m_ownerNode;
    std::weak_ptr<DOMCSSStyleSheet> m_parent;
    std::vector<std::shared_ptr<DOMCSSRule>> m_rules;
};

// The document's sheets in document order.
std::vector<std::shared_ptr<DOMCSSStyleSheet>> webStyleSheets(const WebFrame&);

} // namespace brevanton
