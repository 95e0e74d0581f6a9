#include "publishing/VornickProjectIndexingProgress.h"

#include "blog/VornickBlogHostingAccount.h"
#include "documents/VornickProject.h"
#include "platform/views/ProgressIndicator.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "platform/views/WindowServerConnection.h"
#include "ui/VornickProjectIndexingProgressWindowController.h"
#include "wordpress/VornickWordPressAccount.h"

namespace brevanton {

namespace {

std::chrono::milliseconds currentDisplayInterval = VornickProjectIndexingProgress::displayInterval;

} // namespace

static std::filesystem::path canonicalPath(const URL& url)
{
    auto path = url.fileSystemPath();
    if (!path)
        return {};
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(*path, error);
    return error ? std::filesystem::path(*path).lexically_normal() : canonical;
}

VornickProjectIndexingProgress::VornickProjectIndexingProgress(std::filesystem::path canonicalProjectFilePath)
    : m_projectFilePath(std::move(canonicalProjectFilePath))
{
    // Only projects post this notification.
    m_observation = NotificationCenter::defaultCenter().addObserver(VornickProjectIndexingProgressNotification, nullptr, nullptr,
        [this](const Notification& notification) {
            auto* project = static_cast<const VornickProject*>(notification.object);
            if (!project)
                return;
            if (m_project ? project == m_project : canonicalPath(project->projectFileURL()) == m_projectFilePath)
                indexingProgressed(*project, notification);
        });
}

VornickProjectIndexingProgress::~VornickProjectIndexingProgress() = default;

void VornickProjectIndexingProgress::setProject(const VornickProject* project)
{
    m_project = project;
}

void VornickProjectIndexingProgress::indexingProgressed(const VornickProject& project, const Notification& notification)
{
    if (!project.isIndexing()) {
        if (m_windowController && m_windowController->window()->isVisible())
            m_windowController->window()->orderOut();
        return;
    }
    if (!m_windowController)
        m_windowController = std::make_unique<VornickProjectIndexingProgressWindowController>();
    auto& window = m_windowController->window();
    auto status = notification.userInfo.find(u"statusMessage");
    if (status != notification.userInfo.end() && status->second.isString())
        m_windowController->statusTextField()->setTextString(status->second.string());
    double toIndex = static_cast<double>(project.numberOfFilesToIndex());
    m_windowController->progressIndicator()->setDoubleValue(toIndex > 0 ? static_cast<double>(project.numberOfFilesIndexed()) / toIndex : 0);
    if (window->isVisible()) {
        displayDuringIndexing(false);
        return;
    }
    std::u16string login;
    std::u16string site;
    if (auto account = std::dynamic_pointer_cast<VornickBlogHostingAccount>(project.rootComponent()))
        login = account->loginID();
    if (auto account = std::dynamic_pointer_cast<VornickWordPressAccount>(project.rootComponent()))
        site = account->rootURLString();
    m_windowController->titleTextField()->setTextString(u"Indexing project " + (login.empty() ? u"(user)" : login) + u" @ "
                                                       + (site.empty() ? u"(rootURL)" : site));
    window->orderFront();
    // The window shows before the indexing goes on.
    window->displayIfNeeded();
    ++m_timesShown;
    displayDuringIndexing(true);
}

void VornickProjectIndexingProgress::setDisplayIntervalForTesting(std::chrono::milliseconds interval)
{
    currentDisplayInterval = interval;
}

void VornickProjectIndexingProgress::displayDuringIndexing(bool firstShown)
{
    auto* connection = WindowServerConnection::current();
    if (!connection)
        return;
    auto now = std::chrono::steady_clock::now();
    if (!firstShown && now - m_lastDisplayed < currentDisplayInterval)
        return;
    m_lastDisplayed = now;
    connection->displayWindowsDuringBusyWork();
}

} // namespace brevanton
