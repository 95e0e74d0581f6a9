// VornickWordPressBlogProject: the project of one WordPress account, kept in
// a folder of the shoebox folder ("CMSAccounts" in the application's data
// folder) with the project file "project.brevantonwordpressproject". Its
// index uses the model "VornickWordPressBlogProject" with the WordPress
// account, blog, post and media item classes.
#pragma once

#include "blog/VornickPublishedBlogProject.h"

namespace brevanton {

class VornickWordPressBlogPost;

class VornickWordPressAccount;

inline constexpr char16_t VornickWordPressProjectFileName[] = u"project.brevantonwordpressproject";

class VornickWordPressBlogProject : public VornickPublishedBlogProject {
public:
    // The shoebox folder, made on every call (a failure is logged).
    static URL blogProjectsShoeboxDirectoryURL();
    // A new, saved account project in a new folder "WordPress Account"
    // (" 2", " 3", ... when taken) of the shoebox folder.
    [[nodiscard]] static std::shared_ptr<VornickWordPressBlogProject> createShoeboxedWordPressBlogProject(Error* outError);
    // The model, with the WordPress classes.
    static std::shared_ptr<const ManagedObjectModel> wordPressBlogProjectModel();
    // The account project file in the nearest folder above a post file; none outside any.
    static std::optional<std::string> projectFilePathAroundPostFile(const std::string& postPath);
    // The post of this project whose file is at the path (links resolved); null when none is.
    std::shared_ptr<VornickWordPressBlogPost> postWithFilePath(const std::string& postPath) const;

    std::u16string projectUTI() const override { return u"com.Orbendalworks.Brevanton.project.blog.WordPress"; }
    std::u16string rootComponentEntityType() const override { return u"BlogHostingAccount"; }
    std::shared_ptr<const ManagedObjectModel> managedObjectModel() const override { return wordPressBlogProjectModel(); }
    std::u16string blogFilenameExtension() const override { return u"brevantonwordpressblog"; }
    std::u16string postFilenameExtension() const override { return u"brevantonwordpresspost"; }

    std::shared_ptr<VornickWordPressAccount> wordPressAccount() const;

    // A new account speaks the REST API "wp/v2" until the user chooses.
    std::shared_ptr<VornickProjectComponent> createRootComponent() override;
    void updateRootComponentFromProjectFileObjectArchive(const VornickObjectArchive*) override;

    // Blog folders count 2, and each "media", "pages" or "posts" folder in
    // them its children plus 1.
    size_t computeNumberOfFilesToIndexFromBlogsDirectorySnapshot(const VornickFileSnapshot&) override;
    // Reads the media item files of the blog's "media" folder.
    void beforeImportingPostsAndPagesForBlog(const std::shared_ptr<VornickPublishedBlog>&, const VornickFileSnapshot& blogFolder) override;
    // Media items with unsaved edits are written too.
    [[nodiscard]] bool saveComponentsToSourceFilesIfNeeded(Error* outError) override;

protected:
    std::unique_ptr<VornickBlogServiceIntegrator> makeIntegrator() const override;
};

} // namespace brevanton
