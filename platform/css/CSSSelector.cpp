#include "platform/css/CSSSelector.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <optional>

namespace brevanton {

namespace {

class SelectorParser {
public:
    SelectorParser(const CSSToken* begin, const CSSToken* end)
        : m_token(begin)
        , m_end(end)
    {
    }

    // One complex selector; false when it is invalid or unsupported.
    bool parse(std::vector<CSSCompoundSelector>& compounds, std::vector<CSSSelector::Combinator>& combinators,
               CSSPseudoElement& pseudoElement)
    {
        skipWhitespace();
        while (true) {
            CSSCompoundSelector compound;
            if (!parseCompound(compound, pseudoElement))
                return false;
            compounds.push_back(std::move(compound));
            bool sawWhitespace = skipWhitespace();
            if (m_token == m_end)
                return true;
            // A pseudo-element ends the selector.
            if (pseudoElement != CSSPseudoElement::None)
                return false;
            if (m_token->isDelim(u'>')) {
                ++m_token;
                skipWhitespace();
                combinators.push_back(CSSSelector::Combinator::Child);
            } else if (m_token->isDelim(u'+') || m_token->isDelim(u'~'))
                return false;
            else if (sawWhitespace)
                combinators.push_back(CSSSelector::Combinator::Descendant);
            else
                return false;
        }
    }

private:
    bool skipWhitespace()
    {
        bool skipped = false;
        while (m_token != m_end && m_token->type == CSSToken::Whitespace) {
            ++m_token;
            skipped = true;
        }
        return skipped;
    }

    bool parseCompound(CSSCompoundSelector& compound, CSSPseudoElement& pseudoElement)
    {
        bool any = false;
        if (m_token != m_end && m_token->type == CSSToken::Ident) {
            compound.tagNameAsWritten = m_token->value;
            compound.tagName = asciiLowercase(m_token->value);
            ++m_token;
            any = true;
        } else if (m_token != m_end && m_token->isDelim(u'*')) {
            ++m_token;
            any = true;
        }
        // Namespace prefixes ("svg|rect", "*|a") are not supported.
        if (m_token != m_end && m_token->isDelim(u'|'))
            return false;
        while (m_token != m_end) {
            const CSSToken& token = *m_token;
            // Nothing may follow a pseudo-element within its compound.
            if (pseudoElement != CSSPseudoElement::None)
                return false;
            if (token.type == CSSToken::Hash) {
                if (!token.hashIsIdentifier)
                    return false;
                compound.id = token.value;
                compound.hasID = true;
                ++m_token;
            } else if (token.isDelim(u'.')) {
                ++m_token;
                if (m_token == m_end || m_token->type != CSSToken::Ident)
                    return false;
                compound.classes.push_back(m_token->value);
                ++m_token;
            } else if (token.type == CSSToken::LeftBracket) {
                ++m_token;
                CSSAttributeSelector attribute;
                if (!parseAttribute(attribute))
                    return false;
                compound.attributes.push_back(std::move(attribute));
            } else if (token.type == CSSToken::Colon) {
                ++m_token;
                // "::name" is a pseudo-element; ":before" and ":after" are its older spelling.
                bool doubleColon = m_token != m_end && m_token->type == CSSToken::Colon;
                if (doubleColon)
                    ++m_token;
                if (m_token == m_end || m_token->type != CSSToken::Ident)
                    return false;
                const std::u16string& name = m_token->value;
                if (equalsIgnoringASCIICase(name, u"before"))
                    pseudoElement = CSSPseudoElement::Before;
                else if (equalsIgnoringASCIICase(name, u"after"))
                    pseudoElement = CSSPseudoElement::After;
                else if (!doubleColon && equalsIgnoringASCIICase(name, u"first-child"))
                    compound.firstChild = true;
                else
                    return false;
                ++m_token;
            } else
                break;
            any = true;
        }
        return any;
    }

