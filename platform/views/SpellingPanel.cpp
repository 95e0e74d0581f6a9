#include "platform/views/SpellingPanel.h"

#include "platform/views/Application.h"
#include "platform/views/EscapeClosesWindow.h"
#include "platform/views/OutlineView.h"
#include "platform/views/Screen.h"

#include <cmath>

namespace brevanton {

namespace {

constexpr double panelWidth = 360;
constexpr double panelHeight = 270;
constexpr double margin = 10;
constexpr double buttonHeight = 24;

// A panel: key when clicked, never the main window.
class SpellingPanelWindow final : public Window {
public:
    explicit SpellingPanelWindow(Rect frame)
        : Window(frame)
    {
    }
    bool canBecomeMainWindow() const override { return false; }
};

} // namespace

// The guesses as the list's rows, one text column.
class SpellingPanel::Guesses final : public OutlineViewDataSource {
public:
    std::vector<std::u16string> words;
    std::vector<std::shared_ptr<std::u16string>> rows;

    void set(std::vector<std::u16string> guesses)
    {
        words = std::move(guesses);
        rows.clear();
        for (const auto& word : words)
            rows.push_back(std::make_shared<std::u16string>(word));
    }
    long numberOfChildrenOfItem(OutlineView&, const OutlineItem& item) override { return item ? 0 : static_cast<long>(rows.size()); }
    OutlineItem child(OutlineView&, long index, const OutlineItem&) override { return rows.at(static_cast<size_t>(index)); }
    bool isItemExpandable(OutlineView&, const OutlineItem&) override { return false; }
    Value objectValue(OutlineView&, const std::u16string&, const OutlineItem& item) override
    {
        return item ? Value(*static_cast<const std::u16string*>(item.get())) : Value();
    }
};

SpellingPanel::SpellingPanel()
    : m_guesses(std::make_shared<Guesses>())
{
    m_window = std::make_shared<SpellingPanelWindow>(Rect(0, 0, panelWidth, panelHeight));
    Application::shared().addWindow(m_window);
    m_window->setContentView(std::make_shared<View>(Rect(0, 0, panelWidth, panelHeight)));
    m_window->setTitle(u"Spelling and Grammar");
    closeWindowWithEscape(*m_window);
    auto content = m_window->contentView();

    double top = panelHeight - margin;
    m_wordField = std::make_shared<TextField>(Rect(margin, top - 22, 240, 22));
    m_wordField->setEditable(true);
    content->addSubview(m_wordField);
    m_detailField = TextField::labelWithString(u"");
    m_detailField->setFrame(Rect(margin, top - 50, panelWidth - 2 * margin, 22));
    content->addSubview(m_detailField);
    // The guesses fill what lies between the detail and the buttons.
    double listBottom = margin + buttonHeight + margin;
    m_guessList = std::make_shared<OutlineView>(Rect(margin, listBottom, panelWidth - 2 * margin, top - 56 - listBottom));
    m_guessList->addTableColumn(u"guess");
    m_guessList->setDataSource(m_guesses);
    content->addSubview(m_guessList);
    m_guessSelection = NotificationCenter::defaultCenter().addObserver(
        OutlineView::SelectionDidChangeNotification, m_guessList.get(), nullptr, [this](const Notification&) {
            long row = m_guessList->selectedRow();
            if (row >= 0)
                chooseGuess(static_cast<size_t>(row));
        });

    m_changeButton = addButton(u"Change", "changeSpelling:", margin);
    m_ignoreButton = addButton(u"Ignore", "ignoreSpelling:", margin + 90);
    m_findNextButton = addButton(u"Find Next", "checkSpelling:", margin + 180);
}

SpellingPanel::~SpellingPanel()
{
    m_guessSelection.reset();
    if (m_window->isVisible())
        m_window->orderOut();
}

std::shared_ptr<Button> SpellingPanel::addButton(std::u16string title, const char* command, double x)
{
    auto content = m_window->contentView();
    auto button = std::make_shared<Button>(Rect(x, margin, 80, buttonHeight), std::move(title));
    // The button's own action relays the command with the word field as the sender.
    Action relay = std::string("spellingPanel.") + command;
    button->setAction(relay);
    button->setTarget(content);
    content->addSubview(button);
    std::weak_ptr<TextField> field = m_wordField;
    std::string commandName(command);
    content->setActionHandler(relay, [field, commandName](ActionSender*) {
        if (auto wordField = field.lock())
            Application::shared().sendAction(commandName, nullptr, wordField.get());
    });
    return button;
}

void SpellingPanel::orderFront()
{
    // The first time near the top right of the screen, where it covers
    // the least of a document window; after that where the user left it.
    if (!m_placed) {
        Rect visible = m_window->screen().visibleFrame();
        Rect frame = m_window->frame();
        m_window->setFrameOrigin({ std::floor(visible.maxX() - frame.width() - 40), std::floor(visible.maxY() - frame.height() - 80) });
        m_placed = true;
    }
    m_window->orderFront();
}

void SpellingPanel::showWord(const std::u16string& word, std::vector<std::u16string> guesses, std::u16string detail)
{
    m_wordField->setTextString(word);
    m_detailField->setTextString(std::move(detail));
    m_guesses->set(std::move(guesses));
    m_guessList->reloadData();
    m_guessList->deselectAll();
    m_guessList->setNeedsDisplay(true);
}

const std::vector<std::u16string>& SpellingPanel::guesses() const
{
    return m_guesses->words;
}

bool SpellingPanel::chooseGuess(size_t index)
{
    if (index >= m_guesses->words.size())
        return false;
    m_wordField->setTextString(m_guesses->words[index]);
    return true;
}

} // namespace brevanton
