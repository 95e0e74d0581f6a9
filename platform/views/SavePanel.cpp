#include "platform/views/SavePanel.h"

#include "platform/foundation/Text.h"

namespace brevanton {

std::shared_ptr<SavePanel> SavePanel::savePanel()
{
    return std::make_shared<SavePanel>();
}

namespace {

bool hasType(const std::vector<std::u16string>& types, std::u16string_view extension)
{
    for (const auto& type : types) {
        if (equalsIgnoringASCIICase(extension, type))
            return true;
    }
    return false;
}

} // namespace

void SavePanel::setAllowedFileTypes(std::vector<std::u16string> types)
{
    auto dot = m_name.rfind(u'.');
    if (dot != std::u16string::npos && dot > 0 && !types.empty()) {
        std::u16string_view extension = std::u16string_view(m_name).substr(dot + 1);
        if (hasType(m_allowedFileTypes, extension) && !hasType(types, extension))
            m_name = m_name.substr(0, dot + 1) + types.front();
    }
    m_allowedFileTypes = std::move(types);
    if (m_allowedFileTypesObserver)
        m_allowedFileTypesObserver(*this);
}

URL SavePanel::withAllowedExtension(const URL& url) const
{
    if (m_allowedFileTypes.empty())
        return url;
    if (hasType(m_allowedFileTypes, url.pathExtension()))
        return url;
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
