#include "wordpress/VornickWordPressBlogProject.h"

#include "blog/VornickBlogModel.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickURLExtensions.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"

#include <filesystem>
#include "toolkit/VornickFileSnapshot.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressIntegrator.h"
#include "wordpress/VornickWordPressMediaItem.h"

namespace brevanton {

URL VornickWordPressBlogProject::blogProjectsShoeboxDirectoryURL()
{
    static const std::string path = xdgFolder(XDGFolder::Data) + "/" + std::string(ApplicationFolderName) + "/CMSAccounts";
    Error error;
    if (!createDirectory(path, true, &error))
        VornickGeneralLog("Failed to create directory {}, error={}", path, error.localizedDescription());
    return URL::fileURLWithPath(std::string_view(path), true);
}

std::shared_ptr<VornickWordPressBlogProject> VornickWordPressBlogProject::createShoeboxedWordPressBlogProject(Error* outError)
{
    auto folder = vornick_createUniqueFileOfType(blogProjectsShoeboxDirectoryURL(), FileKind::Directory, u"WordPress Account", outError);
    if (!folder)
        return nullptr;
    auto projectFile = folder->URLByAppendingPathComponent(VornickWordPressProjectFileName, false);
    auto project = createWithNewProjectFileURL<VornickWordPressBlogProject>(projectFile, outError);
    if (!project || !project->save(outError))
        return nullptr;
    return project;
}

namespace {

std::string canonicalPath(const std::string& path)
{
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

} // namespace

std::optional<std::string> VornickWordPressBlogProject::projectFilePathAroundPostFile(const std::string& postPath)
{
    std::filesystem::path folder = std::filesystem::path(canonicalPath(postPath)).parent_path();
    std::string name = toUTF8(VornickWordPressProjectFileName);
    while (!folder.empty()) {
        std::error_code error;
        if (std::filesystem::is_regular_file(folder / name, error))
            return (folder / name).string();
        if (folder == folder.root_path())
            break;
        folder = folder.parent_path();
    }
    return std::nullopt;
}

std::shared_ptr<VornickWordPressBlogPost> VornickWordPressBlogProject::postWithFilePath(const std::string& postPath) const
{
    auto wanted = canonicalPath(postPath);
    auto blogs = vornick_allEntitiesOfKind<VornickWordPressBlog>(*index()->managedObjectContext()).value_or(VornickEntities<VornickWordPressBlog>());
    for (auto& blog : blogs) {
        for (auto& post : blog->objectsForKey<VornickWordPressBlogPost>(u"posts")) {
            auto url = post->sourceFileURL();
            auto path = url ? url->fileSystemPath() : std::nullopt;
            if (path && canonicalPath(*path) == wanted)
                return post;
        }
    }
    return nullptr;
}

std::shared_ptr<const ManagedObjectModel> VornickWordPressBlogProject::wordPressBlogProjectModel()
{
    static const std::shared_ptr<const ManagedObjectModel> model = vornickMakeBlogProjectModel(true, [](ManagedObjectModel& model) {
        model.entityNamed(u"BlogHostingAccount")->setInstanceClass<VornickWordPressAccount>();
        model.entityNamed(u"MediaItem")->setInstanceClass<VornickWordPressMediaItem>();
        model.entityNamed(u"MediaItemVariant")->setInstanceClass<VornickWordPressMediaItemVariant>();
    });
    return model;
}

std::shared_ptr<VornickWordPressAccount> VornickWordPressBlogProject::wordPressAccount() const
{
    return entityCast<VornickWordPressAccount>(rootComponent());
}

std::shared_ptr<VornickProjectComponent> VornickWordPressBlogProject::createRootComponent()
{
    auto component = VornickPublishedBlogProject::createRootComponent();
    auto account = entityCast<VornickWordPressAccount>(component);
    BREVANTON_ASSERT(account, "The project made no root component");
    account->setUseXMLRPC(false);
    account->setRestAPIVersion(2);
    return component;
}

void VornickWordPressBlogProject::updateRootComponentFromProjectFileObjectArchive(const VornickObjectArchive* archive)
{
    VornickPublishedBlogProject::updateRootComponentFromProjectFileObjectArchive(archive);
    if (archive && wordPressAccount())
        wordPressAccount()->updateFromProjectFileObjectArchive(*archive);
}

std::unique_ptr<VornickBlogServiceIntegrator> VornickWordPressBlogProject::makeIntegrator() const
{
    return std::make_unique<VornickWordPressIntegrator>();
}

size_t VornickWordPressBlogProject::computeNumberOfFilesToIndexFromBlogsDirectorySnapshot(const VornickFileSnapshot& blogsFolder)
{
    size_t count = 0;
    for (const auto& blogFolder : blogsFolder.allChildSnapshots()) {
        if (!blogFolder->isDirectory())
            continue;
        count += 2;
        for (const auto& child : blogFolder->allChildSnapshots()) {
            std::u16string name = asciiLowercase(child->resolvedURL().lastPathComponent());
            if (child->isDirectory() && (name == u"media" || name == u"pages" || name == u"posts"))
                count += child->allChildSnapshots().size() + 1;
        }
    }
    return count;
}

void VornickWordPressBlogProject::beforeImportingPostsAndPagesForBlog(const std::shared_ptr<VornickPublishedBlog>& blog,
                                                                     const VornickFileSnapshot& blogFolder)
{
    auto media = blogFolder.childWithRelativeURLString(u"media");
    auto wordPressBlog = entityCast<VornickWordPressBlog>(blog);
    if (!media || media->allChildSnapshots().empty() || !wordPressBlog)
        return;
    auto& integrator = static_cast<VornickWordPressIntegrator&>(this->integrator());
    for (const auto& child : media->allChildSnapshots()) {
        URL url = child->resolvedURL();
        if (!child->isDirectory() && url.pathExtension() == u"brevantonwordpressmediaitem") {
            Error error;
            if (auto archive = VornickObjectArchive::createWithContentsOfURL(url, &error)) {
                auto existing = isIndexing() ? nullptr : integrator.existingMediaItemForDescription(archive->propertyList(), url, *wordPressBlog);
                integrator.importMediaItemDescription(archive->propertyList(), existing, wordPressBlog, url);
            } else {
                VornickGeneralLog(u"Skipping unreadable file " + url.absoluteString() + u": "
                                  + (error.isEmpty() ? u"it does not hold a dictionary" : error.localizedDescription()));
            }
        }
        noteFileIndexed();
    }
}

bool VornickWordPressBlogProject::saveComponentsToSourceFilesIfNeeded(Error* outError)
{
    bool succeeded = VornickPublishedBlogProject::saveComponentsToSourceFilesIfNeeded(outError);
    auto account = hostingAccount();
    if (!account)
        return succeeded;
    for (auto& blog : account->blogs()) {
        for (auto& item : blog->objectsForKey<VornickWordPressMediaItem>(u"mediaItems")) {
            auto url = item->sourceFileURL();
            if (!url || !item->needToWriteArchivalRepresentationToURL(*url))
                continue;
            Error error;
            if (!item->writeArchivalRepresentationToURL(*url, VornickObjectArchiveFormat::JSON, &error)) {
                succeeded = false;
                if (outError)
                    *outError = error;
            }
        }
    }
    return succeeded;
}

} // namespace brevanton
