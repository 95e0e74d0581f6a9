#include "platform/css/CSSRuleSet.h"

#include "platform/dom/DOMElement.h"

#include <algorithm>

namespace brevanton {

void CSSRuleSet::addStyleSheet(std::shared_ptr<CSSStyleSheet> sheet)
{
    if (!sheet)
        return;
    for (auto& rule : sheet->rules()) {
        for (auto& selector : rule.selectors)
            addRule(selector, rule);
    }
    m_sheets.push_back(std::move(sheet));
}

void CSSRuleSet::addRule(const CSSSelector& selector, const CSSStyleRule& rule)
{
    CSSRuleData data { &selector, &rule, selector.specificity(), m_count++ };
    for (auto& compound : selector.compounds()) {
        for (auto& attribute : compound.attributes) {
            std::u16string name = attribute.name;
            for (auto& c : name) {
                if (c >= u'A' && c <= u'Z')
                    c = static_cast<char16_t>(c - u'A' + u'a');
            }
            if (std::find(m_attributeNames.begin(), m_attributeNames.end(), name) == m_attributeNames.end())
                m_attributeNames.push_back(std::move(name));
        }
    }
    const auto& subject = selector.subject();
    Index& index = m_indexes[static_cast<unsigned>(selector.pseudoElement())];
    ++index.count;
    if (subject.hasID)
        index.idRules[subject.id].push_back(data);
    else if (!subject.classes.empty())
        index.classRules[subject.classes.front()].push_back(data);
    else if (!subject.tagName.empty())
        index.tagRules[subject.tagName].push_back(data);
    else
        index.universalRules.push_back(data);
}

bool CSSRuleSet::selectsOnAttribute(std::u16string_view lowerCaseName) const
{
    if (lowerCaseName == u"id" || lowerCaseName == u"class")
        return true;
    return std::find(m_attributeNames.begin(), m_attributeNames.end(), lowerCaseName) != m_attributeNames.end();
}

void CSSRuleSet::collectMatchingRules(const DOMElement& element, std::vector<CSSRuleData>& out,
                                      CSSPseudoElement pseudo) const
{
    const Index& index = m_indexes[static_cast<unsigned>(pseudo)];
    if ((m_htmlOnly && !element.isHTMLElement()) || !index.count)
        return;
    auto test = [&](const std::vector<CSSRuleData>& candidates) {
        for (auto& data : candidates) {
            if (data.selector->matchesPseudoElement(element, pseudo, m_htmlOnly))
                out.push_back(data);
        }
    };
    if (!index.idRules.empty()) {
        if (const std::u16string* id = element.attributeValue(u"id"); id && !id->empty()) {
            auto found = index.idRules.find(*id);
            if (found != index.idRules.end())
                test(found->second);
        }
    }
    if (!index.classRules.empty()) {
        if (const std::u16string* classes = element.attributeValue(u"class")) {
            // Each distinct class once.
            std::vector<std::u16string_view> seen;
            std::u16string_view list = *classes;
            size_t i = 0;
            auto isSpace = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; };
            while (i < list.size()) {
                while (i < list.size() && isSpace(list[i]))
                    ++i;
                size_t start = i;
                while (i < list.size() && !isSpace(list[i]))
                    ++i;
                if (i == start)
                    break;
                std::u16string_view name = list.substr(start, i - start);
                if (std::find(seen.begin(), seen.end(), name) != seen.end())
                    continue;
                seen.push_back(name);
                auto found = index.classRules.find(std::u16string(name));
                if (found != index.classRules.end())
                    test(found->second);
            }
        }
    }
    if (!index.tagRules.empty()) {
        // Keys are lower case; HTML local names are too, other names match with case in the selector.
        auto found = index.tagRules.find(element.localName());
        if (found == index.tagRules.end() && !element.isHTMLElement()) {
            std::u16string lower;
            for (char16_t c : element.localName())
                lower += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
            found = index.tagRules.find(lower);
        }
        if (found != index.tagRules.end())
            test(found->second);
    }
    test(index.universalRules);
}

} // namespace brevanton
