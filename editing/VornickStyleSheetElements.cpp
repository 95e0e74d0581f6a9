#include "editing/VornickStyleSheetElements.h"

#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

namespace brevanton {

bool VornickIsStyleSheetHeadElement(const DOMElement& element)
{
    std::u16string tag = asciiLowercase(element.tagName());
    if (tag == u"style")
        return true;
    if (tag != u"link")
        return false;
    std::u16string rel = asciiLowercase(element.getAttribute(u"rel"));
    size_t start = 0;
    while (start < rel.size()) {
        size_t end = rel.find_first_of(u" \t\n\f\r", start);
        if (end == std::u16string::npos)
            end = rel.size();
        if (std::u16string_view(rel).substr(start, end - start) == u"stylesheet")
            return true;
        start = end + 1;
    }
    return false;
}

std::u16string VornickEscapedStyleElementText(std::u16string_view css)
{
    std::u16string out;
    out.reserve(css.size());
    for (size_t i = 0; i < css.size(); ++i) {
        out += css[i];
        if (css[i] == u'<' && i + 1 < css.size() && css[i + 1] == u'/')
            out += u'\\';
    }
    return out;
}

} // namespace brevanton
