// VornickStyleSheetPicker: the menu of style sheets a document may take as
// its main sheet: none, the built-in sheets, the sheets the focused frame's
// document refers to, the known user sheets it does not use, and "Choose
// Other Style Sheet...". The embed and export items follow the selected
// sheet and go to the delegate.
#pragma once

#include "editing/VornickObjectPicker.h"

namespace brevanton {

class VornickStyleSheetPicker : public VornickReferencedFilePicker {
public:
    static std::shared_ptr<VornickStyleSheetPicker> create();
    VornickStyleSheetPicker();

    void rebuildPickerMenu(Menu&) override;
    // Lets the user choose a .css file as a sheet on the delegate's window;
    // a chosen file is proposed as a user style sheet and joins the known
    // style sheet files.
    void pickOtherObjectNotInMenu(ActionSender*) override;
    // Forwarded to the delegate, then the pop-up button is filled again.
    void embedCopyOfSelectedStyleSheet(ActionSender*);
    void exportCopyOfSelectedStyleSheet(ActionSender*);
};

} // namespace brevanton
