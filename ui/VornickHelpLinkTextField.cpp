#include "ui/VornickHelpLinkTextField.h"

#include "platform/views/SystemColors.h"
#include "platform/views/SystemFonts.h"
#include "views/VornickHelpExtensions.h"

namespace brevanton {

VornickHelpLinkTextField::VornickHelpLinkTextField(Rect frame, std::u16string_view text, std::u16string_view helpAnchor)
    : TextField(frame)
    , m_helpAnchor(helpAnchor)
{
    setEditable(false);
    setBezeled(false);
    setDrawsBackground(false);
    auto linked = std::make_shared<TextAttributeDictionary>();
    (*linked)[FontAttributeName] = systemFontOfSize(SystemFontSize - 2);
    (*linked)[ForegroundColorAttributeName] = systemColor(SystemColor::Link);
    (*linked)[UnderlineStyleAttributeName] = UnderlineStyleSingle;
    // As in the momentary tips, the link's value is the help anchor.
    (*linked)[LinkAttributeName] = m_helpAnchor;
    setAttributedStringValue(AttributedString(std::u16string(text), std::move(linked)));
}

void VornickHelpLinkTextField::mouseDown(const Event&)
{
    vornick_openHelpAnchor(m_helpAnchor);
}

} // namespace brevanton
