// VornickObjectPicker: lets the user choose, from a menu, which object a
// document uses (its main style sheet, its snippet set, its formatting
// preferences). A picker drives a pop-up button or a plain menu (setting one
// clears the other), and an optional open button that opens the chosen
// object for editing. It holds no choice of its own: it asks its delegate
// which object is selected and proposes the user's choices to it.
//
// VornickReferencedFilePicker follows a content editing view (the
// selection is asked again when the view's focused frame or its content
// changes); the style sheet and snippet set pickers derive from it, the
// formatting preferences picker follows the view's focused frame too.
#pragma once

#include "editing/VornickPickerObject.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/URL.h"
#include "platform/views/Menu.h"
#include "platform/views/Responder.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class Button;
class DOMDocument;
class PopUpButton;
class VornickApplicationEnvironment;
class VornickContentEditingView;
class VornickEnduringFileReference;
class VornickKnownFileSet;
class VornickObjectPicker;
class WebFrame;
class Window;

// Adopted by whatever a picker chooses for (a document window, a preference
// pane). Optional operations have defaults.
class VornickObjectPickerDelegate {
public:
    virtual ~VornickObjectPickerDelegate() = default;
    // The object currently chosen (none for the "none" choice).
    virtual VornickPickerObject selectedObjectForPicker(VornickObjectPicker&) = 0;
    // The user chose this object.
    virtual void pickerProposeNewSelectedObject(VornickObjectPicker&, const VornickPickerObject&) = 0;
    // Whether the open button may open the object, and opening it for editing.
    virtual bool pickerCanOpenObject(VornickObjectPicker&, const VornickPickerObject&) = 0;
    virtual void pickerOpenObject(VornickObjectPicker&, const VornickPickerObject&) = 0;
    // The window the choose-file and save panels and their sheets belong to.
    virtual std::shared_ptr<Window> windowForOtherObjectChooserSheet() = 0;
    // The folder a new snippet set's save panel starts in.
    virtual std::optional<URL> referencingFileDirectoryURLForPicker(VornickObjectPicker&) { return std::nullopt; }
    // The style sheet picker's embed and export items.
    virtual void embedCopyOfSelectedStyleSheet(ActionSender*) {}
    virtual void exportCopyOfSelectedStyleSheet(ActionSender*) {}
};

// A menu item that stands for an object of a picker's menu.
class VornickPickerMenuItem final : public MenuItem {
public:
    VornickPickerMenuItem(std::u16string title, VornickPickerObject object)
        : MenuItem(std::move(title), "pickRepresentedObject:", {})
        , m_object(std::move(object))
    {
    }
    const VornickPickerObject& pickerObject() const { return m_object; }

private:
    VornickPickerObject m_object;
};

class VornickObjectPicker : public Responder {
public:
    VornickObjectPicker();
    ~VornickObjectPicker() override;

    const std::shared_ptr<Menu>& menu() const { return m_menu; }
    void setMenu(std::shared_ptr<Menu>);
    const std::shared_ptr<PopUpButton>& popUpButton() const { return m_popUpButton; }
    void setPopUpButton(std::shared_ptr<PopUpButton>);
    // Its target and action become the picker's openSelectedObject:.
    const std::shared_ptr<Button>& openButton() const { return m_openButton; }
    void setOpenButton(std::shared_ptr<Button>);
    std::shared_ptr<VornickObjectPickerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::weak_ptr<VornickObjectPickerDelegate>& delegate) { m_delegate = delegate; }

    // The pop-up button's enabled state; setting it also updates the open button.
    bool isEnabled() const;
    void setEnabled(bool);

    // Rebuilds the pop-up button's menu and shows the selection (a picker
    // without a pop-up button is a programming error).
    void populatePopUpButton();
    // Fills the menu with the picker's items; nothing at the base.
    virtual void rebuildPickerMenu(Menu&) {}
    std::shared_ptr<MenuItem> addItemForRepresentedObject(VornickPickerObject, std::u16string title, Menu&);
    std::shared_ptr<MenuItem> addItemWithAction(const Action&, std::u16string title, Menu&);

    // Marks (menu) or selects (pop-up button) the item standing for the
    // delegate's selected object, the first item when none does or nothing
    // is selected; then updates the open button.
    virtual void updateSelectedObjectIndication();
    // Enabled exactly when there is a delegate, the picker is enabled, the
    // open button's window is the main window and the delegate can open its
    // selected object (which is not the none choice).
    void updateOpenButtonEnabledState();

    // The actions of the menu items and the open button.
    void pickRepresentedObject(ActionSender*);
    virtual void pickOtherObjectNotInMenu(ActionSender*) {}
    void openSelectedObject(ActionSender*);

protected:
    // The index of the item standing for the delegate's selected object, or 0.
    long indexOfSelectedObject(const Menu&);
    // The menu the picker fills: the pop-up button's or its own.
    std::shared_ptr<Menu> pickerMenu() const;

private:
    std::shared_ptr<Menu> m_menu;
    std::shared_ptr<PopUpButton> m_popUpButton;
    std::shared_ptr<Button> m_openButton;
    std::weak_ptr<VornickObjectPickerDelegate> m_delegate;
};

// A picker of a file the focused frame's document refers to.
class VornickReferencedFilePicker : public VornickObjectPicker {
public:
    VornickContentEditingView* contentEditingView() const { return m_contentEditingView; }
    // Observes the view's focused frame changes (and, unless the subclass
    // says otherwise, its content changes) and the focused frame's switches
    // of snippet set and formatting preferences (an undone choice among
    // them), each asking for the selection again. The view must outlive the picker or be set back to null.
    void setContentEditingView(VornickContentEditingView*);

    // A picker driving a plain menu with no document to pick for shows every item unselected.
    void updateSelectedObjectIndication() override;

protected:
    virtual bool observesContentChanges() const { return true; }
    // The content editing view's focused frame and its document, or null.
    std::shared_ptr<WebFrame> focusedFrame() const;
    std::shared_ptr<DOMDocument> focusedDocument() const;
    // Asks the user for a file of the types, telling the message: a file
    // chosen is proposed to the delegate as the object `objectOfFile` makes
    // of it and kept among the application's `knownFiles`; then the menu
    // shows the selection anew.
    using KnownFiles = std::shared_ptr<VornickKnownFileSet> (*)(const std::shared_ptr<VornickApplicationEnvironment>&);
    using ObjectOfFile = std::function<VornickPickerObject(const std::shared_ptr<VornickEnduringFileReference>&, const URL&)>;
    void chooseOtherFile(std::vector<std::u16string> types, std::u16string message, KnownFiles knownFiles, ObjectOfFile objectOfFile);

private:
    VornickContentEditingView* m_contentEditingView { nullptr };
    ObserverToken m_focusObservation;
    ObserverToken m_contentObservation;
    ObserverToken m_fragmentSetSwitchObservation;
    ObserverToken m_formattingSwitchObservation;
};

} // namespace brevanton
