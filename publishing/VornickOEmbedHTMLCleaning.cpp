#include "publishing/VornickOEmbedHTMLCleaning.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <vector>

namespace brevanton {

namespace {

bool isElementNamed(const DOMElement& element, std::u16string_view name)
{
    return equalsIgnoringASCIICase(element.tagName(), name);
}

} // namespace

void vornick_removeActiveContentFromFragment(DOMDocumentFragment& fragment)
{
    std::vector<std::shared_ptr<DOMElement>> toRemove;
    for (DOMNode* node = fragment.first(); node; node = node->traverseNext(&fragment)) {
        if (node->nodeType() != DOMNode::ELEMENT_NODE)
            continue;
        auto& element = downcast<DOMElement>(*node);
        for (auto name : { u"script", u"iframe", u"frame", u"frameset", u"object", u"embed", u"applet", u"meta", u"base", u"link" }) {
            if (isElementNamed(element, name)) {
                toRemove.push_back(std::static_pointer_cast<DOMElement>(element.shared_from_this()));
                break;
            }
        }
        std::vector<std::u16string> attributesToRemove;
        for (const auto& attribute : element.attributeList()) {
            const auto& name = attribute.name;
            auto lower = lowercase(name);
            auto value = lowercase(attribute.value);
            std::erase_if(value, [](char16_t character) { return character <= u' '; });
            if (lower.starts_with(u"on") || value.starts_with(u"javascript:") || value.starts_with(u"vbscript:")
                || (lower == u"srcdoc"))
                attributesToRemove.push_back(name);
        }
        for (const auto& name : attributesToRemove)
            element.removeAttribute(name);
    }
    for (const auto& element : toRemove) {
        if (auto parent = element->parentNode())
            parent->removeChild(element);
    }
}

} // namespace brevanton
