// VornickFragmentCompletionUIController: the "Insert or Wrap In" popover of
// an editing view. While it is shown it holds where the chosen
// match applies (the base target range), the placeholder element standing at
// an empty insertion point, and the selection from before completion, frozen
// relative to the body. What the user types filters the view's snippet
// completion set; the view adjusts the ranking, and hears of success and
// cancellation. "<" typed into an empty search ends completion with "<" as
// the exit string, so that a literal "<" goes into the page instead.
//
// The popover opens under the base target range when the view is in a
// window. The keyboard stays with the editing view, which hands its keys
// here while completion runs: typed characters search, Backspace takes the
// last one back (and with nothing searched ends completion), the arrows
// move the highlighted row, Return or Enter chooses it, Escape cancels.
// A highlighted row that cannot go there has the completion tip under it,
// telling why, until the highlight moves on or the popover closes.
#pragma once

#include "dom/VornickFreezeDriedDOMRange.h"
#include "editing/VornickAdjustedCompletionMatches.h"
#include "editing/VornickCompletionVerdictCache.h"
#include "platform/foundation/UndoManager.h"
#include "toolkit/VornickCompletionSet.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMElement;
class DOMRange;
class Event;
class Popover;
class VornickContentEditingView;
class VornickFragmentCompletionSet;
struct VornickCompletionDisplayText;

class VornickFragmentCompletionUIController : public std::enable_shared_from_this<VornickFragmentCompletionUIController> {
public:
    VornickFragmentCompletionUIController();
    ~VornickFragmentCompletionUIController();

    void showForBaseTargetRange(std::shared_ptr<DOMRange> baseTargetRange, std::shared_ptr<DOMElement> placeholderElement,
                                std::shared_ptr<VornickFragmentCompletionSet> completionSet,
                                std::optional<VornickFreezeDriedDOMRange> freezeDriedEffectiveOperationRangeBefore,
                                const std::shared_ptr<VornickContentEditingView>& view);
    bool isShown() const { return m_shown; }

    const std::shared_ptr<DOMRange>& baseTargetRange() const { return m_baseTargetRange; }
    void setBaseTargetRange(std::shared_ptr<DOMRange> range) { m_baseTargetRange = std::move(range); }
    const std::shared_ptr<DOMElement>& placeholderElement() const { return m_placeholderElement; }
    void setPlaceholderElement(std::shared_ptr<DOMElement> element) { m_placeholderElement = std::move(element); }
    // How the placeholder went in: the undo registrations its insertion
    // made (between two marks) and the insertion point before it, frozen
    // relative to the body, which reverting that insertion brings back.
    struct PlaceholderInsertion {
        UndoManager::RegistrationMark before;
        UndoManager::RegistrationMark after;
        std::optional<VornickFreezeDriedDOMRange> insertionPoint;
    };
    const std::optional<PlaceholderInsertion>& placeholderInsertion() const { return m_placeholderInsertion; }
    void setPlaceholderInsertion(std::optional<PlaceholderInsertion> insertion) { m_placeholderInsertion = std::move(insertion); }
    const std::optional<VornickFreezeDriedDOMRange>& freezeDriedEffectiveOperationRangeBefore() const { return m_rangeBefore; }

    // The search string and the matches it gives, ranked by the view. The
    // popover shows its first rows at once; a row further down is judged
    // only when asked for.
    static constexpr size_t numberOfShownRows = 12;
    const std::u16string& searchString() const { return m_searchString; }
    void setSearchString(std::u16string);
    // The row at the index, or null past the last.
    const VornickCompletionMatch* matchAtIndex(size_t index) const { return m_matches.matchAtIndex(index); }
    // Every row (judges every match).
    const std::vector<VornickCompletionMatch>& matches() const { return m_matches.allMatches(); }
    size_t numberOfJudgedMatches() const { return m_matches.numberOfJudgedMatches(); }
    // What the view found out about each offered object at the base target
    // range, kept across the keystrokes of one completion.
    const std::shared_ptr<VornickCompletionVerdictCache>& completionVerdictCache() const { return m_verdictCache; }

    // The row Return chooses, and the first of the rows the popover shows
    // (it scrolls to keep the highlighted one in sight).
    size_t highlightedRow() const { return m_highlightedRow; }
    size_t firstShownRow() const { return m_firstShownRow; }
    // Moves the highlight by `delta` rows, within the rows there are.
    void moveHighlight(long delta);
    // How many rows the popover shows now (at most numberOfShownRows).
    size_t numberOfVisibleRows() const;
    // What a row shows, as the view describes its match.
    VornickCompletionDisplayText descriptionForRow(size_t) const;
    std::u16string finePrintForRow(size_t) const;
    // A key while completion runs; false for keys it leaves to the view
    // (those that move the selection end completion there).
    bool handleKeyDown(const Event&);

    // Applies the match at the index (Return or a click): the view hears of success.
    void chooseMatchAtIndex(size_t);
    // Ends a running completion without a choice (Escape, a selection change):
    // the view hears of cancellation. Nothing when none runs.
    void cancelCompletionWithSpecialExitString(const std::u16string& exitString = {});
    // Moves the popover to where the base target range now is.
    void repositionToTrackBaseTargetRange();
    unsigned repositionCount() const { return m_repositionCount; }
    // The popover (made when completion first shows), or null.
    const std::shared_ptr<Popover>& popover() const { return m_popover; }

private:
    void rank();
    void hide();
    // Opens or moves the popover under the base target range, sized to its rows.
    void placePopover();
    void scrollToHighlightedRow();
    // The shared completion tip under the highlighted row tells why that row
    // cannot go at the base target range; other rows show no tip.
    void updateCompletionTip();

    std::weak_ptr<VornickContentEditingView> m_view;
    std::shared_ptr<VornickFragmentCompletionSet> m_completionSet;
    std::shared_ptr<DOMRange> m_baseTargetRange;
    std::shared_ptr<DOMElement> m_placeholderElement;
    std::optional<PlaceholderInsertion> m_placeholderInsertion;
    std::optional<VornickFreezeDriedDOMRange> m_rangeBefore;
    std::u16string m_searchString;
    // Rows are made as they are asked for, also from const members.
    mutable VornickAdjustedCompletionMatches m_matches;
    std::shared_ptr<VornickCompletionVerdictCache> m_verdictCache { std::make_shared<VornickCompletionVerdictCache>() };
    bool m_shown { false };
    unsigned m_repositionCount { 0 };
    size_t m_highlightedRow { 0 };
    size_t m_firstShownRow { 0 };
    std::shared_ptr<Popover> m_popover;
    bool m_showsTip { false };
};

} // namespace brevanton
