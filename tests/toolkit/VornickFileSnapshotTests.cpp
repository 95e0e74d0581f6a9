#include "toolkit/VornickFileSnapshot.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace brevanton;

TEST(VornickFileSnapshot, RecordsSizeTimeAndIdentity)
{
    std::string folder = createTemporaryDirectory("snapshot").value();
    std::string path = folder + "/page.html";
    ASSERT_TRUE(writeFileAtomically(path, "12345"));
    struct timeval times[2] = { { 1000000000, 0 }, { 1000000000, 500000 } };
    ASSERT_EQ(::utimes(path.c_str(), times), 0);

    auto snapshot = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(URL::fileURLWithPath(path, false));
    ASSERT_TRUE(snapshot);
    EXPECT_TRUE(snapshot->exists());
    EXPECT_FALSE(snapshot->isDirectory());
    EXPECT_EQ(snapshot->size(), 5u);
    EXPECT_DOUBLE_EQ(snapshot->modificationDate().timeIntervalSince(Date(0)), 1000000000.5);
    EXPECT_EQ(snapshot->identity(), fileIdentity(path));
    EXPECT_FALSE(snapshot->parent());
    EXPECT_TRUE(snapshot->isEqualToSnapshot(*VornickFileSnapshot::createAsStandaloneSnapshotOfURL(snapshot->fileURL())));

    // A save that replaces the file is noticed even with the same size and time.
    ASSERT_TRUE(writeFileAtomically(path, "54321"));
    ASSERT_EQ(::utimes(path.c_str(), times), 0);
    auto after = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(URL::fileURLWithPath(path, false));
    EXPECT_NE(after->inode(), snapshot->inode());
    EXPECT_FALSE(after->isEqualToSnapshot(*snapshot));

    auto missing = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(URL::fileURLWithPath(folder + "/none", false));
    EXPECT_FALSE(missing->exists());
    EXPECT_TRUE(VornickFileSnapshot::createAsStandaloneSnapshotOfURL(URL::fileURLWithPath(folder, true))->isDirectory());
    EXPECT_TRUE(removeItem(folder));
}

TEST(VornickFileSnapshot, TreeSnapshotHoldsTheFolderAsItWasWalked)
{
    std::string folder = createTemporaryDirectory("snapshot").value();
    ASSERT_TRUE(createDirectory(folder + "/blogs/Café Blog/posts"));
    ASSERT_TRUE(createDirectory(folder + "/blogs/Café Blog/pages"));
    ASSERT_TRUE(writeFileAtomically(folder + "/blogs/Café Blog/blog.brevantonblog", "{}"));
    ASSERT_TRUE(writeFileAtomically(folder + "/blogs/Café Blog/posts/b #1.brevantonblogpost", "{}"));
    ASSERT_TRUE(writeFileAtomically(folder + "/blogs/Café Blog/posts/a.brevantonblogpost", "{}"));
    // A link back up the tree is listed but never entered.
    ASSERT_EQ(::symlink((folder + "/blogs").c_str(), (folder + "/blogs/Café Blog/loop").c_str()), 0);

    auto blogs = VornickFileSnapshot::createSnapshotOfTreeAtURL(URL::fileURLWithPath(folder + "/blogs", true));
    ASSERT_TRUE(blogs->isDirectory());
    ASSERT_EQ(blogs->allChildSnapshots().size(), 1u);
    auto blog = blogs->allChildSnapshots()[0];
    EXPECT_TRUE(blog->isDirectory());
    EXPECT_EQ(blog->parent(), blogs);
    EXPECT_EQ(blog->relativeURL().relativeString(), u"Caf%C3%A9%20Blog/");
    EXPECT_EQ(blog->relativeURL().absoluteString(), blog->resolvedURL().absoluteString());
    EXPECT_EQ(blog->resolvedURL().path(), toUTF16(folder + "/blogs/Café Blog"));

    std::vector<std::u16string> names;
    for (const auto& child : blog->allChildSnapshots())
        names.push_back(child->resolvedURL().lastPathComponent());
    EXPECT_EQ(names, (std::vector<std::u16string> { u"blog.brevantonblog", u"loop", u"pages", u"posts" }));
    // Each entry's path and name are its own; its URL, made from the path when
    // asked for, is the file URL of the path (a folder's ending in "/").
    for (const auto& child : blog->allChildSnapshots()) {
        EXPECT_EQ(child->fileSystemPath(), folder + "/blogs/Café Blog/" + std::string(child->name()));
        EXPECT_EQ(child->fileURL(), URL::fileURLWithPath(child->fileSystemPath(), child->isDirectory()));
        EXPECT_EQ(child->fileURL().fileSystemPath(), child->fileSystemPath());
    }
    EXPECT_EQ(blog->name(), "Café Blog");
    EXPECT_EQ(blogs->fileSystemPath(), folder + "/blogs");
    auto loop = blog->childWithRelativeURLString(u"loop");
    ASSERT_TRUE(loop);
    EXPECT_TRUE(loop->isDirectory());
    EXPECT_TRUE(loop->allChildSnapshots().empty());
    EXPECT_TRUE(blog->childWithRelativeURLString(u"pages/")->allChildSnapshots().empty());

    auto post = blog->childWithRelativeURLString(u"posts/b #1.brevantonblogpost");
    ASSERT_TRUE(post);
    EXPECT_FALSE(post->isDirectory());
    EXPECT_EQ(post->size(), 2u);
    EXPECT_EQ(post->relativeURL().relativeString(), u"b%20%231.brevantonblogpost");
    EXPECT_EQ(post->resolvedURL().lastPathComponent(), u"b #1.brevantonblogpost");
    EXPECT_EQ(blogs->childWithRelativeURLString(u"Café Blog/posts")->allChildSnapshots()[0]->resolvedURL().lastPathComponent(),
              u"a.brevantonblogpost");
    EXPECT_FALSE(blog->childWithRelativeURLString(u"posts/missing"));
    EXPECT_FALSE(blog->childWithRelativeURLString(u"blog.brevantonblog/inside"));

    // The snapshot keeps the tree as walked.
    ASSERT_TRUE(removeItem(folder + "/blogs/Café Blog/posts"));
    EXPECT_TRUE(blog->childWithRelativeURLString(u"posts/a.brevantonblogpost"));

    // A file's tree snapshot is the file alone; a missing one does not exist.
    auto file = VornickFileSnapshot::createSnapshotOfTreeAtURL(URL::fileURLWithPath(folder + "/blogs/Café Blog/blog.brevantonblog", false));
    EXPECT_TRUE(file->exists());
    EXPECT_TRUE(file->allChildSnapshots().empty());
    EXPECT_EQ(file->relativeURL(), file->fileURL());
    EXPECT_FALSE(VornickFileSnapshot::createSnapshotOfTreeAtURL(URL::fileURLWithPath(folder + "/none", true))->exists());
    EXPECT_TRUE(removeItem(folder));
}

