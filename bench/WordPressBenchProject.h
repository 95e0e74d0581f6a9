// A new WordPress account project in a temporary folder (its name starting
// with the prefix given), holding one blog, "Site", that the project's
// account hosts: what the post view, block inspector and list benchmarks
// fill with their templates and posts; and a post of it in its template.
#pragma once

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "publishing/VornickBlogPostViewDelegate.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace brevanton {

struct WordPressBenchProject {
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<VornickWordPressBlog> blog;

    ManagedObjectContext& context() const { return *project->index()->managedObjectContext(); }
};

inline WordPressBenchProject makeWordPressBenchProject(std::string_view folderPrefix)
{
    std::string folder = createTemporaryDirectory(folderPrefix).value();
    Error error;
    WordPressBenchProject made;
    made.project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
    made.blog = std::dynamic_pointer_cast<VornickWordPressBlog>(made.context().insertNewObject(u"Blog"));
    made.blog->setBlogFolderName(u"Site");
    made.blog->setSourceFileName(u"Site.brevantonwordpressblog");
    made.blog->setObjectForKey(made.project->wordPressAccount(), u"hostingAccount");
    return made;
}

// Tells the post view where the blog's templates are.
class WordPressBenchTemplatesDelegate : public VornickBlogPostViewDelegate {
public:
    std::optional<URL> folder;
    std::optional<URL> blogPostViewTemplatesFolderURL(VornickBlogPostView&) override { return folder; }
};

// Makes the page the blog's template of standard posts (its folder told to
// the delegate), and adds to the blog a post, "A long post", of the HTML body.
inline std::shared_ptr<VornickWordPressBlogPost> addWordPressBenchPost(const WordPressBenchProject& made, WordPressBenchTemplatesDelegate& delegate,
                                                                       const std::string& templatePage, const std::string& body)
{
    delegate.folder = made.blog->templatesFolderURL();
    std::filesystem::create_directories(*delegate.folder->fileSystemPath());
    std::ofstream(*delegate.folder->fileSystemPath() + "/post-standard.html", std::ios::binary) << templatePage;
    auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(made.context().insertNewObject(u"BlogPost"));
    (void)post->prepareNewPostAndAssociateWithBlog(made.blog);
    post->setTitle(u"A long post");
    post->setSourceContentString(toUTF16(body));
    post->setSourceContentType(u"html");
    return post;
}

} // namespace brevanton
