#include "toolkit/VornickWhitespaceFilter.h"

#include "toolkit/VornickWhitespaceSets.h"
#include "platform/foundation/Assertions.h"

#include <algorithm>

namespace brevanton {

bool vornick_containsOnlyHTMLWhitespace(std::u16string_view string)
{
    return vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(string, 0);
}

bool vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(std::u16string_view string,
                                                                              char16_t substitute)
{
    return vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(
        string, substitute, VornickMakeRange(0, string.size()));
}

bool vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(std::u16string_view string,
                                                                              char16_t substitute,
                                                                              VornickRange range)
{
    BREVANTON_ASSERT(range.location <= string.size() && range.length <= string.size() - range.location,
                     "NSMaxRange(range) <= length");
    for (size_t i = range.location; i < range.end(); ++i) {
        if (!vornick_isHTMLWhitespace(string[i], substitute))
            return false;
    }
    return true;
}

std::u16string vornick_stringByFilteringWhitespaceWithOptions(std::u16string_view string, unsigned options,
                                                              char16_t substitute, size_t* trackOffset)
{
    const size_t length = string.size();
    if (!options || !length)
        return std::u16string(string);

    const bool trimStart = options & VornickWhitespaceFilteringTrimStart;
    const bool trimEnd = options & VornickWhitespaceFilteringTrimEnd;
    const bool collapse = options & VornickWhitespaceFilteringCollapse;
    const bool keepSubstitutes = substitute && (options & VornickWhitespaceFilteringKeepSubstitutes);
    auto isWhitespace = [substitute](char16_t c) { return vornick_isHTMLWhitespace(c, substitute); };

    const size_t offset = trackOffset ? *trackOffset : VornickNotFound;
    size_t newOffset = VornickNotFound;
    std::u16string result;
    result.reserve(length);

    size_t i = 0;
    if (trimStart) {
        size_t runEnd = 0;
        while (runEnd < length && isWhitespace(string[runEnd]))
            ++runEnd;
        size_t kept = keepSubstitutes ? static_cast<size_t>(std::count(string.begin(), string.begin() + runEnd, substitute)) : 0;
        if (runEnd == length && !kept) {
            if (trackOffset)
                *trackOffset = 0;
            return {};
        }
        result.append(kept, substitute);
        if (offset < runEnd)
            newOffset = std::min(offset, kept);
        i = runEnd;
    }

    if (!collapse) {
        size_t end = length;
        if (trimEnd) {
            while (end > i && isWhitespace(string[end - 1]))
                --end;
        }
        if (newOffset == VornickNotFound && offset >= i && offset < end)
            newOffset = result.size() + (offset - i);
        result.append(string.substr(i, end - i));
    } else {
        while (i < length) {
            size_t runEnd = i;
            if (!isWhitespace(string[i])) {
                while (runEnd < length && !isWhitespace(string[runEnd]))
                    ++runEnd;
                if (offset >= i && offset < runEnd)
                    newOffset = result.size() + (offset - i);
                result.append(string.substr(i, runEnd - i));
                i = runEnd;
                continue;
            }
            size_t substitutes = 0;
            bool hasNonBreakingSpace = false;
            for (; runEnd < length && isWhitespace(string[runEnd]); ++runEnd) {
                if (substitute && string[runEnd] == substitute)
                    ++substitutes;
                else if (string[runEnd] == u'\u00A0')
                    hasNonBreakingSpace = true;
            }
            size_t replacementStart = result.size();
            if (substitutes)
                result.append(substitutes, substitute);
            else
                result.push_back(hasNonBreakingSpace ? u'\u00A0' : u' ');
            if (offset >= i && offset < runEnd)
                newOffset = replacementStart + std::min(offset - i, result.size() - replacementStart);
            i = runEnd;
        }
        if (trimEnd) {
            while (!result.empty() && isWhitespace(result.back())
                   && !(keepSubstitutes && result.back() == substitute))
                result.pop_back();
        }
    }

    if (trackOffset)
        *trackOffset = std::min(newOffset, result.size());
    return result;
}

} // namespace brevanton
