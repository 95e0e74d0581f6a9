#include "dom/VornickDocumentEncoding.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickDocumentType.h"
#include "dom/VornickWebFrameAssociatedValues.h"
#include "dom/VornickWebFrameExtensions.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncodingLabels.h"

#include <vector>

namespace brevanton {

namespace {

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

// A META child of HEAD that declares the character set, else null.
std::shared_ptr<DOMElement> declarationMeta(const std::shared_ptr<DOMNode>& child)
{
    if (!child || !child->isElementNode())
        return nullptr;
    auto element = downcast<DOMElement>(child);
    if (!equalsIgnoringASCIICase(element->tagName(), u"meta") || !(isCharsetMeta(*element) || isContentTypeMeta(*element)))
        return nullptr;
    return element;
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
    return vornick_declareStringEncoding(document, encoding);
}

bool vornick_canDeclareStringEncoding(VornickStringEncoding encoding)
{
    auto name = VornickCharsetNameForStringEncoding(encoding);
    return name && textEncodingForLabel(*name);
}

VornickCharsetDeclarations vornick_charsetDeclarations(const DOMDocument& document)
{
    VornickCharsetDeclarations declarations;
    if (auto frame = VornickWebFrameWithAssociatedValuesForDocument(document))
        declarations.encodingOverride = vornick_stringEncodingOverride(*frame);
    auto head = vornick_headElement(document);
    if (!head)
        return declarations;
    unsigned index = 0;
    for (auto child = head->firstChild(); child; child = child->nextSibling(), ++index) {
        if (auto element = declarationMeta(child))
            declarations.metas.emplace_back(index, downcast<DOMElement>(element->cloneNode(true)));
    }
    return declarations;
}

void vornick_restoreCharsetDeclarations(DOMDocument& document, const VornickCharsetDeclarations& declarations)
{
    if (auto head = vornick_headElement(document)) {
        std::vector<std::shared_ptr<DOMElement>> current;
        for (auto child = head->firstChild(); child; child = child->nextSibling()) {
            if (auto element = declarationMeta(child))
                current.push_back(element);
        }
        for (auto& meta : current)
            head->removeChild(meta);
        // In the order of their places, each before the child now at its place.
        for (auto& [index, meta] : declarations.metas) {
            auto copy = downcast<DOMElement>(meta->cloneNode(true));
            auto before = head->firstChild();
            for (unsigned i = 0; before && i < index; ++i)
                before = before->nextSibling();
            head->insertBefore(copy, before);
        }
    }
    if (auto frame = VornickWebFrameWithAssociatedValuesForDocument(document))
        vornick_setStringEncodingOverride(*frame, declarations.encodingOverride);
}

bool vornick_declareStringEncoding(DOMDocument& document, VornickStringEncoding encoding)
{
    if (!vornick_canDeclareStringEncoding(encoding))
        return false;
    auto head = vornick_headElement(document);
    if (!head)
        return false;
    std::u16string charset = encoding == VornickUTF8StringEncoding ? u"utf-8" : asciiLowercase(*VornickCharsetNameForStringEncoding(encoding));
    std::u16string contentType = u"text/html; charset=" + charset;

    std::vector<std::shared_ptr<DOMElement>> charsetMetas;
    std::vector<std::shared_ptr<DOMElement>> contentTypeMetas;
    for (auto child = head->firstChild(); child; child = child->nextSibling()) {
        auto element = declarationMeta(child);
        if (!element)
            continue;
        if (isCharsetMeta(*element))
            charsetMetas.push_back(element);
        else
            contentTypeMetas.push_back(element);
    }

    std::shared_ptr<DOMElement> kept;
    if (!contentTypeMetas.empty()) {
        kept = contentTypeMetas.front();
        kept->setAttribute(u"content", contentType);
    } else if (!charsetMetas.empty()) {
        kept = charsetMetas.front();
        kept->setAttribute(u"charset", charset);
    } else {
        kept = document.createElement(u"meta");
        if (!kept)
            return false;
        if (vornick_documentType(document) == VornickHTMLDocumentType::HTML5)
            kept->setAttribute(u"charset", charset);
        else {
            kept->setAttribute(u"http-equiv", u"Content-Type");
            kept->setAttribute(u"content", contentType);
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
        vornick_setStringEncodingOverride(*frame, encoding);
    return true;
}

} // namespace brevanton
