// Style sheets: rules of selectors and declarations, parsed from text.
// At-rules are skipped, except @media blocks for "all" or "screen", whose
// rules count as the sheet's own, and @import rules at the top of a sheet
// (after @charset, before any other rule), which are kept for the cascade.
#pragma once

#include "platform/css/CSSSelector.h"
#include "platform/css/CSSValueParser.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

struct CSSStyleRule {
    std::vector<CSSSelector> selectors;
    std::vector<CSSDeclaration> declarations;
};

struct CSSImportRule {
    // The imported sheet's URL, resolved against the sheet's base.
    std::u16string url;
    // The media list as written ("" for all media).
    std::u16string media;
};

class CSSStyleSheet {
public:
    // URLs in the sheet resolve against `baseURL` (the sheet's own URL, or
    // the document's for a STYLE element).
    static std::shared_ptr<CSSStyleSheet> parse(std::u16string_view text, const std::u16string& baseURL = {});

    const std::vector<CSSStyleRule>& rules() const { return m_rules; }
    const std::u16string& baseURL() const { return m_baseURL; }
    // The @import rules in order.
    const std::vector<CSSImportRule>& importRules() const { return m_importRules; }

private:
    std::vector<CSSImportRule> m_importRules;
    std::vector<CSSStyleRule> m_rules;
    std::u16string m_baseURL;
};

// True when a media query list applies to the screen: empty, or a query for
// "all" or "screen" (or "not" another type). Queries with media features do
// not apply: there is no viewport to test them against.
bool cssMediaListMatchesScreen(std::u16string_view media);

} // namespace brevanton
