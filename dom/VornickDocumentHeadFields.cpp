#include "dom/VornickDocumentHeadFields.h"

#include "dom/VornickDocumentExtensions.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

struct FieldKind {
    std::u16string_view tagName;
    std::u16string_view nameAttribute;
    std::u16string_view valueAttribute;
};

constexpr FieldKind metaField { u"meta", u"name", u"content" };
constexpr FieldKind linkField { u"link", u"rel", u"href" };

std::shared_ptr<DOMElement> firstField(const DOMElement& head, const FieldKind& kind, std::u16string_view name)
{
    for (auto child = head.firstChild(); child; child = child->nextSibling()) {
        if (!child->isElementNode())
            continue;
        auto element = downcast<DOMElement>(child);
        if (equalsIgnoringASCIICase(element->tagName(), kind.tagName)
            && equalsIgnoringASCIICase(element->getAttribute(kind.nameAttribute), name))
            return element;
    }
    return nullptr;
}

std::optional<std::u16string> getField(const DOMDocument& document, const FieldKind& kind, std::u16string_view name)
{
    auto head = vornick_headElement(document);
    if (!head)
        return std::nullopt;
    auto field = firstField(*head, kind, name);
    if (!field)
        return std::nullopt;
    return field->getAttribute(kind.valueAttribute);
}

void setField(DOMDocument& document, const FieldKind& kind, std::u16string_view name,
              std::optional<std::u16string_view> value)
{
    auto head = vornick_headElement(document);
    if (!head)
        return;
    if (auto field = firstField(*head, kind, name)) {
        if (value)
            field->setAttribute(kind.valueAttribute, *value);
        else
            head->removeChild(field);
        return;
    }
    if (!value)
        return;
    auto field = document.createElement(kind.tagName);
    if (!field)
        return;
    field->setAttribute(kind.nameAttribute, name);
    field->setAttribute(kind.valueAttribute, *value);
    head->appendChild(field);
}

} // namespace

std::optional<std::u16string> vornick_getHeadMetaField(const DOMDocument& document, std::u16string_view name)
{
    return getField(document, metaField, name);
}

std::optional<std::u16string> vornick_getHeadLinkField(const DOMDocument& document, std::u16string_view name)
{
    return getField(document, linkField, name);
}

void vornick_setHeadMetaField(DOMDocument& document, std::u16string_view name, std::optional<std::u16string_view> content)
{
    setField(document, metaField, name, content);
}

void vornick_setHeadLinkField(DOMDocument& document, std::u16string_view name, std::optional<std::u16string_view> urlString)
{
    setField(document, linkField, name, urlString);
}

std::optional<std::u16string> vornick_HTMLFormattingPreferencesString(const DOMDocument& document)
{
    return vornick_getHeadMetaField(document, VornickHTMLFormattingPreferencesMetaFieldName);
}

void vornick_setHTMLFormattingPreferencesString(DOMDocument& document, std::optional<std::u16string_view> string)
{
    vornick_setHeadMetaField(document, VornickHTMLFormattingPreferencesMetaFieldName, string);
}

std::optional<std::u16string> vornick_fragmentSetRelativeURLString(const DOMDocument& document)
{
    return vornick_getHeadLinkField(document, VornickFragmentSetLinkFieldName);
}

void vornick_setFragmentSetRelativeURLString(DOMDocument& document, std::optional<std::u16string_view> string)
{
    vornick_setHeadLinkField(document, VornickFragmentSetLinkFieldName, string);
}

} // namespace brevanton
