#include "platform/views/FindBarView.h"

#include "platform/views/ControlSizing.h"
#include "platform/views/TextFinder.h"

namespace brevanton {

namespace {

constexpr const char* barAction = "performFindBarAction:";
constexpr const char* optionsAction = "changeFindBarOptions:";
constexpr double margin = 4;
constexpr double controlHeight = 20;

} // namespace

FindBarView::FindBarView(TextFinder* finder)
    : View(Rect(0, 0, 600, RowHeight))
    , m_finder(finder)
{
    setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MaxYMargin);
}

std::shared_ptr<FindBarView> FindBarView::create(TextFinder* finder)
{
    auto bar = std::make_shared<FindBarView>(finder);
    bar->build();
    return bar;
}

std::shared_ptr<Button> FindBarView::addButton(std::u16string title, const Action& action, long tag)
{
    auto button = std::make_shared<Button>(Rect(), std::move(title));
    button->setAction(action);
    button->setTarget(shared_from_this());
    button->setTag(tag);
    addSubview(button);
    return button;
}

void FindBarView::build()
{
    m_searchField = std::make_shared<TextField>();
    m_searchField->setEditable(true);
    m_searchField->setDrawsBackground(true);
    m_searchField->setIdentifier(u"search");
    // Return in the search field finds the next match.
    m_searchField->setAction(barAction);
    m_searchField->setTarget(shared_from_this());
    m_searchField->setTag(static_cast<long>(TextFinderAction::NextMatch));
    addSubview(m_searchField);

    m_previousButton = addButton(u"Previous", barAction, static_cast<long>(TextFinderAction::PreviousMatch));
    m_nextButton = addButton(u"Next", barAction, static_cast<long>(TextFinderAction::NextMatch));
    m_ignoreCaseButton = addButton(u"Ignore Case", optionsAction, 0);
    m_ignoreCaseButton->setButtonType(ButtonType::Switch);
    const std::pair<const char16_t*, TextFinderMatchType> matchTypes[] = {
        { u"Contains", TextFinderMatchType::Contains },
        { u"Starts With", TextFinderMatchType::StartsWith },
        { u"Full Word", TextFinderMatchType::FullWord },
    };
    for (const auto& [title, type] : matchTypes) {
        auto button = addButton(title, optionsAction, static_cast<long>(type));
        button->setButtonType(ButtonType::Radio);
        m_matchTypeButtons.push_back(button);
    }
    m_doneButton = addButton(u"Done", barAction, static_cast<long>(TextFinderAction::HideFindInterface));
    m_statusField = TextField::labelWithString(u"");
    addSubview(m_statusField);

    m_replaceField = std::make_shared<TextField>();
    m_replaceField->setEditable(true);
    m_replaceField->setDrawsBackground(true);
    m_replaceField->setIdentifier(u"replace");
    m_replaceField->setAction(barAction);
    m_replaceField->setTarget(shared_from_this());
    m_replaceField->setTag(static_cast<long>(TextFinderAction::ReplaceAndFind));
    addSubview(m_replaceField);
    m_replaceButton = addButton(u"Replace", barAction, static_cast<long>(TextFinderAction::Replace));
    m_replaceAndFindButton = addButton(u"Replace & Find", barAction, static_cast<long>(TextFinderAction::ReplaceAndFind));
    m_replaceAllButton = addButton(u"All", barAction, static_cast<long>(TextFinderAction::ReplaceAll));

    setActionHandler(barAction, [this](ActionSender* sender) {
        if (!m_finder || !sender)
            return;
        pushToFinder();
        m_finder->performAction(sender->tag());
    });
    setActionHandler(optionsAction, [this](ActionSender* sender) {
        // A radio button turns the others of its group off.
        if (auto* radio = dynamic_cast<Button*>(sender); radio && radio->buttonType() == ButtonType::Radio) {
            for (auto& button : m_matchTypeButtons)
                button->setState(button.get() == radio ? OnState : OffState);
        }
        pushToFinder();
    });
    updateFromFinder();
    layOut();
}

bool FindBarView::setReplaceRowShown(bool shown)
{
    if (shown == m_replaceRowShown)
        return false;
    m_replaceRowShown = shown;
    Rect frame = this->frame();
    frame.size.height = shown ? 2 * RowHeight : RowHeight;
    setFrame(frame);
    layOut();
    return true;
}

void FindBarView::layOut()
{
    // Rows from the top: the find row, then the replace row.
    double width = frame().size.width;
    double height = frame().size.height;
    auto rowY = [&](int row) { return height - (row + 1) * RowHeight + (RowHeight - controlHeight) / 2; };
    double x = margin;
    auto place = [&](const std::shared_ptr<View>& view, double viewWidth, int row) {
        view->setFrame(Rect(x, rowY(row), viewWidth, controlHeight));
        x += viewWidth + margin;
    };
    // A button is as wide as its title needs, and no narrower than the bar's own width for it.
    auto placeButton = [&](const std::shared_ptr<Button>& button, double least, int row) {
        place(button, std::max(least, controlWidthToFitLabel(button->controlDrawing().kind, button->title(), controlHeight)), row);
    };
    place(m_searchField, std::max(120.0, width * 0.3), 0);
    placeButton(m_previousButton, 70, 0);
    placeButton(m_nextButton, 50, 0);
    placeButton(m_ignoreCaseButton, 90, 0);
    for (auto& button : m_matchTypeButtons)
        placeButton(button, 80, 0);
    place(m_statusField, 90, 0);
    placeButton(m_doneButton, 50, 0);
    x = margin;
    place(m_replaceField, std::max(120.0, width * 0.3), 1);
    placeButton(m_replaceButton, 70, 1);
    placeButton(m_replaceAndFindButton, 110, 1);
    placeButton(m_replaceAllButton, 40, 1);
    for (const auto& view : { std::static_pointer_cast<View>(m_replaceField), std::static_pointer_cast<View>(m_replaceButton),
                              std::static_pointer_cast<View>(m_replaceAndFindButton), std::static_pointer_cast<View>(m_replaceAllButton) })
        view->setHidden(!m_replaceRowShown);
}

void FindBarView::pushToFinder()
{
    if (!m_finder)
        return;
    TextFinderOptions options;
    options.ignoresCase = m_ignoreCaseButton->state() == OnState;
    for (auto& button : m_matchTypeButtons) {
        if (button->state() == OnState)
            options.matchType = static_cast<TextFinderMatchType>(button->tag());
    }
    // Read every control before the finder shows its values again.
    auto search = m_searchField->stringValue();
    auto replace = m_replaceField->stringValue();
    m_finder->setOptions(options);
    m_finder->setFindString(std::move(search));
    m_finder->setReplaceString(std::move(replace));
}

void FindBarView::updateFromFinder()
{
    if (!m_finder)
        return;
    m_searchField->setStringValue(m_finder->findString());
    m_replaceField->setStringValue(m_finder->replaceString());
    auto options = m_finder->options();
    m_ignoreCaseButton->setState(options.ignoresCase ? OnState : OffState);
    for (auto& button : m_matchTypeButtons)
        button->setState(button->tag() == static_cast<long>(options.matchType) ? OnState : OffState);
    m_statusField->setStringValue(m_finder->statusText());
}

} // namespace brevanton
