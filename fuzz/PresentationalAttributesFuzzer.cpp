// Presentational attributes: the input (UTF-8) is the value of every
// attribute that older pages style with, on every element that takes it; a
// page of them is styled and laid out, with form controls and a
// missing image among them. No value may add a declaration of its own
// (no display, nothing important, whatever the value).
#include "platform/css/CSSPresentationalHints.h"
#include "platform/css/CSSStyleResolver.h"
#include "platform/css/CSSValueParser.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebLayout.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::u16string value = toUTF16(std::string_view(reinterpret_cast<const char*>(data), size));
    auto document = DOMDocument::parseHTML(
        u"<body><table><tr><td>cell</td><th>head</th></tr></table><p>p</p><div>d</div><font>f</font><ol><li>i</li></ol>"
        u"<ul><li>j</li></ul><img src=missing.png><a href=x>a</a><hr><input><input type=checkbox><button>b</button>"
        u"<select><option>o</option></select><textarea>t</textarea></body>",
        u"file:///fuzz/page.html");
    static constexpr std::u16string_view names[] = { u"bgcolor", u"text", u"link", u"background", u"align", u"valign",
                                                      u"width", u"height", u"border", u"cellpadding", u"cellspacing",
                                                      u"hspace", u"vspace", u"nowrap", u"color", u"size", u"face",
                                                      u"type", u"value", u"alt", u"cols", u"rows" };
    for (DOMNode* node = document->documentElement().get(); node; node = node->traverseNext()) {
        if (!node->isElementNode())
            continue;
        auto& element = downcast<DOMElement>(*node);
        for (auto name : names)
            (void)element.setAttribute(std::u16string(name), value);
    }
    for (DOMNode* node = document->documentElement().get(); node; node = node->traverseNext()) {
        if (!node->isElementNode())
            continue;
        auto& element = downcast<DOMElement>(*node);
        for (auto& declaration : parseCSSDeclarationList(cssPresentationalHints(element), u"file:///fuzz/")) {
            if (declaration.property == CSSPropertyID::Display || declaration.important)
                std::abort();
        }
    }
    WebLayout layout;
    layout.layoutIfNeeded(*document, 400, 1);
    return 0;
}
