#include "editing/VornickHTMLFormattingPreferencesPicker.h"

#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

std::shared_ptr<VornickHTMLFormattingPreferencesPicker> VornickHTMLFormattingPreferencesPicker::create()
{
    return std::make_shared<VornickHTMLFormattingPreferencesPicker>();
}

void VornickHTMLFormattingPreferencesPicker::rebuildPickerMenu(Menu& menu)
{
    menu.removeAllItems();
    addItemForRepresentedObject({}, u"(User Settings)", menu);
    auto frame = focusedFrame();
    auto own = frame ? vornick_HTMLFormattingPreferences(*frame) : nullptr;
    if (own)
        addItemForRepresentedObject(own, u"Custom...", menu);
    else
        addItemForRepresentedObject(VornickPickerObject::NoFormattingPreferences {}, u"Custom...", menu);
}

void VornickHTMLFormattingPreferencesPicker::updateSelectedObjectIndication()
{
    if (auto menu = pickerMenu())
        rebuildPickerMenu(*menu);
    VornickReferencedFilePicker::updateSelectedObjectIndication();
}

} // namespace brevanton
