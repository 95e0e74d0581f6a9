#include "html/VornickHTMLAttributeValidators.h"

#include "toolkit/VornickStringExtensions.h"
#include "html/VornickHTMLElementSpec.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TypeIdentifiers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace brevanton {

namespace {

// A number scanner in the manner of the platform's: leading whitespace is
// skipped, and whitespace alone may follow the number.
bool isScannerWhitespace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

bool onlyWhitespaceFrom(std::u16string_view text, size_t position)
{
    for (; position < text.size(); ++position) {
        if (!isScannerWhitespace(text[position]))
            return false;
    }
    return true;
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The integer of the whole value, clamped to 64 bits; nullopt when the value
// is not one.
std::optional<int64_t> scanInteger(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && isScannerWhitespace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    size_t digitsStart = i;
    int64_t value = 0;
    bool overflow = false;
    while (i < text.size() && isDigit(text[i])) {
        int digit = text[i] - u'0';
        if (value > (std::numeric_limits<int64_t>::max() - digit) / 10)
            overflow = true;
        else
            value = value * 10 + digit;
        ++i;
    }
    if (i == digitsStart || !onlyWhitespaceFrom(text, i))
        return std::nullopt;
    if (overflow)
        return negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    return negative ? -value : value;
}

std::optional<double> scanDouble(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && isScannerWhitespace(text[i]))
        ++i;
    std::string number;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        number += static_cast<char>(text[i++]);
    size_t mantissaDigits = 0;
    while (i < text.size() && isDigit(text[i])) {
        number += static_cast<char>(text[i++]);
        ++mantissaDigits;
    }
    if (i < text.size() && text[i] == u'.') {
        number += '.';
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            number += static_cast<char>(text[i++]);
            ++mantissaDigits;
        }
    }
    if (!mantissaDigits)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        size_t exponentStart = i;
        std::string exponent = "e";
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            exponent += static_cast<char>(text[i++]);
        size_t exponentDigits = 0;
        while (i < text.size() && isDigit(text[i])) {
            exponent += static_cast<char>(text[i++]);
            ++exponentDigits;
        }
        if (exponentDigits)
            number += exponent;
        else
            i = exponentStart;
    }
    if (!onlyWhitespaceFrom(text, i))
        return std::nullopt;
    return std::strtod(number.c_str(), nullptr);
}

std::u16string joined(const std::vector<std::u16string>& items, std::u16string_view separator)
{
    std::u16string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i)
            text += separator;
        text += items[i];
    }
    return text;
}

using Tokens = std::vector<std::u16string>;

// Valid, or else `failing`, the message saying what the value must be.
VornickAttributeValidationOutcome outcomeOf(bool valid, std::u16string_view requirement, std::u16string& message,
                                            VornickAttributeValidationOutcome failing = VornickAttributeValidationOutcome::Invalid)
{
    if (valid)
        return VornickAttributeValidationOutcome::Valid;
    message = requirement;
    return failing;
}

} // namespace

std::vector<std::u16string> VornickAttributeValueTokens(std::u16string_view value)
{
    auto tokens = vornick_spaceSeparatedTokens(value);
    // A run of several spaces separates two tokens, not three.
    std::erase_if(tokens, [](const std::u16string& token) { return token.empty(); });
    return tokens;
}

// --- Simple validators

VornickAttributeValidationOutcome VornickBooleanHTMLAttributeValidator::validate(std::u16string_view value, std::u16string_view name,
                                                                                 std::u16string& message) const
{
    return outcomeOf(value.empty() || equalsIgnoringASCIICase(value, name),
                     u"Boolean attribute's value must be an empty string, or same as attribute's name", message);
}

VornickAttributeValidationOutcome VornickIntegerHTMLAttributeValidator::validate(std::u16string_view value, std::u16string_view,
                                                                                 std::u16string& message) const
{
    return outcomeOf(scanInteger(value).has_value(),
                     u"Value must be an integer: digits 0-9, optionally preceded by spaces and a + or -", message);
}

VornickAttributeValidationOutcome VornickNonNegativeIntegerHTMLAttributeValidator::validate(std::u16string_view value, std::u16string_view,
                                                                                           std::u16string& message) const
{
    auto number = scanInteger(value);
    return outcomeOf(number && *number >= 0,
                     u"Value must be a non-negative integer: digits 0-9, optionally preceded by spaces and a +", message);
}

