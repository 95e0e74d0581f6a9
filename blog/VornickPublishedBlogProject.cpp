#include "blog/VornickPublishedBlogProject.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickFileTreeEvent.h"
#include "toolkit/VornickLog.h"

namespace brevanton {

namespace {

void logUnreadable(const URL& url, const Error& error)
{
    std::u16string reason = error.isEmpty() ? u"it does not hold a dictionary" : error.localizedDescription();
    VornickGeneralLog(u"Skipping unreadable file " + url.absoluteString() + u": " + reason);
}

} // namespace

VornickPublishedBlogProject::~VornickPublishedBlogProject()
{
    m_synchronizer.reset();
    if (m_integrator)
        m_integrator->setManagedObjectContextProvider(nullptr);
}

std::shared_ptr<VornickBlogHostingAccount> VornickPublishedBlogProject::hostingAccount() const
{
    return entityCast<VornickBlogHostingAccount>(rootComponent());
}

std::unique_ptr<VornickBlogServiceIntegrator> VornickPublishedBlogProject::makeIntegrator() const
{
    return std::make_unique<VornickBlogServiceIntegrator>();
}

VornickBlogServiceIntegrator& VornickPublishedBlogProject::integrator()
{
    if (!m_integrator) {
        m_integrator = makeIntegrator();
        m_integrator->setManagedObjectContextProvider(this);
        m_integrator->setSyncLog(syncLog());
    }
    return *m_integrator;
}

URL VornickPublishedBlogProject::syncLogURL() const
{
    std::string folder = xdgFolder(XDGFolder::Cache) + "/" + ApplicationFolderName + "/SyncLogs";
    Error error;
    if (!createDirectory(folder, true, &error))
        VornickGeneralLog("Failed to create directory {}, error={}", folder, error.localizedDescription());
    return URL::fileURLWithPath(folder + "/" + toUTF8(uniqueIdentifier().UUIDString()) + ".txt", false);
}

const std::shared_ptr<VornickLog>& VornickPublishedBlogProject::syncLog()
{
    if (!m_syncLog)
        m_syncLog = VornickLog::create(syncLogURL());
    return m_syncLog;
}

std::shared_ptr<VornickPublishedBlogSynchronizer> VornickPublishedBlogProject::makeSynchronizer(VornickBlogServiceIntegrator& integrator) const
{
    return std::make_shared<VornickPublishedBlogSynchronizer>(integrator);
}

VornickPublishedBlogSynchronizer& VornickPublishedBlogProject::synchronizer()
{
    if (!m_synchronizer)
        m_synchronizer = makeSynchronizer(integrator());
    return *m_synchronizer;
}

ManagedObjectContext* VornickPublishedBlogProject::managedObjectContext() const
{
    return index() ? index()->managedObjectContext().get() : nullptr;
}

bool VornickPublishedBlogProject::saveComponentsToSourceFilesIfNeeded(Error* outError)
{
    if (!VornickProject::saveComponentsToSourceFilesIfNeeded(outError))
        return false;
    auto account = hostingAccount();
    if (!account)
        return true;
    bool succeeded = true;
    auto write = [&](VornickProjectComponent& component) {
        auto url = component.sourceFileURL();
        if (!url || !component.needToWriteArchivalRepresentationToURL(*url))
            return;
        Error error;
        if (!component.writeArchivalRepresentationToURL(*url, VornickObjectArchiveFormat::JSON, &error)) {
            succeeded = false;
            if (outError)
                *outError = error;
        }
    };
    auto blogs = account->blogs();
    for (auto& blog : blogs)
        write(*blog);
    for (auto& blog : blogs) {
        for (auto& post : blog->posts())
            write(*post);
    }
    return succeeded;
}

void VornickPublishedBlogProject::updateRootComponentFromProjectFileObjectArchive(const VornickObjectArchive* archive)
{
    VornickProject::updateRootComponentFromProjectFileObjectArchive(archive);
    const Value* login = archive ? archive->objectForKey(u"loginID") : nullptr;
    if (login && login->isString() && hostingAccount())
        hostingAccount()->setLoginID(login->string());
}

void VornickPublishedBlogProject::noteFileIndexed()
{
    setNumberOfFilesIndexed(numberOfFilesIndexed() + 1);
    if (numberOfFilesIndexed() % 50 == 0)
        postIndexingProgressUpdate();
}

void VornickPublishedBlogProject::importChangesFromFileTreeEvent(const VornickFileTreeEvent& event)
{
    const auto& snapshot = event.fileSnapshot();
    if (event.kind() != VornickFileTreeEventKind::FileAdded || !snapshot || !snapshot->isDirectory())
        return;
    setNumberOfFilesToIndex(computeNumberOfFilesToIndexFromBlogsDirectorySnapshot(*snapshot));
    setNumberOfFilesIndexed(0);
    setIndexing(true);
    postIndexingProgressUpdate();
    auto blogsFolder = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(blogsFolderURL());
    if (blogsFolder->exists() && blogsFolder->identity() == snapshot->identity()) {
        for (const auto& child : snapshot->allChildSnapshots()) {
            if (child->isDirectory())
                importBlogFromDirectory(*child, true);
        }
    }
    m_archiveReader.close();
    setNumberOfFilesIndexed(numberOfFilesToIndex());
    setIndexing(false);
    postIndexingProgressUpdate();
    Error error;
    if (!index()->commitEditingAndSave(&error))
        VornickGeneralLog("{} Failed to save updates: error={}", "importChangesFromFileTreeEvent", error.localizedDescription());
    OperationQueue::main().addOperation([weakThis = weak_from_this()] {
        if (auto project = weakThis.lock())
            project->postIndexDidFinishUpdating();
    });
}

void VornickPublishedBlogProject::importChangesSinceLastIndexing()
{
    auto tree = VornickFileSnapshot::createSnapshotOfTreeAtURL(blogsFolderURL());
    if (tree && tree->exists() && tree->isDirectory()) {
        for (const auto& child : tree->allChildSnapshots()) {
            if (!child->isDirectory())
                continue;
            auto blog = importBlogFromDirectory(*child, false);
            if (blog)
                importPostFolders(*child, blog, true);
        }
    }
    m_archiveReader.close();
    Error error;
    if (!index()->commitEditingAndSave(&error))
        VornickGeneralLog("{} Failed to save updates: error={}", "importChangesSinceLastIndexing", error.localizedDescription());
}

std::shared_ptr<VornickPublishedBlog> VornickPublishedBlogProject::importBlogFromDirectory(const VornickFileSnapshot& folder,
                                                                                          bool intoNewEmptyDatabase)
{
    std::shared_ptr<VornickPublishedBlog> blog;
    bool alreadyExisted = false;
    for (const auto& child : folder.allChildSnapshots()) {
        URL url = child->resolvedURL();
        if (child->isDirectory() || url.pathExtension() != blogFilenameExtension())
            continue;
        auto archive = readArchive(url);
        if (!archive)
            continue;
        noteFileIndexed();
        VornickBlogServiceIntegrator::SourceFileRead read(integrator(), archive->fileSnapshot());
        blog = importBlogFromPropertyList(archive->propertyList(), url, &alreadyExisted);
        if (blog)
            break;
    }
    if (!blog)
        return nullptr;
    if (intoNewEmptyDatabase)
        beforeImportingPostsAndPagesForBlog(blog, folder);
    if (alreadyExisted)
        return blog;
    importPostFolders(folder, blog, true);
    return blog;
}

void VornickPublishedBlogProject::importPostFolders(const VornickFileSnapshot& blogFolder, const std::shared_ptr<VornickPublishedBlog>& blog,
                                                   bool onlyIfChanged)
{
    // The first post (in id order) of each file name, as the integrator
    // finds a post by its file.
    PostsByFileName known;
    VornickBlogServiceIntegrator::ImportBatch batch(integrator(), *blog);
    bool lookUp = onlyIfChanged && !isIndexing();
    if (lookUp) {
        for (auto& post : blog->objectsForKey<VornickPublishedBlogPost>(u"posts"))
            known.try_emplace(post->sourceFileName(), post);
    }
    // The post files, and the entries that are not (counted all the same).
    // A post file's URL is made once it is known to be one.
    struct Entry {
        const VornickFileSnapshot* file;
        bool isPost;
    };
    std::vector<Entry> entries;
    std::u16string extension = postFilenameExtension();
    for (const char16_t* name : { u"posts", u"pages" }) {
        auto postFolder = blogFolder.childWithRelativeURLString(name);
        if (!postFolder)
            continue;
        for (const auto& child : postFolder->allChildSnapshots())
            entries.push_back({ child.get(), !child->isDirectory() && child->hasPathExtension(extension) });
    }
    // Without a look-up every post file is read: workers read and parse
    // them ahead while the posts are imported here, so that reading and
    // importing overlap. That takes a second processor (on two, one worker
    // beside this thread); on a single one the files are read here, one
    // after the other.
    if (!lookUp && VornickObjectArchiveReader::availableProcessors() >= 2) {
        std::vector<URL> urls;
        for (const auto& entry : entries) {
            if (entry.isPost)
                urls.push_back(entry.file->fileURL());
        }
        m_archiveReader.readAhead(std::move(urls));
    }
    for (const auto& entry : entries) {
        if (entry.isPost)
            importPostFromSourceFile(entry.file->fileURL(), blog, onlyIfChanged, lookUp ? &known : nullptr, entry.file);
        noteFileIndexed();
    }
}

std::shared_ptr<VornickPublishedBlog> VornickPublishedBlogProject::importBlogFromPropertyList(const Dictionary& propertyList,
                                                                                             const URL& sourceFile, bool* alreadyExisted)
{
    BREVANTON_ASSERT(alreadyExisted, "alreadyExisted != NULL");
    auto blog = integrator().existingBlogForDescription(propertyList);
    if (!blog) {
        // A blog never published has no service identifier: its folder names it.
        std::u16string folderName = sourceFile.URLByDeletingLastPathComponent().lastPathComponent();
        if (hostingAccount()) {
            for (auto& known : hostingAccount()->blogs()) {
                if (known->blogFolderName() == folderName && known->sourceFileName() == sourceFile.lastPathComponent())
                    blog = known;
            }
        }
    }
    *alreadyExisted = blog != nullptr;
    if (blog)
        return blog;
    return integrator().importBlogDescription(propertyList, nullptr, sourceFile);
}

std::shared_ptr<VornickPublishedBlogPost> VornickPublishedBlogProject::importPostFromSourceFile(
    const URL& url, const std::shared_ptr<VornickPublishedBlog>& blog, bool onlyIfChanged)
{
    auto post = importPostFromSourceFile(url, blog, onlyIfChanged, nullptr, nullptr);
    m_archiveReader.close();
    return post;
}

std::shared_ptr<VornickObjectArchive> VornickPublishedBlogProject::readArchive(const URL& url)
{
    Error error;
    auto archive = m_archiveReader.archiveAtURL(url, &error);
    if (!archive)
        logUnreadable(url, error);
    return archive;
}

std::shared_ptr<VornickPublishedBlogPost> VornickPublishedBlogProject::importPostFromSourceFile(
    const URL& url, const std::shared_ptr<VornickPublishedBlog>& blog, bool onlyIfChanged, const PostsByFileName* known,
    const VornickFileSnapshot* file)
{
    std::shared_ptr<VornickPublishedBlogPost> existing;
    if (onlyIfChanged && !isIndexing()) {
        if (known) {
            if (auto found = known->find(url.lastPathComponent()); found != known->end())
                existing = found->second;
        } else
            existing = integrator().existingPostForDescription({}, url, *blog);
        auto stored = existing ? existing->sourceFileModificationDate() : std::nullopt;
        if (stored) {
            std::shared_ptr<VornickFileSnapshot> standalone;
            if (!file)
                file = (standalone = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(url)).get();
            if (file->exists() && !(*stored < file->modificationDate()))
                return existing;
        }
    }
    auto archive = readArchive(url);
    if (!archive)
        return existing;
    VornickBlogServiceIntegrator::SourceFileRead read(integrator(), archive->fileSnapshot());
    return importPostFromPropertyList(archive->propertyList(), url, blog);
}

std::shared_ptr<VornickPublishedBlogPost> VornickPublishedBlogProject::importPostFromPropertyList(
    const Dictionary& propertyList, const URL& sourceFile, const std::shared_ptr<VornickPublishedBlog>& blog)
{
    if (!blog)
        return nullptr;
    std::shared_ptr<VornickPublishedBlogPost> existing;
    if (!isIndexing())
        existing = integrator().existingPostForDescription(propertyList, sourceFile, *blog);
    return integrator().importPostDescription(propertyList, existing, blog, sourceFile, isIndexing());
}

} // namespace brevanton
