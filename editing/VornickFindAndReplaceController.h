// VornickFindAndReplaceController: the text finder's client for a content
// editing view. The text finder searches a string; this controller gives it
// the focused frame's document written as search text (text content only,
// in runs of contiguous text, with a map back to the DOM), turns found ranges
// into the view's target range and replacements into the view's undoable
// text replacement.
//
// The search text is written on demand and dropped after every content
// change of the view and after every replacement. A Replace All maps every
// match to the DOM before it changes anything, replaces from the last match
// to the first as one undo step, and writes the search text again only once.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/TextFinder.h"
#include "platform/views/TextFinderClient.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class AttributedString;
class DOMRange;
class VornickContentEditingView;
class VornickDOMToNSRangeMap;

class VornickFindAndReplaceController final : public TextFinderClient {
public:
    VornickFindAndReplaceController();
    ~VornickFindAndReplaceController() override;
    VornickFindAndReplaceController(const VornickFindAndReplaceController&) = delete;
    VornickFindAndReplaceController& operator=(const VornickFindAndReplaceController&) = delete;

    // Not retained: the view detaches the controller when it goes.
    VornickContentEditingView* contentEditingView() const { return m_contentEditingView; }
    void setContentEditingView(VornickContentEditingView*);
    TextFinder& textFinder() { return *m_textFinder; }

    // The search text and its map, written first when invalid.
    std::shared_ptr<const AttributedString> attributedString();
    std::shared_ptr<const VornickDOMToNSRangeMap> map();
    void invalidateAttributedStringAndMap();
    void regenerateAttributedStringAndMap();

    bool performAction(long tag);
    bool validateAction(long tag) const;

    // Between search text ranges and DOM ranges of the focused frame's document.
    std::shared_ptr<DOMRange> domRangeForRange(TextRange);
    TextRange rangeForDOMRange(const DOMRange&);

    // The text finder's client.
    bool isSelectable() const override { return true; }
    bool allowsMultipleSelection() const override { return false; }
    bool isEditable() const override { return true; }
    size_t stringLength() const override;
    std::u16string stringAtIndex(size_t index, TextRange* effectiveRange, bool* endsWithSearchBoundary) override;
    TextRange firstSelectedRange() override;
    std::vector<TextRange> selectedRanges() override { return { firstSelectedRange() }; }
    void setSelectedRanges(const std::vector<TextRange>&) override;
    void scrollRangeToVisible(TextRange) override;
    bool shouldReplaceCharactersInRanges(const std::vector<TextRange>&, const std::vector<std::u16string>&) override;
    void replaceCharactersInRange(TextRange, const std::u16string&) override;
    void didReplaceCharacters() override;

private:
    friend class VornickFindAndReplaceControllerTestPeer;

    void contentEditingViewDidChangeContent();
    // The DOM range a replacement of `range` changes: its ends in text nodes,
    // or null when they cannot be put there.
    std::shared_ptr<DOMRange> replaceableDOMRangeForRange(TextRange);
    void forgetPendingReplacements();

    VornickContentEditingView* m_contentEditingView { nullptr };
    std::unique_ptr<TextFinder> m_textFinder;
    std::shared_ptr<const AttributedString> m_attributedString;
    std::shared_ptr<const VornickDOMToNSRangeMap> m_map;
    ObserverToken m_contentObservation;
    // How many times the search text was written.
    unsigned m_regenerationCount { 0 };

    // A replacement in progress: every range mapped before the first change.
    struct PendingReplacement {
        TextRange range;
        std::shared_ptr<DOMRange> domRange;
    };
    std::vector<PendingReplacement> m_pendingReplacements;
    bool m_replacing { false };
    bool m_openedUndoGroup { false };
};

} // namespace brevanton