    // After "[".
    bool parseAttribute(CSSAttributeSelector& attribute)
    {
        skipWhitespace();
        if (m_token == m_end || m_token->type != CSSToken::Ident)
            return false;
        attribute.nameAsWritten = m_token->value;
        attribute.name = asciiLowercase(m_token->value);
        ++m_token;
        skipWhitespace();
        if (m_token == m_end)
            return false;
        if (m_token->type == CSSToken::RightBracket) {
            ++m_token;
            return true;
        }
        if (m_token->type != CSSToken::Delim)
            return false;
        char16_t op = m_token->delim;
        ++m_token;
        if (op != u'=') {
            if (m_token == m_end || !m_token->isDelim(u'='))
                return false;
            ++m_token;
        }
        switch (op) {
        case u'=':
            attribute.match = CSSAttributeSelector::Match::Exact;
            break;
        case u'~':
            attribute.match = CSSAttributeSelector::Match::Word;
            break;
        case u'|':
            attribute.match = CSSAttributeSelector::Match::Hyphen;
            break;
        case u'^':
            attribute.match = CSSAttributeSelector::Match::Prefix;
            break;
        case u'$':
            attribute.match = CSSAttributeSelector::Match::Suffix;
            break;
        case u'*':
            attribute.match = CSSAttributeSelector::Match::Contains;
            break;
        default:
            return false;
        }
        skipWhitespace();
        if (m_token == m_end || (m_token->type != CSSToken::Ident && m_token->type != CSSToken::String))
            return false;
        attribute.value = m_token->value;
        ++m_token;
        skipWhitespace();
        if (m_token != m_end && m_token->type == CSSToken::Ident) {
            if (equalsIgnoringASCIICase(m_token->value, u"i"))
                attribute.caseInsensitive = true;
            else if (!equalsIgnoringASCIICase(m_token->value, u"s"))
                return false;
            ++m_token;
            skipWhitespace();
        }
        if (m_token == m_end || m_token->type != CSSToken::RightBracket)
            return false;
        ++m_token;
        return true;
    }

    const CSSToken* m_token;
    const CSSToken* m_end;
};

bool isSelectorWhitespace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool containsWord(std::u16string_view list, std::u16string_view word)
{
    if (word.empty())
        return false;
    size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && isSelectorWhitespace(list[i]))
            ++i;
        size_t start = i;
        while (i < list.size() && !isSelectorWhitespace(list[i]))
            ++i;
        if (i > start && list.substr(start, i - start) == word)
            return true;
    }
    return false;
}

bool attributeMatches(const DOMElement& element, const CSSAttributeSelector& selector)
{
    // Attribute names of HTML elements are lower case; others keep their case.
    const std::u16string* found
        = element.attributeValue(element.isHTMLElement() ? selector.name : selector.nameAsWritten);
    if (!found)
        return false;
    if (selector.match == CSSAttributeSelector::Match::Exists)
        return true;
    std::u16string lowerValue, lowerExpected;
    std::u16string_view value = *found;
    std::u16string_view expected = selector.value;
    if (selector.caseInsensitive) {
        lowerValue = asciiLowercase(value);
        lowerExpected = asciiLowercase(expected);
        value = lowerValue;
        expected = lowerExpected;
    }
    switch (selector.match) {
    case CSSAttributeSelector::Match::Exists:
        return true;
    case CSSAttributeSelector::Match::Exact:
        return value == expected;
    case CSSAttributeSelector::Match::Word:
        return containsWord(value, expected);
    case CSSAttributeSelector::Match::Hyphen:
        return value == expected
            || (value.size() > expected.size() && value.starts_with(expected) && value[expected.size()] == u'-');
    case CSSAttributeSelector::Match::Prefix:
        return !expected.empty() && value.starts_with(expected);
    case CSSAttributeSelector::Match::Suffix:
        return !expected.empty() && value.ends_with(expected);
    case CSSAttributeSelector::Match::Contains:
        return !expected.empty() && value.find(expected) != std::u16string_view::npos;
    }
    return false;
}

bool tagMatches(const DOMElement& element, const CSSCompoundSelector& compound, bool htmlOnly)
{
    if (element.isHTMLElement())
        return element.localName() == compound.tagName;
    // Elements of other namespaces keep their case.
    return !htmlOnly && element.localName() == compound.tagNameAsWritten;
}

