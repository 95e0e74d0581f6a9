#include "documents/VornickKnownFileSet.h"

#include "tests/toolkit/ApplicationEnvironmentTestSupport.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/VornickEnduringFileReference.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class VornickKnownFileSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("known-files").value();
        ASSERT_TRUE(createDirectory(m_folder + "/Blogs/Blög"));
        ASSERT_TRUE(writeFileAtomically(blogPath(), "{}"));
        ASSERT_TRUE(writeFileAtomically(m_folder + "/other.brevantonblog", "{}"));
    }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }
    std::string blogPath() const { return m_folder + "/Blogs/Blög/blog.brevantonblog"; }
    std::string defaultsPath() const { return m_folder + "/UserDefaults.plist"; }

    std::string m_folder;
};

} // namespace

TEST_F(VornickKnownFileSetTest, RegisteredReferencesAreWrittenAndReadBack)
{
    {
        UserDefaults defaults(defaultsPath());
        VornickKnownFileSet set(defaults, u"knownBlogs");
        EXPECT_TRUE(set.fileReferences().empty());
        int changes = 0;
        auto token = NotificationCenter::defaultCenter().addObserver(
            VornickKnownFileSet::FileReferencesDidChangeNotification, &set, nullptr, [&](const Notification&) { ++changes; });

        auto blog = VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(blogPath(), false));
        blog->setTitle(u"Blög");
        set.registerFileReference(blog);
        set.registerFileReference(VornickEnduringFileReference::enduringReferenceToFileURL(
            URL::fileURLWithPath(m_folder + "/other.brevantonblog", false)));
        // The same file by another spelling replaces the first reference.
        auto again = VornickEnduringFileReference::enduringReferenceToFileURL(
            URL::fileURLWithPath(m_folder + "/Blogs/./Blög/../Blög/blog.brevantonblog", false));
        again->setTitle(u"Renamed");
        set.registerFileReference(again);
        EXPECT_EQ(changes, 3);
        NotificationCenter::defaultCenter().removeObserver(token);

        ASSERT_EQ(set.fileReferences().size(), 2u);
        EXPECT_EQ(set.fileReferenceForURL(URL::fileURLWithPath(blogPath(), false)), again);
        EXPECT_FALSE(set.fileReferenceForURL(URL::fileURLWithPath(m_folder + "/missing", false)));
    }

    // A new process reads them back in order; a reference whose file is
    // gone keeps its place (it may be on a disk not mounted now).
    ASSERT_TRUE(removeItem(m_folder + "/other.brevantonblog"));
    UserDefaults defaults(defaultsPath());
    VornickKnownFileSet set(defaults, u"knownBlogs");
    auto references = set.fileReferences();
    ASSERT_EQ(references.size(), 2u);
    EXPECT_EQ(VornickKnownFileSet::normalizedKeyForURL(URL::fileURLWithPath(references[0]->path(), false)), blogPath());
    EXPECT_EQ(references[0]->title(), u"Renamed");
    EXPECT_EQ(set.fileReferenceForURL(URL::fileURLWithPath(blogPath(), false)), references[0]);
    EXPECT_EQ(references[1]->path(), m_folder + "/other.brevantonblog");

    set.unregisterFileReferenceForURL(URL::fileURLWithPath(m_folder + "/other.brevantonblog", false));
    EXPECT_EQ(defaults.arrayForKey(u"knownBlogs").size(), 1u);
    // Another key is another set.
    EXPECT_TRUE(VornickKnownFileSet(defaults, u"knownFragmentSets").fileReferences().empty());
}

TEST_F(VornickKnownFileSetTest, MalformedEntriesAreSkipped)
{
    UserDefaults defaults(defaultsPath());
    Dictionary good { { u"absoluteURL", Value(URL::fileURLWithPath(blogPath(), false).absoluteString()) } };
    defaults.setObject(Value(Array { Value(u"junk"), Value(good), Value(Dictionary { { u"absoluteURL", Value(u"https://x/") } }),
                                     Value(good) }),
                       u"knownBlogs");
    VornickKnownFileSet set(defaults, u"knownBlogs");
    ASSERT_EQ(set.fileReferences().size(), 1u);
    EXPECT_EQ(set.fileReferences()[0]->path(), blogPath());
}

TEST_F(VornickKnownFileSetTest, TheEnvironmentHasOneSetOfEachKind)
{
    auto environment = std::make_shared<brevanton::testing::TestEnvironment>(defaultsPath());
    auto blogs = vornick_knownBlogs(environment);
    EXPECT_EQ(blogs, vornick_knownBlogs(environment));
    EXPECT_EQ(blogs->userDefaultsKey(), u"knownBlogs");
    EXPECT_EQ(vornick_knownFragmentSetFiles(environment)->userDefaultsKey(), u"knownFragmentSets");
    EXPECT_NE(vornick_knownFragmentSetFiles(environment), blogs);

    blogs->registerFileReference(VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(blogPath(), false)));
    EXPECT_EQ(environment->userDefaults().arrayForKey(u"knownBlogs").size(), 1u);
}
