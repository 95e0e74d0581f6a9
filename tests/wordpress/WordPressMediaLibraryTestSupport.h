// A WordPress blog with media items and their size variants, in a project in
// a temporary folder, for the tests of what reads the media library.
#pragma once

#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/store/ManagedObjectContext.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <gtest/gtest.h>

namespace brevanton::testing {

class WordPressMediaLibrary {
public:
    WordPressMediaLibrary()
    {
        Error error;
        project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        EXPECT_TRUE(project) << error;
        blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context().insertNewObject(u"Blog"));
        blog->setBlogFolderName(u"Site");
        blog->setSourceFileName(u"site.brevantonwordpressblog");
        blog->setValueForKey(Value(u"https://site.example"), u"browseURLString");
        blog->setObjectForKey(project->rootComponent(), u"hostingAccount");
    }

    // A post file's address in the blog's "posts" folder: what a post's references are relative to.
    URL postFileURL() const { return blog->blogFolderURL()->URLByAppendingPathComponent(u"posts/post.brevantonwordpresspost", false); }
    ~WordPressMediaLibrary()
    {
        if (blog)
            blog->releaseWebResourceCache();
        (void)removeItem(folder);
    }

    ManagedObjectContext& context() { return *project->index()->managedObjectContext(); }

    // An item of the blog; an empty identifier or address is left unset.
    std::shared_ptr<VornickWordPressMediaItem> addItem(std::u16string identifier, std::u16string localURLString, std::u16string remoteURLString,
                                                       const std::shared_ptr<VornickWordPressBlog>& owner = nullptr)
    {
        auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context().insertNewObject(u"MediaItem"));
        if (!identifier.empty())
            item->setValueForKey(Value(std::move(identifier)), u"identifierUsedByBlogService");
        if (!localURLString.empty())
            item->setValueForKey(Value(std::move(localURLString)), u"localURLString");
        if (!remoteURLString.empty())
            item->setValueForKey(Value(std::move(remoteURLString)), u"remoteURLString");
        item->setObjectForKey(owner ? owner : blog, u"blog");
        return item;
    }

    void addVariant(const std::shared_ptr<VornickWordPressMediaItem>& item, std::u16string name, std::u16string fileName)
    {
        auto variant = context().insertNewObject(u"MediaItemVariant");
        variant->setValueForKey(Value(std::move(name)), u"variantName");
        variant->setValueForKey(Value(std::move(fileName)), u"filename");
        variant->setObjectForKey(item, u"mediaItem");
    }

    std::string folder = createTemporaryDirectory("media-library").value();
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<VornickWordPressBlog> blog;
};

} // namespace brevanton::testing
