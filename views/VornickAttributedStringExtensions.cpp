#include "views/VornickAttributedStringExtensions.h"

#include "toolkit/VornickCharacterSets.h"
#include "toolkit/VornickStringExtensions.h"

#include <unicode/utf16.h>

#include <string>

namespace brevanton {

namespace {

// The length in UTF-16 units of the text's first character.
size_t firstCharacterLength(const std::u16string& string)
{
    if (string.empty())
        return 0;
    return string.size() > 1 && U16_IS_LEAD(string[0]) && U16_IS_TRAIL(string[1]) ? 2 : 1;
}

// Headless stand-ins for the desktop's standard text appearance.
constexpr std::u16string_view systemFontFamilyName = u"System";
constexpr std::u16string_view markupFontFamilyName = u"Monaco";

Color controlTextColor()
{
    return Color::black();
}

TextAttributes makeAttributes(const std::optional<Color>& color, std::shared_ptr<const Font> font)
{
    auto attributes = std::make_shared<TextAttributeDictionary>();
    if (color)
        (*attributes)[ForegroundColorAttributeName] = *color;
    if (font)
        (*attributes)[FontAttributeName] = std::move(font);
    return attributes;
}

} // namespace

void vornick_collapseRunsOfCharactersFromSet(AttributedString& text, const CharacterSet& set,
                                             std::u16string_view replacement)
{
    if (text.length() < 2)
        return;
    const std::u16string& string = text.string();
    size_t start = firstCharacterLength(string);
    // Runs never touch each other, so replacing them in one pass from the
    // start gives what replacing them one by one from the end would.
    AttributedString result;
    size_t copied = 0;
    while (start < string.size()) {
        VornickRange run = vornick_rangeOfCharacterRunFromSet(string, set, 0, VornickMakeRange(start, string.size() - start));
        if (run.isNotFound())
            break;
        result.append(text.attributedSubstring(copied, run.location - copied));
        result.appendString(replacement, text.attributesAtIndex(run.location));
        copied = start = run.end();
    }
    if (!copied)
        return;
    result.append(text.attributedSubstring(copied, string.size() - copied));
    text = std::move(result);
}

void vornick_collapseHTMLWhitespaceRuns(AttributedString& text)
{
    vornick_collapseRunsOfCharactersFromSet(text, vornick_characterSetForWhitespaceSet(VornickPlatformWhitespaceAndNewline), u" ");
}

void vornick_collapseHTMLWhitespaceRunsExceptNewlines(AttributedString& text)
{
    vornick_collapseRunsOfCharactersFromSet(text, vornick_characterSetForWhitespaceSet(VornickPlatformWhitespace), u" ");
}

void vornick_trimTrailingCharactersInSet(AttributedString& text, const CharacterSet& set)
{
    const std::u16string& string = text.string();
    size_t start = firstCharacterLength(string);
    if (start >= string.size())
        return;
    VornickRange run = vornick_rangeOfCharacterRunFromSet(string, set, VornickBackwardsSearch | VornickAnchoredSearch,
                                                          VornickMakeRange(start, string.size() - start));
    if (!run.isNotFound())
        text.deleteCharacters(run.location, run.length);
}

void vornick_mapCharactersUsingReplacements(AttributedString& text,
                                            std::span<const std::pair<char16_t, char16_t>> replacements)
{
    // Run by run, so that each run keeps its attributes.
    auto runs = text.runs();
    for (auto& run : runs) {
        std::u16string characters = text.string().substr(run.location, run.length);
        std::u16string mapped = characters;
        vornick_mapCharactersUsingReplacements(mapped, replacements);
        if (mapped != characters)
            text.replaceCharacters(run.location, run.length, mapped);
    }
}

AttributedString vornick_attributedString(std::u16string_view string, const std::optional<Color>& color,
                                          std::shared_ptr<const Font> font)
{
    return AttributedString(std::u16string(string), makeAttributes(color, std::move(font)));
}

AttributedString vornick_attributedString(std::u16string_view string, const URL& link,
                                          const std::optional<Color>& color, std::shared_ptr<const Font> font)
{
    auto attributes = std::make_shared<TextAttributeDictionary>(*makeAttributes(color, std::move(font)));
    (*attributes)[LinkAttributeName] = link;
    (*attributes)[UnderlineStyleAttributeName] = UnderlineStyleSingle;
    return AttributedString(std::u16string(string), std::move(attributes));
}

AttributedString vornick_attributedStringByStylingHTMLInString(std::u16string_view string, const Color& markupColor,
                                                               double fontSize)
{
    auto plain = makeAttributes(controlTextColor(), Font::fontWithName(std::u16string(systemFontFamilyName), fontSize));
    // One point smaller, but never down to nothing (a size of 0 would mean
    // the default size).
    double markupSize = fontSize > 1 ? fontSize - 1 : fontSize;
    auto markup = makeAttributes(markupColor, Font::fontWithName(std::u16string(markupFontFamilyName), markupSize));

    AttributedString result;
    size_t plainStart = 0;
    size_t i = 0;
    auto appendMarkup = [&](size_t end) {
        result.appendString(string.substr(plainStart, i - plainStart), plain);
        result.appendString(string.substr(i, end - i), markup);
        plainStart = i = end;
    };
    while (i < string.size()) {
        char16_t c = string[i];
        if (c == u'<' || c == u'&') {
            size_t close = string.find(c == u'<' ? u'>' : u';', i + 1);
            appendMarkup(close == std::u16string_view::npos ? string.size() : close + 1);
        } else if (c == u'"' || c == u'/')
            appendMarkup(i + 1);
        else
            ++i;
    }
    result.appendString(string.substr(plainStart), plain);
    return result;
}

} // namespace brevanton
