#include "platform/views/TextSubstitutionRules.h"

#include <unicode/uchar.h>

#include <algorithm>

namespace brevanton {

namespace {

// Where a quote opens: at the start, after whitespace, or after an opening
// bracket, an opening quote or a dash.
bool opensAfter(std::u16string_view text, size_t index)
{
    if (index == 0)
        return true;
    char16_t before = text[index - 1];
    if (u_isUWhiteSpace(before))
        return true;
    switch (before) {
    case u'(':
    case u'[':
    case u'{':
    case u'<':
    case u'\u2018':
    case u'\u201C':
    case u'\u2013':
    case u'\u2014':
    case u'-':
        return true;
    default:
        return false;
    }
}

} // namespace

std::vector<TextCheckingResult> textSubstitutionsInString(std::u16string_view text, TextRange range, TextCheckingTypes types)
{
    std::vector<TextCheckingResult> results;
    size_t start = std::min(range.location, text.size());
    size_t end = std::min(range.end(), text.size());
    for (size_t i = start; i < end; ++i) {
        char16_t c = text[i];
        if ((types & TextCheckingTypeQuote) && (c == u'"' || c == u'\'')) {
            bool opening = opensAfter(text, i);
            std::u16string replacement(1, c == u'"' ? (opening ? u'\u201C' : u'\u201D') : (opening ? u'\u2018' : u'\u2019'));
            results.push_back({ TextCheckingTypeQuote, { i, 1 }, std::move(replacement), {} });
            continue;
        }
        if ((types & TextCheckingTypeDash) && c == u'-') {
            size_t run = i;
            while (run < text.size() && text[run] == u'-')
                ++run;
            size_t count = run - i;
            // Only a run that begins here, inside the range, and stands between other characters.
            bool startsHere = i == 0 || text[i - 1] != u'-';
            if (startsHere && (count == 2 || count == 3) && i > 0 && run < text.size() && run <= end)
                results.push_back({ TextCheckingTypeDash, { i, count }, u"\u2014", {} });
            i = run - 1;
        }
    }
    return results;
}

} // namespace brevanton
