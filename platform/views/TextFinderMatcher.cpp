#include "platform/views/TextFinderMatcher.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include <memory>

namespace brevanton {

std::u16string foldCaseSimple(std::u16string_view text)
{
    std::u16string folded;
    folded.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        UChar32 c;
        U16_NEXT(text.data(), i, text.size(), c);
        UChar32 f = u_foldCase(c, U_FOLD_CASE_DEFAULT);
        // Simple folding keeps a code point in its plane, so the length holds.
        if (U16_LENGTH(f) != U16_LENGTH(c))
            f = c;
        if (U_IS_BMP(f))
            folded.push_back(static_cast<char16_t>(f));
        else {
            folded.push_back(static_cast<char16_t>(U16_LEAD(f)));
            folded.push_back(static_cast<char16_t>(U16_TRAIL(f)));
        }
    }
    return folded;
}

namespace {

class WordBoundaries {
public:
    explicit WordBoundaries(std::u16string_view text)
        : m_text(false, reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()))
    {
        UErrorCode status = U_ZERO_ERROR;
        m_iterator.reset(icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status))
            m_iterator.reset();
        else
            m_iterator->setText(m_text);
    }

    bool isBoundary(size_t offset)
    {
        if (!m_iterator)
            return true;
        return m_iterator->isBoundary(static_cast<int32_t>(offset));
    }

private:
    icu::UnicodeString m_text;
    std::unique_ptr<icu::BreakIterator> m_iterator;
};

} // namespace

TextFinderMatcher::TextFinderMatcher(std::u16string_view searchString, TextFinderOptions options)
    : m_needle(options.ignoresCase ? foldCaseSimple(searchString) : std::u16string(searchString))
    , m_options(options)
{
}

void TextFinderMatcher::appendMatches(std::u16string_view text, size_t base, std::vector<TextRange>& matches) const
{
    if (m_needle.empty() || text.size() < m_needle.size())
        return;
    std::u16string folded;
    std::u16string_view haystack = text;
    if (m_options.ignoresCase) {
        folded = foldCaseSimple(text);
        haystack = folded;
    }
    std::unique_ptr<WordBoundaries> boundaries;
    for (size_t at = haystack.find(m_needle); at != std::u16string_view::npos; at = haystack.find(m_needle, at)) {
        bool accepted = true;
        if (m_options.matchType != TextFinderMatchType::Contains) {
            if (!boundaries)
                boundaries = std::make_unique<WordBoundaries>(text);
            accepted = boundaries->isBoundary(at);
            if (accepted && m_options.matchType == TextFinderMatchType::FullWord)
                accepted = boundaries->isBoundary(at + m_needle.size());
        }
        if (!accepted) {
            ++at;
            continue;
        }
        matches.push_back({ base + at, m_needle.size() });
        at += m_needle.size();
    }
}

} // namespace brevanton
