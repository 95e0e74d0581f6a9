#include "platform/dom/DOMControlCharacters.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <vector>

namespace brevanton {

namespace {

// The stand-in of control character c is U+10FF00 + c: in UTF-8
// F4 8F BC 80+c/0x40..., in UTF-16 U+DBFF U+DF00 + c.
constexpr char32_t standInBase = 0x10FF00;
constexpr char16_t standInLead = 0xDBFF;
constexpr char16_t standInTrailBase = 0xDF00;

bool isProtectedControl(char32_t c)
{
    return (c >= 1 && c <= 8) || c == 0x0B || (c >= 0x0E && c <= 0x1F) || (c >= 0x7F && c <= 0x9F);
}

void appendStandIn(std::string& out, char32_t control)
{
    char32_t c = standInBase + control;
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
}

bool restore(std::u16string& text)
{
    bool changed = false;
    size_t write = 0;
    for (size_t read = 0; read < text.size(); ++read) {
        char16_t c = text[read];
        if (c == standInLead && read + 1 < text.size() && text[read + 1] >= standInTrailBase
            && text[read + 1] < standInTrailBase + 0xA0) {
            text[write++] = static_cast<char16_t>(text[read + 1] - standInTrailBase);
            ++read;
            changed = true;
            continue;
        }
        text[write++] = c;
    }
    text.resize(write);
    return changed;
}

} // namespace

bool protectControlCharacters(std::string_view utf8, std::string& out)
{
    bool found = false;
    for (size_t i = 0; i < utf8.size(); ++i) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte < 0x80 && isProtectedControl(byte)) || (byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F))
            found = true;
        // U+10FF00-U+10FFFF: F4 8F BC-BF xx.
        if (byte == 0xF4 && i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0x8F
            && static_cast<unsigned char>(utf8[i + 2]) >= 0xBC)
            return false;
    }
    if (!found)
        return false;
    out.clear();
    out.reserve(utf8.size() + 64);
    for (size_t i = 0; i < utf8.size(); ++i) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80 && isProtectedControl(byte)) {
            appendStandIn(out, byte);
        } else if (byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80
                   && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            appendStandIn(out, static_cast<unsigned char>(utf8[i + 1]));
            ++i;
        } else
            out += utf8[i];
    }
    return true;
}

void restoreControlCharacters(DOMNode& root)
{
    std::vector<DOMNode*> stack { &root };
    while (!stack.empty()) {
        DOMNode* node = stack.back();
        stack.pop_back();
        if (node->isTextNode() || node->nodeType() == DOMNode::COMMENT_NODE || node->nodeType() == DOMNode::CDATA_SECTION_NODE) {
            auto& data = downcast<DOMCharacterData>(node)->data();
            if (data.find(standInLead) != std::u16string::npos) {
                std::u16string text = data;
                if (restore(text))
                    downcast<DOMCharacterData>(node)->setData(text);
            }
        } else if (node->isElementNode()) {
            auto& element = downcast<DOMElement>(*node);
            std::vector<std::pair<std::u16string, std::u16string>> changes;
            for (const auto& attribute : element.attributeList()) {
                if (attribute.value.find(standInLead) == std::u16string::npos)
                    continue;
                std::u16string value = attribute.value;
                if (restore(value))
                    changes.emplace_back(attribute.name, std::move(value));
            }
            for (auto& [name, value] : changes)
                element.setAttributeValueForAttr(name, value);
            if (auto* content = element.templateContent())
                stack.push_back(content);
        }
        for (DOMNode* child = node->first(); child; child = child->next())
            stack.push_back(child);
    }
}

} // namespace brevanton
