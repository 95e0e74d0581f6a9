// VornickHTMLFormattingPreferencesPicker: "(User Settings)" (the document
// keeps no preferences of its own) and "Custom..." (the focused frame's own
// preferences, or the marker that it has none). It follows the content
// editing view's focused frame and its content (an undone choice shows at once).
#pragma once

#include "editing/VornickObjectPicker.h"

namespace brevanton {

class VornickHTMLFormattingPreferencesPicker : public VornickReferencedFilePicker {
public:
    static std::shared_ptr<VornickHTMLFormattingPreferencesPicker> create();

    void rebuildPickerMenu(Menu&) override;
    // The "Custom..." item stands for the focused frame's preferences as they
    // are now: the menu is rebuilt first.
    void updateSelectedObjectIndication() override;
};

} // namespace brevanton
