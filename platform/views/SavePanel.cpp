#include "platform/views/SavePanel.h"

#include "platform/foundation/Text.h"

namespace brevanton {

std::shared_ptr<SavePanel> SavePanel::savePanel()
{
    return std::make_shared<SavePanel>();
}

URL SavePanel::withAllowedExtension(const URL& url) const
{
    if (m_allowedFileTypes.empty())
        return url;
    auto extension = url.pathExtension();
    for (const auto& type : m_allowedFileTypes) {
        if (equalsIgnoringASCIICase(extension, type))
            return url;
    }
    auto path = url.fileSystemPath();
    if (!path)
        return url;
    return URL::fileURLWithPath(*path + "." + toUTF8(m_allowedFileTypes.front()));
}

ModalResponse SavePanel::runModal()
{
    m_url.reset();
    m_running = true;
    auto answer = SavePanelDriver::shared().nextAnswer(*this);
    m_running = false;
    if (answer.response != ModalResponseOK)
        return ModalResponseCancel;
    if (answer.url)
        m_url = withAllowedExtension(*answer.url);
    else if (m_directoryURL && !m_name.empty())
        m_url = withAllowedExtension(m_directoryURL->URLByAppendingPathComponent(m_name, false));
    // A confirmation that names no file is no choice.
    return m_url ? ModalResponseOK : ModalResponseCancel;
}

SavePanelDriver& SavePanelDriver::shared()
{
    static SavePanelDriver driver;
    return driver;
}

void SavePanelDriver::reset()
{
    m_answers.clear();
    m_responder = nullptr;
    m_shownPanels.clear();
}

SavePanelDriver::Answer SavePanelDriver::nextAnswer(SavePanel& panel)
{
    m_shownPanels.push_back(panel.shared_from_this());
    if (!m_answers.empty()) {
        auto answer = std::move(m_answers.front());
        m_answers.pop_front();
        return answer;
    }
    if (m_responder) {
        if (auto answer = m_responder(panel))
            return *answer;
    }
    return {};
}

} // namespace brevanton
