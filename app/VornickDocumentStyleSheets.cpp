#include "app/VornickDocumentStyleSheets.h"

#include "app/VornickStyleSheet.h"
#include "app/VornickStyleSheetReference.h"
#include "app/VornickStyleSheetReferenceInCSSFinder.h"
#include "dom/VornickDocumentExtensions.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

bool isStyleSheetLink(const DOMElement& element)
{
    return equalsIgnoringASCIICase(element.tagName(), u"link")
        && equalsIgnoringASCIICase(element.getAttribute(u"rel"), u"stylesheet") && !element.getAttribute(u"href").empty();
}

// The text node of a CSS STYLE element that holds nothing else, with data.
std::shared_ptr<DOMText> cssTextOfStyleElement(const DOMElement& element)
{
    if (!equalsIgnoringASCIICase(element.tagName(), u"style"))
        return nullptr;
    auto type = element.getAttribute(u"type");
    if (!type.empty() && !equalsIgnoringASCIICase(type, u"text/css"))
        return nullptr;
    auto only = element.firstChild();
    if (!only || only->nextSibling() || only->nodeType() != DOMNode::TEXT_NODE)
        return nullptr;
    auto text = downcast<DOMText>(only);
    return text->data().empty() ? nullptr : text;
}

} // namespace

std::vector<std::shared_ptr<VornickStyleSheetReference>> vornick_styleSheetReferences(const DOMDocument& document)
{
    std::vector<std::shared_ptr<VornickStyleSheetReference>> references;
    auto head = vornick_headElement(document);
    if (!head)
        return references;
    for (auto child = head->firstChild(); child; child = child->nextSibling()) {
        if (!child->isElementNode())
            continue;
        auto element = downcast<DOMElement>(child);
        if (isStyleSheetLink(*element)) {
            if (auto reference = VornickStyleSheetReference::createWithStyleSheetLinkElement(element))
                references.push_back(std::move(reference));
        } else if (auto text = cssTextOfStyleElement(*element)) {
            for (auto& reference : VornickStyleSheetReferenceInCSSFinder().findStyleSheetReferencesInCSSString(text->data(), text)) {
                if (reference)
                    references.push_back(reference);
            }
        }
    }
    return references;
}

std::shared_ptr<VornickStyleSheetReference> vornick_primaryStyleSheetReference(const DOMDocument& document)
{
    auto references = vornick_styleSheetReferences(document);
    return references.empty() ? nullptr : references.front();
}

std::shared_ptr<VornickStyleSheet> vornick_primaryStyleSheet(const DOMDocument& document)
{
    auto reference = vornick_primaryStyleSheetReference(document);
    return reference ? VornickStyleSheet::styleSheetForStyleSheetReference(*reference, document) : nullptr;
}

} // namespace brevanton
