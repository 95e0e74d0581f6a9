#include "editing/VornickAdjustedCompletionMatches.h"

#include <algorithm>

namespace brevanton {

VornickAdjustedCompletionMatches::VornickAdjustedCompletionMatches(std::vector<VornickCompletionMatch> ranked, Judge judge)
    : m_ranked(std::move(ranked))
    , m_judge(std::move(judge))
{
    // Rows can be made early only when the ranking is strongest first;
    // otherwise every match is judged before the first row.
    bool strongestFirst = std::is_sorted(m_ranked.begin(), m_ranked.end(),
                                         [](const auto& a, const auto& b) { return a.matchStrength() > b.matchStrength(); });
    if (!strongestFirst) {
        while (m_next < m_ranked.size())
            judgeNextMatch();
    }
}

// Whether the judged match a comes before the judged match b: stronger
// first, equal strengths in ranked order.
bool VornickAdjustedCompletionMatches::precedes(size_t a, size_t b) const
{
    double strengthA = m_ranked[a].matchStrength();
    double strengthB = m_ranked[b].matchStrength();
    if (strengthA != strengthB)
        return strengthA > strengthB;
    return a < b;
}

void VornickAdjustedCompletionMatches::judgeNextMatch()
{
    size_t index = m_next++;
    auto& match = m_ranked[index];
    if (m_judge) {
        ++m_judged;
        auto verdict = m_judge(match);
        if (!verdict)
            return;
        if (verdict->disabled) {
            match.setDisabled(true);
            match.setMatchStrength(match.matchStrength() * disabledStrengthFactor);
            match.setExplanation(std::move(verdict->explanation));
        }
    }
    m_waiting.push_back(index);
    std::push_heap(m_waiting.begin(), m_waiting.end(), [this](size_t a, size_t b) { return precedes(b, a); });
}

bool VornickAdjustedCompletionMatches::emitNextRow()
{
    for (;;) {
        // Every unjudged match ranks at or after m_next, so none can be
        // stronger than m_next is now; at equal strength the waiting match
        // was ranked first.
        if (!m_waiting.empty()
            && (m_next == m_ranked.size() || m_ranked[m_waiting.front()].matchStrength() >= m_ranked[m_next].matchStrength())) {
            std::pop_heap(m_waiting.begin(), m_waiting.end(), [this](size_t a, size_t b) { return precedes(b, a); });
            m_rows.push_back(std::move(m_ranked[m_waiting.back()]));
            m_waiting.pop_back();
            return true;
        }
        if (m_next == m_ranked.size())
            return false;
        judgeNextMatch();
    }
}

const VornickCompletionMatch* VornickAdjustedCompletionMatches::matchAtIndex(size_t index)
{
    while (m_rows.size() <= index) {
        if (!emitNextRow())
            return nullptr;
    }
    return &m_rows[index];
}

const std::vector<VornickCompletionMatch>& VornickAdjustedCompletionMatches::allMatches()
{
    while (emitNextRow()) {
    }
    return m_rows;
}

} // namespace brevanton
