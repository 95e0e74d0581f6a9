#include "platform/views/SpellingPanel.h"

#include "platform/views/Application.h"

namespace brevanton {

SpellingPanel::SpellingPanel()
{
    // Not known to Application: the panel never becomes the key or main
    // window, so its commands reach the document's responders.
    m_window = std::make_shared<Window>(Rect(0, 0, 360, 200));
    m_window->setContentView(std::make_shared<View>(Rect(0, 0, 360, 200)));
    m_window->setTitle(u"Spelling and Grammar");
    auto content = m_window->contentView();

    m_wordField = std::make_shared<TextField>(Rect(10, 160, 220, 22));
    m_wordField->setEditable(true);
    content->addSubview(m_wordField);
    m_detailField = TextField::labelWithString(u"");
    m_detailField->setFrame(Rect(10, 130, 340, 22));
    content->addSubview(m_detailField);
    m_changeButton = addButton(u"Change", "changeSpelling:", 10);
    m_ignoreButton = addButton(u"Ignore", "ignoreSpelling:", 100);
    m_findNextButton = addButton(u"Find Next", "checkSpelling:", 190);
}

std::shared_ptr<Button> SpellingPanel::addButton(std::u16string title, const char* command, double x)
{
    auto content = m_window->contentView();
    auto button = std::make_shared<Button>(Rect(x, 10, 80, 24), std::move(title));
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

void SpellingPanel::showWord(const std::u16string& word, std::vector<std::u16string> guesses, std::u16string detail)
{
    m_wordField->setStringValue(word);
    m_detailField->setStringValue(std::move(detail));
    m_guesses = std::move(guesses);
}

bool SpellingPanel::chooseGuess(size_t index)
{
    if (index >= m_guesses.size())
        return false;
    m_wordField->setStringValue(m_guesses[index]);
    return true;
}

} // namespace brevanton
