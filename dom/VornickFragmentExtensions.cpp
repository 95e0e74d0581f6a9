#include "dom/VornickFragmentExtensions.h"

#include "dom/VornickElementExtensions.h"
#include "toolkit/VornickWhitespaceFilter.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <vector>

namespace brevanton {

namespace {

constexpr char16_t Ellipsis = u'\u2026';

std::vector<std::shared_ptr<DOMNode>> children(const DOMNode& node)
{
    std::vector<std::shared_ptr<DOMNode>> list;
    for (DOMNode* child = node.first(); child; child = child->next())
        list.push_back(child->shared_from_this());
    return list;
}

bool isKind(const DOMNode& node, const std::set<std::u16string>& kinds)
{
    auto* element = toElement(&node);
    return element && kinds.contains(asciiLowercase(element->tagName()));
}

bool isWhitespaceOnlyText(const DOMNode& node)
{
    return node.isTextNode() && vornick_containsOnlyHTMLWhitespace(downcast<DOMCharacterData>(node).data());
}

} // namespace

std::shared_ptr<DOMDocumentFragment> vornick_fragmentByWrappingInElementOfKind(
    DOMDocumentFragment& fragment, std::u16string_view tagName, const DOMElement* withSameAttributesAsElement)
{
    DOMDocument* document = fragment.document();
    auto wrapped = document->createDocumentFragment();
    auto element = document->createElement(tagName);
    if (!element)
        return nullptr;
    if (withSameAttributesAsElement)
        vornick_copyAttributesFromElement(*element, *withSameAttributesAsElement);
    for (const auto& child : children(fragment))
        element->appendChild(child);
    wrapped->appendChild(element);
    return wrapped;
}

void vornick_wrapSequencesOfElementKinds(DOMDocumentFragment& fragment, const std::set<std::u16string>& kinds,
                                         std::u16string_view tagName)
{
    auto list = children(fragment);
    DOMDocument* document = fragment.document();
    size_t i = 0;
    while (i < list.size()) {
        if (!isKind(*list[i], kinds)) {
            ++i;
            continue;
        }
        size_t last = i;
        size_t j = i + 1;
        while (j < list.size()) {
            if (isKind(*list[j], kinds))
                last = j++;
            else if (isWhitespaceOnlyText(*list[j]))
                ++j;
            else
                break;
        }
        auto wrapper = document->createElement(tagName);
        fragment.insertBefore(wrapper, list[i].get());
        for (size_t k = i; k <= last; ++k)
            wrapper->appendChild(list[k]);
        i = last + 1;
    }
}

void vornick_modifyFragmentForInsertionAt(DOMDocumentFragment& fragment, const VornickDOMPosition& position,
                                          std::shared_ptr<DOMElement>& targetElement)
{
    BREVANTON_ASSERT(position.node != nullptr,
                     "Invalid parameter not satisfying: position.container (DOMDocumentFragment+VornickExtensions)");
    targetElement = position.node->isElementNode() ? downcast<DOMElement>(position.node)
                                                   : position.node->parentElement();
    std::u16string t = targetElement ? asciiLowercase(targetElement->tagName()) : std::u16string();
    auto is = [&](std::initializer_list<std::u16string_view> tags) {
        for (auto tag : tags) {
            if (t == tag)
                return true;
        }
        return false;
    };
    if (!is({ u"ul", u"ol", u"menu" }))
        vornick_wrapSequencesOfElementKinds(fragment, { u"li" }, u"ul");
    if (!is({ u"dl" }))
        vornick_wrapSequencesOfElementKinds(fragment, { u"dt", u"dd" }, u"dl");
    if (!is({ u"figure" }))
        vornick_wrapSequencesOfElementKinds(fragment, { u"figcaption" }, u"figure");
    if (!is({ u"colgroup" }))
        vornick_wrapSequencesOfElementKinds(fragment, { u"col" }, u"colgroup");
    if (!is({ u"tr" }))
        vornick_wrapSequencesOfElementKinds(fragment, { u"td", u"th" }, u"tr");
    if (!is({ u"tbody", u"thead", u"tfoot", u"table" }))
        vornick_wrapSequencesOfElementKinds(fragment, { u"tr" }, u"tbody");
    if (!is({ u"table" }))
        vornick_wrapSequencesOfElementKinds(fragment, { u"caption", u"colgroup", u"thead", u"tbody", u"tfoot" },
                                            u"table");
}

void vornick_transformChildElementsOfKind(DOMDocumentFragment& fragment, std::u16string_view kind,
                                          std::u16string_view toKind)
{
    DOMDocument* document = fragment.document();
    for (const auto& child : children(fragment)) {
        auto* element = toElement(child.get());
        if (!element || !equalsIgnoringASCIICase(element->tagName(), kind))
            continue;
        auto replacement = document->createElement(toKind);
        for (const auto& grandchild : children(*element))
            replacement->appendChild(grandchild);
        fragment.replaceChild(replacement, element);
    }
}

std::u16string vornick_fragmentSummary(const DOMDocumentFragment& fragment)
{
    std::u16string summary;
    for (DOMNode* child = fragment.first(); child; child = child->next()) {
        switch (child->nodeType()) {
        case DOMNode::TEXT_NODE:
        case DOMNode::CDATA_SECTION_NODE:
            summary += Ellipsis;
            break;
        case DOMNode::ELEMENT_NODE: {
            auto& element = downcast<DOMElement>(*child);
            summary += vornick_openTagHTML(element, VornickTagHTMLLowercase);
            if (element.hasChildNodes())
                summary += Ellipsis;
            summary += vornick_closeTagHTML(element, VornickTagHTMLLowercase);
            break;
        }
        case DOMNode::COMMENT_NODE:
            break;
        default:
            summary += u"<?>";
            break;
        }
    }
    return summary;
}

} // namespace brevanton
