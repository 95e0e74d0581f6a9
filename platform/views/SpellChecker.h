// SpellChecker: the process's spell checker. It cuts text into words (ICU's
// word breaks), asks its dictionaries about each one, and also finds the
// automatic substitutions (TextSubstitutionRules.h). There is no grammar
// checker: grammar checks find nothing.
//
// Spell documents: each client takes a unique tag; the words it ignores or
// learns are kept for that tag only, in memory, and forgotten when the
// document is closed. Nothing is written to the user's dictionaries.
//
// The shared checker is Hunspell's (HunspellSpellChecker.h) unless another
// is installed: tests install one with a fixed word list
// (WordListSpellChecker.h). Main thread only.
#pragma once

#include "platform/views/TextChecking.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class SpellingPanel;

class SpellChecker {
public:
    SpellChecker();
    virtual ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    static SpellChecker& sharedSpellChecker();
    // Null goes back to the Hunspell checker.
    static void setSharedSpellChecker(std::shared_ptr<SpellChecker>);

    // The language of text whose orthography names none ("und"); BCP 47.
    const std::u16string& language() const { return m_language; }
    void setLanguage(std::u16string language) { m_language = std::move(language); }
    // The languages there are dictionaries for, as BCP 47 tags.
    virtual std::vector<std::u16string> availableLanguages() const = 0;

    // Spell documents.
    long uniqueSpellDocumentTag();
    void closeSpellDocumentWithTag(long tag);
    void ignoreWord(std::u16string word, long tag);
    std::vector<std::u16string> ignoredWordsInSpellDocumentWithTag(long tag) const;
    void learnWord(std::u16string word, long tag);
    void unlearnWord(const std::u16string& word, long tag);
    bool hasLearnedWord(const std::u16string& word, long tag) const;

    // The findings of `types` in the part `range` of `text`, in order. The
    // orthography's dominant language chooses the dictionary; text in a
    // language without one has no misspellings.
    std::vector<TextCheckingResult> checkString(std::u16string_view text, TextRange range, TextCheckingTypes types,
                                                const std::optional<Orthography>&, long tag);
    // The same, answered on a later turn of the main run loop.
    void requestCheckingOfString(std::u16string text, TextRange range, TextCheckingTypes types, std::optional<Orthography>,
                                 long tag, std::function<void(std::vector<TextCheckingResult>)> completion);
    // Suggested spellings, best first.
    std::vector<std::u16string> guessesForWord(const std::u16string& word, const std::u16string& language);

    // The spelling panel, made on first use.
    SpellingPanel& spellingPanel();
    void updateSpellingPanelWithMisspelledWord(const std::u16string& word);
    void updateSpellingPanelWithGrammarString(const std::u16string& string, const GrammarDetail&);
    void updatePanels();

protected:
    // Whether the dictionary of `language` (a BCP 47 tag, never "und") has
    // the word; nothing when there is no dictionary for the language.
    virtual std::optional<bool> isCorrectWord(std::u16string_view word, std::u16string_view language) = 0;
    virtual std::vector<std::u16string> suggestionsForWord(std::u16string_view word, std::u16string_view language) = 0;

private:
    void appendMisspellings(std::u16string_view text, TextRange range, const std::u16string& language, long tag,
                            std::vector<TextCheckingResult>&);
    std::u16string resolvedLanguage(const std::optional<Orthography>&) const;

    std::u16string m_language { u"en-US" };
    long m_nextTag { 1 };
    struct Document {
        std::set<std::u16string> ignored;
        std::set<std::u16string> learned;
    };
    std::map<long, Document> m_documents;
    std::unique_ptr<SpellingPanel> m_panel;
    std::u16string m_lastMisspelledWord;
};

} // namespace brevanton
