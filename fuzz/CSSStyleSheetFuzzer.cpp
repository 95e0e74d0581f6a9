// Style sheets: the input (UTF-8) is read as a sheet, as the user sheet, as
// an inline style and as a selector list. The cascade of a small page, with
// its ::before and ::after content, its layout and the positioned boxes of
// its generated content must not fail, and every selector kept must have a
// subject.
#include "platform/css/CSSSelector.h"
#include "platform/css/CSSStyleResolver.h"
#include "platform/css/CSSStyleSheet.h"
#include "platform/css/CSSValueParser.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebGeneratedContent.h"
#include "platform/web/WebLayout.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::u16string text = toUTF16(std::string_view(reinterpret_cast<const char*>(data), size));
    for (auto& selector : CSSSelector::parseList(text)) {
        if (selector.compounds().empty())
            std::abort();
    }
    (void)parseCSSDeclarationList(text, u"file:///fuzz/");
    CSSStyleResolver::setUserStyleSheet(text, u"file:///fuzz/");
    auto document = DOMDocument::parseHTML(u"<style></style><body class=a><div id=b class='a b' style=''>"
                                           u"<p class=c>some text <b>bold</b></p><ul><li>item</li></ul></div></body>",
                                           u"file:///fuzz/page.html");
    document->getElementsByTagName(u"style")->item(0)->setTextContent(text);
    (void)document->getElementById(u"b")->setAttribute(u"style", text);
    WebLayout layout;
    layout.layoutIfNeeded(*document, 400, 1);
    for (DOMNode* node = document.get(); node; node = node->traverseNext()) {
        auto* element = toElement(node);
        if (!element)
            continue;
        (void)CSSStyleResolver::computedValuesFor(*element);
        (void)CSSStyleResolver::pseudoElementValuesFor(*element, CSSPseudoElement::Before);
        (void)CSSStyleResolver::pseudoElementValuesFor(*element, CSSPseudoElement::After);
        for (auto& box : webGeneratedBoxes(layout, *element, 1)) {
            if (std::isnan(box.rect.width()) || std::isnan(box.rect.height()))
                std::abort();
        }
    }
    CSSStyleResolver::setUserStyleSheet(u"");
    return 0;
}
