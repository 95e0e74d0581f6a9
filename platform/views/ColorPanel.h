// ColorPanel: lets the user pick a colour, starting from the one it is
// given. Without a user the ColorPanelDriver answers, as SavePanelDriver
// does for save panels: tests queue a colour or a cancellation. With no
// answer queued and no responder, the panel is cancelled: no colour is
// ever taken that nobody picked.
#pragma once

#include "platform/foundation/Color.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class Window;

class ColorPanel : public std::enable_shared_from_this<ColorPanel> {
public:
    static std::shared_ptr<ColorPanel> colorPanel();

    // The colour shown when the panel opens, then the colour picked.
    const std::optional<Color>& color() const { return m_color; }
    void setColor(std::optional<Color> color) { m_color = std::move(color); }
    // Whether the opacity can be picked too; a picked colour is opaque otherwise.
    bool showsAlpha() const { return m_showsAlpha; }
    void setShowsAlpha(bool shows) { m_showsAlpha = shows; }
    const std::u16string& title() const { return m_title; }
    void setTitle(std::u16string title) { m_title = std::move(title); }
    // The window the panel is shown over (the one of the control that opened it).
    std::shared_ptr<Window> parentWindow() const { return m_parentWindow.lock(); }
    void setParentWindow(const std::shared_ptr<Window>& window) { m_parentWindow = window; }

    // Runs the panel: true when a colour was picked (color() then holds it),
    // false when cancelled (color() unchanged).
    bool runModal();
    bool isRunning() const { return m_running; }

private:
    std::optional<Color> m_color;
    bool m_showsAlpha { false };
    std::u16string m_title;
    std::weak_ptr<Window> m_parentWindow;
    bool m_running { false };
};

// Answers colour panels in place of a user.
class ColorPanelDriver {
public:
    // A colour picked, or nothing for a cancellation.
    using Answer = std::optional<Color>;
    using Responder = std::function<Answer(ColorPanel&)>;

    static ColorPanelDriver& shared();

    void enqueueColor(Color color) { m_answers.push_back(color); }
    void enqueueCancellation() { m_answers.push_back(std::nullopt); }
    // Asked when no answer is queued; may answer nothing (a cancellation).
    void setResponder(Responder responder) { m_responder = std::move(responder); }

    // The panels run, in order.
    const std::vector<std::shared_ptr<ColorPanel>>& shownPanels() const { return m_shownPanels; }
    void reset();

    // Used by ColorPanel.
    Answer nextAnswer(ColorPanel&);

private:
    std::deque<Answer> m_answers;
    Responder m_responder;
    std::vector<std::shared_ptr<ColorPanel>> m_shownPanels;
};

} // namespace brevanton
