// VornickFindAndReplaceController: the text finder's client for a content
// editor, and the container of its find bar (the host places the bar). The text finder searches a string;
// this controller gives it the focused frame's document written as search
// text (text content only, in runs of contiguous text, with a map back to the
// DOM), turns found ranges into the editor's target range and replacements
// into its undoable text replacement. It reaches the editor through its
// editing context and its host.
//
// The search text is written on demand and dropped after every content
// change of the editor and after every replacement. A Replace All maps every
// match to the DOM before it changes anything, replaces from the last match
// to the first as one undo step, and writes the search text again only once.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/TextFinder.h"
#include "platform/views/TextFinderBarContainer.h"
#include "platform/views/TextFinderClient.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class AttributedString;
class DOMRange;
class View;
class VornickDOMToNSRangeMap;
class VornickEditingContext;
class VornickHTMLWriter;
class WebFrame;

class VornickFindAndReplaceController final : public TextFinderClient, public TextFinderBarContainer {
public:
    // What the controller needs of the editor it searches, beside its editing context.
    class Host {
    public:
        virtual ~Host() = default;
        virtual VornickEditingContext& editingContext() = 0;
        // The writer of the frame's search text.
        virtual std::unique_ptr<VornickHTMLWriter> htmlWriterForSearchText(const WebFrame&) const = 0;
        virtual void scrollRangeToVerticallyCentered(const std::shared_ptr<DOMRange>&) = 0;
        // Replaces the range by the text as one undoable replacement.
        virtual void replaceRangeWithReplacementText(const std::shared_ptr<DOMRange>&, const std::u16string&) = 0;
        // Calls the block after each change of the editor's content, while the token lives.
        virtual ObserverToken observeContentChanges(std::function<void()>) = 0;
        // Puts the bar below the content (again, after its height changed), or takes it away.
        virtual void placeFindBar(const std::shared_ptr<View>& bar, bool shown) = 0;
        // The view the searched content shows in.
        virtual std::shared_ptr<View> contentView() const = 0;
    };

    // Without a host it searches nothing.
    explicit VornickFindAndReplaceController(std::unique_ptr<Host> = nullptr);
    ~VornickFindAndReplaceController() override;
    VornickFindAndReplaceController(const VornickFindAndReplaceController&) = delete;
    VornickFindAndReplaceController& operator=(const VornickFindAndReplaceController&) = delete;

    TextFinder& textFinder() { return *m_textFinder; }

    // The find bar's container: the bar the text finder made, and whether it shows.
    std::shared_ptr<View> findBarView() const override { return m_findBarView; }
    void setFindBarView(const std::shared_ptr<View>& view) override { m_findBarView = view; }
    bool isFindBarVisible() const override { return m_findBarVisible; }
    void setFindBarVisible(bool) override;
    void findBarViewDidChangeHeight() override;
    std::shared_ptr<View> contentView() const override;

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

    void contentDidChange();
    // The DOM range a replacement of `range` changes: its ends in text nodes,
    // or null when they cannot be put there.
    std::shared_ptr<DOMRange> replaceableDOMRangeForRange(TextRange);
    void forgetPendingReplacements();

    std::unique_ptr<Host> m_host;
    std::unique_ptr<TextFinder> m_textFinder;
    std::shared_ptr<View> m_findBarView;
    bool m_findBarVisible { false };
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
