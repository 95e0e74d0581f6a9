#include "platform/views/HelpManager.h"

namespace brevanton {

HelpManager& HelpManager::shared()
{
    static HelpManager manager;
    return manager;
}

void HelpManager::openHelpAnchor(const std::u16string& anchor, const std::u16string& book)
{
    m_requests.push_back({ anchor, book });
    if (m_handler)
        m_handler(anchor, book);
}

void HelpManager::resetForTesting()
{
    m_handler = nullptr;
    m_requests.clear();
}

} // namespace brevanton
