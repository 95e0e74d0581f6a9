// Parsing declarations into typed specified values: one declaration of a
// longhand or a shorthand becomes one or more longhand declarations. Values
// that do not fit the property's grammar are rejected (the declaration is
// dropped, as CSS requires).
#pragma once

#include "platform/css/CSSProperty.h"
#include "platform/css/CSSTokenizer.h"
#include "platform/css/CSSValue.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

struct CSSDeclaration {
    enum class Keyword : uint8_t { None, Inherit, Initial };

    CSSPropertyID property;
    // The specified value; null when `keyword` says inherit or initial.
    std::shared_ptr<const CSSValue> value;
    Keyword keyword { Keyword::None };
    bool important { false };
};

// Appends the longhand declarations of `name: tokens` to `out`; false (and
// nothing appended) when the property is unknown or the value invalid.
// URLs are resolved against `baseURL` when it is not empty.
bool parseCSSDeclaration(std::u16string_view name, const CSSToken* begin, const CSSToken* end, bool important,
                         const std::u16string& baseURL, std::vector<CSSDeclaration>& out);

// Parses a declaration list ("a: b; c: d !important") into longhand declarations.
std::vector<CSSDeclaration> parseCSSDeclarationList(std::u16string_view text, const std::u16string& baseURL = {});
// The same over tokens, e.g. the inside of a rule's block.
std::vector<CSSDeclaration> parseCSSDeclarationList(const CSSToken* begin, const CSSToken* end,
                                                    const std::u16string& baseURL);

// A single longhand value from text, or null when invalid (no inherit/initial).
std::shared_ptr<const CSSValue> parseCSSValue(CSSPropertyID, std::u16string_view text,
                                              const std::u16string& baseURL = {});

} // namespace brevanton
