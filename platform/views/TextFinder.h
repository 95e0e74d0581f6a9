// TextFinder: find and replace over a client's text (TextFinderClient.h),
// with its find bar (FindBarView) shown by a container view. Menu items and
// the bar's controls ask for the actions by tag; the tags are the program's
// own and are listed in docs/decisions/029-find.md.
//
// A search reads the client's text part by part each time (the client may
// have changed since), finds every match and picks the one after (or
// before) the selection, wrapping around the end. The search string is
// shared with other finders through the find pasteboard.
#pragma once

#include "platform/views/TextFinderClient.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class FindBarView;

enum class TextFinderAction : long {
    ShowFindInterface = 1,
    NextMatch = 2,
    PreviousMatch = 3,
    ReplaceAll = 4,
    Replace = 5,
    ReplaceAndFind = 6,
    // The selected text becomes the string searched for.
    SetSearchString = 7,
    HideFindInterface = 11,
    ShowReplaceInterface = 12,
    HideReplaceInterface = 13,
};

class TextFinder {
public:
    TextFinder();
    ~TextFinder();
    TextFinder(const TextFinder&) = delete;
    TextFinder& operator=(const TextFinder&) = delete;

    // Not owned: the owner clears them before they go.
    TextFinderClient* client() const { return m_client; }
    void setClient(TextFinderClient* client) { m_client = client; }
    TextFinderBarContainer* findBarContainer() const { return m_container; }
    // The container is given the bar view (and the old one loses it).
    void setFindBarContainer(TextFinderBarContainer*);

    // The bar, made on first use.
    const std::shared_ptr<FindBarView>& findBarView();

    std::u16string findString() const;
    void setFindString(std::u16string);
    std::u16string replaceString() const;
    void setReplaceString(std::u16string);
    TextFinderOptions options() const { return m_options; }
    void setOptions(TextFinderOptions);

    // Tags outside TextFinderAction are refused (false). True when the
    // action did something.
    bool performAction(long tag);
    bool validateAction(long tag) const;

    // Every match in the client's text now, in order.
    std::vector<TextRange> allMatches() const;

    // What the bar shows after the last action: "Not found", "3 replaced", ...
    const std::u16string& statusText() const { return m_statusText; }

private:
    bool findNext(bool forward);
    bool replaceSelection();
    bool replaceAll();
    bool selectionIsMatch() const;
    // The client's text in the range.
    std::u16string textInRange(TextRange) const;
    void setStatus(std::u16string);
    void barHeightChanged();

    TextFinderClient* m_client { nullptr };
    TextFinderBarContainer* m_container { nullptr };
    std::shared_ptr<FindBarView> m_findBar;
    std::u16string m_findString;
    std::u16string m_replaceString;
    TextFinderOptions m_options;
    std::u16string m_statusText;
};

} // namespace brevanton
