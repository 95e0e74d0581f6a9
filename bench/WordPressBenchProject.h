// A new WordPress account project in a temporary folder (its name starting
// with the prefix given), holding one blog, "Site", that the project's
// account hosts: what the post view, block inspector and list benchmarks
// fill with their templates and posts.
#pragma once

#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/store/ManagedObjectContext.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <memory>
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

} // namespace brevanton
