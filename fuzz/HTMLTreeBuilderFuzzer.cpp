// Our HTML tokenizer and tree builder on arbitrary UTF-16 text: whole pages,
// and fragments in the context of an element the first byte picks. The tree
// must write out, and the tokenizer's ranges stay within the text.
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/HTMLTagNames.h"
#include "platform/dom/HTMLTokenizer.h"
#include "platform/dom/HTMLTreeBuilder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!size)
        return 0;
    uint8_t selector = data[0];
    ++data;
    --size;
    // Bytes as UTF-16 units (lone surrogates, NULs and controls included) or as Latin-1.
    std::u16string markup;
    if (selector & 0x80) {
        markup.resize(size / 2);
        std::memcpy(markup.data(), data, markup.size() * 2);
    } else
        markup.assign(data, data + size);

    HTMLTokenizer tokenizer(markup);
    tokenizer.setRecordsErrors(true);
    for (;;) {
        auto& token = tokenizer.nextToken();
        if (token.range.start > token.range.end || token.range.end > markup.size())
            std::abort();
        for (auto& attribute : token.attributes) {
            if (attribute.nameRange.end > markup.size() || attribute.valueRange.end > markup.size())
                std::abort();
        }
        if (token.kind == HTMLToken::Kind::EndOfFile)
            break;
    }

    unsigned context = selector & 0x7F;
    if (context >= static_cast<unsigned>(HTMLTag::Count) + 2) {
        auto document = buildHTMLDocument(markup);
        if (auto root = document->documentElement())
            root->outerHTML();
        return 0;
    }
    auto document = DOMDocument::create();
    std::shared_ptr<DOMElement> element;
    if (context == static_cast<unsigned>(HTMLTag::Count))
        element = document->createElementNS(SVGNamespace, u"foreignObject");
    else if (context == static_cast<unsigned>(HTMLTag::Count) + 1)
        element = document->createElementNS(MathMLNamespace, u"mi");
    else if (context)
        element = document->createElement(htmlTagName(static_cast<HTMLTag>(context)));
    auto fragment = buildHTMLFragment(*document, markup, element.get());
    fragment->innerHTML();
    return 0;
}
