// VornickProjectIndexingProgressWindowController: a small window with a
// title, a progress bar and a status line, which the project editor fills
// and shows while it indexes a project. Main thread only.
#pragma once

#include <memory>

namespace brevanton {

class ProgressIndicator;
class TextField;
class Window;

class VornickProjectIndexingProgressWindowController {
public:
    VornickProjectIndexingProgressWindowController() = default;
    ~VornickProjectIndexingProgressWindowController();
    VornickProjectIndexingProgressWindowController(const VornickProjectIndexingProgressWindowController&) = delete;
    VornickProjectIndexingProgressWindowController& operator=(const VornickProjectIndexingProgressWindowController&) = delete;

    // The window, built on first use.
    const std::shared_ptr<Window>& window();

    // Outlets, once the window is built.
    std::shared_ptr<TextField> titleTextField() const { return m_titleTextField.lock(); }
    std::shared_ptr<ProgressIndicator> progressIndicator() const { return m_progressIndicator.lock(); }
    std::shared_ptr<TextField> statusTextField() const { return m_statusTextField.lock(); }

private:
    std::shared_ptr<Window> m_window;
    std::weak_ptr<TextField> m_titleTextField;
    std::weak_ptr<ProgressIndicator> m_progressIndicator;
    std::weak_ptr<TextField> m_statusTextField;
};

} // namespace brevanton
