#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/HunspellSpellChecker.h"
#include "platform/views/SpellingPanel.h"
#include "platform/views/TextSubstitutionRules.h"
#include "platform/views/Window.h"
#include "platform/views/WordListSpellChecker.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace brevanton;

namespace {

std::vector<std::u16string> misspelledWords(SpellChecker& checker, std::u16string_view text, long tag = 0,
                                            std::optional<Orthography> orthography = std::nullopt)
{
    std::vector<std::u16string> words;
    for (const auto& result : checker.checkString(text, { 0, text.size() }, TextCheckingTypeSpelling | TextCheckingTypeGrammar,
                                                  orthography, tag)) {
        EXPECT_EQ(result.resultType, TextCheckingTypeSpelling);
        words.emplace_back(text.substr(result.range.location, result.range.length));
    }
    return words;
}

Orthography orthographyForLanguage(std::u16string language)
{
    return { u"Zyyy", { { u"Zyyy", { std::move(language) } } } };
}

std::u16string applySubstitutions(std::u16string text, TextRange range, TextCheckingTypes types = 448)
{
    auto results = textSubstitutionsInString(text, range, types);
    for (auto result = results.rbegin(); result != results.rend(); ++result)
        text.replace(result->range.location, result->range.length, result->replacementString);
    return text;
}

bool hasEnglishDictionary()
{
    return std::filesystem::exists("/usr/share/hunspell/en_US.dic");
}

} // namespace

TEST(SpellChecker, DocumentsKeepTheirOwnIgnoredAndLearnedWords)
{
    WordListSpellChecker checker({ u"the", u"cat", u"sat", u"don't" });
    long first = checker.uniqueSpellDocumentTag();
    long second = checker.uniqueSpellDocumentTag();
    EXPECT_NE(first, 0);
    EXPECT_NE(first, second);

    std::u16string text = u"The catt sat, don’t 42 zorp3 東京 sat.";
    // Numbers, words with digits and ideographs are not checked; the typographic apostrophe reads as the straight one.
    EXPECT_EQ(misspelledWords(checker, text, first), (std::vector<std::u16string> { u"catt" }));
    checker.ignoreWord(u"catt", first);
    EXPECT_TRUE(misspelledWords(checker, text, first).empty());
    EXPECT_EQ(misspelledWords(checker, text, second), (std::vector<std::u16string> { u"catt" })) << "ignored in the first document only";
    checker.learnWord(u"catt", second);
    EXPECT_TRUE(checker.hasLearnedWord(u"catt", second));
    EXPECT_TRUE(misspelledWords(checker, text, second).empty());
    checker.unlearnWord(u"catt", second);
    EXPECT_FALSE(misspelledWords(checker, text, second).empty());

    checker.closeSpellDocumentWithTag(first);
    EXPECT_TRUE(checker.ignoredWordsInSpellDocumentWithTag(first).empty());
    EXPECT_FALSE(misspelledWords(checker, text, first).empty());

    // Only the range is checked, at the offsets of the whole text.
    auto results = checker.checkString(u"catt catt", { 5, 4 }, TextCheckingTypeSpelling, std::nullopt, 0);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].range, (TextRange { 5, 4 }));
    EXPECT_EQ(checker.guessesForWord(u"catt", u"en"), (std::vector<std::u16string> { u"cat" }));
}

TEST(SpellChecker, LanguagesWithoutADictionaryHaveNoMisspellings)
{
    WordListSpellChecker checker({ u"hello" }, { u"en-US" });
    EXPECT_EQ(misspelledWords(checker, u"hello wrld", 0, orthographyForLanguage(u"en-GB")),
              (std::vector<std::u16string> { u"wrld" }));
    EXPECT_TRUE(misspelledWords(checker, u"bonjour le monde", 0, orthographyForLanguage(u"fr")).empty());
    // "und" is the checker's own language.
    EXPECT_EQ(misspelledWords(checker, u"hello wrld", 0, orthographyForLanguage(u"und")), (std::vector<std::u16string> { u"wrld" }));
    checker.setLanguage(u"de");
    EXPECT_TRUE(misspelledWords(checker, u"hello wrld").empty());
}

TEST(SpellChecker, HunspellChecksWithTheInstalledDictionaries)
{
    if (!hasEnglishDictionary())
        GTEST_SKIP() << "no en_US dictionary";
    HunspellSpellChecker checker;
    auto languages = checker.availableLanguages();
    EXPECT_NE(std::find(languages.begin(), languages.end(), u"en-US"), languages.end());
    EXPECT_EQ(misspelledWords(checker, u"Ths sentence has a mispelled word, doesn’t it? Paris 1999."),
              (std::vector<std::u16string> { u"Ths", u"mispelled" }));
    // "en" finds the first English dictionary; a missing one finds nothing.
    EXPECT_EQ(misspelledWords(checker, u"recieve", 0, orthographyForLanguage(u"en")), (std::vector<std::u16string> { u"recieve" }));
    EXPECT_TRUE(misspelledWords(checker, u"recieve", 0, orthographyForLanguage(u"xx-YY")).empty());
    auto guesses = checker.guessesForWord(u"recieve", u"en-US");
    EXPECT_NE(std::find(guesses.begin(), guesses.end(), u"receive"), guesses.end());
    // Learning keeps the word in memory for that document only.
    long tag = checker.uniqueSpellDocumentTag();
    checker.learnWord(u"Brevanton", tag);
    EXPECT_TRUE(misspelledWords(checker, u"Brevanton", tag).empty());
    EXPECT_FALSE(misspelledWords(checker, u"Brevanton", 0).empty());
}

