#include "dom/VornickDocumentEncoding.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickDocumentType.h"
#include "dom/VornickWebFrameAssociatedValues.h"
#include "dom/VornickWebFrameExtensions.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <vector>

namespace brevanton {

namespace {

constexpr std::u16string_view utf8ContentTypeValue = u"text/html; charset=utf-8";

std::u16string_view trimmed(std::u16string_view text)
{
    auto isSpace = [](char16_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isCharsetMeta(const DOMElement& meta)
{
    return !meta.getAttribute(u"charset").empty();
}

bool isContentTypeMeta(const DOMElement& meta)
{
    return equalsIgnoringASCIICase(trimmed(meta.getAttribute(u"http-equiv")), u"Content-Type")
        && !meta.getAttribute(u"content").empty();
}

} // namespace

VornickStringEncoding vornick_stringEncoding(const DOMDocument& document)
{
    if (auto frame = VornickWebFrameWithAssociatedValuesForDocument(document)) {
        if (auto encoding = vornick_stringEncodingOverride(*frame))
            return encoding;
    }
    return VornickStringEncodingForIANACharsetName(document.characterSet());
}

bool vornick_setStringEncoding(DOMDocument& document, VornickStringEncoding encoding)
{
    if (encoding != VornickUTF8StringEncoding)
        return false;
    auto head = vornick_headElement(document);
    if (!head)
        return false;

    std::vector<std::shared_ptr<DOMElement>> charsetMetas;
    std::vector<std::shared_ptr<DOMElement>> contentTypeMetas;
    for (auto child = head->firstChild(); child; child = child->nextSibling()) {
        if (!child->isElementNode())
            continue;
        auto element = downcast<DOMElement>(child);
        if (!equalsIgnoringASCIICase(element->tagName(), u"meta"))
            continue;
        if (isCharsetMeta(*element))
            charsetMetas.push_back(element);
        else if (isContentTypeMeta(*element))
            contentTypeMetas.push_back(element);
    }

    std::shared_ptr<DOMElement> kept;
    if (!contentTypeMetas.empty()) {
        kept = contentTypeMetas.front();
        kept->setAttribute(u"content", utf8ContentTypeValue);
    } else if (!charsetMetas.empty()) {
        kept = charsetMetas.front();
        kept->setAttribute(u"charset", u"utf-8");
    } else {
        kept = document.createElement(u"meta");
        if (!kept)
            return false;
        if (vornick_documentType(document) == VornickHTMLDocumentType::HTML5)
            kept->setAttribute(u"charset", u"utf-8");
        else {
            kept->setAttribute(u"http-equiv", u"Content-Type");
            kept->setAttribute(u"content", utf8ContentTypeValue);
        }
        head->insertBefore(kept, head->firstChild());
    }
    for (auto* metas : { &charsetMetas, &contentTypeMetas }) {
        for (auto& meta : *metas) {
            if (meta != kept)
                head->removeChild(meta);
        }
    }

    if (auto frame = VornickWebFrameWithAssociatedValuesForDocument(document))
        vornick_setStringEncodingOverride(*frame, VornickUTF8StringEncoding);
    return true;
}

} // namespace brevanton
