// Text patterns: plain pattern strings with placeholders in braces, such as
// "^https://vimeo.com/{id}$", compiled to regular expressions whose named
// groups capture the placeholders' values. A rule (`VornickTextPatternAction`)
// names the snippet to insert and the oEmbed endpoint for a URL that one of
// its patterns matches; the shared recognizer reads the rules from the
// bundle resource "VornickTextPatterns.json".
//
// A placeholder is "{" ASCII letters "}"; its value is one or more of
// "-", "_", "%", ASCII letters and digits. A pattern that begins with "^" is
// anchored at the start, one that ends in "$" (but not "\$") at the end;
// otherwise it matches anywhere in a text.
#pragma once

#include "platform/foundation/Bundle.h"
#include "platform/foundation/RegularExpression.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

using VornickTextPatternValues = std::map<std::u16string, std::u16string>;

class VornickTextPattern {
public:
    // Hands the regular expression and the placeholder names (in order of
    // appearance) of a pattern string to `handler`.
    static void parsePatternString(std::u16string_view patternString,
                                   const std::function<void(const std::u16string& regularExpressionString,
                                                            const std::vector<std::u16string>& placeholderNames)>& handler);

    // No string gives a pattern without an expression, which matches nothing.
    explicit VornickTextPattern(std::optional<std::u16string> patternString);
    ~VornickTextPattern();
    VornickTextPattern(const VornickTextPattern&) = delete;
    VornickTextPattern& operator=(const VornickTextPattern&) = delete;

    const std::u16string& patternString() const { return m_patternString; }
    const std::vector<std::u16string>& placeholderNames() const { return m_placeholderNames; }
    bool hasRegularExpression() const { return m_regularExpression.has_value(); }

    // The captured values of the first match in `string` by placeholder name
    // (placeholders that captured nothing left out); nullopt without a match.
    std::optional<VornickTextPatternValues> matchString(std::u16string_view string) const;

    // "/<pattern string>/"
    std::u16string description() const;

private:
    std::u16string m_patternString;
    std::vector<std::u16string> m_placeholderNames;
    std::optional<RegularExpression> m_regularExpression;
};

class VornickTextPatternActionMatch;

class VornickTextPatternAction : public std::enable_shared_from_this<VornickTextPatternAction> {
public:
    VornickTextPatternAction(std::vector<std::shared_ptr<const VornickTextPattern>> patterns,
                             std::optional<std::u16string> fragmentName, std::optional<std::u16string> oEmbedEndpointURLString);

    const std::vector<std::shared_ptr<const VornickTextPattern>>& patterns() const { return m_patterns; }
    const std::optional<std::u16string>& fragmentName() const { return m_fragmentName; }
    const std::optional<std::u16string>& oEmbedEndpointURLString() const { return m_oEmbedEndpointURLString; }

    // The match of the first pattern that matches; null when none does.
    std::shared_ptr<const VornickTextPatternActionMatch> matchString(std::u16string_view string) const;

private:
    std::vector<std::shared_ptr<const VornickTextPattern>> m_patterns;
    std::optional<std::u16string> m_fragmentName;
    std::optional<std::u16string> m_oEmbedEndpointURLString;
};

class VornickTextPatternActionMatch {
public:
    VornickTextPatternActionMatch(std::shared_ptr<const VornickTextPatternAction> action, VornickTextPatternValues values)
        : m_action(std::move(action)), m_values(std::move(values)) {}

    const std::shared_ptr<const VornickTextPatternAction>& action() const { return m_action; }
    const VornickTextPatternValues& values() const { return m_values; }

private:
    std::shared_ptr<const VornickTextPatternAction> m_action;
    VornickTextPatternValues m_values;
};

// Reads its rules on the first match and keeps them. Main thread only.
class VornickTextPatternRecognizer {
public:
    static VornickTextPatternRecognizer& sharedPatternRecognizer();

    // A recognizer on the rules of `bundle`, which must outlive it.
    explicit VornickTextPatternRecognizer(const Bundle& bundle = Bundle::main()) : m_bundle(bundle) {}

    // The match of the first rule, in file order, that matches; null when none does.
    std::shared_ptr<const VornickTextPatternActionMatch> matchString(std::u16string_view string);

    // The rules, read when first asked.
    const std::vector<std::shared_ptr<const VornickTextPatternAction>>& actions();

private:
    const Bundle& m_bundle;
    bool m_loaded { false };
    std::vector<std::shared_ptr<const VornickTextPatternAction>> m_actions;
};

inline constexpr const char16_t* VornickTextPatternsResourceName = u"VornickTextPatterns";

} // namespace brevanton
