// The values of text checking: what kinds of checks to run, what a check
// finds, and the orthography (script and languages) of the text checked.
#pragma once

#include "platform/views/TextFinderMatcher.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace brevanton {

using TextCheckingTypes = uint64_t;
enum : TextCheckingTypes {
    TextCheckingTypeSpelling = 1u << 1,
    TextCheckingTypeGrammar = 1u << 2,
    TextCheckingTypeQuote = 1u << 6,
    TextCheckingTypeDash = 1u << 7,
    TextCheckingTypeReplacement = 1u << 8,
    // A misspelt word and the checker's first guess for it.
    TextCheckingTypeCorrection = 1u << 9,
};

struct GrammarDetail {
    TextRange range;
    std::u16string description;
    std::vector<std::u16string> guesses;
};

struct TextCheckingResult {
    TextCheckingTypes resultType { 0 };
    // In the checked string.
    TextRange range;
    // For quotes, dashes, replacements and corrections.
    std::u16string replacementString;
    // For grammar findings.
    std::vector<GrammarDetail> grammarDetails;
};

struct Orthography {
    std::u16string dominantScript;
    // Script code to the languages written in it, the dominant one first.
    std::map<std::u16string, std::vector<std::u16string>> languageMap;

    // The first language of the dominant script ("und" when none).
    std::u16string dominantLanguage() const;
};

} // namespace brevanton
