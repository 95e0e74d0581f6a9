// The editor window's toolbar and the pickers in it: the window is their
// delegate, and each choice is one undo step of the editing view.
#include "shell/VornickEditorWindow.h"

#include "app/VornickDocumentStyleSheets.h"
#include "app/VornickStyleSheet.h"
#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickFragmentSetLoading.h"
#include "editing/VornickFragmentSetPicker.h"
#include "editing/VornickHTMLFormattingPreferencesPicker.h"
#include "editing/VornickStyleSheetPicker.h"
#include "editing/VornickToolbarItemViews.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/Text.h"
#include "platform/views/Toolbar.h"
#include "platform/web/WebFrame.h"
#include "snippets/VornickFragmentSetEditor.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "ui/VornickSingleHTMLFileFormattingPreferencesPopoverUIController.h"
#include "ui/VornickSingleHTMLFileFormattingPreferencesSheetController.h"

#include <filesystem>

namespace brevanton {

void VornickEditorWindow::installToolbar(View& container)
{
    m_toolbarItemViews = VornickToolbarItemViews::create();
    auto* view = m_editingView.get();
    auto self = std::static_pointer_cast<VornickObjectPickerDelegate>(shared_from_this());
    for (VornickReferencedFilePicker* picker : std::initializer_list<VornickReferencedFilePicker*> {
             m_toolbarItemViews->primaryStyleSheetPicker().get(), m_toolbarItemViews->fragmentSetPicker().get(),
             m_toolbarItemViews->formattingPreferencesPicker().get() }) {
        picker->setDelegate(self);
        picker->setContentEditingView(view);
    }
    m_toolbar = Toolbar::create(toolbarIdentifier);
    m_toolbar->setDelegate(std::static_pointer_cast<ToolbarDelegate>(shared_from_this()));
    Rect bounds = container.bounds();
    auto toolbarView = m_toolbar->view();
    toolbarView->setFrame(Rect(0, bounds.height() - Toolbar::height, bounds.width(), Toolbar::height));
    container.addSubview(toolbarView);
    installDocumentActionButton(*toolbarView);
    // Loads the three items.
    m_window->setToolbar(m_toolbar);
    m_toolbar->layout();
}

void VornickEditorWindow::populatePickers()
{
    if (!m_toolbarItemViews)
        return;
    m_toolbarItemViews->primaryStyleSheetPicker()->populatePopUpButton();
    m_toolbarItemViews->fragmentSetPicker()->populatePopUpButton();
    m_toolbarItemViews->formattingPreferencesPicker()->populatePopUpButton();
}

std::shared_ptr<ToolbarItem> VornickEditorWindow::itemForItemIdentifier(Toolbar& toolbar, const std::u16string& identifier,
                                                                        bool willBeInsertedIntoToolbar)
{
    return m_toolbarItemViews ? m_toolbarItemViews->toolbar(toolbar, identifier, willBeInsertedIntoToolbar) : nullptr;
}

std::vector<std::u16string> VornickEditorWindow::defaultItemIdentifiers(Toolbar&)
{
    return { VornickInspectPrimaryStyleSheetToolbarItemIdentifier, VornickInspectFragmentSetToolbarItemIdenitifer,
             VornickInspectHTMLFormattingPreferencesToolbarItemIdentifier };
}

namespace {

enum class PickerKind { StyleSheet, FragmentSet, FormattingPreferences, Other };

PickerKind kindOfPicker(const VornickObjectPicker& picker)
{
    if (dynamic_cast<const VornickStyleSheetPicker*>(&picker))
        return PickerKind::StyleSheet;
    if (dynamic_cast<const VornickFragmentSetPicker*>(&picker))
        return PickerKind::FragmentSet;
    if (dynamic_cast<const VornickHTMLFormattingPreferencesPicker*>(&picker))
        return PickerKind::FormattingPreferences;
    return PickerKind::Other;
}

} // namespace

VornickPickerObject VornickEditorWindow::selectedObjectForPicker(VornickObjectPicker& picker)
{
    auto frame = m_editingView ? m_editingView->focusedWebFrame() : nullptr;
    auto document = frame ? frame->domDocument() : nullptr;
    if (!document)
        return {};
    switch (kindOfPicker(picker)) {
    case PickerKind::StyleSheet:
        return vornick_primaryStyleSheet(*document);
    case PickerKind::FragmentSet: {
        auto set = vornick_userFragmentSet(*frame);
        return set ? set->fileReference() : nullptr;
    }
    case PickerKind::FormattingPreferences:
        return vornick_HTMLFormattingPreferences(*frame);
    case PickerKind::Other:
        break;
    }
    return {};
}

void VornickEditorWindow::pickerProposeNewSelectedObject(VornickObjectPicker& picker, const VornickPickerObject& object)
{
    auto frame = m_editingView ? m_editingView->focusedWebFrame() : nullptr;
    if (!frame || !frame->domDocument() || object == selectedObjectForPicker(picker))
        return;
    switch (kindOfPicker(picker)) {
    case PickerKind::StyleSheet:
        if (!m_editingView->undoableSetPrimaryStylesheet(true, object.styleSheet(), false, frame))
            consoleLog(u"The main style sheet could not be changed.");
        break;
    case PickerKind::FragmentSet: {
        std::shared_ptr<VornickFragmentSet> set;
        if (auto reference = object.fileReference()) {
            const auto& loaders = VornickCurrentFragmentSetLoaders();
            set = loaders.fromEnduringFileReference ? loaders.fromEnduringFileReference(*reference) : nullptr;
            // A set that cannot be read leaves the document as it was (the loader logged why).
            if (!set)
                return;
        }
        static_cast<void>(m_editingView->undoableSetFragmentSet(true, set, frame));
        break;
    }
    case PickerKind::FormattingPreferences: {
        std::shared_ptr<VornickHTMLFormattingPreferences> preferences = object.formattingPreferences();
        // "Custom..." for a document without its own: a copy of those it writes with now.
        if (!preferences && object.isNoFormattingPreferences())
            preferences = std::make_shared<VornickHTMLFormattingPreferences>(*vornick_effectiveHTMLFormattingPreferences(*frame));
        static_cast<void>(m_editingView->undoableSetHTMLFormattingPreferences(true, preferences, frame));
        break;
    }
    case PickerKind::Other:
        break;
    }
}

bool VornickEditorWindow::pickerCanOpenObject(VornickObjectPicker& picker, const VornickPickerObject& object)
{
    switch (kindOfPicker(picker)) {
    case PickerKind::FragmentSet:
        return object.fileReference() != nullptr;
    case PickerKind::FormattingPreferences:
        return object.formattingPreferences() != nullptr;
    case PickerKind::StyleSheet:
    case PickerKind::Other:
        break;
    }
    return false;
}

void VornickEditorWindow::pickerOpenObject(VornickObjectPicker& picker, const VornickPickerObject& object)
{
    if (!pickerCanOpenObject(picker, object))
        return;
    if (kindOfPicker(picker) == PickerKind::FragmentSet) {
        // The document's own set, else the set as read from the file.
        auto frame = m_editingView ? m_editingView->focusedWebFrame() : nullptr;
        auto set = frame ? vornick_userFragmentSet(*frame) : nullptr;
        if (!set || set->fileReference() != object.fileReference()) {
            const auto& loaders = VornickCurrentFragmentSetLoaders();
            set = loaders.fromEnduringFileReference ? loaders.fromEnduringFileReference(*object.fileReference()) : nullptr;
        }
        if (set)
            VornickFragmentSetEditor::openEditorForFragmentSet(set);
        return;
    }
    if (!m_formattingPreferencesPopover)
        m_formattingPreferencesPopover = std::make_unique<VornickSingleHTMLFileFormattingPreferencesPopoverUIController>();
    std::shared_ptr<View> button = picker.openButton();
    m_formattingPreferencesPopover->showForHTMLFormattingPreferences(object.formattingPreferences(), button);
}

void VornickEditorWindow::inspectHTMLFormattingPreferences()
{
    auto frame = m_editingView ? m_editingView->focusedWebFrame() : nullptr;
    auto preferences = frame ? vornick_HTMLFormattingPreferences(*frame) : nullptr;
    if (!preferences)
        return;
    if (!m_formattingPreferencesSheet)
        m_formattingPreferencesSheet = std::make_unique<VornickSingleHTMLFileFormattingPreferencesSheetController>();
    m_formattingPreferencesSheet->showForHTMLFormattingPreferences(std::move(preferences), m_window);
}

std::shared_ptr<VornickFragmentDescription>
VornickEditorWindow::vornickContentEditingViewAddNewFragmentDescriptionToASuitableGroupAndBringForwardForEditing(
    VornickContentEditingView& view, const std::shared_ptr<VornickFragmentDescription>& description)
{
    VornickFragmentSetEditor::addToEditorOfUserFragmentSet(view, description);
    return nullptr;
}

std::shared_ptr<Window> VornickEditorWindow::windowForOtherObjectChooserSheet()
{
    return m_window;
}

std::optional<URL> VornickEditorWindow::referencingFileDirectoryURLForPicker(VornickObjectPicker&)
{
    return URL::fileURLWithPath(toUTF16(std::filesystem::path(m_path).parent_path().string()), true);
}

} // namespace brevanton
