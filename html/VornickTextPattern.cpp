#include "html/VornickTextPattern.h"

#include "toolkit/VornickCharacterSets.h"
#include "toolkit/VornickJSONResources.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/Text.h"

namespace brevanton {

static bool isASCIILetter(char16_t character)
{
    return vornick_ASCIILettersCharacterSet().contains(character);
}

// Quotes the characters that have a meaning in a regular expression.
static void appendEscapedLiteral(std::u16string& expression, std::u16string_view literal)
{
    static constexpr std::u16string_view special = u"*?+[(){}^$|\\./";
    for (char16_t character : literal) {
        if (special.find(character) != std::u16string_view::npos)
            expression += u'\\';
        expression += character;
    }
}

void VornickTextPattern::parsePatternString(std::u16string_view pattern,
                                            const std::function<void(const std::u16string&, const std::vector<std::u16string>&)>& handler)
{
    std::u16string expression;
    std::vector<std::u16string> names;
    size_t position = 0;
    if (!pattern.empty() && pattern.front() == u'^') {
        expression += u'^';
        position = 1;
    }

    while (true) {
        size_t brace = pattern.find(u'{', position);
        if (brace == std::u16string_view::npos)
            break;
        size_t nameEnd = brace + 1;
        while (nameEnd < pattern.size() && isASCIILetter(pattern[nameEnd]))
            ++nameEnd;
        // The first brace that opens no placeholder makes the rest literal.
        if (nameEnd == brace + 1 || nameEnd >= pattern.size() || pattern[nameEnd] != u'}')
            break;
        appendEscapedLiteral(expression, pattern.substr(position, brace - position));
        std::u16string name(pattern.substr(brace + 1, nameEnd - brace - 1));
        expression += u"(?<" + name + u">[-_%A-Za-z0-9]+)";
        names.push_back(std::move(name));
        position = nameEnd + 1;
    }

    std::u16string_view rest = pattern.substr(std::min(position, pattern.size()));
    bool anchoredAtEnd = pattern.ends_with(u"$") && !pattern.ends_with(u"\\$") && !rest.empty();
    if (anchoredAtEnd)
        rest.remove_suffix(1);
    appendEscapedLiteral(expression, rest);
    if (anchoredAtEnd)
        expression += u'$';
    handler(expression, names);
}

VornickTextPattern::VornickTextPattern(std::optional<std::u16string> patternString)
{
    if (!patternString)
        return;
    m_patternString = std::move(*patternString);
    std::u16string expression;
    parsePatternString(m_patternString, [&](const std::u16string& regularExpressionString, const std::vector<std::u16string>& names) {
        expression = regularExpressionString;
        m_placeholderNames = names;
    });

    std::string errorName;
    m_regularExpression = RegularExpression::create(expression, 0, &errorName);
    if (!m_regularExpression) {
        consoleLog("ERROR: Failed to create RegularExpression from patternString=/" + toUTF8(m_patternString)
                   + "/ translated to regularExpressionString=/" + toUTF8(expression) + "/: " + errorName);
    }
}

VornickTextPattern::~VornickTextPattern() = default;

std::optional<VornickTextPatternValues> VornickTextPattern::matchString(std::u16string_view string) const
{
    if (!m_regularExpression)
        return std::nullopt;
    auto match = m_regularExpression->firstMatch(string);
    if (!match)
        return std::nullopt;

    VornickTextPatternValues values;
    for (size_t index = 0; index < m_placeholderNames.size(); ++index) {
        auto captured = match->group(string, index + 1);
        if (captured && !captured->empty())
            values[m_placeholderNames[index]] = std::u16string(*captured);
    }
    return values;
}

std::u16string VornickTextPattern::description() const
{
    return u"/" + m_patternString + u"/";
}

VornickTextPatternAction::VornickTextPatternAction(std::vector<std::shared_ptr<const VornickTextPattern>> patterns,
                                                   std::optional<std::u16string> fragmentName,
                                                   std::optional<std::u16string> oEmbedEndpointURLString)
    : m_patterns(std::move(patterns))
    , m_fragmentName(std::move(fragmentName))
    , m_oEmbedEndpointURLString(std::move(oEmbedEndpointURLString))
{
}

std::shared_ptr<const VornickTextPatternActionMatch> VornickTextPatternAction::matchString(std::u16string_view string) const
{
    for (const auto& pattern : m_patterns) {
        if (auto values = pattern->matchString(string))
            return std::make_shared<VornickTextPatternActionMatch>(shared_from_this(), std::move(*values));
    }
    return nullptr;
}

VornickTextPatternRecognizer& VornickTextPatternRecognizer::sharedPatternRecognizer()
{
    // Kept for the life of the process.
    static VornickTextPatternRecognizer* recognizer = new VornickTextPatternRecognizer(Bundle::main());
    return *recognizer;
}

static std::optional<std::u16string> optionalString(const Value& rule, std::u16string_view key)
{
    const Value* value = rule.find(key);
    if (!value || !value->isString())
        return std::nullopt;
    return value->string();
}

const std::vector<std::shared_ptr<const VornickTextPatternAction>>& VornickTextPatternRecognizer::actions()
{
    if (m_loaded)
        return m_actions;
    m_loaded = true;
    auto rules = vornick_arrayFromJSONResource(VornickTextPatternsResourceName, m_bundle);
    if (!rules)
        return m_actions;
    for (const Value& rule : *rules) {
        if (!rule.isDictionary())
            continue;
        const Value* patternStrings = rule.find(u"patterns");
        if (!patternStrings || !patternStrings->isArray())
            continue;
        std::vector<std::shared_ptr<const VornickTextPattern>> patterns;
        for (const Value& patternString : patternStrings->array()) {
            if (patternString.isString())
                patterns.push_back(std::make_shared<const VornickTextPattern>(patternString.string()));
        }
        m_actions.push_back(std::make_shared<const VornickTextPatternAction>(
            std::move(patterns), optionalString(rule, u"fragmentName"), optionalString(rule, u"oEmbedEndpointURLString")));
    }
    return m_actions;
}

std::shared_ptr<const VornickTextPatternActionMatch> VornickTextPatternRecognizer::matchString(std::u16string_view string)
{
    for (const auto& action : actions()) {
        if (auto match = action->matchString(string))
            return match;
    }
    return nullptr;
}

} // namespace brevanton
