// The selector language of attachment point locators, and locating with it.
//
// Exactly two forms: ".name" (attribute "class" holding that one class) and
// "[attr:{a,!b,...}]" (attribute whose space-separated list holds every
// required value and none of the forbidden ones; the list may be empty).
// Nothing else parses, and a selector that does not parse locates nothing.
#include "editing/VornickAttachmentPoint.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickCharacterSets.h"

#include <fmt/format.h>

namespace brevanton {

namespace {

constexpr std::u16string_view selectorSyntaxCharacters = u":,!{}[]\"'";

const CharacterSet& selectorValueCharacterSet()
{
    static const CharacterSet set
        = CharacterSet::alphanumerics().unionWith(CharacterSet::punctuation()).removing(selectorSyntaxCharacters);
    return set;
}

const CharacterSet& selectorAttributeNameCharacterSet()
{
    static const CharacterSet set = vornick_HTMLAttributeNameCharacterSet()
                                        .removing(selectorSyntaxCharacters)
                                        .subtracting(CharacterSet::whitespaceAndNewlines())
                                        .subtracting(vornick_whitespaceNonBreakingSpaceAndNewlineCharacterSet());
    return set;
}

// Reads the selector left to right, a code point at a time.
class SelectorScanner {
public:
    explicit SelectorScanner(std::u16string_view text)
        : m_text(text)
    {
    }

    bool atEnd() const { return m_position >= m_text.size(); }
    bool scanString(std::u16string_view literal)
    {
        if (m_text.substr(m_position, literal.size()) != literal)
            return false;
        m_position += literal.size();
        return true;
    }
    // One or more characters of the set; empty when none is there.
    std::u16string scanCharacters(const CharacterSet& set)
    {
        size_t start = m_position;
        while (m_position < m_text.size()) {
            size_t length = 1;
            char32_t codePoint = m_text[m_position];
            if (isLeadSurrogate(m_text[m_position]) && m_position + 1 < m_text.size() && isTrailSurrogate(m_text[m_position + 1])) {
                codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (m_text[m_position + 1] - 0xDC00);
                length = 2;
            }
            if (!set.contains(codePoint))
                break;
            m_position += length;
        }
        return std::u16string(m_text.substr(start, m_position - start));
    }

private:
    static bool isLeadSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
    static bool isTrailSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

    std::u16string_view m_text;
    size_t m_position { 0 };
};

bool consistsOf(std::u16string_view text, const CharacterSet& set)
{
    if (text.empty())
        return false;
    SelectorScanner scanner(text);
    return scanner.scanCharacters(set).size() == text.size();
}

std::optional<VornickAttachmentPointSelectorParameters> parseSelector(std::u16string_view selector)
{
    if (selector.empty())
        return std::nullopt;
    SelectorScanner scanner(selector);
    VornickAttachmentPointSelectorParameters parameters;
    if (scanner.scanString(u".")) {
        auto name = scanner.scanCharacters(selectorValueCharacterSet());
        if (name.empty() || !scanner.atEnd())
            return std::nullopt;
        parameters.attributeName = u"class";
        parameters.requiredValues.push_back(std::move(name));
        return parameters;
    }
    if (!scanner.scanString(u"["))
        return std::nullopt;
    parameters.attributeName = scanner.scanCharacters(selectorAttributeNameCharacterSet());
    if (parameters.attributeName.empty() || !scanner.scanString(u":{"))
        return std::nullopt;
    do {
        if (scanner.scanString(u"}]"))
            break;
        bool forbidden = scanner.scanString(u"!");
        auto value = scanner.scanCharacters(selectorValueCharacterSet());
        if (value.empty())
            return std::nullopt;
        (forbidden ? parameters.forbiddenValues : parameters.requiredValues).push_back(std::move(value));
    } while (scanner.scanString(u","));
    return parameters;
}

bool isSingleClassSelector(const VornickAttachmentPointSelectorParameters& parameters)
{
    return equalsIgnoringASCIICase(parameters.attributeName, u"class") && parameters.requiredValues.size() == 1
        && parameters.forbiddenValues.empty();
}

} // namespace

bool VornickAttachmentPointLocator::isValidSelectorValue(std::u16string_view text)
{
    return consistsOf(text, selectorValueCharacterSet());
}

bool VornickAttachmentPointLocator::isValidSelectorAttributeName(std::u16string_view text)
{
    return consistsOf(text, selectorAttributeNameCharacterSet());
}

std::optional<VornickAttachmentPointSelectorParameters> VornickAttachmentPointLocator::attributeParameters() const
{
    return parseSelector(m_selector);
}

void VornickAttachmentPointLocator::setAttributeName(const std::u16string& name, const std::vector<std::u16string>& requiredValues,
                                                     const std::vector<std::u16string>& forbiddenValues)
{
    if (equalsIgnoringASCIICase(name, u"class") && requiredValues.size() == 1 && forbiddenValues.empty()) {
        m_selector = u"." + requiredValues.front();
        return;
    }
    std::u16string selector = u"[" + name + u":{";
    bool first = true;
    for (const auto& value : requiredValues) {
        if (!first)
            selector += u",";
        selector += value;
        first = false;
    }
    for (const auto& value : forbiddenValues) {
        if (!first)
            selector += u",";
        selector += u"!" + value;
        first = false;
    }
    m_selector = selector + u"}]";
}

std::shared_ptr<DOMElement> VornickAttachmentPointLocator::locateElementInDocument(DOMDocument& document) const
{
    auto parameters = attributeParameters();
    if (!parameters || !isSingleClassSelector(*parameters))
        return nullptr;
    const auto& className = parameters->requiredValues.front();
    for (DOMNode* node = document.first(); node; node = node->traverseNext(&document)) {
        if (node->isElementNode() && vornick_hasClass(downcast<DOMElement>(*node), className))
            return downcast<DOMElement>(node->shared_from_this());
    }
    return nullptr;
}

std::shared_ptr<DOMRange> VornickAttachmentPointLocator::locateSiblingRunInDocument(DOMDocument& document) const
{
    auto parameters = attributeParameters();
    if (!parameters)
        return nullptr;
    return vornick_findRunOfSiblingElementsWithStringValues(document.shared_from_this(), parameters->requiredValues,
                                                            parameters->forbiddenValues, parameters->attributeName);
}

std::u16string VornickAttachmentPointLocator::description() const
{
    return toUTF16(fmt::format("VornickAttachmentPointLocator({}) {{{},{}}}", static_cast<const void*>(this), toUTF8(m_identifier),
                               toUTF8(m_selector)));
}

} // namespace brevanton
