// The spell checker of the Hunspell dictionaries installed on the system
// ("/usr/share/hunspell/en_US.dic" and ".aff", ...). A language is looked up
// as its BCP 47 tag with "_" ("en-US" is "en_US"), then by its primary
// language alone, which takes the first dictionary of that language. Each
// dictionary is opened on first use; verdicts are remembered per word.
#pragma once

#include "platform/views/SpellChecker.h"

#include <map>
#include <memory>
#include <string>
#include <unordered_map>

namespace brevanton {

class HunspellSpellChecker : public SpellChecker {
public:
    explicit HunspellSpellChecker(std::string dictionaryFolder = "/usr/share/hunspell");
    ~HunspellSpellChecker() override;

    std::vector<std::u16string> availableLanguages() const override;

protected:
    std::optional<bool> isCorrectWord(std::u16string_view word, std::u16string_view language) override;
    std::vector<std::u16string> suggestionsForWord(std::u16string_view word, std::u16string_view language) override;

private:
    struct Dictionary;
    Dictionary* dictionaryForLanguage(std::u16string_view language);

    std::string m_folder;
    // By language as asked; null when there is no dictionary for it.
    std::map<std::u16string, std::shared_ptr<Dictionary>, std::less<>> m_dictionaries;
};

} // namespace brevanton