VornickAttributeValidationOutcome VornickNonNegativeNonZeroIntegerHTMLAttributeValidator::validate(std::u16string_view value,
                                                                                                   std::u16string_view,
                                                                                                   std::u16string& message) const
{
    auto number = scanInteger(value);
    return outcomeOf(number && *number >= 1, u"Value must be an integer >= 1: digits 0-9, optionally preceded by spaces and a +", message);
}

VornickAttributeValidationOutcome VornickNonNegativeFloatingPointHTMLAttributeValidator::validate(std::u16string_view value,
                                                                                                  std::u16string_view,
                                                                                                  std::u16string& message) const
{
    auto number = scanDouble(value);
    return outcomeOf(number && *number >= 0.0,
                     u"Value must be a non-negative floating-point number, such as 0, 3.14, 2.9e8, or 6.7e-4", message);
}

VornickAttributeValidationOutcome VornickNumberHTMLAttributeValidator::validate(std::u16string_view value, std::u16string_view,
                                                                                std::u16string& message) const
{
    return outcomeOf(scanDouble(value).has_value(), u"Value must be a number, such as 0, -2, 3.14, 2.9e8, or 6.7e-4", message);
}

VornickAttributeValidationOutcome VornickSpaceSeparatedTokensHTMLAttributeValidator::validate(std::u16string_view value,
                                                                                              std::u16string_view,
                                                                                              std::u16string& message) const
{
    return outcomeOf(!VornickAttributeValueTokens(value).empty(),
                     u"An empty list of space-separated tokens is valid, but probably not what you intended?", message,
                     VornickAttributeValidationOutcome::Warning);
}

VornickAttributeValidationOutcome VornickOrderedListTypeHTMLAttributeValidator::validate(std::u16string_view value, std::u16string_view,
                                                                                         std::u16string& message) const
{
    return outcomeOf(value == u"1" || value == u"a" || value == u"A" || value == u"i" || value == u"I",
                     u"\"type\" must be one of: 1, a, A, i, I", message);
}

VornickAttributeValidationOutcome VornickTextHTMLAttributeValidator::validate(std::u16string_view, std::u16string_view, std::u16string&) const
{
    return VornickAttributeValidationOutcome::Valid;
}

void VornickDisallowedOrUnknownHTMLAttributeValidator::validateValueString(std::u16string_view, std::u16string_view attributeName,
                                                                           const DOMElement*, const VornickHTMLElementSpec* elementSpec,
                                                                           const VornickAttributeValidationCompletionBlock& completion)
{
    std::u16string tag = elementSpec ? asciiLowercase(elementSpec->tagName()) : std::u16string();
    completion(VornickAttributeValidationOutcome::Warning, u"Unknown attribute. <" + tag + u"> elements don't have a \""
                   + std::u16string(attributeName) + u"\" attribute, according to the spec.");
}

VornickAttributeValidationOutcome VornickUnvalidatedHTMLAttributeValidator::validate(std::u16string_view, std::u16string_view,
                                                                                     std::u16string& message) const
{
    message = u"No validation result available.";
    return VornickAttributeValidationOutcome::NoResult;
}

VornickAttributeValidationOutcome VornickBrowsingContextNameHTMLAttributeValidator::validate(std::u16string_view value,
                                                                                             std::u16string_view,
                                                                                             std::u16string& message) const
{
    if (!value.empty() && value[0] != u'_')
        return VornickAttributeValidationOutcome::Valid;
    message = u"A browsing context name must contain at least one character, and cannot begin with a '_' character. "
              u"(Names starting with an underscore are reserved for special keywords.)";
    return VornickAttributeValidationOutcome::Invalid;
}

VornickAttributeValidationOutcome VornickBrowsingContextNameOrKeywordHTMLAttributeValidator::validate(std::u16string_view value,
                                                                                                      std::u16string_view name,
                                                                                                      std::u16string& message) const
{
    for (auto keyword : { u"_blank", u"_self", u"_parent", u"_top" }) {
        if (equalsIgnoringASCIICase(value, keyword))
            return VornickAttributeValidationOutcome::Valid;
    }
    std::u16string ignored;
    if (VornickBrowsingContextNameHTMLAttributeValidator::validate(value, name, ignored) == VornickAttributeValidationOutcome::Valid)
        return VornickAttributeValidationOutcome::Valid;
    message = u"Value must be one of \"_blank\", \"_self\", \"_parent\", or \"_top\", or a valid browsing context name "
              u"(1 or more characters, starting with something other than an '_' character).";
    return VornickAttributeValidationOutcome::Invalid;
}

// --- MIME types

