#include "platform/views/HunspellSpellChecker.h"

#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"

#include <hunspell/hunspell.hxx>

#include <algorithm>
#include <filesystem>

namespace brevanton {

struct HunspellSpellChecker::Dictionary {
    std::unique_ptr<Hunspell> hunspell;
    std::u16string encoding;
    bool isUTF8 { true };
    std::unordered_map<std::u16string, bool> verdicts;

    std::optional<std::string> encode(std::u16string_view word) const
    {
        if (isUTF8)
            return toUTF8(word);
        return encodeText(word, encoding, nullptr);
    }
    std::u16string decode(const std::string& bytes) const
    {
        if (isUTF8)
            return toUTF16(bytes);
        return decodeTextReplacingInvalid(bytes, encoding).value_or(std::u16string());
    }
};

namespace {

// "ISO8859-1" as Hunspell names it is "ISO-8859-1".
std::u16string converterNameForDictionaryEncoding(const std::string& name)
{
    constexpr std::string_view prefix = "ISO8859";
    if (name.size() > prefix.size() && std::string_view(name).substr(0, prefix.size()) == prefix)
        return toUTF16("ISO-8859" + name.substr(prefix.size()));
    return toUTF16(name);
}

std::u16string dictionaryNameForLanguage(std::u16string_view language)
{
    std::u16string name(language);
    std::replace(name.begin(), name.end(), u'-', u'_');
    return name;
}

} // namespace

HunspellSpellChecker::HunspellSpellChecker(std::string dictionaryFolder)
    : m_folder(std::move(dictionaryFolder))
{
}

HunspellSpellChecker::~HunspellSpellChecker() = default;

std::vector<std::u16string> HunspellSpellChecker::availableLanguages() const
{
    std::vector<std::u16string> languages;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        auto path = entry.path();
        if (path.extension() != ".dic")
            continue;
        auto affix = path;
        affix.replace_extension(".aff");
        if (!std::filesystem::exists(affix, error))
            continue;
        auto language = toUTF16(path.stem().string());
        std::replace(language.begin(), language.end(), u'_', u'-');
        languages.push_back(std::move(language));
    }
    std::sort(languages.begin(), languages.end());
    return languages;
}

HunspellSpellChecker::Dictionary* HunspellSpellChecker::dictionaryForLanguage(std::u16string_view language)
{
    if (auto found = m_dictionaries.find(language); found != m_dictionaries.end())
        return found->second.get();

    std::u16string name = dictionaryNameForLanguage(language);
    std::string base;
    std::error_code error;
    auto exists = [&](const std::string& stem) {
        return std::filesystem::is_regular_file(m_folder + "/" + stem + ".dic", error)
            && std::filesystem::is_regular_file(m_folder + "/" + stem + ".aff", error);
    };
    if (!name.empty() && exists(toUTF8(name)))
        base = toUTF8(name);
    else {
        // The primary language alone: the first of its dictionaries.
        std::u16string primary = name.substr(0, name.find(u'_'));
        for (const auto& candidate : availableLanguages()) {
            auto candidateName = dictionaryNameForLanguage(candidate);
            if (equalsIgnoringASCIICase(candidateName.substr(0, candidateName.find(u'_')), primary)) {
                base = toUTF8(candidateName);
                break;
            }
        }
    }
    std::shared_ptr<Dictionary> dictionary;
    if (!base.empty()) {
        std::string affix = m_folder + "/" + base + ".aff";
        std::string words = m_folder + "/" + base + ".dic";
        dictionary = std::make_shared<Dictionary>();
        dictionary->hunspell = std::make_unique<Hunspell>(affix.c_str(), words.c_str());
        std::string encoding = dictionary->hunspell->get_dict_encoding();
        dictionary->encoding = converterNameForDictionaryEncoding(encoding);
        dictionary->isUTF8 = equalsIgnoringASCIICase(dictionary->encoding, u"UTF-8");
    }
    m_dictionaries.emplace(std::u16string(language), dictionary);
    return dictionary.get();
}

std::optional<bool> HunspellSpellChecker::isCorrectWord(std::u16string_view word, std::u16string_view language)
{
    auto* dictionary = dictionaryForLanguage(language);
    if (!dictionary)
        return std::nullopt;
    std::u16string key(word);
    if (auto found = dictionary->verdicts.find(key); found != dictionary->verdicts.end())
        return found->second;
    auto bytes = dictionary->encode(word);
    // A word the dictionary's encoding cannot hold is not in it.
    bool correct = bytes && dictionary->hunspell->spell(*bytes);
    dictionary->verdicts.emplace(std::move(key), correct);
    return correct;
}

std::vector<std::u16string> HunspellSpellChecker::suggestionsForWord(std::u16string_view word, std::u16string_view language)
{
    std::vector<std::u16string> suggestions;
    auto* dictionary = dictionaryForLanguage(language);
    if (!dictionary)
        return suggestions;
    auto bytes = dictionary->encode(word);
    if (!bytes)
        return suggestions;
    for (const auto& suggestion : dictionary->hunspell->suggest(*bytes))
        suggestions.push_back(dictionary->decode(suggestion));
    return suggestions;
}

} // namespace brevanton
