#include "platform/views/SpellChecker.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/HunspellSpellChecker.h"
#include "platform/views/SpellingPanel.h"
#include "platform/views/TextSubstitutionRules.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>

namespace brevanton {

namespace {

std::shared_ptr<SpellChecker>& installedChecker()
{
    static std::shared_ptr<SpellChecker> checker;
    return checker;
}

// Words are checked with the straight apostrophe that dictionaries use.
std::u16string lookupForm(std::u16string_view word)
{
    std::u16string form(word);
    std::replace(form.begin(), form.end(), u'\u2019', u'\'');
    return form;
}

bool hasLetterAndNoDigit(std::u16string_view word)
{
    bool letter = false;
    for (char16_t c : word) {
        if (u_isdigit(c))
            return false;
        if (u_isalpha(c) || (c >= 0xD800 && c <= 0xDFFF))
            letter = true;
    }
    return letter;
}

} // namespace

std::u16string Orthography::dominantLanguage() const
{
    auto found = languageMap.find(dominantScript);
    if (found != languageMap.end() && !found->second.empty())
        return found->second.front();
    for (const auto& [script, languages] : languageMap) {
        if (!languages.empty())
            return languages.front();
    }
    return u"und";
}

SpellChecker::SpellChecker() = default;
SpellChecker::~SpellChecker() = default;

SpellChecker& SpellChecker::sharedSpellChecker()
{
    auto& checker = installedChecker();
    if (!checker)
        checker = std::make_shared<HunspellSpellChecker>();
    return *checker;
}

void SpellChecker::setSharedSpellChecker(std::shared_ptr<SpellChecker> checker)
{
    installedChecker() = std::move(checker);
}

long SpellChecker::uniqueSpellDocumentTag()
{
    long tag = m_nextTag++;
    m_documents[tag];
    return tag;
}

void SpellChecker::closeSpellDocumentWithTag(long tag)
{
    m_documents.erase(tag);
}

void SpellChecker::ignoreWord(std::u16string word, long tag)
{
    if (!word.empty())
        m_documents[tag].ignored.insert(lookupForm(word));
}

std::vector<std::u16string> SpellChecker::ignoredWordsInSpellDocumentWithTag(long tag) const
{
    auto found = m_documents.find(tag);
    if (found == m_documents.end())
        return {};
    return { found->second.ignored.begin(), found->second.ignored.end() };
}

void SpellChecker::learnWord(std::u16string word, long tag)
{
    if (!word.empty())
        m_documents[tag].learned.insert(lookupForm(word));
}

void SpellChecker::unlearnWord(const std::u16string& word, long tag)
{
    auto found = m_documents.find(tag);
    if (found != m_documents.end())
        found->second.learned.erase(lookupForm(word));
}

bool SpellChecker::hasLearnedWord(const std::u16string& word, long tag) const
{
    auto found = m_documents.find(tag);
    return found != m_documents.end() && found->second.learned.count(lookupForm(word));
}

std::u16string SpellChecker::resolvedLanguage(const std::optional<Orthography>& orthography) const
{
    if (!orthography)
        return m_language;
    auto language = orthography->dominantLanguage();
    if (language.empty() || language == u"und")
        return m_language;
    return language;
}

void SpellChecker::appendMisspellings(std::u16string_view text, TextRange range, const std::u16string& language, long tag,
                                      std::vector<TextCheckingResult>& results)
{
    size_t start = std::min(range.location, text.size());
    size_t end = std::min(range.end(), text.size());
    if (start >= end)
        return;
    const Document* document = nullptr;
    if (auto found = m_documents.find(tag); found != m_documents.end())
        document = &found->second;

    icu::UnicodeString string(false, reinterpret_cast<const UChar*>(text.data() + start), static_cast<int32_t>(end - start));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> words(icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status))
        return;
    words->setText(string);
    int32_t wordStart = words->first();
    for (int32_t wordEnd = words->next(); wordEnd != icu::BreakIterator::DONE; wordStart = wordEnd, wordEnd = words->next()) {
        // Words of letters only: numbers, spaces and punctuation are no words,
        // and kana and ideographs have no spelling to check.
        int32_t ruleStatus = words->getRuleStatus();
        if (ruleStatus < UBRK_WORD_LETTER || ruleStatus >= UBRK_WORD_LETTER_LIMIT)
            continue;
        std::u16string_view word = text.substr(start + static_cast<size_t>(wordStart), static_cast<size_t>(wordEnd - wordStart));
        if (!hasLetterAndNoDigit(word))
            continue;
        auto form = lookupForm(word);
        if (document && (document->ignored.count(form) || document->learned.count(form)))
            continue;
        auto correct = isCorrectWord(form, language);
        if (!correct)
            return; // no dictionary for the language
        if (!*correct)
            results.push_back({ TextCheckingTypeSpelling, { start + static_cast<size_t>(wordStart), word.size() }, {}, {} });
    }
}

