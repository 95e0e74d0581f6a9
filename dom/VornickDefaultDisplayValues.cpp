#include "dom/VornickDefaultDisplayValues.h"

#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace brevanton {

namespace {

using Entry = std::pair<std::u16string_view, std::u16string_view>;

// Sorted by name for binary search.
constexpr std::array DisplayTable = std::to_array<Entry>({
    { u"address", u"block" },
    { u"area", u"none" },
    { u"article", u"block" },
    { u"aside", u"block" },
    { u"base", u"none" },
    { u"basefont", u"none" },
    { u"blockquote", u"block" },
    { u"body", u"block" },
    { u"button", u"inline-block" },
    { u"caption", u"table-caption" },
    { u"center", u"block" },
    { u"col", u"table-column" },
    { u"colgroup", u"table-column-group" },
    { u"datalist", u"none" },
    { u"dd", u"block" },
    { u"details", u"block" },
    { u"dialog", u"block" },
    { u"dir", u"block" },
    { u"div", u"block" },
    { u"dl", u"block" },
    { u"dt", u"block" },
    { u"embed", u"inline" },
    { u"fieldset", u"block" },
    { u"figcaption", u"block" },
    { u"figure", u"block" },
    { u"footer", u"block" },
    { u"form", u"block" },
    { u"frame", u"block" },
    { u"frameset", u"block" },
    { u"h1", u"block" },
    { u"h2", u"block" },
    { u"h3", u"block" },
    { u"h4", u"block" },
    { u"h5", u"block" },
    { u"h6", u"block" },
    { u"head", u"none" },
    { u"header", u"block" },
    { u"hgroup", u"block" },
    { u"hr", u"block" },
    { u"html", u"block" },
    { u"input", u"inline-block" },
    { u"legend", u"block" },
    { u"li", u"list-item" },
    { u"link", u"none" },
    { u"listing", u"block" },
    { u"main", u"block" },
    { u"marquee", u"inline-block" },
    { u"menu", u"block" },
    { u"meta", u"none" },
    { u"meter", u"inline-block" },
    { u"nav", u"block" },
    { u"noembed", u"none" },
    { u"noframes", u"none" },
    { u"ol", u"block" },
    { u"optgroup", u"block" },
    { u"p", u"block" },
    { u"param", u"none" },
    { u"plaintext", u"block" },
    { u"pre", u"block" },
    { u"progress", u"inline-block" },
    { u"rp", u"none" },
    { u"rt", u"ruby-text" },
    { u"ruby", u"ruby" },
    { u"script", u"none" },
    { u"search", u"block" },
    { u"section", u"block" },
    { u"select", u"inline-block" },
    { u"source", u"none" },
    { u"style", u"none" },
    { u"summary", u"list-item" },
    { u"table", u"table" },
    { u"tbody", u"table-row-group" },
    { u"td", u"table-cell" },
    { u"template", u"none" },
    { u"textarea", u"inline-block" },
    { u"tfoot", u"table-footer-group" },
    { u"th", u"table-cell" },
    { u"thead", u"table-header-group" },
    { u"title", u"none" },
    { u"tr", u"table-row" },
    { u"track", u"none" },
    { u"ul", u"block" },
    { u"xmp", u"block" },
});

} // namespace

std::u16string_view vornick_defaultDisplayValueForTagName(std::u16string_view tagName)
{
    char16_t buffer[16];
    if (tagName.size() > std::size(buffer))
        return u"inline";
    for (size_t i = 0; i < tagName.size(); ++i) {
        char16_t c = tagName[i];
        buffer[i] = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    }
    std::u16string_view name(buffer, tagName.size());
    auto found = std::lower_bound(DisplayTable.begin(), DisplayTable.end(), name,
                                  [](const Entry& entry, std::u16string_view key) { return entry.first < key; });
    if (found != DisplayTable.end() && found->first == name)
        return found->second;
    return u"inline";
}

std::u16string_view vornick_defaultDisplayValueForElement(const DOMElement& element)
{
    if (!element.isHTMLElement())
        return u"inline";
    if (element.hasAttribute(u"hidden"))
        return u"none";
    return vornick_defaultDisplayValueForTagName(element.localName());
}

} // namespace brevanton
