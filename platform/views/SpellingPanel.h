// SpellingPanel: the window that shows a misspelled word (or a grammar
// finding) with its guesses. Its Change and Ignore buttons send
// "changeSpelling:" and "ignoreSpelling:" along the main window's
// responder chain with the word field as the sender; Find Next sends
// "checkSpelling:". Choosing a guess puts it in the word field.
#pragma once

#include "platform/views/Button.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class SpellingPanel {
public:
    SpellingPanel();

    const std::shared_ptr<Window>& window() const { return m_window; }
    const std::shared_ptr<TextField>& wordField() const { return m_wordField; }
    const std::shared_ptr<TextField>& detailField() const { return m_detailField; }
    const std::shared_ptr<Button>& changeButton() const { return m_changeButton; }
    const std::shared_ptr<Button>& ignoreButton() const { return m_ignoreButton; }
    const std::shared_ptr<Button>& findNextButton() const { return m_findNextButton; }

    bool isVisible() const { return m_window->isVisible(); }
    void orderFront() { m_window->orderFront(); }
    void orderOut() { m_window->orderOut(); }

    void showWord(const std::u16string& word, std::vector<std::u16string> guesses, std::u16string detail = {});
    const std::vector<std::u16string>& guesses() const { return m_guesses; }
    // Puts the guess at `index` in the word field; false outside the list.
    bool chooseGuess(size_t index);

private:
    std::shared_ptr<Button> addButton(std::u16string title, const char* action, double x);

    std::shared_ptr<Window> m_window;
    std::shared_ptr<TextField> m_wordField;
    std::shared_ptr<TextField> m_detailField;
    std::shared_ptr<Button> m_changeButton;
    std::shared_ptr<Button> m_ignoreButton;
    std::shared_ptr<Button> m_findNextButton;
    std::vector<std::u16string> m_guesses;
};

} // namespace brevanton
