#include "editing/VornickFragmentCompletionUIController.h"

#include "editing/VornickContentEditingView.h"
#include "editing/VornickFragmentCompletionPopoverView.h"
#include "html/VornickFragmentCompletionSet.h"
#include "platform/views/Event.h"
#include "platform/views/Popover.h"
#include "platform/views/Sound.h"
#include "platform/views/Window.h"
#include "ui/VornickMomentaryTip.h"

#include <algorithm>
#include <unicode/utf16.h>

namespace brevanton {

namespace {

constexpr char16_t escapeKey = 0x1B;
constexpr char16_t returnKey = u'\r';
constexpr char16_t enterKey = 0x03;
constexpr char16_t backspaceKey = 0x7F;

bool isTypedCharacter(char16_t character)
{
    return character >= 0x20 && character != backspaceKey && !(character >= 0xF700 && character <= 0xF8FF);
}

} // namespace

VornickFragmentCompletionUIController::VornickFragmentCompletionUIController() = default;

VornickFragmentCompletionUIController::~VornickFragmentCompletionUIController()
{
    if (m_showsTip)
        VornickMomentaryTip::sharedCompletionTip()->orderOutImmediately();
    if (m_popover)
        m_popover->close();
}

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
        placePopover();
        if (view)
            view->completionUIControllerDidShowWindow(*this);
    }
    updateCompletionTip();
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
    placePopover();
    updateCompletionTip();
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
    m_highlightedRow = 0;
    m_firstShownRow = 0;
}

size_t VornickFragmentCompletionUIController::numberOfVisibleRows() const
{
    size_t rows = 0;
    while (rows < numberOfShownRows && m_matches.matchAtIndex(m_firstShownRow + rows))
        ++rows;
    return rows;
}

void VornickFragmentCompletionUIController::moveHighlight(long delta)
{
    if (!m_shown || !m_matches.matchAtIndex(0))
        return;
    long target = std::max(0L, static_cast<long>(m_highlightedRow) + delta);
    // Rows further down are judged only as the highlight reaches them.
    while (target > 0 && !m_matches.matchAtIndex(static_cast<size_t>(target)))
        --target;
    m_highlightedRow = static_cast<size_t>(target);
    scrollToHighlightedRow();
    if (m_popover && m_popover->contentView())
        m_popover->contentView()->setNeedsDisplay(true);
    updateCompletionTip();
}

void VornickFragmentCompletionUIController::updateCompletionTip()
{
    auto tip = VornickMomentaryTip::sharedCompletionTip();
    const auto* match = m_shown ? m_matches.matchAtIndex(m_highlightedRow) : nullptr;
    auto content = m_popover && m_popover->isShown() ? m_popover->contentView() : nullptr;
    // A row that cannot go where completion applies says why under it.
    if (match && match->disabled() && !match->explanation().empty() && content && content->window()) {
        tip->showMessage(match->explanation(), std::nullopt,
                         VornickFragmentCompletionPopoverView::rectOfShownRow(m_highlightedRow - m_firstShownRow, content->bounds().width()),
                         *content);
        m_showsTip = true;
    } else if (m_showsTip) {
        tip->orderOutImmediately();
        m_showsTip = false;
    }
}

void VornickFragmentCompletionUIController::scrollToHighlightedRow()
{
    if (m_highlightedRow < m_firstShownRow)
        m_firstShownRow = m_highlightedRow;
    else if (m_highlightedRow >= m_firstShownRow + numberOfShownRows)
        m_firstShownRow = m_highlightedRow + 1 - numberOfShownRows;
}

VornickCompletionDisplayText VornickFragmentCompletionUIController::descriptionForRow(size_t row) const
{
    const auto* match = m_matches.matchAtIndex(row);
    auto view = m_view.lock();
    if (!match || !view)
        return {};
    return view->completionDescriptionForDisplay(const_cast<VornickFragmentCompletionUIController&>(*this), *match);
}

std::u16string VornickFragmentCompletionUIController::finePrintForRow(size_t row) const
{
    const auto* match = m_matches.matchAtIndex(row);
    auto view = m_view.lock();
    if (!match || !view)
        return {};
    return view->completionFinePrintForDisplay(const_cast<VornickFragmentCompletionUIController&>(*this), *match);
}

bool VornickFragmentCompletionUIController::handleKeyDown(const Event& event)
{
    if (!m_shown)
        return false;
    // Shortcuts are the menus'.
    if (event.hasModifier(ModifierFlag::Command | ModifierFlag::Control))
        return false;
    const auto& keys = event.charactersIgnoringModifiers();
    char16_t key = keys.size() == 1 ? keys[0] : 0;
    switch (key) {
    case escapeKey:
        cancelCompletionWithSpecialExitString();
        return true;
    case returnKey:
    case enterKey:
        if (m_matches.matchAtIndex(m_highlightedRow))
            chooseMatchAtIndex(m_highlightedRow);
        else
            Sound::beep();
        return true;
    case FunctionKey::UpArrow:
        moveHighlight(-1);
        return true;
    case FunctionKey::DownArrow:
        moveHighlight(1);
        return true;
    case FunctionKey::PageUp:
        moveHighlight(-static_cast<long>(numberOfShownRows));
        return true;
    case FunctionKey::PageDown:
        moveHighlight(static_cast<long>(numberOfShownRows));
        return true;
    case backspaceKey:
    case u'\b': {
        // With nothing searched, taking back the "<" that started completion.
        if (m_searchString.empty()) {
            cancelCompletionWithSpecialExitString();
            return true;
        }
        auto search = m_searchString;
        size_t length = search.size() >= 2 && U16_IS_TRAIL(search.back()) && U16_IS_LEAD(search[search.size() - 2]) ? 2 : 1;
        search.erase(search.size() - length);
        m_searchString = std::move(search);
        rank();
        placePopover();
        updateCompletionTip();
        return true;
    }
    default:
        break;
    }
    const auto& characters = event.characters();
    if (characters.empty() || !std::all_of(characters.begin(), characters.end(), isTypedCharacter))
        return false;
    setSearchString(m_searchString + characters);
    return true;
}

void VornickFragmentCompletionUIController::placePopover()
{
    auto view = m_view.lock();
    if (!m_shown || !view || !view->window() || !m_baseTargetRange)
        return;
    if (!m_popover) {
        m_popover = std::make_shared<Popover>();
        m_popover->setContentView(std::make_shared<VornickFragmentCompletionPopoverView>(shared_from_this()));
    }
    Size size { VornickFragmentCompletionPopoverView::width, VornickFragmentCompletionPopoverView::heightForRows(numberOfVisibleRows()) };
    m_popover->contentView()->setFrame(Rect(Point(), size));
    m_popover->setContentSize(size);
    m_popover->showRelativeToRect(view->vornick_bestGuessBoundsOfRange(*m_baseTargetRange), std::static_pointer_cast<View>(view), RectEdge::MaxY);
    m_popover->contentView()->setNeedsDisplay(true);
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
    if (m_shown && m_baseTargetRange) {
        ++m_repositionCount;
        if (m_popover && m_popover->isShown())
            placePopover();
    }
}

void VornickFragmentCompletionUIController::hide()
{
    m_shown = false;
    m_matches = {};
    m_highlightedRow = 0;
    m_firstShownRow = 0;
    if (m_showsTip) {
        VornickMomentaryTip::sharedCompletionTip()->fadeOut();
        m_showsTip = false;
    }
    if (m_popover)
        m_popover->close();
    if (auto view = m_view.lock())
        view->completionUIControllerDidHideWindow(*this);
}

} // namespace brevanton
