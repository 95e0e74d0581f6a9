// Fragments parsed in context: the first byte picks the context element
// among every HTML element name the parser knows by number and the SVG and
// MathML elements whose content parses differently; the rest is the markup,
// as UTF-8.
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/HTMLTagNames.h"
#include "platform/foundation/Text.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace brevanton;

namespace {

struct Context {
    const char16_t* namespaceURI;
    std::u16string name;
};

const std::vector<Context>& contexts()
{
    static const std::vector<Context> list = [] {
        std::vector<Context> result;
        for (unsigned tag = 1; tag < static_cast<unsigned>(HTMLTag::Count); ++tag)
            result.push_back({ XHTMLNamespace, std::u16string(htmlTagName(static_cast<HTMLTag>(tag))) });
        result.push_back({ XHTMLNamespace, u"custom-element" });
        for (auto name : { u"svg", u"foreignObject", u"desc", u"title", u"g", u"html", u"select", u"td", u"template" })
            result.push_back({ SVGNamespace, name });
        for (auto name : { u"math", u"mi", u"mtext", u"annotation-xml", u"select", u"tr", u"body" })
            result.push_back({ MathMLNamespace, name });
        return result;
    }();
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!size)
        return 0;
    auto& context = contexts()[data[0] % contexts().size()];
    auto markup = toUTF16(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    static auto document = DOMDocument::createHTMLDocument();
    auto element = document->createElementNS(context.namespaceURI, context.name);
    if (!element)
        return 0;
    auto fragment = document->createDocumentFragmentWithMarkupString(markup, {}, element.get());
    if (fragment)
        fragment->innerHTML();
    return 0;
}
