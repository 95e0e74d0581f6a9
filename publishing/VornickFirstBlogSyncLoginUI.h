// VornickFirstBlogSyncLoginUI: the login half of the first blog sync window,
// the blog login panel. The panel's login starts the window's first sync,
// and the window's panel follows its advanced settings as they open and
// close. createWindowController makes the window controller with it.
#pragma once

#include "publishing/VornickBlogLoginUIController.h"
#include "publishing/VornickFirstBlogSyncWindowController.h"

#include <memory>

namespace brevanton {

class VornickFirstBlogSyncLoginUI final : public VornickFirstBlogSyncLoginInterface, public VornickBlogLoginUIDelegate {
public:
    // The window controller with a login panel as its login half (not yet loaded).
    static std::shared_ptr<VornickFirstBlogSyncWindowController> createWindowController(std::weak_ptr<VornickFirstBlogSyncDocument>);

    VornickFirstBlogSyncLoginUI();
    ~VornickFirstBlogSyncLoginUI() override;

    VornickFirstBlogSyncLoginUI(const VornickFirstBlogSyncLoginUI&) = delete;
    VornickFirstBlogSyncLoginUI& operator=(const VornickFirstBlogSyncLoginUI&) = delete;

    // Not held: the window controller holds this.
    void setWindowController(std::weak_ptr<VornickFirstBlogSyncWindowController> controller) { m_windowController = std::move(controller); }
    const std::shared_ptr<VornickBlogLoginUIController>& loginUIController() const { return m_loginUIController; }

    std::shared_ptr<View> view() override;
    void setAccount(const std::shared_ptr<VornickBlogHostingAccount>&) override;
    void focusHostAddressField() override { m_loginUIController->focusHostURLField(); }
    void focusPasswordField() override { m_loginUIController->focusPasswordField(); }

    void login(VornickBlogLoginUIController&) override;
    std::shared_ptr<Window> windowForAuthenticationUI() override;
    void didResizeHeightBy(VornickCollapsibleContainerView&, double heightChange) override;

private:
    std::shared_ptr<VornickBlogLoginUIController> m_loginUIController;
    std::weak_ptr<VornickFirstBlogSyncWindowController> m_windowController;
};

} // namespace brevanton
