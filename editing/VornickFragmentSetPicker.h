// VornickFragmentSetPicker: the menu of snippet sets a document may use:
// "(Plain HTML)", the known snippet set files sorted by title, "Choose Other
// Snippet Set..." and "Create New Snippet Set...". The menu is rebuilt
// whenever the known snippet set files change.
//
// A new snippet set is saved where the user says, with the title given in
// the save panel's accessory view; once written it joins the known snippet
// set files, opens in the snippet set editor and is proposed to the
// delegate. A set that cannot be written is told in an error sheet on the
// delegate's window, after which the menu shows the selection again (never
// "Create New Snippet Set..." as if it were chosen).
#pragma once

#include "editing/VornickObjectPicker.h"

#include <functional>

namespace brevanton {

class TextField;
class View;
class VornickFragmentSet;

class VornickFragmentSetPicker : public VornickReferencedFilePicker {
public:
    // Observes the known snippet set files from the start.
    static std::shared_ptr<VornickFragmentSetPicker> create();
    VornickFragmentSetPicker();

    void rebuildPickerMenu(Menu&) override;
    // Lets the user choose a snippet set file as a sheet on the delegate's
    // window; the chosen reference is proposed and joins the known files.
    void pickOtherObjectNotInMenu(ActionSender*) override;
    void createNewFragmentSet(ActionSender*);

    // The save panel's accessory view: a title field whose text becomes
    // createdFragmentSetTitle when the panel is confirmed. Made on first use.
    const std::shared_ptr<View>& createdFragmentSetSaveSheetAccessoryView();
    const std::u16string& createdFragmentSetTitle() const { return m_createdFragmentSetTitle; }
    void setCreatedFragmentSetTitle(std::u16string);

    // Opens a snippet set in the snippet set editor; none is installed
    // until the editor is (then the set is only proposed).
    using EditorOpener = std::function<void(const std::shared_ptr<VornickFragmentSet>&)>;
    static void setEditorOpener(EditorOpener);
    // Opens the set with the installed editor; false when there is none.
    static bool openEditorForFragmentSet(const std::shared_ptr<VornickFragmentSet>&);

private:
    void observeKnownFragmentSetFiles();
    void finishCreatingFragmentSet(const URL&);

    std::u16string m_createdFragmentSetTitle;
    std::shared_ptr<View> m_accessoryView;
    std::shared_ptr<TextField> m_titleField;
    ObserverToken m_knownFilesObservation;
    std::shared_ptr<class Alert> m_errorAlert;
};

} // namespace brevanton