TEST(VornickFileSnapshot, ATreeTakesAFilesKindFromItsFolderAndItsStatusWhenFirstAsked)
{
    std::string folder = createTemporaryDirectory("snapshot").value();
    ASSERT_TRUE(writeFileAtomically(folder + "/post.json", "1234567"));
    struct timeval times[2] = { { 1000000000, 0 }, { 1000000000, 250000 } };
    ASSERT_EQ(::utimes((folder + "/post.json").c_str(), times), 0);
    ASSERT_EQ(::symlink((folder + "/post.json").c_str(), (folder + "/link.json").c_str()), 0);
    ASSERT_EQ(::mkfifo((folder + "/fifo").c_str(), 0600), 0);

    auto tree = VornickFileSnapshot::createSnapshotOfTreeAtURL(URL::fileURLWithPath(folder, true));
    ASSERT_EQ(tree->allChildSnapshots().size(), 3u);
    auto standalone = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(URL::fileURLWithPath(folder + "/post.json", false));
    for (const char16_t* name : { u"post.json", u"link.json" }) {
        auto file = tree->childWithRelativeURLString(name);
        ASSERT_TRUE(file);
        EXPECT_TRUE(file->exists());
        EXPECT_FALSE(file->isDirectory());
        EXPECT_EQ(file->size(), 7u);
        EXPECT_DOUBLE_EQ(file->modificationDate().timeIntervalSince(Date(0)), 1000000000.25);
        EXPECT_EQ(file->identity(), fileIdentity(folder + "/post.json"));
        EXPECT_TRUE(file->isEqualToSnapshot(*standalone));
    }
    EXPECT_TRUE(tree->childWithRelativeURLString(u"fifo")->exists());

    // A status taken of the open file makes the same snapshot.
    struct stat info;
    ASSERT_EQ(::stat((folder + "/post.json").c_str(), &info), 0);
    auto fromStatus = VornickFileSnapshot::createWithStatus(standalone->fileURL(), folder + "/post.json", info);
    EXPECT_TRUE(fromStatus->isEqualToSnapshot(*standalone));
    EXPECT_EQ(fromStatus->fileURL(), standalone->fileURL());
    EXPECT_EQ(fromStatus->fileSystemPath(), standalone->fileSystemPath());
    EXPECT_EQ(fromStatus->name(), "post.json");
    EXPECT_TRUE(removeItem(folder));
}
