#include "editing/VornickFragmentSetPicker.h"

#include "app/VornickApplicationDelegate.h"
#include "documents/VornickKnownFileSet.h"
#include "html/VornickFragmentSet.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/Text.h"
#include "platform/views/Alert.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/SavePanel.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "toolkit/VornickEnduringFileReference.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace brevanton {

namespace {

VornickFragmentSetPicker::EditorOpener& editorOpener()
{
    static VornickFragmentSetPicker::EditorOpener opener;
    return opener;
}

// What the menu calls a snippet set file.
std::u16string titleOfReference(VornickEnduringFileReference& reference)
{
    std::u16string title = reference.title();
    if (!title.empty())
        return title;
    URL url = URL::fileURLWithPath(std::string_view("/"));
    if (reference.getFileURL(&url)) {
        std::u16string name = url.URLByDeletingPathExtension().lastPathComponent();
        if (!name.empty())
            return name;
    }
    return u"(Unknown Snippet Set)";
}

std::optional<URL> homeFolderURL()
{
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return std::nullopt;
    return URL::fileURLWithPath(toUTF16(home), true);
}

} // namespace

std::shared_ptr<VornickFragmentSetPicker> VornickFragmentSetPicker::create()
{
    auto picker = std::make_shared<VornickFragmentSetPicker>();
    picker->observeKnownFragmentSetFiles();
    return picker;
}

VornickFragmentSetPicker::VornickFragmentSetPicker()
{
    setActionHandler("createNewFragmentSet:", [this](ActionSender* sender) { createNewFragmentSet(sender); });
}

void VornickFragmentSetPicker::setEditorOpener(EditorOpener opener)
{
    editorOpener() = std::move(opener);
}

bool VornickFragmentSetPicker::openEditorForFragmentSet(const std::shared_ptr<VornickFragmentSet>& fragmentSet)
{
    if (!fragmentSet || !editorOpener())
        return false;
    editorOpener()(fragmentSet);
    return true;
}

void VornickFragmentSetPicker::observeKnownFragmentSetFiles()
{
    auto application = VornickApplicationDelegate::shared();
    if (!application)
        return;
    auto files = vornick_knownFragmentSetFiles(application);
    auto weak = std::weak_ptr<VornickFragmentSetPicker>(sharedAs<VornickFragmentSetPicker>());
    m_knownFilesObservation = NotificationCenter::defaultCenter().addObserver(
        VornickKnownFileSet::FileReferencesDidChangeNotification, files.get(), nullptr, [weak](const Notification&) {
            auto self = weak.lock();
            if (self && self->popUpButton())
                self->populatePopUpButton();
        });
}

void VornickFragmentSetPicker::rebuildPickerMenu(Menu& menu)
{
    menu.removeAllItems();
    addItemForRepresentedObject({}, u"(Plain HTML)", menu);
    menu.addItem(MenuItem::separatorItem());

    std::vector<std::pair<std::u16string, std::shared_ptr<VornickEnduringFileReference>>> titled;
    if (auto application = VornickApplicationDelegate::shared()) {
        for (auto& reference : vornick_knownFragmentSetFiles(application)->fileReferences())
            titled.emplace_back(titleOfReference(*reference), reference);
    }
    std::stable_sort(titled.begin(), titled.end(), [](const auto& a, const auto& b) { return lowercase(a.first) < lowercase(b.first); });
    for (auto& [title, reference] : titled)
        addItemForRepresentedObject(reference, title, menu);
    if (!titled.empty())
        menu.addItem(MenuItem::separatorItem());
    addItemWithAction("pickOtherObjectNotInMenu:", u"Choose Other Snippet Set...", menu);
    addItemWithAction("createNewFragmentSet:", u"Create New Snippet Set...", menu);
}

void VornickFragmentSetPicker::pickOtherObjectNotInMenu(ActionSender*)
{
    chooseOtherFile({ VornickFragmentSetFileExtension }, u"Please choose a Brevanton snippet set file.", vornick_knownFragmentSetFiles,
                    [](const std::shared_ptr<VornickEnduringFileReference>& reference, const URL&) { return VornickPickerObject(reference); });
}

