// A blog project of the generic published kind on the blog model, made in a
// temporary folder, for the blog model's tests.
#pragma once

#include "blog/VornickBlogModel.h"
#include "blog/VornickPublishedBlogProject.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/store/ManagedObjectContext.h"

#include <gtest/gtest.h>

namespace brevanton {

class TestBlogProject : public VornickPublishedBlogProject {
public:
    std::u16string projectUTI() const override { return u"com.Orbendalworks.Brevanton.project.blog.test"; }
    std::u16string rootComponentEntityType() const override { return u"BlogHostingAccount"; }
    std::shared_ptr<const ManagedObjectModel> managedObjectModel() const override
    {
        static std::shared_ptr<const ManagedObjectModel> model = vornickMakeBlogProjectModel(true);
        return model;
    }
    std::u16string blogFilenameExtension() const override { return u"brevantonwordpressblog"; }
    std::u16string postFilenameExtension() const override { return u"brevantonwordpresspost"; }
};

// The generic published project: blog and post files of the generic kinds.
class TestPublishedBlogProject : public VornickPublishedBlogProject {
public:
    std::shared_ptr<const ManagedObjectModel> managedObjectModel() const override
    {
        static std::shared_ptr<const ManagedObjectModel> model = vornickMakeBlogProjectModel(false);
        return model;
    }
};

// A new project in its own temporary folder.
inline std::shared_ptr<TestBlogProject> makeTestBlogProject(std::string* outFolder = nullptr)
{
    std::string folder = createTemporaryDirectory("blog-model").value();
    if (outFolder)
        *outFolder = folder;
    Error error;
    auto project = VornickProject::createWithNewProjectFileURL<TestBlogProject>(
        URL::fileURLWithPath(folder + "/project.brevantontestproject", false), &error);
    EXPECT_TRUE(project) << error;
    return project;
}

} // namespace brevanton
