// FindBarView: the text finder's bar, a strip shown by its container below
// the content: a search field, Previous and Next, the options (Ignore Case,
// and Contains / Starts With / Full Word), Done and the status; with the
// replace row shown, also a replace field, Replace, Replace & Find and All.
// Each control sends its action to the bar, which has its finder perform
// the action of the same tag.
#pragma once

#include "platform/views/Button.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"

namespace brevanton {

class TextFinder;

class FindBarView : public View {
public:
    static constexpr double RowHeight = 28;

    explicit FindBarView(TextFinder*);
    static std::shared_ptr<FindBarView> create(TextFinder*);

    // Cleared by the finder when it goes.
    void setTextFinder(TextFinder* finder) { m_finder = finder; }

    bool isReplaceRowShown() const { return m_replaceRowShown; }
    // Changes the bar's height (one or two rows); true when it changed.
    bool setReplaceRowShown(bool);

    const std::shared_ptr<TextField>& searchField() const { return m_searchField; }
    const std::shared_ptr<TextField>& replaceField() const { return m_replaceField; }
    const std::shared_ptr<Button>& previousButton() const { return m_previousButton; }
    const std::shared_ptr<Button>& nextButton() const { return m_nextButton; }
    const std::shared_ptr<Button>& ignoreCaseButton() const { return m_ignoreCaseButton; }
    // Radio buttons, tagged by TextFinderMatchType.
    const std::vector<std::shared_ptr<Button>>& matchTypeButtons() const { return m_matchTypeButtons; }
    const std::shared_ptr<Button>& replaceButton() const { return m_replaceButton; }
    const std::shared_ptr<Button>& replaceAndFindButton() const { return m_replaceAndFindButton; }
    const std::shared_ptr<Button>& replaceAllButton() const { return m_replaceAllButton; }
    const std::shared_ptr<Button>& doneButton() const { return m_doneButton; }
    const std::shared_ptr<TextField>& statusField() const { return m_statusField; }

    // Shows the finder's strings, options and status in the controls.
    void updateFromFinder();


private:
    void build();
    void layOut();
    // Takes the fields' strings and the options into the finder.
    void pushToFinder();
    std::shared_ptr<Button> addButton(std::u16string title, const Action&, long tag);

    TextFinder* m_finder;
    bool m_replaceRowShown { false };
    std::shared_ptr<TextField> m_searchField;
    std::shared_ptr<TextField> m_replaceField;
    std::shared_ptr<Button> m_previousButton;
    std::shared_ptr<Button> m_nextButton;
    std::shared_ptr<Button> m_ignoreCaseButton;
    std::vector<std::shared_ptr<Button>> m_matchTypeButtons;
    std::shared_ptr<Button> m_replaceButton;
    std::shared_ptr<Button> m_replaceAndFindButton;
    std::shared_ptr<Button> m_replaceAllButton;
    std::shared_ptr<Button> m_doneButton;
    std::shared_ptr<TextField> m_statusField;
};

} // namespace brevanton
