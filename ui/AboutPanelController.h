// AboutPanelController: the About Brevanton window: the application's
// name, its version and build ("Version 3.2 (3217)", from the bundle's
// information; the designed text when either is missing or no string), a
// subtitle in the secondary label colour and a "Credits" link that opens
// the help's credits page. Main thread only.
#pragma once

#include "platform/foundation/Value.h"

#include <memory>
#include <optional>

namespace brevanton {

class TextField;
class Window;

class AboutPanelController : public std::enable_shared_from_this<AboutPanelController> {
public:
    // The version read from `bundleInfo` (the main bundle's when none is given).
    static std::shared_ptr<AboutPanelController> create(std::optional<Dictionary> bundleInfo = std::nullopt);
    ~AboutPanelController();
    AboutPanelController(const AboutPanelController&) = delete;
    AboutPanelController& operator=(const AboutPanelController&) = delete;

    // The address the credits link names: the online manual's credits page.
    static const char16_t* const CreditsPageURLString;
    // The version label's text as designed, kept when the bundle has no version.
    static const char16_t* const DesignedVersionText;

    // The window, built on first use.
    const std::shared_ptr<Window>& window();
    void showWindow();
    // Opens the help anchor "credits".
    void showCredits();

    std::shared_ptr<TextField> appVersionTextField() const { return m_appVersionTextField.lock(); }
    std::shared_ptr<TextField> appTitleTextField() const { return m_appTitleTextField.lock(); }
    std::shared_ptr<TextField> appSubtitleTextField() const { return m_appSubtitleTextField.lock(); }
    std::shared_ptr<TextField> creditsTextField() const { return m_creditsTextField.lock(); }

private:
    explicit AboutPanelController(Dictionary bundleInfo);
    void windowDidLoad();

    Dictionary m_bundleInfo;
    std::shared_ptr<Window> m_window;
    // Outlets: the window's views hold them.
    std::weak_ptr<TextField> m_appVersionTextField;
    std::weak_ptr<TextField> m_appTitleTextField;
    std::weak_ptr<TextField> m_appSubtitleTextField;
    std::weak_ptr<TextField> m_creditsTextField;
};

} // namespace brevanton
