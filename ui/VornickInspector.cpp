#include "ui/VornickInspector.h"

#include "platform/views/Window.h"

namespace brevanton {

std::map<std::type_index, std::shared_ptr<VornickInspector>>& VornickInspector::sharedInstances()
{
    static std::map<std::type_index, std::shared_ptr<VornickInspector>> instances;
    return instances;
}

const std::shared_ptr<Window>& VornickInspector::window()
{
    if (!m_window) {
        m_window = makeWindow();
        windowDidLoad();
    }
    return m_window;
}

bool VornickInspector::isShown() const
{
    return m_window && m_window->isVisible();
}

void VornickInspector::showWindow()
{
    window()->makeKeyAndOrderFront();
}

void VornickInspector::hideWindow()
{
    if (m_window)
        m_window->orderOut();
}

void VornickInspector::showOrHideWindow()
{
    if (isShown())
        hideWindow();
    else
        showWindow();
}

} // namespace brevanton
