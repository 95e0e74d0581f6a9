// VornickLineIndex: the line starts of one text, so that a line and column
// (as the tidy validator reports them) can be turned into a character offset,
// and the newline convention the text already uses.
#pragma once

#include "toolkit/VornickNewlineConvention.h"
#include "toolkit/VornickRange.h"
#include "toolkit/VornickTextSplice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class VornickLineIndex {
public:
    // Indexes `string`, which the index keeps (shared, never modified).
    // CR LF, a lone CR and a lone LF each end one line, whatever the text
    // mixes. An empty (or null) text gives no index.
    static std::shared_ptr<const VornickLineIndex> createByIndexingString(
        std::shared_ptr<const std::u16string> string, int64_t baseLineNumber,
        int64_t baseColumnNumber, int64_t tabWidth);
    static std::shared_ptr<const VornickLineIndex> createByIndexingString(
        std::u16string string, int64_t baseLineNumber, int64_t baseColumnNumber, int64_t tabWidth);
    // The index of `string`, which is `previous`'s text with `splices`
    // applied: the line starts away from the splices are moved, not found
    // again, so the cost follows the number of lines rather than the length
    // of the text. The result equals indexing `string` anew.
    static std::shared_ptr<const VornickLineIndex> createByApplyingSplices(
        const VornickLineIndex& previous, std::shared_ptr<const std::u16string> string, const VornickTextSplices& splices);

    const std::u16string& string() const { return *m_string; }
    const std::vector<size_t>& startOffsetsByLine() const { return m_startOffsetsByLine; }
    size_t numberOfLines() const { return m_startOffsetsByLine.size(); }
    int64_t baseLineNumber() const { return m_baseLineNumber; }
    int64_t baseColumnNumber() const { return m_baseColumnNumber; }
    int64_t tabWidth() const { return m_tabWidth; }

    // The convention of the first line break, VornickNewlineConvention::Unknown
    // when the text has none.
    VornickNewlineConvention newlineConvention() const { return m_newlineConvention; }

    // The offset of `column` on `line` (both counted from the base numbers),
    // a tab advancing to the next tab stop. VornickNotFound for a line outside
    // the text. A column past the end of its line runs on into the next one.
    size_t offsetForLine(uint64_t line, uint64_t column) const;

    VornickLineIndex(std::shared_ptr<const std::u16string>, int64_t baseLineNumber,
                     int64_t baseColumnNumber, int64_t tabWidth);

private:
    struct Unindexed { };
    VornickLineIndex(Unindexed, std::shared_ptr<const std::u16string>, const VornickLineIndex& settings);
    void indexLines();

    std::shared_ptr<const std::u16string> m_string;
    std::vector<size_t> m_startOffsetsByLine;
    int64_t m_baseLineNumber;
    int64_t m_baseColumnNumber;
    int64_t m_tabWidth;
    VornickNewlineConvention m_newlineConvention { VornickNewlineConvention::Unknown };
};

} // namespace brevanton
