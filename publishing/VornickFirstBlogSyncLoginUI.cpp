#include "publishing/VornickFirstBlogSyncLoginUI.h"

#include "publishing/VornickBlogLoginPanelView.h"

namespace brevanton {

std::shared_ptr<VornickFirstBlogSyncWindowController> VornickFirstBlogSyncLoginUI::createWindowController(
    std::weak_ptr<VornickFirstBlogSyncDocument> document)
{
    auto loginUI = std::make_shared<VornickFirstBlogSyncLoginUI>();
    auto controller = std::make_shared<VornickFirstBlogSyncWindowController>(std::move(document), loginUI);
    loginUI->setWindowController(controller);
    return controller;
}

VornickFirstBlogSyncLoginUI::VornickFirstBlogSyncLoginUI()
    : m_loginUIController(std::make_shared<VornickBlogLoginUIController>())
{
    m_loginUIController->setDelegate(this);
}

VornickFirstBlogSyncLoginUI::~VornickFirstBlogSyncLoginUI()
{
    m_loginUIController->setDelegate(nullptr);
}

std::shared_ptr<View> VornickFirstBlogSyncLoginUI::view()
{
    return m_loginUIController->view();
}

void VornickFirstBlogSyncLoginUI::setAccount(const std::shared_ptr<VornickBlogHostingAccount>& account)
{
    m_loginUIController->setAccount(account);
}

void VornickFirstBlogSyncLoginUI::login(VornickBlogLoginUIController&)
{
    if (auto controller = m_windowController.lock())
        controller->login();
}

std::shared_ptr<Window> VornickFirstBlogSyncLoginUI::windowForAuthenticationUI()
{
    auto controller = m_windowController.lock();
    return controller ? controller->windowForAuthenticationUI() : nullptr;
}

void VornickFirstBlogSyncLoginUI::didResizeHeightBy(VornickCollapsibleContainerView& container, double heightChange)
{
    if (auto controller = m_windowController.lock())
        controller->didResizeHeightBy(container, heightChange);
}

} // namespace brevanton
