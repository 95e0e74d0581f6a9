// What the list commands share: the runs of adjacent sibling elements they
// work on, the ranges of elements with their block comments, and the
// selection kept across a command that replaces list items by copies of
// themselves somewhere else.
#pragma once

#include "dom/VornickDOMPosition.h"
#include "dom/VornickRelativeDOMPath.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMDocumentFragment;
class DOMElement;
class DOMNode;
class DOMRange;
class VornickBlockModeHelper;
class VornickEditingContext;

using VornickElementRun = std::vector<std::shared_ptr<DOMElement>>;

bool VornickIsListElement(const DOMNode*);
bool VornickIsListItemElement(const DOMNode*);

// The elements of the kinds that the selection targets, grouped into runs of
// adjacent siblings (each element of a run is the next element sibling of
// the one before), in document order. None without a selection.
std::vector<VornickElementRun> VornickListCommandTargetRuns(const VornickEditingContext&, const std::vector<std::u16string>& kinds);

// The element's outer range, widened over its block comments when there is a block mode helper.
std::shared_ptr<DOMRange> VornickOuterRangeWithBlockComments(const VornickBlockModeHelper*, const DOMElement&);
// From the start of the first element's range with block comments to the end of the last one's.
std::shared_ptr<DOMRange> VornickRangeOfRun(const VornickBlockModeHelper*, const VornickElementRun&);

// The copies of a run's items inside a fragment made from the run, found
// again after the fragment's items were replaced by elements of another
// kind: a replaced item is found through its first child, which moved into
// its replacement.
class VornickRunItemCopies {
public:
    // The fragment's element children, which must be the run's items in order.
    explicit VornickRunItemCopies(const DOMDocumentFragment&);
    // The same from a list of elements.
    explicit VornickRunItemCopies(std::vector<std::shared_ptr<DOMElement>>);

    // The copy of each item as it stands now (null where it was lost).
    std::vector<std::shared_ptr<DOMElement>> current() const;
    // The last copy as it stands now.
    std::shared_ptr<DOMElement> last() const;

private:
    std::vector<std::shared_ptr<DOMElement>> m_elements;
    std::vector<std::shared_ptr<DOMNode>> m_firstChildren;
};

// The selection across a list command: each end that lies in an item of the
// run being changed is recorded relative to that item before the change and
// found again in the item's copy afterwards; an end elsewhere follows the
// document as a live range does. Nothing is recorded for a selection outside
// every changed list, which keeps its positions.
class VornickListSelectionKeeper {
public:
    explicit VornickListSelectionKeeper(const std::shared_ptr<DOMRange>& selection);

    // Before a run changes.
    void recordAgainstRun(const VornickElementRun&);
    // After it changed, with the copies of its items (in the run's order).
    void resolveAgainstCopies(const std::vector<std::shared_ptr<DOMElement>>&);
    // The selection now; null when there was none.
    std::shared_ptr<DOMRange> range() const;

private:
    struct RecordedEnd {
        size_t item { 0 };
        // A path from the item, or, for a gap of the list beside the item, none.
        std::optional<VornickRelativeDOMPath> path;
        bool afterItem { false };
    };
    std::optional<RecordedEnd> record(const VornickDOMPosition&, const VornickElementRun&) const;
    static VornickDOMPosition resolve(const RecordedEnd&, const std::vector<std::shared_ptr<DOMElement>>&);

    std::shared_ptr<DOMRange> m_range;
    bool m_collapsed { true };
    std::optional<RecordedEnd> m_start;
    std::optional<RecordedEnd> m_end;
};

} // namespace brevanton
