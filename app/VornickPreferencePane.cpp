#include "app/VornickPreferencePane.h"

#include "platform/views/Image.h"
#include "platform/views/View.h"

#include <mutex>
#include <set>
#include <string>

namespace brevanton {

std::shared_ptr<Image> VornickPreferencePane::paneIcon() const
{
    return Image::imageNamed(paneIdentifier());
}

void VornickPreferencePane::registerPaneIcon(const char16_t* name, std::function<void(GraphicsContext&)> draw)
{
    static std::mutex lock;
    static std::set<std::u16string> registered;
    std::lock_guard guard(lock);
    if (!registered.insert(name).second)
        return;
    Image::registerImageNamed(name, [draw = std::move(draw)] { return Image::imageWithSize(Size { 32, 32 }, draw); });
}

std::shared_ptr<View> VornickPreferencePane::paneView()
{
    if (!m_paneView)
        m_paneView = makePaneView();
    return m_paneView;
}

} // namespace brevanton
