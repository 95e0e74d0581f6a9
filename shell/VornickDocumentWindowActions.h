// VornickDocumentWindowActions: the delegate of a document window (an HTML
// file's, a post's) and the end of its responder chain for the document's
// own commands. Every document window answers alike "saveDocument:",
// "undo:" and "redo:" (the window's undo manager; their menu items are
// enabled only with a step to undo or redo), "performClose:" and
// "showOrHideSourceLoupe:" (its item titled Show or Hide Source and checked
// as the source shows); a window adds its own actions with
// setActionHandler, and validates its own menu and toolbar items, as its
// VornickDocumentWindowClient. Closing by the user's choice a document with
// unsaved changes puts up the question of saveChangesAlert: Save closes the
// window once the save succeeded, Don't Save closes it, Cancel keeps it.
#pragma once

#include "platform/views/Responder.h"
#include "platform/views/Window.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class Alert;
class VornickContentEditingView;
class VornickWindow;

// What a document window's actions ask of the object showing the document.
class VornickDocumentWindowClient {
public:
    virtual ~VornickDocumentWindowClient() = default;
    // Saves the document; false when that failed, the user told why.
    virtual bool saveReportingFailure() = 0;
    // Whether the document has changes not yet saved.
    virtual bool isDocumentEdited() const = 0;
    // Whether the document's source shows, and showing or hiding it.
    virtual bool documentSourceShown() const = 0;
    virtual void showOrHideDocumentSource() = 0;
    // Whether a menu item of the window's own actions is enabled; nothing
    // for an item the common rules enable.
    virtual std::optional<bool> validateOwnMenuItem(MenuItem&) { return std::nullopt; }
    virtual bool validateToolbarItem(const ToolbarItem&) const { return true; }
};

class VornickDocumentWindowActions final : public Responder, public WindowDelegate {
public:
    // Made the window's delegate; the window holds it weakly, so its owner
    // keeps it. The client is held weakly too: once it has gone, the
    // actions do nothing and the window closes without asking.
    static std::shared_ptr<VornickDocumentWindowActions> install(const std::shared_ptr<Window>&,
                                                                 std::weak_ptr<VornickDocumentWindowClient>);

    // The question before a document with unsaved changes closes: Save,
    // Cancel, Don't Save (the first, second and third button).
    static std::shared_ptr<Alert> saveChangesAlert(const std::u16string& documentTitle);
    // Posted (object: the window) when that question is answered with
    // Cancel: the window stays, and a Quit in progress ends.
    static constexpr const char* CloseCancelledNotification = "VornickDocumentCloseCancelledNotification";
    static void noteCloseCancelled(Window&);
    // A click in the page gives the page the keyboard (the editing view
    // handles the click itself, past the window's first-responder change).
    static void giveKeyboardToPageOnClick(VornickWindow&, std::weak_ptr<VornickContentEditingView>);

    bool windowShouldClose(Window&) override;
    bool validateMenuItem(MenuItem&) override;
    bool validateToolbarItem(ToolbarItem&) override;

private:
    VornickDocumentWindowActions(std::weak_ptr<Window> window, std::weak_ptr<VornickDocumentWindowClient> client)
        : m_window(std::move(window)), m_client(std::move(client)) {}
    void installCommonActions();

    std::weak_ptr<Window> m_window;
    std::weak_ptr<VornickDocumentWindowClient> m_client;
    std::shared_ptr<Alert> m_closeAlert;
};

} // namespace brevanton
