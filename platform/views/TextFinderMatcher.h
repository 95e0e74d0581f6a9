// The matching of the text finder: where a search string occurs in a text,
// with or without regard to case, anywhere, at the start of a word, or as a
// whole word. Case is folded with ICU's simple case folding (one code point
// for one, so offsets in the folded text are offsets in the text); word
// boundaries are those of ICU's word break iterator.
#pragma once

#include "platform/views/TextRange.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

enum class TextFinderMatchType { Contains = 0, StartsWith = 1, FullWord = 2 };

struct TextFinderOptions {
    bool ignoresCase { true };
    TextFinderMatchType matchType { TextFinderMatchType::Contains };

    friend bool operator==(const TextFinderOptions&, const TextFinderOptions&) = default;
};

class TextFinderMatcher {
public:
    TextFinderMatcher(std::u16string_view searchString, TextFinderOptions);

    bool isEmpty() const { return m_needle.empty(); }
    // Every match in `text`, in order, not overlapping; offsets count from
    // `base` (the text's place in a longer string).
    void appendMatches(std::u16string_view text, size_t base, std::vector<TextRange>& matches) const;

private:
    std::u16string m_needle;
    TextFinderOptions m_options;
};

// ICU's simple case folding of every code point.
std::u16string foldCaseSimple(std::u16string_view);

} // namespace brevanton
