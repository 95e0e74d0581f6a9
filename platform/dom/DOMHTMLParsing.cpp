#include "platform/dom/DOMParsing.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/HTMLTreeBuilder.h"
#include "platform/foundation/Text.h"

namespace brevanton {

void appendUTF8AsUTF16(std::u16string& into, const char* bytes, size_t length)
{
    size_t start = into.size();
    into.resize(start + length);
    char16_t* out = into.data() + start;
    auto* p = reinterpret_cast<const unsigned char*>(bytes);
    auto* end = p + length;
    while (p < end) {
        // Runs of ASCII at once.
        size_t ascii = widenLeadingASCII(p, static_cast<size_t>(end - p), out);
        out += ascii;
        p += ascii;
        if (p == end)
            break;
        unsigned c = *p;
        unsigned codePoint = 0xFFFD;
        size_t need = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
            codePoint = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            codePoint = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            codePoint = c & 0x07;
        }
        ++p;
        bool valid = need > 0 && static_cast<size_t>(end - p) >= need;
        for (size_t i = 0; valid && i < need; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                valid = false;
            else
                codePoint = (codePoint << 6) | (p[i] & 0x3F);
        }
        if (valid && ((need == 2 && (codePoint < 0x800 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)))
                      || (need == 3 && (codePoint < 0x10000 || codePoint > 0x10FFFF))))
            valid = false;
        if (!valid) {
            *out++ = 0xFFFD;
            continue;
        }
        p += need;
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
        } else
            *out++ = static_cast<char16_t>(codePoint);
    }
    into.resize(out - into.data());
}

std::shared_ptr<DOMDocument> parseHTMLDocument(std::string_view utf8)
{
    std::u16string markup;
    appendUTF8AsUTF16(markup, utf8.data(), utf8.size());
    return parseHTMLDocument(std::u16string_view(markup));
}

std::shared_ptr<DOMDocument> parseHTMLDocument(std::u16string_view markup)
{
    return buildHTMLDocument(markup);
}

std::shared_ptr<DOMDocumentFragment> parseFragment(DOMDocument& document, std::u16string_view markup,
                                                   const DOMElement* context)
{
    if (!document.isHTMLDocument())
        return parseXMLFragment(document, markup, context);
    return parseHTMLFragment(document, markup, context);
}

std::shared_ptr<DOMDocumentFragment> parseHTMLFragment(DOMDocument& document, std::u16string_view markup,
                                                       const DOMElement* context)
{
    return buildHTMLFragment(document, markup, context);
}

} // namespace brevanton
