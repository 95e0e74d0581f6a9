// SpellingPanel: the window that shows a misspelled word (or a grammar
// finding) with its guesses in a list. Its Change and Ignore buttons send
// "changeSpelling:" and "ignoreSpelling:" along the responder chain with the
// word field as the sender; Find Next sends "checkSpelling:". Choosing a
// guess in the list puts it in the word field.
//
// The panel takes the keyboard when clicked but never becomes the main
// window, so its commands (and the menu's) reach the document behind it. It
// first shows near the top right of the screen's visible frame; Escape and
// Close (Ctrl+W) close it.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/Button.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class OutlineView;

class SpellingPanel {
public:
    SpellingPanel();
    ~SpellingPanel();
    SpellingPanel(const SpellingPanel&) = delete;
    SpellingPanel& operator=(const SpellingPanel&) = delete;

    const std::shared_ptr<Window>& window() const { return m_window; }
    const std::shared_ptr<TextField>& wordField() const { return m_wordField; }
    const std::shared_ptr<TextField>& detailField() const { return m_detailField; }
    const std::shared_ptr<OutlineView>& guessList() const { return m_guessList; }
    const std::shared_ptr<Button>& changeButton() const { return m_changeButton; }
    const std::shared_ptr<Button>& ignoreButton() const { return m_ignoreButton; }
    const std::shared_ptr<Button>& findNextButton() const { return m_findNextButton; }

    bool isVisible() const { return m_window->isVisible(); }
    void orderFront();
    void orderOut() { m_window->orderOut(); }

    void showWord(const std::u16string& word, std::vector<std::u16string> guesses, std::u16string detail = {});
    const std::vector<std::u16string>& guesses() const;
    // Puts the guess at `index` in the word field; false outside the list.
    bool chooseGuess(size_t index);

private:
    class Guesses;
    std::shared_ptr<Button> addButton(std::u16string title, const char* action, double x);

    std::shared_ptr<Window> m_window;
    std::shared_ptr<TextField> m_wordField;
    std::shared_ptr<TextField> m_detailField;
    std::shared_ptr<OutlineView> m_guessList;
    std::shared_ptr<Guesses> m_guesses;
    std::shared_ptr<Button> m_changeButton;
    std::shared_ptr<Button> m_ignoreButton;
    std::shared_ptr<Button> m_findNextButton;
    ObserverToken m_guessSelection;
    bool m_placed { false };
};

} // namespace brevanton
