#include "platform/web/WebLineAlignment.h"

#include "platform/css/CSSComputedValues.h"

namespace brevanton {

double webLineAlignmentFraction(const CSSComputedValues& style)
{
    auto align = style.identifier(CSSPropertyID::TextAlign);
    bool rightToLeft = style.identifier(CSSPropertyID::Direction) == u"rtl";
    if (align == u"left" || align == u"-webkit-left")
        return 0;
    if (align == u"right" || align == u"-webkit-right")
        return 1;
    if (align == u"center" || align == u"-webkit-center")
        return 0.5;
    if (align == u"end")
        return rightToLeft ? 0 : 1;
    // start, justify, match-parent and anything unknown.
    return rightToLeft ? 1 : 0;
}

} // namespace brevanton
