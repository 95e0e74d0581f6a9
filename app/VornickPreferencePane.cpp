#include "app/VornickPreferencePane.h"

#include "platform/views/Image.h"
#include "platform/views/View.h"

namespace brevanton {

std::shared_ptr<Image> VornickPreferencePane::paneIcon() const
{
    return Image::imageNamed(paneIdentifier());
}

std::shared_ptr<View> VornickPreferencePane::paneView()
{
    if (!m_paneView)
        m_paneView = makePaneView();
    return m_paneView;
}

} // namespace brevanton