VornickAttributeValidationOutcome VornickMIMETypeHTMLAttributeValidator::validate(std::u16string_view value, std::u16string_view,
                                                                                  std::u16string& message) const
{
    auto isTokenCharacter = [](char16_t c) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || isDigit(c))
            return true;
        return std::u16string_view(u"!#$%&'*+-.^_{|}~`").find(c) != std::u16string_view::npos;
    };
    size_t slash = value.find(u'/');
    bool wellFormed = slash != std::u16string_view::npos && slash > 0 && slash + 1 < value.size();
    if (wellFormed) {
        for (size_t i = 0; i < value.size(); ++i) {
            if (i != slash && !isTokenCharacter(value[i]))
                wellFormed = false;
        }
    }
    std::u16string identifier = wellFormed ? typeIdentifierForMIMEType(value) : std::u16string();
    if (identifier.empty()) {
        message = u"Value doesn't appear to be a valid MIME Type.";
        return VornickAttributeValidationOutcome::Invalid;
    }
    if (isDynamicTypeIdentifier(identifier)) {
        message = std::u16string(value) + u" appears to be a well-formed MIME Type, but it is not one that OS X knows about.";
        return VornickAttributeValidationOutcome::Warning;
    }
    return VornickAttributeValidationOutcome::Valid;
}

// --- Enumerated values

VornickAttributeValidationOutcome VornickEnumeratedHTMLAttributeValidator::validate(std::u16string_view value, std::u16string_view,
                                                                                    std::u16string& message) const
{
    const auto& tokens = allowedTokensInLowercase();
    std::u16string lowered = lowercase(value);
    if (std::find(tokens.begin(), tokens.end(), lowered) != tokens.end())
        return VornickAttributeValidationOutcome::Valid;
    std::u16string list = joined(tokens, u", ");
    if (list.starts_with(u","))
        list = u"(empty string)" + list;
    message = u"Value must be one of: " + list;
    return VornickAttributeValidationOutcome::Invalid;
}

#define BREVANTON_TOKENS(ClassName, ...)                                                   \
    const std::vector<std::u16string>& ClassName::allowedTokensInLowercase() const        \
    {                                                                                      \
        static const std::vector<std::u16string> tokens { __VA_ARGS__ };                   \
        return tokens;                                                                     \
    }

BREVANTON_TOKENS(VornickAutocapitalizeHTMLAttributeValidator, u"", u"off", u"none", u"on", u"sentences", u"words", u"characters")
BREVANTON_TOKENS(VornickEnterKeyHintHTMLAttributeValidator, u"enter", u"done", u"go", u"next", u"previous", u"search", u"send")
BREVANTON_TOKENS(VornickDirHTMLAttributeValidator, u"ltr", u"rtl", u"auto")
BREVANTON_TOKENS(VornickTrueOrFalseHTMLAttributeValidator, u"", u"true", u"false")
BREVANTON_TOKENS(VornickYesOrNoHTMLAttributeValidator, u"", u"yes", u"no")
BREVANTON_TOKENS(VornickCORSSettingsHTMLAttributeValidator, u"", u"anonymous", u"use-credentials")
BREVANTON_TOKENS(VornickEncTypeHTMLAttributeValidator, u"", u"application/x-www-form-urlencoded", u"multipart/form-data", u"text/plain")
BREVANTON_TOKENS(VornickGetOrPostHTMLAttributeValidator, u"", u"get", u"post")
BREVANTON_TOKENS(VornickFormInputModeHTMLAttributeValidator, u"", u"verbatim", u"latin", u"latin-name", u"latin-prose",
                 u"full-width-latin", u"kana", u"katakana", u"numeric", u"tel", u"email", u"url")
BREVANTON_TOKENS(VornickFormInputTypeHTMLAttributeValidator, u"", u"hidden", u"text", u"search", u"tel", u"url", u"email",
                 u"password", u"datetime", u"date", u"month", u"week", u"time", u"datetime-local", u"number", u"range",
                 u"color", u"checkbox", u"radio", u"file", u"submit", u"image", u"reset", u"button")
