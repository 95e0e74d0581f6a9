// CSSRuleSet: the rules of one cascade origin, indexed by the id, classes
// and tag name of their subject compound so that an element is tested only
// against rules that can match it. Rules for the ::before and ::after
// content are indexed apart from the element's own.
#pragma once

#include "platform/css/CSSStyleSheet.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace brevanton {

class DOMElement;

struct CSSRuleData {
    const CSSSelector* selector;
    const CSSStyleRule* rule;
    uint32_t specificity;
    uint32_t position; // source order within the rule set
};

class CSSRuleSet {
public:
    // With `htmlOnly`, rules apply to HTML elements only, and type selectors
    // match HTML ancestors only.
    explicit CSSRuleSet(bool htmlOnly = false)
        : m_htmlOnly(htmlOnly)
    {
    }

    // Sheets are kept alive by the rule set.
    void addStyleSheet(std::shared_ptr<CSSStyleSheet>);
    bool isEmpty() const { return !m_count; }

    // Appends the rules whose selectors match `element` (one entry per
    // matching selector), or with a pseudo-element, those that style that
    // pseudo-element of `element`.
    void collectMatchingRules(const DOMElement& element, std::vector<CSSRuleData>& out,
                              CSSPseudoElement = CSSPseudoElement::None) const;
    // Whether any rule styles the pseudo-element (of any element).
    bool hasRulesFor(CSSPseudoElement pseudo) const { return m_indexes[static_cast<unsigned>(pseudo)].count != 0; }
    // Whether any selector tests the attribute (by its lower-case name); ids
    // and classes are always tested.
    bool selectsOnAttribute(std::u16string_view lowerCaseName) const;

private:
    void addRule(const CSSSelector&, const CSSStyleRule&);

    // The rules of the element itself (index 0) or of one pseudo-element.
    struct Index {
        uint32_t count { 0 };
        std::unordered_map<std::u16string, std::vector<CSSRuleData>> idRules;
        std::unordered_map<std::u16string, std::vector<CSSRuleData>> classRules;
        std::unordered_map<std::u16string, std::vector<CSSRuleData>> tagRules;
        std::vector<CSSRuleData> universalRules;
    };

    bool m_htmlOnly;
    uint32_t m_count { 0 };
    std::vector<std::shared_ptr<CSSStyleSheet>> m_sheets;
    Index m_indexes[3];
    std::vector<std::u16string> m_attributeNames;
};

} // namespace brevanton