TEST(SpellChecker, CorrectionsOfferTheFirstGuessOfEachMisspeltWordThatHasOne)
{
    WordListSpellChecker checker({ u"world", u"round" });
    long tag = checker.uniqueSpellDocumentTag();
    checker.ignoreWord(u"wrold", tag);
    auto results = checker.checkString(u"wrld is rond, qqqq wrold", { 0, 24 }, TextCheckingTypeCorrection, std::nullopt, tag);
    std::vector<std::pair<std::u16string, size_t>> corrections;
    for (auto& result : results) {
        EXPECT_EQ(result.resultType, TextCheckingTypeCorrection);
        corrections.emplace_back(result.replacementString, result.range.location);
    }
    // "is" is no word of the list but has no guess; "qqqq" neither; the ignored word is left.
    EXPECT_EQ(corrections, (std::vector<std::pair<std::u16string, size_t>> { { u"world", 0 }, { u"round", 8 } }));
}

TEST(SpellChecker, QuotesAndDashesFollowTheirOwnRules)
{
    std::u16string text = u"He said \"it's 'fine'\" -- (\"ok\") and a-b, x---y, ----.";
    EXPECT_EQ(applySubstitutions(text, { 0, text.size() }),
              u"He said \u201Cit\u2019s \u2018fine\u2019\u201D \u2014 (\u201Cok\u201D) and a-b, x\u2014y, ----.");
    // Only the range changes, read in its context: the quote closes.
    EXPECT_EQ(applySubstitutions(u"\"ab\" \"cd\"", { 3, 1 }), u"\"ab\u201D \"cd\"");
    EXPECT_EQ(applySubstitutions(u"a--", { 0, 3 }), u"a--") << "a dash needs a character after it";
    // Only the types asked for; the replacement table is empty.
    EXPECT_EQ(applySubstitutions(u"\"a\" -- (c)", { 0, 10 }, TextCheckingTypeDash), u"\"a\" \u2014 (c)");
    EXPECT_TRUE(textSubstitutionsInString(u"(c) 1/2 teh", { 0, 11 }, TextCheckingTypeReplacement).empty());

    // The checker reports them with misspellings, in text order; grammar finds nothing.
    WordListSpellChecker checker({ u"a" });
    auto results = checker.checkString(u"zz \"a\"", { 0, 6 }, TextCheckingTypeSpelling | TextCheckingTypeGrammar | TextCheckingTypeQuote,
                                       std::nullopt, 0);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].resultType, TextCheckingTypeSpelling);
    EXPECT_EQ(results[1].replacementString, u"\u201C");
    EXPECT_EQ(results[2].replacementString, u"\u201D");

    // An asynchronous request answers on a later turn of the main loop.
    std::optional<size_t> count;
    checker.requestCheckingOfString(u"\"x\"", { 0, 3 }, 448, std::nullopt, 0, [&](std::vector<TextCheckingResult> found) { count = found.size(); });
    EXPECT_FALSE(count);
    RunLoop::main().runUntil([&] { return count.has_value(); }, 30);
    EXPECT_EQ(count, 2u);
}

TEST(SpellChecker, ThePanelRelaysItsCommandsWithTheWordField)
{
    Application::shared().resetForTesting();
    auto checker = std::make_shared<WordListSpellChecker>(std::vector<std::u16string> { u"word", u"ward" });
    SpellChecker::setSharedSpellChecker(checker);
    auto& panel = SpellChecker::sharedSpellChecker().spellingPanel();
    SpellChecker::sharedSpellChecker().updateSpellingPanelWithMisspelledWord(u"wurd");
    EXPECT_EQ(panel.wordField()->stringValue(), u"wurd");
    EXPECT_EQ(panel.guesses(), (std::vector<std::u16string> { u"word", u"ward" }));
    ASSERT_TRUE(panel.chooseGuess(0));
    EXPECT_FALSE(panel.chooseGuess(5));

    // The document's window gets Change and Ignore with the word field as sender.
    auto window = Window::create(Rect(0, 0, 400, 300));
    window->makeKeyAndOrderFront();
    std::u16string changedTo;
    bool ignored = false;
    window->setActionHandler("changeSpelling:", [&](ActionSender* sender) {
        if (auto* field = dynamic_cast<TextField*>(sender))
            changedTo = field->stringValue();
    });
    window->setActionHandler("ignoreSpelling:", [&](ActionSender* sender) { ignored = sender == panel.wordField().get(); });
    panel.changeButton()->performClick();
    panel.ignoreButton()->performClick();
    EXPECT_EQ(changedTo, u"word");
    EXPECT_TRUE(ignored);

    GrammarDetail detail { { 0, 3 }, u"Agreement", { u"is" } };
    SpellChecker::sharedSpellChecker().updateSpellingPanelWithGrammarString(u"they is", detail);
    EXPECT_EQ(panel.detailField()->stringValue(), u"Agreement");
    SpellChecker::setSharedSpellChecker(nullptr);
    Application::shared().resetForTesting();
}
