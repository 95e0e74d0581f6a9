// A spell checker with one fixed list of words for every language it is
// given, and none for other languages: deterministic, for tests and for a
// program that brings its own word list. Words are compared exactly, and
// also with the first letter in lower case (a word may start a sentence).
#pragma once

#include "platform/views/SpellChecker.h"

#include <set>

namespace brevanton {

class WordListSpellChecker : public SpellChecker {
public:
    WordListSpellChecker(std::vector<std::u16string> words, std::vector<std::u16string> languages = { u"en-US" });

    std::vector<std::u16string> availableLanguages() const override { return m_languages; }

protected:
    std::optional<bool> isCorrectWord(std::u16string_view word, std::u16string_view language) override;
    // The listed words that differ from `word` by one edit, in list order.
    std::vector<std::u16string> suggestionsForWord(std::u16string_view word, std::u16string_view language) override;

private:
    bool hasLanguage(std::u16string_view language) const;

    std::vector<std::u16string> m_list;
    std::set<std::u16string, std::less<>> m_words;
    std::vector<std::u16string> m_languages;
};

} // namespace brevanton
