#include "ui/VornickSingleHTMLFileFormattingPreferencesSheetController.h"

#include "html/VornickHTMLFormattingPreferences.h"
#include "platform/views/Button.h"
#include "platform/views/Screen.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "ui/VornickHTMLFormattingPreferencesModule.h"

namespace brevanton {

namespace {

constexpr const char* closeAction = "performClose:";
constexpr double buttonBarHeight = 44;

} // namespace

VornickSingleHTMLFileFormattingPreferencesSheetController::VornickSingleHTMLFileFormattingPreferencesSheetController()
    : m_module(std::make_unique<VornickHTMLFormattingPreferencesModule>())
{
    Size size = m_module->view()->frame().size;
    m_sheetWindow = Window::create(Rect(0, 0, size.width, size.height + buttonBarHeight));
    m_sheetWindow->setStyleMask(WindowStyle::Titled);
    m_sheetWindow->setTitle(u"HTML Formatting");
    auto content = m_sheetWindow->contentView();
    m_module->view()->setFrame(Rect(0, buttonBarHeight, size.width, size.height));
    content->addSubview(m_module->view());
    m_doneButton = std::make_shared<Button>(Rect(size.width - 96, 10, 80, 26), u"Done");
    m_doneButton->setKeyEquivalent(u"\r");
    m_doneButton->setTarget(content);
    m_doneButton->setAction(closeAction);
    content->addSubview(m_doneButton);
    content->setActionHandler(closeAction, [this](ActionSender*) { performClose(); });
}

VornickSingleHTMLFileFormattingPreferencesSheetController::~VornickSingleHTMLFileFormattingPreferencesSheetController()
{
    performClose();
    m_sheetWindow->contentView()->removeActionHandler(closeAction);
}

void VornickSingleHTMLFileFormattingPreferencesSheetController::showForHTMLFormattingPreferences(
    std::shared_ptr<VornickHTMLFormattingPreferences> preferences, const std::shared_ptr<Window>& window)
{
    if (!window || (window->attachedSheet() && window->attachedSheet() != m_sheetWindow))
        return;
    m_module->setActiveHTMLFormattingPreferences(std::move(preferences));
    m_module->updatePreviewTextView();
    if (window->attachedSheet() == m_sheetWindow)
        return;
    // Hung from the middle of the window's top edge, kept on the screen.
    Rect parent = window->frame();
    Size size = m_sheetWindow->frame().size;
    Rect hung(parent.midX() - size.width / 2, parent.maxY() - size.height, size.width, size.height);
    m_sheetWindow->setFrameOrigin(rectSlidInside(hung, Screen::mainScreen().visibleFrame()).origin);
    m_documentWindow = window;
    window->setAttachedSheet(m_sheetWindow);
    window->addChildWindow(m_sheetWindow, WindowOrderingMode::Above);
    m_sheetWindow->makeKeyAndOrderFront();
}

void VornickSingleHTMLFileFormattingPreferencesSheetController::performClose()
{
    if (auto window = m_documentWindow.lock()) {
        if (window->attachedSheet() == m_sheetWindow)
            window->setAttachedSheet(nullptr);
        window->removeChildWindow(m_sheetWindow.get());
    }
    m_documentWindow.reset();
    m_sheetWindow->orderOut();
}

} // namespace brevanton
