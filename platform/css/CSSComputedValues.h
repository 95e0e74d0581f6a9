// The computed values of one element: one typed value per longhand, with
// relative lengths (em, rem, ex, ch and percentages of the font size)
// resolved to pixels. Percentages of the containing block stay percentages.
//
// Values are shared, not copied: an entry points into a style sheet, into
// the parent's values (inherited properties) or into values made for this
// element, and the object keeps all of those alive.
#pragma once

#include "platform/css/CSSProperty.h"
#include "platform/css/CSSValue.h"
#include "platform/css/CSSValueParser.h"

#include <array>
#include <memory>
#include <vector>

namespace brevanton {

class CSSRuleSet;

struct CSSComputedValues {
    CSSComputedValues() = default;
    // Values keep their parent's alive: the chain of a page nested tens of
    // thousands of levels deep goes one by one, without recursion.
    ~CSSComputedValues();
    CSSComputedValues(const CSSComputedValues&) = delete;
    CSSComputedValues& operator=(const CSSComputedValues&) = delete;

    std::array<const CSSValue*, CSSPropertyCount> values {};
    // The computed font size in pixels.
    double fontSize { 16 };

    // What the values point into.
    std::shared_ptr<const CSSComputedValues> parent;
    std::shared_ptr<const CSSRuleSet> userRules;
    std::shared_ptr<const CSSRuleSet> authorRules;
    std::vector<CSSDeclaration> inlineDeclarations;
    // What the element's presentational attributes map to.
    std::vector<CSSDeclaration> presentationalDeclarations;
    std::vector<std::shared_ptr<const CSSValue>> madeValues;

    const CSSValue* value(CSSPropertyID id) const { return values[static_cast<unsigned>(id)]; }
    // The identifier of a property's value, "" when it is not an identifier.
    std::u16string_view identifier(CSSPropertyID) const;
};

// A value of `values` that shares ownership with it.
inline std::shared_ptr<const CSSValue> sharedComputedValue(const std::shared_ptr<const CSSComputedValues>& values,
                                                           CSSPropertyID id)
{
    return std::shared_ptr<const CSSValue>(values, values->value(id));
}

} // namespace brevanton
