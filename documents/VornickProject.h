// VornickProject: a folder of files (the source root) described by a project
// file, and mirrored into a project index (an object store in the XDG data
// folder, named by the project's unique identifier). The project file is an
// object archive in JSON: the root component's archive plus the base
// properties "uniqueIdentifier" (a UUID string) and "projectType" (the
// class's type identifier).
//
// Subclasses (the blog projects above this layer) give the type identifier,
// the model and the root entity, and override the hooks: how the project
// file fills the root component, how file tree events are imported, how
// components are written back to files. Opening a project with a new or
// erased index fills it from one file-added event for
// initialIndexingFolderURL(); opening one whose index exists calls
// importChangesSinceLastIndexing(). Opening first removes the temporary
// files that writes killed before their rename left in the source root.
//
// Main thread: the index's context belongs to the thread that opened the
// project.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UUID.h"
#include "toolkit/VornickObjectArchive.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class ManagedObjectContext;
class ManagedObjectModel;
class VornickFileTreeEvent;
class VornickProject;
class VornickProjectFolderWatcher;
class VornickProjectComponent;
class VornickProjectIndex;
class VornickProjectLock;

// Posted on the main queue (at once when indexing runs on the main thread)
// with the project as object, the counts under "numberOfFilesIndexed" and
// "numberOfFilesToIndex", and "statusMessage" ("Indexing: 50/120 files").
inline constexpr const char* VornickProjectIndexingProgressNotification = "VornickProjectIndexingProgressNotification";
// Posted on the main queue when the index has been brought up to date.
inline constexpr const char* VornickProjectIndexDidFinishUpdatingNotification = "VornickProjectIndexDidFinishUpdatingNotification";

class VornickProjectDelegate {
public:
    virtual ~VornickProjectDelegate() = default;
    virtual void projectDidFinishUpdatingIndex(VornickProject&) {}
};

class VornickProject : public std::enable_shared_from_this<VornickProject> {
public:
    virtual ~VornickProject();
    VornickProject(const VornickProject&) = delete;
    VornickProject& operator=(const VornickProject&) = delete;

    // A new project of class P at `projectFileURL` (its folder is the
    // source root, made when missing): a new identifier, a new index and a
    // root component marked as having unsaved edits. The project file is
    // written by save(). Null with an error on failure.
    template<class P>
    [[nodiscard]] static std::shared_ptr<P> createWithNewProjectFileURL(const URL& projectFileURL, Error* outError)
    {
        auto project = std::make_shared<P>();
        if (!project->setUpWithNewProjectFileURL(projectFileURL, outError))
            return nullptr;
        return project;
    }
    // The project of class P that `projectFileURL` describes, with its index
    // opened (made and filled when missing or incompatible). Null with an
    // error when the file cannot be read or is of another kind; nothing on
    // disk is changed then.
    template<class P>
    [[nodiscard]] static std::shared_ptr<P> createWithContentsOfProjectFileURL(const URL& projectFileURL, Error* outError)
    {
        auto project = std::make_shared<P>();
        if (!project->setUpWithProjectFileURL(projectFileURL, outError))
            return nullptr;
        return project;
    }

    // The project whose index owns the context; null for any other context.
    static std::shared_ptr<VornickProject> vornickProjectForManagedObjectContext(const ManagedObjectContext*);

    // --- What subclasses give
    // The project's type identifier; the base's is "com.Orbendalworks.Brevanton.project".
    virtual std::u16string projectUTI() const;
    // The entity of the root component (must be a VornickProjectComponent).
    virtual std::u16string rootComponentEntityType() const;
    // The model of the index.
    virtual std::shared_ptr<const ManagedObjectModel> managedObjectModel() const;
    // The folder a new index is filled from; the base's is the source root.
    virtual URL initialIndexingFolderURL() const { return sourceRootURL(); }

    const URL& projectFileURL() const { return m_projectFileURL; }
    // The folder holding the project file (a folder URL).
    const URL& sourceRootURL() const { return m_sourceRootURL; }
    const UUID& uniqueIdentifier() const { return m_uniqueIdentifier; }
    const std::shared_ptr<VornickProjectIndex>& index() const { return m_index; }
    const std::shared_ptr<VornickProjectComponent>& rootComponent() const { return m_rootComponent; }
    void setRootComponent(std::shared_ptr<VornickProjectComponent>);

    VornickProjectDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickProjectDelegate* delegate) { m_delegate = delegate; }

    // Indexing progress.
    size_t numberOfFilesToIndex() const { return m_numberOfFilesToIndex; }
    void setNumberOfFilesToIndex(size_t count) { m_numberOfFilesToIndex = count; }
    size_t numberOfFilesIndexed() const { return m_numberOfFilesIndexed; }
    void setNumberOfFilesIndexed(size_t count) { m_numberOfFilesIndexed = count; }
    bool isIndexing() const { return m_indexing; }
    void setIndexing(bool indexing) { m_indexing = indexing; }
    // Posts VornickProjectIndexingProgressNotification on the main queue.
    void postIndexingProgressUpdate();
    // Tells the delegate and posts VornickProjectIndexDidFinishUpdatingNotification.
    void postIndexDidFinishUpdating();

    // Writes the project file (atomically): false with an error on failure,
    // the old file left whole.
    [[nodiscard]] bool save(Error* outError);

    // Whether `path` lies inside the source root; with no symbolic link on the
    // way from the root or at `path`, which a file to be moved or removed must not be behind.
    bool holdsPath(const std::string& path) const;
    bool holdsPathWithoutLinks(const std::string& path) const;
    // The one way files and folders inside the source root are written:
    // atomically, making the folders on the way, through no symbolic link
    // below the root (FolderConfinedWriting.h). A path outside the root is
    // refused (EINVAL).
    [[nodiscard]] bool writeFileInsideSourceRoot(const std::string& path, std::string_view contents, Error* outError) const;
    [[nodiscard]] bool createFolderInsideSourceRoot(const std::string& path, Error* outError) const;

    // From now on, changes to the files of the source folder are read into
    // the index (importChangesSinceLastIndexing, then
    // postIndexDidFinishUpdating), once per burst of changes. False with the
    // error when the folder cannot be watched.
    [[nodiscard]] bool startWatchingSourceFolder(Error* outError);
    void stopWatchingSourceFolder();
    bool isWatchingSourceFolder() const { return static_cast<bool>(m_folderWatcher); }

    // --- Hooks
    // Inserts the root component (the root entity, marked as having
    // unsaved edits) and makes it the root component.
    virtual std::shared_ptr<VornickProjectComponent> createRootComponent();
    // The root component of an existing index: the first object of the
    // root entity (a warning is logged when there are several); null when
    // there is none.
    virtual std::shared_ptr<VornickProjectComponent> findRootComponent();
    // Writes the components whose files are out of date; the base writes the
    // project file when the root component has unsaved edits.
    [[nodiscard]] virtual bool saveComponentsToSourceFilesIfNeeded(Error* outError);
    // Adds the base properties to the project file's archive.
    virtual void writeBasePropertiesToProjectFileObjectArchive(VornickObjectArchive&) const;
    // Reads the project file's properties into the root component (the
    // archive is null for a new project); the base reads none.
    virtual void updateRootComponentFromProjectFileObjectArchive(const VornickObjectArchive*) {}
    // Imports what a file tree event reports; the base ignores events.
    virtual void importChangesFromFileTreeEvent(const VornickFileTreeEvent&) {}
    // Brings an existing index up to date with files changed since it was
    // last saved; the base does nothing.
    virtual void importChangesSinceLastIndexing() {}

protected:
    VornickProject();

    [[nodiscard]] bool setUpWithNewProjectFileURL(const URL&, Error*);
    [[nodiscard]] bool setUpWithProjectFileURL(const URL&, Error*);

private:
    void setProjectFileURL(const URL&);
    [[nodiscard]] bool openIndex(bool* outIndexIsNew, Error*);
    // Holds the source folder for this process (VornickProjectLock).
    [[nodiscard]] bool lockSourceFolder(Error*);
    void fillNewIndex();

    // Released last, once the index is closed.
    std::shared_ptr<VornickProjectLock> m_lock;
    URL m_projectFileURL;
    URL m_sourceRootURL;
    UUID m_uniqueIdentifier;
    std::shared_ptr<VornickProjectIndex> m_index;
    std::shared_ptr<VornickProjectComponent> m_rootComponent;
    VornickProjectDelegate* m_delegate { nullptr };
    size_t m_numberOfFilesToIndex { 0 };
    size_t m_numberOfFilesIndexed { 0 };
    bool m_indexing { false };
    std::unique_ptr<VornickProjectFolderWatcher> m_folderWatcher;
};

} // namespace brevanton
