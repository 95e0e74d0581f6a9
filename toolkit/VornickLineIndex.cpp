#include "toolkit/VornickLineIndex.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brevanton {

std::shared_ptr<const VornickLineIndex> VornickLineIndex::createByIndexingString(
    std::shared_ptr<const std::u16string> string, int64_t baseLineNumber, int64_t baseColumnNumber,
    int64_t tabWidth)
{
    if (!string || string->empty())
        return nullptr;
    return std::make_shared<const VornickLineIndex>(std::move(string), baseLineNumber,
                                                    baseColumnNumber, tabWidth);
}

std::shared_ptr<const VornickLineIndex> VornickLineIndex::createByIndexingString(
    std::u16string string, int64_t baseLineNumber, int64_t baseColumnNumber, int64_t tabWidth)
{
    return createByIndexingString(std::make_shared<const std::u16string>(std::move(string)),
                                baseLineNumber, baseColumnNumber, tabWidth);
}

VornickLineIndex::VornickLineIndex(std::shared_ptr<const std::u16string> string, int64_t baseLineNumber,
                                   int64_t baseColumnNumber, int64_t tabWidth)
    : m_string(std::move(string))
    , m_baseLineNumber(baseLineNumber)
    , m_baseColumnNumber(baseColumnNumber)
    , m_tabWidth(tabWidth)
{
    indexLines();
}

VornickLineIndex::VornickLineIndex(Unindexed, std::shared_ptr<const std::u16string> string, const VornickLineIndex& settings)
    : m_string(std::move(string))
    , m_baseLineNumber(settings.m_baseLineNumber)
    , m_baseColumnNumber(settings.m_baseColumnNumber)
    , m_tabWidth(settings.m_tabWidth)
{
}

std::shared_ptr<const VornickLineIndex> VornickLineIndex::createByApplyingSplices(
    const VornickLineIndex& previous, std::shared_ptr<const std::u16string> string, const VornickTextSplices& splices)
{
    if (!string || string->empty())
        return nullptr;
    std::shared_ptr<VornickLineIndex> index(new VornickLineIndex(Unindexed {}, std::move(string), previous));
    const std::u16string& text = *index->m_string;
    // Whether a line starts at `p` depends only on the characters at p - 1
    // and p: only the starts next to or inside a splice are looked for again.
    auto startsLine = [&text](size_t p) {
        if (p == 0)
            return true;
        if (p > text.size())
            return false;
        char16_t before = text[p - 1];
        return before == u'\n' || (before == u'\r' && (p == text.size() || text[p] != u'\n'));
    };
    const auto& old = previous.m_startOffsetsByLine;
    auto& starts = index->m_startOffsetsByLine;
    starts.reserve(old.size() + 16);
    auto push = [&starts](size_t offset) {
        if (starts.empty() || offset > starts.back())
            starts.push_back(offset);
    };
    size_t i = 0;
    size_t delta = 0; // modulo arithmetic: a shrinking text moves offsets back
    for (const auto& splice : splices) {
        for (; i < old.size() && old[i] < splice.range.location; ++i)
            push(old[i] + delta);
        for (; i < old.size() && old[i] <= splice.range.end(); ++i) { }
        size_t from = splice.range.location + delta;
        for (size_t p = from; p <= from + splice.replacementLength; ++p) {
            if (startsLine(p))
                push(p);
        }
        delta += splice.replacementLength - splice.range.length;
    }
    for (; i < old.size(); ++i)
        push(old[i] + delta);

    // The convention of the first line break, which ends right before the second line.
    if (starts.size() > 1) {
        size_t end = starts[1];
        if (text[end - 1] == u'\r')
            index->m_newlineConvention = VornickNewlineConvention::CR;
        else if (end >= 2 && text[end - 2] == u'\r')
            index->m_newlineConvention = VornickNewlineConvention::CRLF;
        else
            index->m_newlineConvention = VornickNewlineConvention::LF;
    }
    return index;
}

// One pass over the text. Blocks of sixteen code units without CR or LF are
// skipped with four vector compares; the rare blocks that hold one are walked
// unit by unit. CR LF is one break; so are a lone CR and a lone LF.
void VornickLineIndex::indexLines()
{
    const char16_t* characters = m_string->data();
    const size_t length = m_string->size();

    m_startOffsetsByLine.reserve(std::max<size_t>(1000, length / 48));
    m_startOffsetsByLine.push_back(0);

    auto handleBreakCharacter = [&](size_t i) {
        if (characters[i] == u'\n') {
            // The LF of a CR LF pair was taken with its CR.
            if (i > 0 && characters[i - 1] == u'\r')
                return;
            if (m_newlineConvention == VornickNewlineConvention::Unknown)
                m_newlineConvention = VornickNewlineConvention::LF;
            m_startOffsetsByLine.push_back(i + 1);
            return;
        }
        bool pair = i + 1 < length && characters[i + 1] == u'\n';
        if (m_newlineConvention == VornickNewlineConvention::Unknown)
            m_newlineConvention = pair ? VornickNewlineConvention::CRLF : VornickNewlineConvention::CR;
        m_startOffsetsByLine.push_back(pair ? i + 2 : i + 1);
    };

    size_t i = 0;
#if defined(__SSE2__)
    const __m128i lineFeeds = _mm_set1_epi16(u'\n');
    const __m128i carriageReturns = _mm_set1_epi16(u'\r');
    auto breaksIn = [&](size_t at) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(characters + at));
        return _mm_or_si128(_mm_cmpeq_epi16(block, lineFeeds), _mm_cmpeq_epi16(block, carriageReturns));
    };
    for (; i + 16 <= length; i += 16) {
        // Both halves packed into one byte mask: bit n is code unit n.
        __m128i packed = _mm_packs_epi16(breaksIn(i), breaksIn(i + 8));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(packed));
        while (mask) {
            handleBreakCharacter(i + static_cast<unsigned>(__builtin_ctz(mask)));
            mask &= mask - 1;
        }
    }
#endif
    for (; i < length; ++i) {
        if (characters[i] == u'\n' || characters[i] == u'\r')
            handleBreakCharacter(i);
    }
}

size_t VornickLineIndex::offsetForLine(uint64_t line, uint64_t column) const
{
    // Unsigned numbers less signed bases: in 128 bits, so that no line or
    // column, however large, wraps around.
    __int128 lineIndex = static_cast<__int128>(line) - m_baseLineNumber;
    if (lineIndex < 0 || lineIndex >= static_cast<__int128>(m_startOffsetsByLine.size()))
        return VornickNotFound;

    size_t offset = m_startOffsetsByLine[static_cast<size_t>(lineIndex)];
    __int128 wantedWidth = static_cast<__int128>(column) - m_baseColumnNumber;
    if (wantedWidth <= 0)
        return offset;

    const std::u16string& text = *m_string;
    __int128 visualColumn = 0;
    for (__int128 walked = 0; walked < wantedWidth && offset < text.size(); ++walked) {
        if (text[offset] == u'\t')
            visualColumn = m_tabWidth ? m_tabWidth * (visualColumn / m_tabWidth + 1) : 0;
        else
            ++visualColumn;
        ++offset;
        if (visualColumn >= wantedWidth)
            break;
    }
    return offset;
}

} // namespace brevanton
