#include "blog/VornickBlog.h"

#include "tests/blog/BlogModelTestSupport.h"

#include "blog/VornickWordPressBlog.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "platform/foundation/Text.h"
#include "platform/net/WebResource.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brevanton {
namespace {

class VornickBlogTests : public ::testing::Test {
protected:
    std::shared_ptr<TestBlogProject> project = makeTestBlogProject();
    ManagedObjectContext& context = *project->index()->managedObjectContext();

    std::shared_ptr<VornickWordPressBlog> makeBlog(const std::u16string& folderName)
    {
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
        blog->setBlogFolderName(folderName);
        blog->setSourceFileName(folderName + u".brevantonwordpressblog");
        blog->setObjectForKey(project->rootComponent(), u"hostingAccount");
        return blog;
    }
};

TEST_F(VornickBlogTests, WebResourceCacheIsOnePerBlogInItsResourcesFolderUntilReleased)
{
    auto first = makeBlog(u"First");
    auto second = makeBlog(u"Second");
    auto cache = first->webResourceCache();
    ASSERT_TRUE(cache);
    EXPECT_EQ(first->webResourceCache(), cache);
    auto disk = std::dynamic_pointer_cast<VornickDiskWebResourceCache>(cache);
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->cacheDirectoryURL().fileSystemPath(), first->resourcesFolderURL()->fileSystemPath());
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(*first->resourcesFolderURL()->fileSystemPath())
                                        / VornickDiskWebResourceCache::IndexFileName));

    auto other = second->webResourceCache();
    ASSERT_TRUE(other);
    EXPECT_NE(other, cache);

    // What one holder stores, the next request of the same blog finds: the
    // table answers the same cache, and after a release a new one on the
    // same folder still has it.
    URL image = *URL::create(u"https://first.example/a.png");
    cache->storeCachedWebResource(WebResource(Data { 'P', 'N', 'G' }, image, u"image/png"));
    EXPECT_TRUE(first->webResourceCache()->cachedWebResourceForURL(image));
    EXPECT_FALSE(other->cachedWebResourceForURL(image));
    first->releaseWebResourceCache();
    auto reopened = first->webResourceCache();
    ASSERT_TRUE(reopened);
    EXPECT_NE(reopened, cache);
    ASSERT_TRUE(reopened->cachedWebResourceForURL(image));
    EXPECT_EQ(reopened->cachedWebResourceForURL(image)->data(), (Data { 'P', 'N', 'G' }));
    EXPECT_EQ(second->webResourceCache(), other) << "releasing one blog's cache keeps the others";
    first->releaseWebResourceCache();
    second->releaseWebResourceCache();
    second->releaseWebResourceCache();
}

TEST_F(VornickBlogTests, BlogWithoutAFileHasNoWebResourceCache)
{
    auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
    EXPECT_FALSE(blog->webResourceCache());
    blog->releaseWebResourceCache();

    // A resources folder that cannot be made (a file stands in its way).
    auto blocked = makeBlog(u"Blocked");
    std::filesystem::path blogFolder = *blocked->blogFolderURL()->fileSystemPath();
    std::filesystem::create_directories(blogFolder);
    ASSERT_TRUE(writeFileAtomically((blogFolder / "resources").string(), "not a folder"));
    EXPECT_FALSE(blocked->webResourceCache());
}

} // namespace
} // namespace brevanton
