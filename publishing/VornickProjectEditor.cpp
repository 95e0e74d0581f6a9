#include "publishing/VornickProjectEditor.h"

#include "documents/VornickProject.h"
#include "documents/VornickProjectComponent.h"
#include "documents/VornickProjectComponentEditor.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "publishing/VornickProjectIndexingProgress.h"
#include "platform/store/ManagedObjectModel.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace brevanton {

namespace {

std::map<std::u16string, VornickProjectEditor::ComponentEditorOpener>& openers()
{
    static std::map<std::u16string, VornickProjectEditor::ComponentEditorOpener> registered;
    return registered;
}

// The file's path with links and "." or ".." resolved as far as it exists.
std::filesystem::path canonicalPathOfURL(const URL& url)
{
    auto path = url.fileSystemPath();
    if (!path)
        return {};
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(*path, error);
    return error ? std::filesystem::path(*path).lexically_normal() : canonical;
}

bool folderHoldsPath(const std::filesystem::path& folder, const std::filesystem::path& path)
{
    if (folder.empty() || path.empty())
        return false;
    auto folderEnd = folder.end();
    if (folder.filename().empty())
        --folderEnd; // a trailing separator
    auto [folderStop, pathStop] = std::mismatch(folder.begin(), folderEnd, path.begin(), path.end());
    return folderStop == folderEnd && pathStop != path.end();
}

} // namespace

std::vector<std::shared_ptr<VornickProjectEditor>>& VornickProjectEditor::openEditors()
{
    static std::vector<std::shared_ptr<VornickProjectEditor>> editors;
    return editors;
}

void VornickProjectEditor::setComponentEditorOpener(const std::u16string& entityName, ComponentEditorOpener opener)
{
    if (opener)
        openers()[entityName] = std::move(opener);
    else
        openers().erase(entityName);
}

VornickProjectEditor::VornickProjectEditor(std::shared_ptr<VornickProject> project)
    : m_project(std::move(project))
{
}

VornickProjectEditor::~VornickProjectEditor() = default;

void VornickProjectEditor::showSyncLog()
{
    if (auto delegate = m_delegate.lock())
        delegate->projectEditorShowSyncLog(*this);
}

std::shared_ptr<VornickProjectEditor> VornickProjectEditor::openProjectFileURL(const URL& projectFileURL, Error* outError)
{
    auto wanted = canonicalPathOfURL(projectFileURL);
    for (auto& editor : openEditors()) {
        if (canonicalPathOfURL(editor->m_project->projectFileURL()) == wanted)
            return editor;
    }
    // Reading a project indexes it; the indexing window shows meanwhile.
    auto indexingProgress = std::make_unique<VornickProjectIndexingProgress>(wanted);
    auto project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(projectFileURL, outError);
    if (!project)
        return nullptr;
    indexingProgress->setProject(project.get());
    auto editor = std::shared_ptr<VornickProjectEditor>(new VornickProjectEditor(std::move(project)));
    editor->m_indexingProgress = std::move(indexingProgress);
    openEditors().push_back(editor);
    return editor;
}

std::shared_ptr<VornickProjectEditor> VornickProjectEditor::projectEditorForProject(const std::shared_ptr<VornickProject>& project)
{
    for (auto& editor : openEditors()) {
        if (editor->m_project == project)
            return editor;
    }
    return nullptr;
}

std::shared_ptr<VornickProjectEditor> VornickProjectEditor::projectEditorForComponentSourceFileURL(const URL& url)
{
    auto path = canonicalPathOfURL(url);
    for (auto& editor : openEditors()) {
        if (folderHoldsPath(canonicalPathOfURL(editor->m_project->sourceRootURL()), path))
            return editor;
    }
    return nullptr;
}

std::vector<std::shared_ptr<VornickProjectEditor>> VornickProjectEditor::openProjectEditors()
{
    return openEditors();
}

std::shared_ptr<VornickProjectComponentEditor> VornickProjectEditor::openEditorForComponent(
    const std::shared_ptr<VornickProjectComponent>& component, Error* outError)
{
    if (!component || component->project() != m_project) {
        setError(outError, Error(VornickErrorDomain, VornickPostFileNotInProjectError, u"The item does not belong to this account project."));
        return nullptr;
    }
    if (auto open = VornickProjectComponentEditor::editorForComponent(*component)) {
        open->showWindows();
        return open;
    }
    auto opener = openers().find(component->entity().name());
    if (opener == openers().end()) {
        setError(outError, Error(VornickErrorDomain, VornickPostFileNotInProjectError,
                               u"There is no window for an item of the kind \u201c" + component->entity().name() + u"\u201d."));
        return nullptr;
    }
    auto editor = opener->second(*this, component, outError);
    if (!editor)
        return nullptr;
    VornickProjectComponentEditor::registerEditor(editor);
    editor->showWindows();
    return editor;
}

std::vector<std::shared_ptr<VornickProjectComponentEditor>> VornickProjectEditor::componentEditors() const
{
    return VornickProjectComponentEditor::editorsOfProject(*m_project);
}

bool VornickProjectEditor::shouldCloseProjectEditorWithNoComponentEditors() const
{
    auto delegate = m_delegate.lock();
    return !delegate || delegate->projectEditorShouldCloseWithNoComponentEditors(*this);
}

bool VornickProjectEditor::canCloseNow() const
{
    if (m_closed || !shouldCloseProjectEditorWithNoComponentEditors())
        return false;
    // The project editor's own window never shows: its component editors'
    // and its document's are all there is.
    if (auto delegate = m_delegate.lock(); delegate && delegate->projectEditorShowsWindows(*this))
        return false;
    return componentEditors().empty();
}

void VornickProjectEditor::attemptCloseIfNoWindowsShownAndNoComponentEditors()
{
    if (!canCloseNow())
        return;
    RunLoop::main().perform([weakEditor = weak_from_this()] {
        auto editor = weakEditor.lock();
        if (editor && editor->canCloseNow())
            editor->close();
    });
}

void VornickProjectEditor::updateChangeCount()
{
    ++m_changeCount;
    NotificationCenter::defaultCenter().post(DidChangeNotification, this);
}

bool VornickProjectEditor::saveProjectIfEdited(Error* outError)
{
    if (!m_changeCount)
        return true;
    if (!m_project->save(outError))
        return false;
    m_changeCount = 0;
    NotificationCenter::defaultCenter().post(DidChangeNotification, this);
    return true;
}

void VornickProjectEditor::close()
{
    if (m_closed)
        return;
    Error error;
    if (!saveProjectIfEdited(&error))
        VornickGeneralLog(u"The settings of “" + m_project->projectFileURL().lastPathComponent() + u"” could not be saved: "
                          + error.localizedDescription());
    m_closed = true;
    auto self = shared_from_this();
    std::erase(openEditors(), self);
    if (auto delegate = m_delegate.lock())
        delegate->projectEditorDidClose(*this);
}

} // namespace brevanton
