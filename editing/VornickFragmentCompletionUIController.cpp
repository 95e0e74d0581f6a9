#include "editing/VornickFragmentCompletionUIController.h"

#include "editing/VornickContentEditingView.h"
#include "html/VornickFragmentCompletionSet.h"

namespace brevanton {

void VornickFragmentCompletionUIController::showForBaseTargetRange(std::shared_ptr<DOMRange> baseTargetRange,
                                                                   std::shared_ptr<DOMElement> placeholderElement,
                                                                   std::shared_ptr<VornickFragmentCompletionSet> completionSet,
                                                                   std::optional<VornickFreezeDriedDOMRange> rangeBefore,
                                                                   const std::shared_ptr<VornickContentEditingView>& view)
{
    m_view = view;
    m_completionSet = std::move(completionSet);
    m_baseTargetRange = std::move(baseTargetRange);
    m_placeholderElement = std::move(placeholderElement);
    m_rangeBefore = std::move(rangeBefore);
    m_searchString.clear();
    m_repositionCount = 0;
    // A new completion judges afresh.
    m_verdictCache->removeAllEntries();
    rank();
    if (!m_shown) {
        m_shown = true;
        if (view)
            view->completionUIControllerDidShowWindow(*this);
    }
}

void VornickFragmentCompletionUIController::setSearchString(std::u16string searchString)
{
    if (!m_shown)
        return;
    // "<" typed into an empty search is the user typing a literal "<".
    if (m_searchString.empty() && searchString == u"<") {
        cancelCompletionWithSpecialExitString(u"<");
        return;
    }
    m_searchString = std::move(searchString);
    rank();
}

void VornickFragmentCompletionUIController::rank()
{
    m_matches = {};
    if (!m_completionSet)
        return;
    auto matches = m_completionSet->rankedMatchesForSearchString(m_searchString);
    auto view = m_view.lock();
    m_matches = view ? view->completionUIControllerAdjustedMatches(*this, std::move(matches), m_searchString)
                     : VornickAdjustedCompletionMatches(std::move(matches), nullptr);
    // The rows the popover shows.
    (void)m_matches.matchAtIndex(numberOfShownRows - 1);
}

void VornickFragmentCompletionUIController::chooseMatchAtIndex(size_t index)
{
    const auto* row = m_shown ? m_matches.matchAtIndex(index) : nullptr;
    if (!row)
        return;
    auto match = *row;
    auto view = m_view.lock();
    hide();
    if (view)
        view->completionSucceeded(*this, match);
    m_baseTargetRange.reset();
}

void VornickFragmentCompletionUIController::cancelCompletionWithSpecialExitString(const std::u16string& exitString)
{
    if (!m_shown)
        return;
    auto view = m_view.lock();
    hide();
    if (view)
        view->completionCancelled(*this, exitString);
    m_baseTargetRange.reset();
}

void VornickFragmentCompletionUIController::repositionToTrackBaseTargetRange()
{
    if (m_shown && m_baseTargetRange)
        ++m_repositionCount;
}

void VornickFragmentCompletionUIController::hide()
{
    m_shown = false;
    m_matches = {};
    if (auto view = m_view.lock())
        view->completionUIControllerDidHideWindow(*this);
}

} // namespace brevanton
