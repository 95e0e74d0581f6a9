// The computed values of one element: one typed value per longhand, with
// relative lengths (em, rem, ex, ch and percentages of the font size)
// resolved to pixels. Percentages of the containing block stay percentages.
#pragma once

#include "platform/css/CSSProperty.h"
#include "platform/css/CSSValue.h"

#include <array>
#include <memory>

namespace brevanton {

struct CSSComputedValues {
    std::array<std::shared_ptr<const CSSValue>, CSSPropertyCount> values;
    // The computed font size in pixels.
    double fontSize { 16 };

    const CSSValue* value(CSSPropertyID id) const { return values[static_cast<unsigned>(id)].get(); }
    const std::shared_ptr<const CSSValue>& sharedValue(CSSPropertyID id) const
    {
        return values[static_cast<unsigned>(id)];
    }
    // The identifier of a property's value, "" when it is not an identifier.
    std::u16string_view identifier(CSSPropertyID) const;
};

} // namespace brevanton