const DOMElement* parentElementOf(const DOMElement& element)
{
    return toElement(element.parent());
}

} // namespace

bool matchesCompoundSelector(const DOMElement& element, const CSSCompoundSelector& compound, bool htmlOnly)
{
    if (!compound.tagName.empty() && !tagMatches(element, compound, htmlOnly))
        return false;
    if (compound.hasID) {
        const std::u16string* id = element.attributeValue(u"id");
        if (!id || *id != compound.id)
            return false;
    }
    if (!compound.classes.empty()) {
        const std::u16string* classes = element.attributeValue(u"class");
        if (!classes)
            return false;
        for (auto& name : compound.classes) {
            if (!containsWord(*classes, name))
                return false;
        }
    }
    for (auto& attribute : compound.attributes) {
        if (!attributeMatches(element, attribute))
            return false;
    }
    if (compound.firstChild) {
        auto* parent = element.parent();
        if (!parent || !parent->isElementNode())
            return false;
        for (auto* node = element.previous(); node; node = node->previous()) {
            if (node->isElementNode())
                return false;
        }
    }
    return true;
}

std::vector<CSSSelector> CSSSelector::parseList(const CSSToken* begin, const CSSToken* end)
{
    std::vector<CSSSelector> list;
    const CSSToken* start = begin;
    for (const CSSToken* token = begin;; ++token) {
        if (token != end && token->type != CSSToken::Comma)
            continue;
        // Trim trailing whitespace of this selector.
        const CSSToken* stop = token;
        while (stop != start && (stop - 1)->type == CSSToken::Whitespace)
            --stop;
        CSSSelector selector;
        SelectorParser parser(start, stop);
        if (stop != start && parser.parse(selector.m_compounds, selector.m_combinators, selector.m_pseudoElement)) {
            uint32_t ids = 0, classes = 0, types = 0;
            for (auto& compound : selector.m_compounds) {
                ids += compound.hasID;
                classes += static_cast<uint32_t>(compound.classes.size() + compound.attributes.size())
                    + compound.firstChild;
                types += !compound.tagName.empty();
            }
            // A pseudo-element counts as a type.
            types += selector.m_pseudoElement != CSSPseudoElement::None;
            selector.m_specificity = (std::min(ids, 255u) << 16) | (std::min(classes, 255u) << 8) | std::min(types, 255u);
            list.push_back(std::move(selector));
        }
        if (token == end)
            break;
        start = token + 1;
    }
    return list;
}

std::vector<CSSSelector> CSSSelector::parseList(std::u16string_view text)
{
    auto tokens = tokenizeCSS(text);
    return parseList(tokens.data(), tokens.data() + tokens.size());
}

bool CSSSelector::matches(const DOMElement& element, bool htmlOnly) const
{
    return matchesPseudoElement(element, CSSPseudoElement::None, htmlOnly);
}

bool CSSSelector::matchesPseudoElement(const DOMElement& element, CSSPseudoElement pseudo, bool htmlOnly) const
{
    if (pseudo != m_pseudoElement)
        return false;
    Failures failures;
    return matchesFrom(element, m_compounds.size() - 1, htmlOnly, failures);
}

bool CSSSelector::matchesFrom(const DOMElement& element, size_t index, bool htmlOnly, Failures& failures) const
{
    if (!matchesCompoundSelector(element, m_compounds[index], htmlOnly))
        return false;
    if (!index)
        return true;
    Combinator combinator = m_combinators[index - 1];
    if (combinator == Combinator::Child) {
        auto* parent = parentElementOf(element);
        return parent && matchesFrom(*parent, index - 1, htmlOnly, failures);
    }
    // Only a compound with more selectors to its left is worth remembering.
    bool remember = index > 1;
    for (auto* ancestor = parentElementOf(element); ancestor; ancestor = parentElementOf(*ancestor)) {
        if (remember && failures.contains({ ancestor, index - 1 }))
            continue;
        if (matchesFrom(*ancestor, index - 1, htmlOnly, failures))
            return true;
        if (remember)
            failures.insert({ ancestor, index - 1 });
    }
    return false;
}

} // namespace brevanton
