#include "platform/views/ColorPanel.h"

namespace brevanton {

std::shared_ptr<ColorPanel> ColorPanel::colorPanel()
{
    return std::make_shared<ColorPanel>();
}

bool ColorPanel::runModal()
{
    m_running = true;
    auto answer = ColorPanelDriver::shared().nextAnswer(*this);
    m_running = false;
    if (!answer)
        return false;
    m_color = m_showsAlpha ? *answer : answer->withAlphaComponent(1);
    return true;
}

ColorPanelDriver& ColorPanelDriver::shared()
{
    static ColorPanelDriver driver;
    return driver;
}

void ColorPanelDriver::reset()
{
    m_answers.clear();
    m_responder = nullptr;
    m_shownPanels.clear();
}

ColorPanelDriver::Answer ColorPanelDriver::nextAnswer(ColorPanel& panel)
{
    m_shownPanels.push_back(panel.shared_from_this());
    if (!m_answers.empty()) {
        auto answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    if (m_responder)
        return m_responder(panel);
    return std::nullopt;
}

} // namespace brevanton