std::vector<TextCheckingResult> SpellChecker::checkString(std::u16string_view text, TextRange range, TextCheckingTypes types,
                                                          const std::optional<Orthography>& orthography, long tag)
{
    std::vector<TextCheckingResult> results;
    if (types & (TextCheckingTypeSpelling | TextCheckingTypeCorrection)) {
        std::vector<TextCheckingResult> misspellings;
        auto language = resolvedLanguage(orthography);
        appendMisspellings(text, range, language, tag, misspellings);
        for (auto& misspelling : misspellings) {
            if (types & TextCheckingTypeCorrection) {
                auto guesses = suggestionsForWord(lookupForm(text.substr(misspelling.range.location, misspelling.range.length)), language);
                if (!guesses.empty())
                    results.push_back({ TextCheckingTypeCorrection, misspelling.range, guesses.front(), {} });
            }
            if (types & TextCheckingTypeSpelling)
                results.push_back(std::move(misspelling));
        }
    }
    // Grammar: there is no grammar checker.
    if (types & (TextCheckingTypeQuote | TextCheckingTypeDash | TextCheckingTypeReplacement)) {
        auto substitutions = textSubstitutionsInString(text, range, types);
        results.insert(results.end(), substitutions.begin(), substitutions.end());
    }
    std::stable_sort(results.begin(), results.end(),
                     [](const TextCheckingResult& a, const TextCheckingResult& b) { return a.range.location < b.range.location; });
    return results;
}

void SpellChecker::requestCheckingOfString(std::u16string text, TextRange range, TextCheckingTypes types,
                                           std::optional<Orthography> orthography, long tag,
                                           std::function<void(std::vector<TextCheckingResult>)> completion)
{
    auto results = checkString(text, range, types, orthography, tag);
    RunLoop::main().perform([results = std::move(results), completion = std::move(completion)]() mutable {
        if (completion)
            completion(std::move(results));
    });
}

std::vector<std::u16string> SpellChecker::guessesForWord(const std::u16string& word, const std::u16string& language)
{
    std::u16string resolved = language.empty() || language == u"und" ? m_language : language;
    return suggestionsForWord(lookupForm(word), resolved);
}

SpellingPanel& SpellChecker::spellingPanel()
{
    if (!m_panel)
        m_panel = std::make_unique<SpellingPanel>();
    return *m_panel;
}

void SpellChecker::updateSpellingPanelWithMisspelledWord(const std::u16string& word)
{
    m_lastMisspelledWord = word;
    spellingPanel().showWord(word, word.empty() ? std::vector<std::u16string>() : guessesForWord(word, m_language));
}

void SpellChecker::updateSpellingPanelWithGrammarString(const std::u16string& string, const GrammarDetail& detail)
{
    spellingPanel().showWord(string, detail.guesses, detail.description);
}

void SpellChecker::updatePanels()
{
    if (m_panel)
        m_panel->window()->contentView()->setNeedsDisplay(true);
}

} // namespace brevanton
