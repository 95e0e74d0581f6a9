#include "documents/VornickProject.h"

#include "documents/VornickProjectComponent.h"
#include "documents/VornickProjectFolderWatcher.h"
#include "documents/VornickProjectIndex.h"
#include "documents/VornickProjectLock.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/FolderConfinedWriting.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/FetchRequest.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickFileTreeEvent.h"
#include "toolkit/VornickLog.h"

#include <map>
#include <mutex>

namespace brevanton {

namespace {

constexpr std::u16string_view UniqueIdentifierKey = u"uniqueIdentifier";
constexpr std::u16string_view ProjectTypeKey = u"projectType";

struct ProjectRegistry {
    std::mutex mutex;
    std::map<const ManagedObjectContext*, std::weak_ptr<VornickProject>> projects;
};

ProjectRegistry& projectRegistry()
{
    // Never destroyed: a project held by a static may go after the statics of this file.
    static auto* registry = new ProjectRegistry;
    return *registry;
}

Error projectFileError(const URL& url, std::u16string reason, const Error* underlying)
{
    Error error(VornickErrorDomain, VornickProjectFileUnreadableError,
                u"The project file \u201C" + url.lastPathComponent() + u"\u201D cannot be opened: " + reason);
    error.userInfo()[Error::URLKey] = Value(url.absoluteString());
    if (underlying && !underlying->isEmpty())
        error.setUnderlyingError(*underlying);
    return error;
}

} // namespace

VornickProject::VornickProject()
    : m_projectFileURL(URL::fileURLWithPath("/", true))
    , m_sourceRootURL(URL::fileURLWithPath("/", true))
{
}

VornickProject::~VornickProject()
{
    m_folderWatcher.reset();
    if (!m_index)
        return;
    auto& registry = projectRegistry();
    std::lock_guard lock(registry.mutex);
    registry.projects.erase(m_index->managedObjectContext().get());
}

std::shared_ptr<VornickProject> VornickProject::vornickProjectForManagedObjectContext(const ManagedObjectContext* context)
{
    if (!context)
        return nullptr;
    auto& registry = projectRegistry();
    std::lock_guard lock(registry.mutex);
    auto found = registry.projects.find(context);
    return found == registry.projects.end() ? nullptr : found->second.lock();
}

std::u16string VornickProject::projectUTI() const
{
    return u"com.Orbendalworks.Brevanton.project";
}

std::u16string VornickProject::rootComponentEntityType() const
{
    BREVANTON_ASSERT(false, "Subclasses must override rootComponentEntityType");
    return {};
}

std::shared_ptr<const ManagedObjectModel> VornickProject::managedObjectModel() const
{
    BREVANTON_ASSERT(false, "Subclasses must override managedObjectModel");
    return nullptr;
}

void VornickProject::setProjectFileURL(const URL& url)
{
    URL absolute = url.absoluteURL();
    m_projectFileURL = URL::fileURLWithPath(absolute.fileSystemPath().value_or("/"), false);
    m_sourceRootURL = URL::fileURLWithPath(parentDirectory(*m_projectFileURL.fileSystemPath()), true);
}

bool VornickProject::openIndex(bool* outIndexIsNew, Error* outError)
{
    m_index = VornickProjectIndex::createForProjectIdentifier(m_uniqueIdentifier, managedObjectModel(), outError);
    if (!m_index)
        return false;
    *outIndexIsNew = m_index->isNew();
    auto& registry = projectRegistry();
    std::lock_guard lock(registry.mutex);
    registry.projects[m_index->managedObjectContext().get()] = weak_from_this();
    return true;
}

bool VornickProject::lockSourceFolder(Error* outError)
{
    auto path = m_sourceRootURL.fileSystemPath();
    if (!path)
        return true;
    m_lock = VornickProjectLock::acquire(*path, outError);
    return static_cast<bool>(m_lock);
}

bool VornickProject::setUpWithNewProjectFileURL(const URL& projectFileURL, Error* outError)
{
    if (!projectFileURL.isFileURL() || !projectFileURL.fileSystemPath()) {
        if (outError)
            *outError = projectFileError(projectFileURL, u"it is not a local file.", nullptr);
        return false;
    }
    setProjectFileURL(projectFileURL);
    if (!createDirectory(*m_sourceRootURL.fileSystemPath(), true, outError))
        return false;
    if (!lockSourceFolder(outError))
        return false;
    bool indexIsNew = true;
    if (!openIndex(&indexIsNew, outError))
        return false;
    createRootComponent();
    updateRootComponentFromProjectFileObjectArchive(nullptr);
    // Nothing is in the new folder to index.
    m_index->noteFilled();
    return true;
}

bool VornickProject::setUpWithProjectFileURL(const URL& projectFileURL, Error* outError)
{
    if (!projectFileURL.isFileURL() || !projectFileURL.fileSystemPath()) {
        if (outError)
            *outError = projectFileError(projectFileURL, u"it is not a local file.", nullptr);
        return false;
    }
    setProjectFileURL(projectFileURL);
    Error readError;
    auto archive = VornickObjectArchive::createWithContentsOfURL(m_projectFileURL, &readError);
    if (!archive) {
        if (outError)
            *outError = projectFileError(m_projectFileURL,
                                         readError.isEmpty() ? u"it does not hold a dictionary." : readError.localizedDescription(),
                                         &readError);
        return false;
    }
    if (auto type = archive->objectForKey(ProjectTypeKey); type && type->isString() && type->string() != projectUTI()) {
        if (outError)
            *outError = projectFileError(m_projectFileURL, u"it is a project of the kind \u201C" + type->string() + u"\u201D.",
                                         nullptr);
        return false;
    }

    // What writes killed before their rename left goes before the files are read.
    if (size_t removed = removeLeftoverTemporaryFiles(*m_sourceRootURL.fileSystemPath()))
        VornickGeneralLog("Removed {} temporary files that interrupted writes left in {}", removed, *m_sourceRootURL.fileSystemPath());

    bool needsNewIdentifier = true;
    if (auto identifier = archive->objectForKey(UniqueIdentifierKey); identifier && identifier->isString()) {
        if (auto uuid = UUID::fromString(identifier->string())) {
            m_uniqueIdentifier = *uuid;
            needsNewIdentifier = false;
        }
    }

    if (!lockSourceFolder(outError))
        return false;
    bool indexIsNew = true;
    if (!openIndex(&indexIsNew, outError))
        return false;
    if (!indexIsNew)
        m_rootComponent = findRootComponent();
    if (!m_rootComponent)
        createRootComponent();
    updateRootComponentFromProjectFileObjectArchive(archive.get());
    // A project file without a usable identifier gets the new one written
    // with the next save, so that the same index is found next time.
    if (needsNewIdentifier)
        m_rootComponent->setHasEditsNotYetSavedToSourceFile(true);

    if (indexIsNew)
        fillNewIndex();
    else
        importChangesSinceLastIndexing();
    return true;
}

bool VornickProject::startWatchingSourceFolder(Error* outError)
{
    if (m_folderWatcher)
        return true;
    // The watcher goes before the project does: `this` outlives its callback.
    m_folderWatcher = VornickProjectFolderWatcher::create(m_sourceRootURL, [this] {
        importChangesSinceLastIndexing();
        postIndexDidFinishUpdating();
    }, outError);
    return static_cast<bool>(m_folderWatcher);
}

void VornickProject::stopWatchingSourceFolder()
{
    m_folderWatcher.reset();
}

void VornickProject::fillNewIndex()
{
    auto event = VornickFileTreeEvent::create(VornickFileTreeEventKind::FileAdded, initialIndexingFolderURL(), 0);
    importChangesFromFileTreeEvent(*event);
    Error error;
    if (!m_index->commitEditingAndSave(&error)) {
        VornickGeneralLog("-[VornickProject fillNewIndex] Failed to save the new index: {}", error.localizedDescription());
        return;
    }
    m_index->noteFilled();
}

void VornickProject::setRootComponent(std::shared_ptr<VornickProjectComponent> component)
{
    m_rootComponent = std::move(component);
}

std::shared_ptr<VornickProjectComponent> VornickProject::createRootComponent()
{
    auto object = m_index->managedObjectContext()->insertNewObject(rootComponentEntityType());
    auto component = std::dynamic_pointer_cast<VornickProjectComponent>(object);
    BREVANTON_ASSERT(component, "rootComponent must be a VornickProjectComponent");
    component->setHasEditsNotYetSavedToSourceFile(true);
    setRootComponent(component);
    return component;
}

std::shared_ptr<VornickProjectComponent> VornickProject::findRootComponent()
{
    Error error;
    auto found = m_index->managedObjectContext()->executeFetchRequest(FetchRequest(rootComponentEntityType()), &error);
    if (!found) {
        VornickGeneralLog("-[VornickProject findRootComponent] Fetch failed: {}", error.localizedDescription());
        return nullptr;
    }
    if (found->empty())
        return nullptr;
    if (found->size() > 1)
        VornickGeneralLog("Warning: Found {} {} entities in project, when there should be only one!", found->size(),
                          rootComponentEntityType());
    return std::dynamic_pointer_cast<VornickProjectComponent>(found->front());
}

void VornickProject::writeBasePropertiesToProjectFileObjectArchive(VornickObjectArchive& archive) const
{
    archive.setObject(Value(m_uniqueIdentifier.UUIDString()), UniqueIdentifierKey);
    archive.setObject(Value(projectUTI()), ProjectTypeKey);
}

bool VornickProject::save(Error* outError)
{
    auto archive = m_rootComponent ? m_rootComponent->archivalRepresentation() : std::make_shared<VornickObjectArchive>();
    writeBasePropertiesToProjectFileObjectArchive(*archive);
    auto data = archive->jsonDataReturningErrorIn(outError);
    if (!data)
        return false;
    if (!createDirectory(*m_sourceRootURL.fileSystemPath(), true, outError))
        return false;
    if (!writeFileInsideSourceRoot(*m_projectFileURL.fileSystemPath(), *data, outError))
        return false;
    if (m_rootComponent)
        m_rootComponent->setHasEditsNotYetSavedToSourceFile(false);
    return true;
}

bool VornickProject::holdsPath(const std::string& path) const
{
    std::string root = m_sourceRootURL.fileSystemPath().value_or("/");
    if (root.back() != '/')
        root += '/';
    return path.size() > root.size() && path.starts_with(root);
}

bool VornickProject::holdsPathWithoutLinks(const std::string& path) const
{
    return liesInsideFolderWithoutLinks(*m_sourceRootURL.fileSystemPath(), path);
}

bool VornickProject::writeFileInsideSourceRoot(const std::string& path, std::string_view contents, Error* outError) const
{
    return writeFileInsideFolder(*m_sourceRootURL.fileSystemPath(), path, contents, outError);
}

bool VornickProject::createFolderInsideSourceRoot(const std::string& path, Error* outError) const
{
    return createFolderInsideFolder(*m_sourceRootURL.fileSystemPath(), path, outError);
}

bool VornickProject::saveComponentsToSourceFilesIfNeeded(Error* outError)
{
    if (m_rootComponent && m_rootComponent->hasEditsNotYetSavedToSourceFile())
        return save(outError);
    return true;
}

void VornickProject::postIndexingProgressUpdate()
{
    Dictionary userInfo { { u"numberOfFilesIndexed", Value(m_numberOfFilesIndexed) },
                          { u"numberOfFilesToIndex", Value(m_numberOfFilesToIndex) },
                          { u"statusMessage", Value(toUTF16(fmt::format("Indexing: {}/{} files", m_numberOfFilesIndexed,
                                                                        m_numberOfFilesToIndex))) } };
    // Indexing on the main thread keeps it busy: its observers hear at once,
    // while it goes on.
    if (RunLoop::isMainThread()) {
        NotificationCenter::defaultCenter().post(VornickProjectIndexingProgressNotification, this, userInfo);
        return;
    }
    OperationQueue::main().addOperation([weakThis = weak_from_this(), userInfo] {
        if (auto project = weakThis.lock())
            NotificationCenter::defaultCenter().post(VornickProjectIndexingProgressNotification, project.get(), userInfo);
    });
}

void VornickProject::postIndexDidFinishUpdating()
{
    if (m_delegate)
        m_delegate->projectDidFinishUpdatingIndex(*this);
    NotificationCenter::defaultCenter().post(VornickProjectIndexDidFinishUpdatingNotification, this);
}

} // namespace brevanton
