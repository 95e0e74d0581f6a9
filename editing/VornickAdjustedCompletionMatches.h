// VornickAdjustedCompletionMatches: the ranked matches of a completion
// search as the editing view adjusts them (each judged against what may go
// at the target: dropped, kept, or kept disabled at 0.4 of its strength with
// an explanation), strongest first, equal strengths in their ranked order.
//
// Judging is what costs, so rows are made as they are asked for: a row is
// final once no match still unjudged could come before it. The ranked
// matches come strongest first and judging only lowers a strength, so the
// next unjudged match bounds every later one; the judged matches wait in a
// heap until they beat that bound. Asking for every row judges everything,
// and the order is the one a stable sort of all judged matches gives.
#pragma once

#include "toolkit/VornickCompletionSet.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

struct VornickCompletionVerdict {
    bool disabled { false };
    std::u16string explanation;
};

class VornickAdjustedCompletionMatches {
public:
    // Null: the match is not offered at all.
    using Judge = std::function<std::optional<VornickCompletionVerdict>(const VornickCompletionMatch&)>;
    static constexpr double disabledStrengthFactor = 0.4;

    VornickAdjustedCompletionMatches() = default;
    // Without a judge every match stays as ranked.
    VornickAdjustedCompletionMatches(std::vector<VornickCompletionMatch> ranked, Judge);

    // The row at the index, judging only what that row needs; null past the last row.
    const VornickCompletionMatch* matchAtIndex(size_t);
    // Every row (judges every match).
    const std::vector<VornickCompletionMatch>& allMatches();
    size_t numberOfJudgedMatches() const { return m_judged; }

private:
    void judgeNextMatch();
    bool emitNextRow();
    bool precedes(size_t a, size_t b) const;

    std::vector<VornickCompletionMatch> m_ranked;
    Judge m_judge;
    size_t m_next { 0 };
    size_t m_judged { 0 };
    // Indices of judged, kept matches not yet made rows (a heap, the next row on top).
    std::vector<size_t> m_waiting;
    std::vector<VornickCompletionMatch> m_rows;
};

} // namespace brevanton
