#include "platform/views/WordListSpellChecker.h"

#include "platform/foundation/Text.h"

#include <unicode/uchar.h>

namespace brevanton {

namespace {

// Whether one insertion, deletion or substitution turns `a` into `b`.
bool oneEditApart(std::u16string_view a, std::u16string_view b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    if (b.size() - a.size() > 1)
        return false;
    size_t i = 0;
    while (i < a.size() && a[i] == b[i])
        ++i;
    if (a.size() == b.size())
        return a.substr(i + (i < a.size())) == b.substr(i + (i < b.size())) && a != b;
    return a.substr(i) == b.substr(i + 1);
}

} // namespace

WordListSpellChecker::WordListSpellChecker(std::vector<std::u16string> words, std::vector<std::u16string> languages)
    : m_list(std::move(words))
    , m_words(m_list.begin(), m_list.end())
    , m_languages(std::move(languages))
{
}

bool WordListSpellChecker::hasLanguage(std::u16string_view language) const
{
    auto primary = [](std::u16string_view tag) { return tag.substr(0, tag.find_first_of(u"-_")); };
    for (const auto& known : m_languages) {
        if (equalsIgnoringASCIICase(known, language) || equalsIgnoringASCIICase(primary(known), primary(language)))
            return true;
    }
    return false;
}

std::optional<bool> WordListSpellChecker::isCorrectWord(std::u16string_view word, std::u16string_view language)
{
    if (!hasLanguage(language))
        return std::nullopt;
    if (m_words.count(word))
        return true;
    if (!word.empty() && u_isupper(word.front())) {
        std::u16string lowered(word);
        lowered.front() = static_cast<char16_t>(u_tolower(lowered.front()));
        return m_words.count(lowered) > 0;
    }
    return false;
}

std::vector<std::u16string> WordListSpellChecker::suggestionsForWord(std::u16string_view word, std::u16string_view language)
{
    std::vector<std::u16string> suggestions;
    if (!hasLanguage(language))
        return suggestions;
    for (const auto& candidate : m_list) {
        if (oneEditApart(word, candidate))
            suggestions.push_back(candidate);
    }
    return suggestions;
}

} // namespace brevanton
