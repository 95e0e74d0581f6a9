// VornickPublishedBlogProject: the project of one blog hosting account (its
// root component), whose blogs live in its "blogs" folder, one folder per
// blog holding the blog file and the "posts", "pages" and "media" folders.
// Subclasses give the file-name extensions of their blog and post files
// (the generic ones are "brevantonblog" and "brevantonblogpost") and the
// integrator that imports descriptions.
//
// A new index is filled by one file-added event for the blogs folder; an
// existing index re-reads the post files changed since they were recorded
// and reads blog folders it does not know. Unreadable files are skipped
// with a log line giving the reason. Main thread.
#pragma once

#include "blog/VornickBlogServiceIntegrator.h"
#include "documents/VornickProject.h"
#include "toolkit/VornickObjectArchiveReader.h"

#include <unordered_map>

namespace brevanton {

class VornickBlog;
class VornickBlogHostingAccount;
class VornickBlogPost;
class VornickFileSnapshot;
class VornickLog;
class VornickPublishedBlog;
class VornickPublishedBlogPost;
class VornickPublishedBlogSynchronizer;

class VornickPublishedBlogProject : public VornickProject, public VornickBlogServiceIntegratorManagedObjectContextProvider {
public:
    ~VornickPublishedBlogProject() override;

    std::u16string projectUTI() const override { return u"com.Orbendalworks.Brevanton.project.blog"; }
    std::u16string rootComponentEntityType() const override { return u"BlogHostingAccount"; }
    virtual std::u16string blogFilenameExtension() const { return u"brevantonblog"; }
    virtual std::u16string postFilenameExtension() const { return u"brevantonblogpost"; }

    // The source root + "blogs/" (a folder URL).
    URL blogsFolderURL() const { return sourceRootURL().URLByAppendingPathComponent(u"blogs", true); }
    URL publishedPostsFolderURL() const { return sourceRootURL().URLByAppendingPathComponent(u"published", true); }
    URL initialIndexingFolderURL() const override { return blogsFolderURL(); }

    std::shared_ptr<VornickBlogHostingAccount> hostingAccount() const;
    // Made on first request, with the project as its context provider and
    // the project's sync log.
    VornickBlogServiceIntegrator& integrator();

    // "<project UUID>.txt" in "SyncLogs" in the application's folder of the
    // user's caches; the folders are made on first use (a failure is logged
    // and the URL still answered).
    URL syncLogURL() const;
    // The log on syncLogURL(), made on first request, kept as long as the project.
    const std::shared_ptr<VornickLog>& syncLog();
    // Made on first request, with the project's integrator.
    VornickPublishedBlogSynchronizer& synchronizer();
    ManagedObjectContext* managedObjectContext() const override;

    // The project file, then every blog's file and every post's file that
    // is out of date. A failed write does not stop the others; the answer
    // is false with the last failure.
    [[nodiscard]] bool saveComponentsToSourceFilesIfNeeded(Error* outError) override;
    void updateRootComponentFromProjectFileObjectArchive(const VornickObjectArchive*) override;
    void importChangesFromFileTreeEvent(const VornickFileTreeEvent&) override;
    void importChangesSinceLastIndexing() override;

    // Reads a blog folder: its first blog file that yields a blog, then (for
    // a blog not stored before) its post and page files.
    std::shared_ptr<VornickPublishedBlog> importBlogFromDirectory(const VornickFileSnapshot& folder, bool intoNewEmptyDatabase);

    // --- Hooks
    // The number of files a first indexing of the blogs folder reads.
    virtual size_t computeNumberOfFilesToIndexFromBlogsDirectorySnapshot(const VornickFileSnapshot&) { return 0; }
    std::shared_ptr<VornickPublishedBlog> importBlogFromPropertyList(const Dictionary&, const URL& sourceFile, bool* alreadyExisted);
    std::shared_ptr<VornickPublishedBlogPost> importPostFromSourceFile(const URL&, const std::shared_ptr<VornickPublishedBlog>&,
                                                                       bool onlyIfChanged);
    std::shared_ptr<VornickPublishedBlogPost> importPostFromPropertyList(const Dictionary&, const URL& sourceFile,
                                                                         const std::shared_ptr<VornickPublishedBlog>&);
    virtual void beforeImportingPostsAndPagesForBlog(const std::shared_ptr<VornickPublishedBlog>&, const VornickFileSnapshot&) {}

    // Counts a file read and posts a progress update every 50 files.
    void noteFileIndexed();

protected:
    // The integrator of the project's kind.
    virtual std::unique_ptr<VornickBlogServiceIntegrator> makeIntegrator() const;
    // The synchronizer of the project's kind (made with std::make_shared).
    virtual std::shared_ptr<VornickPublishedBlogSynchronizer> makeSynchronizer(VornickBlogServiceIntegrator&) const;

private:
    using PostsByFileName = std::unordered_map<std::u16string, std::shared_ptr<VornickPublishedBlogPost>>;
    // With `known`, the blog's posts by file name stand in for asking the
    // integrator file by file, which would read every post for each file;
    // with `file`, the tree's snapshot of it gives its date.
    std::shared_ptr<VornickPublishedBlogPost> importPostFromSourceFile(const URL&, const std::shared_ptr<VornickPublishedBlog>&,
                                                                       bool onlyIfChanged, const PostsByFileName* known,
                                                                       const VornickFileSnapshot* file);
    void importPostFolders(const VornickFileSnapshot& blogFolder, const std::shared_ptr<VornickPublishedBlog>&, bool onlyIfChanged);
    // The archive of a file of the blogs folder; null for an unreadable
    // one, which is logged.
    std::shared_ptr<VornickObjectArchive> readArchive(const URL&);

    std::shared_ptr<VornickLog> m_syncLog;
    // Reads the files of one indexing pass; let go at its end.
    VornickObjectArchiveReader m_archiveReader;
    std::unique_ptr<VornickBlogServiceIntegrator> m_integrator;
    // Goes before the integrator it uses.
    std::shared_ptr<VornickPublishedBlogSynchronizer> m_synchronizer;
};

} // namespace brevanton
