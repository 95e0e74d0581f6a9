// Our HTML tokenizer and tree builder on arbitrary UTF-16 text: whole pages,
// and fragments in the context of an element the first byte picks. The tree
// must write out, also with a depth limit (past which no element nests), and
// the tokenizer's ranges stay within the text.
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/HTMLTagNames.h"
#include "platform/dom/HTMLTokenizer.h"
#include "platform/dom/HTMLTreeBuilder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace brevanton;

namespace {

// No element under `root` (template contents included) nests deeper than `limit`.
void abortIfDeeperThan(const DOMNode& root, unsigned limit)
{
    std::vector<std::pair<const DOMNode*, unsigned>> pending { { &root, 0 } };
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        if (depth > limit)
            std::abort();
        for (auto* child = node->first(); child; child = child->next()) {
            if (child->isElementNode())
                pending.push_back({ child, depth + 1 });
        }
        if (auto* element = toElement(node); element && element->templateContent())
            pending.push_back({ element->templateContent(), depth });
    }
}

} // namespace

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
        // And with the depth limit the program's parse sets, at a depth inputs reach.
        auto flattened = buildHTMLDocument(markup, { .maximumDepth = 6 });
        if (auto root = flattened->documentElement())
            root->outerHTML();
        abortIfDeeperThan(*flattened, 6);
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
    auto fragment = buildHTMLFragment(*document, markup, element.get(), { .maximumDepth = selector & 1 ? 6u : 0u });
    fragment->innerHTML();
    if (selector & 1)
        abortIfDeeperThan(*fragment, 6);
    return 0;
}