const std::shared_ptr<View>& VornickFragmentSetPicker::createdFragmentSetSaveSheetAccessoryView()
{
    // The accessory view "NewFragmentSetSaveSheetAccessoryView": a label and the title field.
    if (!m_accessoryView) {
        m_accessoryView = std::make_shared<View>(Rect(0, 0, 360, 40));
        auto label = TextField::labelWithString(u"Snippet Set Title:");
        label->setFrameOrigin(Point { 12, 12 });
        m_accessoryView->addSubview(label);
        m_titleField = std::make_shared<TextField>(Rect(130, 8, 218, 22));
        m_titleField->setEditable(true);
        m_titleField->setBezeled(true);
        m_titleField->setDrawsBackground(true);
        m_accessoryView->addSubview(m_titleField);
        m_titleField->setTextString(m_createdFragmentSetTitle);
    }
    return m_accessoryView;
}

void VornickFragmentSetPicker::setCreatedFragmentSetTitle(std::u16string title)
{
    m_createdFragmentSetTitle = std::move(title);
    if (m_titleField && m_titleField->stringValue() != m_createdFragmentSetTitle)
        m_titleField->setTextString(m_createdFragmentSetTitle);
}

void VornickFragmentSetPicker::createNewFragmentSet(ActionSender*)
{
    auto delegate = this->delegate();
    createdFragmentSetSaveSheetAccessoryView();
    setCreatedFragmentSetTitle(u"New Snippet Set");

    auto panel = SavePanel::savePanel();
    panel->setAccessoryView(m_accessoryView);
    panel->setAllowedFileTypes({ VornickFragmentSetFileExtension });
    panel->setCanCreateDirectories(true);
    panel->setCanSelectHiddenExtension(true);
    panel->setExtensionHidden(false);
    panel->setMessage(u"Give your document's new snippet set a title and save location.");
    if (delegate) {
        // The folder the document refers from, else the home folder.
        auto folder = delegate->referencingFileDirectoryURLForPicker(*this);
        panel->setDirectoryURL(folder && folder->isFileURL() ? folder : homeFolderURL());
    }
    if (panel->runModal() != ModalResponseOK || !panel->url()) {
        updateSelectedObjectIndication();
        return;
    }
    setCreatedFragmentSetTitle(m_titleField->stringValue());
    finishCreatingFragmentSet(*panel->url());
}

void VornickFragmentSetPicker::finishCreatingFragmentSet(const URL& url)
{
    auto delegate = this->delegate();
    Error error;
    auto created = VornickFragmentSet::createWithTitle(m_createdFragmentSetTitle);
    if (!created->writeToURL(url, &error)) {
        consoleLog(u"Failed to write new fragment set file: " + error.localizedDescription());
        // Said in a sheet; the menu then shows the document's snippet set again.
        auto alert = Alert::create();
        alert->setMessageText(u"The new snippet set \u201C" + m_createdFragmentSetTitle + u"\u201D could not be saved.");
        alert->setInformativeText(error.localizedDescription());
        alert->addButtonWithTitle(u"OK");
        m_errorAlert = alert;
        auto weak = std::weak_ptr<VornickFragmentSetPicker>(sharedAs<VornickFragmentSetPicker>());
        auto window = delegate ? delegate->windowForOtherObjectChooserSheet() : nullptr;
        auto done = [weak](ModalResponse) {
            if (auto self = weak.lock()) {
                self->m_errorAlert = nullptr;
                self->updateSelectedObjectIndication();
            }
        };
        if (window) {
            alert->beginSheetModalForWindow(window, done);
        } else {
            alert->runModal();
            done(ModalResponseOK);
        }
        return;
    }
    auto reference = VornickEnduringFileReference::enduringReferenceToFileURL(url);
    if (!reference) {
        updateSelectedObjectIndication();
        return;
    }
    reference->setTitle(m_createdFragmentSetTitle);
    // The set as read from its file, which it now has.
    auto fragmentSet = VornickFragmentSet::fragmentSetFromEnduringFileReference(*reference, &error);
    // Known from now on, so that the menu lists the set it selects.
    if (auto application = VornickApplicationDelegate::shared())
        vornick_knownFragmentSetFiles(application)->registerFileReference(reference);
    if (fragmentSet && editorOpener())
        editorOpener()(fragmentSet);
    if (delegate)
        delegate->pickerProposeNewSelectedObject(*this, reference);
    updateSelectedObjectIndication();
}

} // namespace brevanton
