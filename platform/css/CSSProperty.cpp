#include "platform/css/CSSProperty.h"

#include "platform/foundation/Text.h"

#include <array>
#include <string>
#include <unordered_map>

namespace brevanton {

namespace {

using K = CSSValueKind;

constexpr std::u16string_view BorderStyles = u"none|hidden|dotted|dashed|solid|double|groove|ridge|inset|outset";

// In the order of CSSPropertyID.
const std::array<CSSPropertyInfo, CSSPropertyCount> Properties = { {
    { u"background-attachment", false, K::Keyword, u"scroll|fixed|local", u"scroll" },
    { u"background-color", false, K::Color, u"", u"transparent" },
    { u"background-image", false, K::Image, u"", u"none" },
    { u"background-repeat", false, K::Keyword, u"repeat|repeat-x|repeat-y|no-repeat|space|round", u"repeat" },
    { u"border-bottom-color", false, K::Color, u"", u"currentcolor" },
    { u"border-bottom-left-radius", false, K::Length, u"", u"0px", true },
    { u"border-bottom-right-radius", false, K::Length, u"", u"0px", true },
    { u"border-bottom-style", false, K::Keyword, BorderStyles, u"none" },
    { u"border-bottom-width", false, K::BorderWidth, u"", u"medium" },
    { u"border-collapse", true, K::Keyword, u"separate|collapse", u"separate" },
    { u"border-left-color", false, K::Color, u"", u"currentcolor" },
    { u"border-left-style", false, K::Keyword, BorderStyles, u"none" },
    { u"border-left-width", false, K::BorderWidth, u"", u"medium" },
    { u"border-right-color", false, K::Color, u"", u"currentcolor" },
    { u"border-right-style", false, K::Keyword, BorderStyles, u"none" },
    { u"border-right-width", false, K::BorderWidth, u"", u"medium" },
    { u"border-spacing", true, K::Length, u"", u"0px" },
    { u"border-top-color", false, K::Color, u"", u"currentcolor" },
    { u"border-top-left-radius", false, K::Length, u"", u"0px", true },
    { u"border-top-right-radius", false, K::Length, u"", u"0px", true },
    { u"border-top-style", false, K::Keyword, BorderStyles, u"none" },
    { u"border-top-width", false, K::BorderWidth, u"", u"medium" },
    { u"bottom", false, K::Length, u"auto", u"auto", true, true },
    { u"box-sizing", false, K::Keyword, u"content-box|border-box", u"content-box" },
    { u"caption-side", true, K::Keyword, u"top|bottom", u"top" },
    { u"clear", false, K::Keyword, u"none|left|right|both", u"none" },
    { u"color", true, K::Color, u"", u"black" },
    { u"content", false, K::Content, u"none|normal", u"normal" },
    { u"cursor", true, K::Keyword,
      u"auto|default|none|context-menu|help|pointer|progress|wait|cell|crosshair|text|vertical-text|alias|copy|move|"
      u"no-drop|not-allowed|grab|grabbing|all-scroll|col-resize|row-resize|n-resize|e-resize|s-resize|w-resize|"
      u"ne-resize|nw-resize|se-resize|sw-resize|ew-resize|ns-resize|nesw-resize|nwse-resize|zoom-in|zoom-out",
      u"auto" },
    { u"direction", true, K::Keyword, u"ltr|rtl", u"ltr" },
    { u"display", false, K::Keyword,
      u"inline|block|list-item|inline-block|table|inline-table|table-row-group|table-header-group|"
      u"table-footer-group|table-row|table-column-group|table-column|table-cell|table-caption|none|flex|"
      u"inline-flex|grid|inline-grid|contents|flow-root|ruby|ruby-text|ruby-base|ruby-base-container|"
      u"ruby-text-container|run-in|compact|-webkit-box|-webkit-inline-box",
      u"inline" },
    { u"empty-cells", true, K::Keyword, u"show|hide", u"show" },
    { u"float", false, K::Keyword, u"none|left|right", u"none" },
    { u"font-family", true, K::FontFamily, u"", u"\"Times New Roman\"" },
    { u"font-size", true, K::FontSize, u"", u"medium" },
    { u"font-style", true, K::Keyword, u"normal|italic|oblique", u"normal" },
    { u"font-variant", true, K::Keyword, u"normal|small-caps", u"normal" },
    { u"font-weight", true, K::FontWeight, u"", u"normal" },
    { u"height", false, K::Length, u"auto", u"auto", true },
    { u"left", false, K::Length, u"auto", u"auto", true, true },
    { u"letter-spacing", true, K::Length, u"normal", u"normal", false, true },
    { u"line-height", true, K::LineHeight, u"", u"normal" },
    { u"list-style-image", true, K::Image, u"", u"none" },
    { u"list-style-position", true, K::Keyword, u"inside|outside", u"outside" },
    { u"list-style-type", true, K::Keyword,
      u"disc|circle|square|decimal|decimal-leading-zero|lower-roman|upper-roman|lower-greek|lower-alpha|"
      u"lower-latin|upper-alpha|upper-latin|armenian|georgian|hebrew|cjk-ideographic|hiragana|katakana|"
      u"hiragana-iroha|katakana-iroha|disclosure-open|disclosure-closed|none",
      u"disc" },
    { u"margin-bottom", false, K::Length, u"auto", u"0px", true, true },
    { u"margin-left", false, K::Length, u"auto", u"0px", true, true },
    { u"margin-right", false, K::Length, u"auto", u"0px", true, true },
    { u"margin-top", false, K::Length, u"auto", u"0px", true, true },
    { u"max-height", false, K::Length, u"none", u"none", true },
    { u"max-width", false, K::Length, u"none", u"none", true },
    { u"min-height", false, K::Length, u"auto", u"auto", true },
    { u"min-width", false, K::Length, u"auto", u"auto", true },
    { u"opacity", false, K::Number, u"", u"1" },
    { u"outline-color", false, K::Color, u"invert", u"currentcolor" },
    { u"outline-style", false, K::Keyword, u"auto|none|dotted|dashed|solid|double|groove|ridge|inset|outset",
      u"none" },
    { u"outline-width", false, K::BorderWidth, u"", u"medium" },
    { u"overflow", false, K::Keyword, u"visible|hidden|scroll|auto|clip|overlay", u"visible" },
    { u"padding-bottom", false, K::Length, u"", u"0px", true },
    { u"padding-left", false, K::Length, u"", u"0px", true },
    { u"padding-right", false, K::Length, u"", u"0px", true },
    { u"padding-top", false, K::Length, u"", u"0px", true },
    { u"position", false, K::Keyword, u"static|relative|absolute|fixed|sticky", u"static" },
    { u"right", false, K::Length, u"auto", u"auto", true, true },
    { u"table-layout", false, K::Keyword, u"auto|fixed", u"auto" },
    { u"text-align", true, K::Keyword, u"left|right|center|justify|start|end|-webkit-left|-webkit-right|-webkit-center|match-parent",
      u"start" },
    { u"text-decoration", false, K::TextDecoration, u"", u"none" },
    { u"text-indent", true, K::Length, u"", u"0px", true, true },
    { u"text-transform", true, K::Keyword, u"none|capitalize|uppercase|lowercase|full-width", u"none" },
    { u"top", false, K::Length, u"auto", u"auto", true, true },
    { u"unicode-bidi", false, K::Keyword, u"normal|embed|isolate|bidi-override|isolate-override|plaintext",
      u"normal" },
    { u"vertical-align", false, K::Length,
      u"baseline|sub|super|text-top|text-bottom|middle|top|bottom|-webkit-baseline-middle", u"baseline", true, true },
    { u"visibility", true, K::Keyword, u"visible|hidden|collapse", u"visible" },
    { u"white-space", true, K::Keyword, u"normal|pre|nowrap|pre-wrap|pre-line|break-spaces", u"normal" },
    { u"width", false, K::Length, u"auto", u"auto", true },
    { u"word-break", true, K::Keyword, u"normal|break-all|keep-all|break-word", u"normal" },
    { u"word-spacing", true, K::Length, u"normal", u"normal", true, true },
    { u"word-wrap", true, K::Keyword, u"normal|break-word|anywhere", u"normal" },
    { u"z-index", false, K::Integer, u"auto", u"auto" },
} };

const std::unordered_map<std::u16string, CSSPropertyID>& propertyMap()
{
    static const auto* map = [] {
        auto* result = new std::unordered_map<std::u16string, CSSPropertyID>;
        for (unsigned i = 0; i < CSSPropertyCount; ++i)
            result->emplace(std::u16string(Properties[i].name), static_cast<CSSPropertyID>(i));
        result->emplace(u"overflow-wrap", CSSPropertyID::WordWrap);
        result->emplace(u"text-decoration-line", CSSPropertyID::TextDecoration);
        return result;
    }();
    return *map;
}

} // namespace

const CSSPropertyInfo& cssPropertyInfo(CSSPropertyID id)
{
    return Properties[static_cast<unsigned>(id)];
}

std::optional<CSSPropertyID> cssPropertyID(std::u16string_view name)
{
    std::u16string lower = asciiLowercase(name);
    auto& map = propertyMap();
    auto found = map.find(lower);
    if (found == map.end() && lower.starts_with(u"-webkit-"))
        found = map.find(lower.substr(8));
    if (found == map.end())
        return std::nullopt;
    return found->second;
}

bool cssKeywordListContains(std::u16string_view list, std::u16string_view keyword)
{
    if (keyword.empty())
        return false;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(u'|', start);
        if (end == std::u16string_view::npos)
            end = list.size();
        if (list.substr(start, end - start) == keyword)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace brevanton
