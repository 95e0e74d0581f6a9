#include "editing/VornickObjectPicker.h"

#include "app/VornickApplicationDelegate.h"
#include "documents/VornickKnownFileSet.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickContentEditingViewDelegate.h"
#include "editing/VornickSingleHTMLFileDocument.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/Assertions.h"
#include "platform/views/Button.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/Window.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "views/VornickMenuExtensions.h"

namespace brevanton {

VornickObjectPicker::VornickObjectPicker()
{
    setActionHandler("pickRepresentedObject:", [this](ActionSender* sender) { pickRepresentedObject(sender); });
    setActionHandler("pickOtherObjectNotInMenu:", [this](ActionSender* sender) { pickOtherObjectNotInMenu(sender); });
    setActionHandler("openSelectedObject:", [this](ActionSender* sender) { openSelectedObject(sender); });
}

VornickObjectPicker::~VornickObjectPicker() = default;

void VornickObjectPicker::setMenu(std::shared_ptr<Menu> menu)
{
    m_menu = std::move(menu);
    if (m_menu)
        m_popUpButton = nullptr;
}

void VornickObjectPicker::setPopUpButton(std::shared_ptr<PopUpButton> button)
{
    m_popUpButton = std::move(button);
    if (m_popUpButton)
        m_menu = nullptr;
}

void VornickObjectPicker::setOpenButton(std::shared_ptr<Button> button)
{
    m_openButton = std::move(button);
    if (m_openButton) {
        m_openButton->setTarget(sharedAs<Responder>());
        m_openButton->setAction("openSelectedObject:");
    }
    updateOpenButtonEnabledState();
}

std::shared_ptr<Menu> VornickObjectPicker::pickerMenu() const
{
    return m_popUpButton ? m_popUpButton->menu() : m_menu;
}

bool VornickObjectPicker::isEnabled() const
{
    return m_popUpButton ? m_popUpButton->isEnabled() : true;
}

void VornickObjectPicker::setEnabled(bool enabled)
{
    if (m_popUpButton)
        m_popUpButton->setEnabled(enabled);
    updateOpenButtonEnabledState();
}

void VornickObjectPicker::populatePopUpButton()
{
    BREVANTON_ASSERT(m_popUpButton, "Invalid parameter not satisfying: popUpButton");
    auto menu = m_popUpButton->menu();
    rebuildPickerMenu(*menu);
    updateSelectedObjectIndication();
}

std::shared_ptr<MenuItem> VornickObjectPicker::addItemForRepresentedObject(VornickPickerObject object, std::u16string title, Menu& menu)
{
    auto item = std::make_shared<VornickPickerMenuItem>(std::move(title), std::move(object));
    item->setTarget(sharedAs<Responder>());
    menu.addItem(item);
    return item;
}

std::shared_ptr<MenuItem> VornickObjectPicker::addItemWithAction(const Action& action, std::u16string title, Menu& menu)
{
    auto item = MenuItem::create(std::move(title), action);
    item->setTarget(sharedAs<Responder>());
    menu.addItem(item);
    return item;
}

long VornickObjectPicker::indexOfSelectedObject(const Menu& menu)
{
    auto delegate = m_delegate.lock();
    if (!delegate)
        return 0;
    VornickPickerObject selected = delegate->selectedObjectForPicker(*this);
    if (selected.isNone())
        return 0;
    for (long index = 0; index < menu.numberOfItems(); ++index) {
        auto* item = dynamic_cast<VornickPickerMenuItem*>(menu.itemAtIndex(index).get());
        if (item && item->pickerObject() == selected)
            return index;
    }
    return 0;
}

void VornickObjectPicker::updateSelectedObjectIndication()
{
    if (m_popUpButton)
        m_popUpButton->selectItemAtIndex(indexOfSelectedObject(*m_popUpButton->menu()));
    else if (m_menu)
        vornick_setSelectedItemIndex(*m_menu, indexOfSelectedObject(*m_menu));
    updateOpenButtonEnabledState();
}

void VornickObjectPicker::updateOpenButtonEnabledState()
{
    if (!m_openButton)
        return;
    bool enabled = false;
    auto delegate = m_delegate.lock();
    auto window = m_openButton->window();
    if (delegate && isEnabled() && window && window->isMainWindow()) {
        VornickPickerObject selected = delegate->selectedObjectForPicker(*this);
        enabled = !selected.isNone() && delegate->pickerCanOpenObject(*this, selected);
    }
    m_openButton->setEnabled(enabled);
}

void VornickObjectPicker::pickRepresentedObject(ActionSender* sender)
{
    auto* item = dynamic_cast<VornickPickerMenuItem*>(sender);
    if (!item)
        return;
    // The item may go with a menu the choice rebuilds.
    VornickPickerObject object = item->pickerObject();
    if (auto delegate = m_delegate.lock())
        delegate->pickerProposeNewSelectedObject(*this, object);
    updateSelectedObjectIndication();
}

void VornickObjectPicker::openSelectedObject(ActionSender*)
{
    auto delegate = m_delegate.lock();
    if (!delegate)
        return;
    VornickPickerObject selected = delegate->selectedObjectForPicker(*this);
    if (!selected.isNone() && delegate->pickerCanOpenObject(*this, selected))
        delegate->pickerOpenObject(*this, selected);
}

// VornickReferencedFilePicker

void VornickReferencedFilePicker::setContentEditingView(VornickContentEditingView* view)
{
    m_focusObservation.reset();
    m_contentObservation.reset();
    m_fragmentSetSwitchObservation.reset();
    m_formattingSwitchObservation.reset();
    m_contentEditingView = view;
    if (!view)
        return;
    auto weak = std::weak_ptr<VornickReferencedFilePicker>(sharedAs<VornickReferencedFilePicker>());
    // The menu follows the document (its sheets, the selected one's items).
    auto update = [weak](const Notification&) {
        auto self = weak.lock();
        if (!self)
            return;
        if (self->popUpButton())
            self->populatePopUpButton();
        else
            self->updateSelectedObjectIndication();
    };
    auto& center = NotificationCenter::defaultCenter();
    m_focusObservation = center.addObserver(VornickContentEditingViewDidChangeFocusedWebFrameNotification, view, nullptr, update);
    if (observesContentChanges())
        m_contentObservation = center.addObserver(VornickContentEditingViewDidChangeContentNotification, view, nullptr, update);
    auto frameSwitched = [weak, update](const Notification& note) {
        auto self = weak.lock();
        auto frame = self ? self->focusedFrame() : nullptr;
        if (frame && note.object == frame.get())
            update(note);
    };
    m_fragmentSetSwitchObservation = center.addObserver(VornickWebFrameDidSwitchFragmentSetNotification, nullptr, nullptr, frameSwitched);
    m_formattingSwitchObservation = center.addObserver(VornickWebFrameDidSwitchHTMLFormattingPreferencesNotification, nullptr, nullptr, frameSwitched);
}

void VornickReferencedFilePicker::chooseOtherFile(std::vector<std::u16string> types, std::u16string message, KnownFiles knownFiles,
                                                  ObjectOfFile objectOfFile)
{
    auto application = VornickApplicationDelegate::shared();
    auto delegate = this->delegate();
    if (!application || !delegate)
        return;
    auto weak = std::weak_ptr<VornickReferencedFilePicker>(sharedAs<VornickReferencedFilePicker>());
    application->chooseFileOfAllowedTypes(std::move(types), std::nullopt, delegate->windowForOtherObjectChooserSheet(), std::move(message),
                                          [weak, application, knownFiles, objectOfFile = std::move(objectOfFile)](
                                              std::shared_ptr<VornickEnduringFileReference> reference) {
        auto self = weak.lock();
        if (!self)
            return;
        URL url = URL::fileURLWithPath(std::string_view("/"));
        if (reference && reference->getFileURL(&url) && url.isFileURL()) {
            if (auto delegate = self->delegate())
                delegate->pickerProposeNewSelectedObject(*self, objectOfFile(reference, url));
            knownFiles(application)->registerFileReference(reference);
        }
        if (self->popUpButton())
            self->populatePopUpButton();
        else
            self->updateSelectedObjectIndication();
    });
}

std::shared_ptr<WebFrame> VornickReferencedFilePicker::focusedFrame() const
{
    return m_contentEditingView ? m_contentEditingView->focusedWebFrame() : nullptr;
}

std::shared_ptr<DOMDocument> VornickReferencedFilePicker::focusedDocument() const
{
    auto frame = focusedFrame();
    return frame ? frame->domDocument() : nullptr;
}

void VornickReferencedFilePicker::updateSelectedObjectIndication()
{
    // A menu of the application's serves the main window: with no document
    // of an HTML file there, no item is the selected one.
    if (!popUpButton() && menu() && !VornickSingleHTMLFileDocument::activeSingleHTMLFileDocument()) {
        vornick_setSelectedItemIndex(*menu(), -1);
        updateOpenButtonEnabledState();
        return;
    }
    VornickObjectPicker::updateSelectedObjectIndication();
}

} // namespace brevanton
