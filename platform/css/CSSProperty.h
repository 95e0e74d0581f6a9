// The longhand properties the cascade computes: their names, whether they
// inherit, the grammar of their values and their initial values.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace brevanton {

enum class CSSPropertyID : uint8_t {
    BackgroundAttachment,
    BackgroundColor,
    BackgroundImage,
    BackgroundRepeat,
    BorderBottomColor,
    BorderBottomLeftRadius,
    BorderBottomRightRadius,
    BorderBottomStyle,
    BorderBottomWidth,
    BorderCollapse,
    BorderLeftColor,
    BorderLeftStyle,
    BorderLeftWidth,
    BorderRightColor,
    BorderRightStyle,
    BorderRightWidth,
    BorderSpacing,
    BorderTopColor,
    BorderTopLeftRadius,
    BorderTopRightRadius,
    BorderTopStyle,
    BorderTopWidth,
    Bottom,
    BoxSizing,
    CaptionSide,
    Clear,
    Color,
    Content,
    Cursor,
    Direction,
    Display,
    EmptyCells,
    Float,
    FontFamily,
    FontSize,
    FontStyle,
    FontVariant,
    FontWeight,
    Height,
    Left,
    LetterSpacing,
    LineHeight,
    ListStyleImage,
    ListStylePosition,
    ListStyleType,
    MarginBottom,
    MarginLeft,
    MarginRight,
    MarginTop,
    MaxHeight,
    MaxWidth,
    MinHeight,
    MinWidth,
    Opacity,
    OutlineColor,
    OutlineStyle,
    OutlineWidth,
    Overflow,
    PaddingBottom,
    PaddingLeft,
    PaddingRight,
    PaddingTop,
    Position,
    Right,
    TableLayout,
    TextAlign,
    TextDecoration,
    TextIndent,
    TextTransform,
    Top,
    UnicodeBidi,
    VerticalAlign,
    Visibility,
    WhiteSpace,
    Width,
    WordBreak,
    WordSpacing,
    WordWrap,
    ZIndex,
};

constexpr unsigned CSSPropertyCount = static_cast<unsigned>(CSSPropertyID::ZIndex) + 1;

// The grammar of a property's values.
enum class CSSValueKind : uint8_t {
    Keyword,        // one of `keywords`
    Color,          // a colour or "currentcolor"
    Length,         // a length, a percentage when allowed, or one of `keywords`
    BorderWidth,    // thin, medium, thick or a non-negative length
    FontSize,
    FontWeight,
    LineHeight,
    FontFamily,
    Image,          // none or url()
    TextDecoration, // none or underline || overline || line-through || blink
    Integer,        // an integer or one of `keywords`
    Number,         // a number (or a percentage of 1)
    Content,        // none, normal or strings (one string value holding them all)
};

struct CSSPropertyInfo {
    std::u16string_view name;
    bool inherited;
    CSSValueKind kind;
    // Keywords allowed besides the kind's own values, separated by "|".
    std::u16string_view keywords;
    // The initial value as text.
    std::u16string_view initial;
    bool allowsPercentage { false };
    bool allowsNegative { false };
};

const CSSPropertyInfo& cssPropertyInfo(CSSPropertyID);
// The longhand of a name (ASCII case-insensitive); the prefixed "-webkit-"
// spelling of a property names the same property.
std::optional<CSSPropertyID> cssPropertyID(std::u16string_view name);
// True when `keyword` (lower case) is in the "|"-separated list.
bool cssKeywordListContains(std::u16string_view list, std::u16string_view keyword);

} // namespace brevanton
