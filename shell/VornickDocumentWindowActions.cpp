#include "shell/VornickDocumentWindowActions.h"

#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickEmbeddedWebView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Alert.h"
#include "platform/views/Menu.h"

namespace brevanton {

std::shared_ptr<VornickDocumentWindowActions> VornickDocumentWindowActions::install(const std::shared_ptr<Window>& window,
                                                                                  std::weak_ptr<VornickDocumentWindowClient> client)
{
    auto actions = std::shared_ptr<VornickDocumentWindowActions>(new VornickDocumentWindowActions(window, std::move(client)));
    window->setDelegate(std::shared_ptr<WindowDelegate>(actions, actions.get()));
    actions->installCommonActions();
    return actions;
}

void VornickDocumentWindowActions::installCommonActions()
{
    // The handlers are the actions' own, so they reach them through a plain pointer.
    setActionHandler("saveDocument:", [this](ActionSender*) {
        if (auto client = m_client.lock())
            static_cast<void>(client->saveReportingFailure());
    });
    setActionHandler("undo:", [this](ActionSender*) {
        auto window = m_window.lock();
        if (auto* undo = window ? window->undoManager() : nullptr; undo && undo->canUndo())
            undo->undo();
    });
    setActionHandler("redo:", [this](ActionSender*) {
        auto window = m_window.lock();
        if (auto* undo = window ? window->undoManager() : nullptr; undo && undo->canRedo())
            undo->redo();
    });
    setActionHandler("performClose:", [this](ActionSender*) {
        if (auto window = m_window.lock())
            window->performClose();
    });
    setActionHandler("showOrHideSourceLoupe:", [this](ActionSender*) {
        if (auto client = m_client.lock())
            client->showOrHideDocumentSource();
    });
}

bool VornickDocumentWindowActions::windowShouldClose(Window&)
{
    auto client = m_client.lock();
    auto window = m_window.lock();
    if (!client || !window || !client->isDocumentEdited())
        return true;
    // One question at a time; the window stays until it is answered.
    if (window->attachedSheet())
        return false;
    m_closeAlert = saveChangesAlert(window->title());
    m_closeAlert->beginSheetModalForWindow(window, [weakWindow = m_window, weakClient = m_client](ModalResponse response) {
        auto window = weakWindow.lock();
        if (!window || weakClient.expired())
            return;
        if (response == AlertSecondButtonReturn) {
            noteCloseCancelled(*window);
            return;
        }
        if (response == AlertFirstButtonReturn) {
            // A failed save keeps the window open with the document; the
            // alert saying why comes once this sheet has gone.
            RunLoop::main().perform([weakWindow, weakClient] {
                auto window = weakWindow.lock();
                auto client = weakClient.lock();
                if (window && client && client->saveReportingFailure())
                    window->close();
            });
            return;
        }
        window->close();
    });
    return false;
}

bool VornickDocumentWindowActions::validateMenuItem(MenuItem& item)
{
    auto window = m_window.lock();
    auto client = m_client.lock();
    auto* undoManager = window ? window->undoManager() : nullptr;
    const auto& action = item.action();
    if (action == "undo:")
        return undoManager && undoManager->canUndo();
    if (action == "redo:")
        return undoManager && undoManager->canRedo();
    if (action == "showOrHideSourceLoupe:") {
        bool shown = client && client->documentSourceShown();
        item.setTitle(shown ? u"Hide Source" : u"Show Source");
        item.setState(shown ? OnState : OffState);
        return true;
    }
    auto enabled = client ? client->validateOwnMenuItem(item) : std::nullopt;
    return enabled.value_or(true);
}

bool VornickDocumentWindowActions::validateToolbarItem(ToolbarItem& item)
{
    auto client = m_client.lock();
    return client && client->validateToolbarItem(item);
}

std::shared_ptr<Alert> VornickDocumentWindowActions::saveChangesAlert(const std::u16string& documentTitle)
{
    auto alert = Alert::create();
    alert->setMessageText(u"Do you want to save the changes made to the document \u201C" + documentTitle + u"\u201D?");
    alert->setInformativeText(u"Your changes will be lost if you don\u2019t save them.");
    alert->addButtonWithTitle(u"Save");
    alert->addButtonWithTitle(u"Cancel");
    alert->addButtonWithTitle(u"Don\u2019t Save");
    return alert;
}

void VornickDocumentWindowActions::noteCloseCancelled(Window& window)
{
    NotificationCenter::defaultCenter().post(CloseCancelledNotification, &window);
}

void VornickDocumentWindowActions::giveKeyboardToPageOnClick(VornickWindow& window, std::weak_ptr<VornickContentEditingView> page)
{
    window.vornick_addSendEventHook([page = std::move(page)](Window& window, const Event& event) {
        auto view = page.lock();
        if (!view || event.type() != EventType::LeftMouseDown)
            return true;
        auto webView = view->embeddedWebView();
        Point point = webView->convertPointFromView(event.locationInWindow(), nullptr);
        if (!webView->mouseInRect(point, webView->visibleRect()) || view->hasInputFocus())
            return true;
        window.makeFirstResponder(webView);
        return true;
    });
}

} // namespace brevanton
