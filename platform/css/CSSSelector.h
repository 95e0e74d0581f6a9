// Selectors: type, universal, class, id, attribute ([a], =, ~=, |=, ^=, $=,
// *=, with the "i" flag) and :first-child, joined by descendant and child
// combinators, optionally ending in the pseudo-element ::before or ::after
// (also written with one colon). Selectors using anything else never match
// and are dropped from their list when parsed.
#pragma once

#include "platform/css/CSSTokenizer.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class DOMElement;

// The generated content a selector styles instead of its element.
enum class CSSPseudoElement : uint8_t { None = 0, Before = 1, After = 2 };

struct CSSAttributeSelector {
    enum class Match : uint8_t { Exists, Exact, Word, Hyphen, Prefix, Suffix, Contains };
    std::u16string name; // lower case
    std::u16string nameAsWritten; // for elements outside HTML, matched with case
    std::u16string value;
    Match match { Match::Exists };
    bool caseInsensitive { false };
};

// A compound selector: the simple selectors that one element must satisfy.
struct CSSCompoundSelector {
    std::u16string tagName; // lower case; empty for the universal selector
    std::u16string tagNameAsWritten; // for elements outside HTML, matched with case
    std::u16string id;
    std::vector<std::u16string> classes;
    std::vector<CSSAttributeSelector> attributes;
    bool firstChild { false };
    bool hasID { false };
};

class CSSSelector {
public:
    enum class Combinator : uint8_t { Descendant, Child };

    // Parses a comma-separated selector list; selectors that are invalid or
    // use unsupported features are left out.
    static std::vector<CSSSelector> parseList(const CSSToken* begin, const CSSToken* end);
    static std::vector<CSSSelector> parseList(std::u16string_view text);

    // Ids in the high bits, then classes, attributes and pseudo-classes, then types.
    uint32_t specificity() const { return m_specificity; }
    // The compound that must match the element itself.
    const CSSCompoundSelector& subject() const { return m_compounds.back(); }
    const std::vector<CSSCompoundSelector>& compounds() const { return m_compounds; }

    // The pseudo-element the selector styles; None when it styles the element itself.
    CSSPseudoElement pseudoElement() const { return m_pseudoElement; }

    // Whether the selector styles the element itself: never for a selector
    // with a pseudo-element. With `htmlOnly`, type selectors match only HTML
    // elements (the user-agent sheet).
    bool matches(const DOMElement&, bool htmlOnly = false) const;
    // Whether the selector styles `pseudo` of the element: its compounds
    // match the element and it names that pseudo-element.
    bool matchesPseudoElement(const DOMElement&, CSSPseudoElement pseudo, bool htmlOnly = false) const;

private:
    // Pairs of (element, compound index) known not to match, so that
    // descendant combinators never retry an ancestor.
    using Failures = std::set<std::pair<const DOMElement*, size_t>>;
    bool matchesFrom(const DOMElement&, size_t compoundIndex, bool htmlOnly, Failures&) const;

    std::vector<CSSCompoundSelector> m_compounds;
    // m_combinators[i] joins m_compounds[i] and m_compounds[i + 1].
    std::vector<Combinator> m_combinators;
    uint32_t m_specificity { 0 };
    CSSPseudoElement m_pseudoElement { CSSPseudoElement::None };
};

bool matchesCompoundSelector(const DOMElement&, const CSSCompoundSelector&, bool htmlOnly);

} // namespace brevanton