BREVANTON_TOKENS(VornickButtonTypeHTMLAttributeValidator, u"", u"submit", u"reset", u"button", u"menu")
BREVANTON_TOKENS(VornickKeyTypeHTMLAttributeValidator, u"", u"rsa")
BREVANTON_TOKENS(VornickARIAAutocompleteHTMLAttributeValidator, u"inline", u"list", u"both", u"none")
BREVANTON_TOKENS(VornickARIACheckedHTMLAttributeValidator, u"true", u"false", u"mixed", u"undefined")
BREVANTON_TOKENS(VornickARIADropEffectHTMLAttributeValidator, u"copy", u"move", u"link", u"execute", u"popup", u"none")
BREVANTON_TOKENS(VornickARIAInvalidHTMLAttributeValidator, u"grammar", u"false", u"spelling", u"true")
BREVANTON_TOKENS(VornickARIALiveHTMLAttributeValidator, u"off", u"polite", u"assertive")
BREVANTON_TOKENS(VornickReferrerPolicyHTMLAttributeValidator, u"", u"no-referrer", u"no-referrer-when-downgrade",
                 u"same-origin", u"origin", u"strict-origin", u"origin-when-cross-origin",
                 u"strict-origin-when-cross-origin", u"unsafe-url")
BREVANTON_TOKENS(VornickARIAOrientationHTMLAttributeValidator, u"vertical", u"horizontal")
BREVANTON_TOKENS(VornickARIATristateHTMLAttributeValidator, u"true", u"false", u"mixed")
BREVANTON_TOKENS(VornickARIASortHTMLAttributeValidator, u"ascending", u"descending", u"none", u"other")
BREVANTON_TOKENS(VornickOnOrOffHTMLAttributeValidator, u"", u"on", u"off")
BREVANTON_TOKENS(VornickTextAreaWrapHTMLAttributeValidator, u"", u"hard", u"soft")

// --- Token lists

BREVANTON_TOKENS(VornickIFrameSandboxHTMLAttributeValidator, u"allow-forms", u"allow-pointer-lock", u"allow-popups",
                 u"allow-same-origin", u"allow-scripts", u"allow-top-navigation")
BREVANTON_TOKENS(VornickARIARelevantHTMLAttributeValidator, u"additions", u"removals", u"text", u"all")
BREVANTON_TOKENS(VornickARIARoleHTMLAttributeValidator, u"banner", u"complementary", u"contentinfo", u"definition", u"main",
                 u"navigation", u"note", u"search", u"alert", u"alertdialog", u"application", u"article", u"button",
                 u"checkbox", u"columnheader", u"combobox", u"dialog", u"directory", u"document", u"form", u"grid",
                 u"gridcell", u"group", u"heading", u"img", u"link", u"list", u"listbox", u"listitem", u"log", u"marquee",
                 u"math", u"menu", u"menubar", u"menuitem", u"menuitemcheckbox", u"menuitemradio", u"option",
                 u"presentation", u"progressbar", u"radio", u"radiogroup", u"region", u"row", u"rowgroup", u"rowheader",
                 u"scrollbar", u"separator", u"slider", u"spinbutton", u"status", u"tab", u"tablist", u"tabpanel",
                 u"textbox", u"timer", u"toolbar", u"tooltip", u"tree", u"treegrid", u"treeitem")

#undef BREVANTON_TOKENS

VornickAttributeValidationOutcome VornickUniqueSpaceSeparatedTokensHTMLAttributeValidator::validate(std::u16string_view value,
                                                                                                    std::u16string_view,
                                                                                                    std::u16string& message) const
{
    Tokens tokens = VornickAttributeValueTokens(value);
    if (tokens.empty()) {
        message = u"An empty list of space-separated tokens is valid, but probably not what you intended?";
        return VornickAttributeValidationOutcome::Warning;
    }
    const auto& allowed = allowedTokensInLowercase();
    std::set<std::u16string> seen;
    Tokens repeated;
    Tokens disallowed;
    for (auto& token : tokens) {
        std::u16string lowered = lowercase(token);
        if (!seen.insert(lowered).second) {
            if (std::find(repeated.begin(), repeated.end(), lowered) == repeated.end())
                repeated.push_back(lowered);
            continue;
        }
        if (!allowed.empty() && std::find(allowed.begin(), allowed.end(), lowered) == allowed.end())
            disallowed.push_back(lowered);
    }
    if (repeated.empty() && disallowed.empty())
        return VornickAttributeValidationOutcome::Valid;
    message.clear();
    if (!disallowed.empty()) {
        Tokens sorted = allowed;
        std::stable_sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return compareIgnoringCase(a, b) < 0; });
        message = u"Some tokens not allowed by the spec: " + joined(disallowed, u", ") + u". The allowed tokens are: "
            + joined(sorted, u", ") + u".";
    }
    if (!repeated.empty()) {
        if (!message.empty())
            message += u"  ";
        message += u"Some token(s) appeared more than once: " + joined(repeated, u", ") + u".";
    }
    return VornickAttributeValidationOutcome::Warning;
}

} // namespace brevanton
