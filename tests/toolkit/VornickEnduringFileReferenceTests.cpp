#include "toolkit/VornickEnduringFileReference.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace brevanton;

namespace {

class VornickEnduringFileReferenceTest : public ::testing::Test {
protected:
    void SetUp() override { m_folder = createTemporaryDirectory("enduring-reference").value(); }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }
    std::string m_folder;
};

} // namespace

TEST_F(VornickEnduringFileReferenceTest, BookmarkDataIsThePathAndResolvesLater)
{
    std::string path = m_folder + "/site folder";
    ASSERT_TRUE(createDirectory(path));
    auto reference = VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(path, true));
    ASSERT_TRUE(reference);
    EXPECT_EQ(std::string(reference->bookmarkData().begin(), reference->bookmarkData().end()), path);

    auto restored = VornickEnduringFileReference::referenceWithBookmarkData(reference->bookmarkData());
    ASSERT_TRUE(restored);
    URL url = URL::fileURLWithPath("/", true);
    Error error;
    ASSERT_TRUE(restored->getFileURL(&url, &error)) << error;
    EXPECT_EQ(url.fileSystemPath(), path);
    EXPECT_TRUE(url.hasDirectoryPath());

    EXPECT_FALSE(VornickEnduringFileReference::referenceWithBookmarkData(Data { 'r', 'e', 'l' }));
    EXPECT_FALSE(VornickEnduringFileReference::enduringReferenceToFileURL(*URL::create("https://example.org/a")));
    EXPECT_THROW((void)reference->getFileURL(nullptr), InternalInconsistencyException);
}

TEST_F(VornickEnduringFileReferenceTest, UsesAreCountedAndBalanced)
{
    std::string path = m_folder + "/a.html";
    ASSERT_TRUE(writeFileAtomically(path, "x"));
    auto reference = VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(path, false));
    ASSERT_TRUE(reference->beginUsing());
    ASSERT_TRUE(reference->beginUsing());
    EXPECT_EQ(reference->useCount(), 2);
    reference->finishedUsing();
    reference->finishedUsing();
    EXPECT_EQ(reference->useCount(), 0);
    EXPECT_THROW(reference->finishedUsing(), InternalInconsistencyException);

    int calls = 0;
    EXPECT_TRUE(reference->resolveAndUse([&](const URL& url) {
        ++calls;
        EXPECT_EQ(url.fileSystemPath(), path);
        EXPECT_EQ(reference->useCount(), 1);
    }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(reference->useCount(), 0);

    // A block that throws still ends its use.
    EXPECT_THROW((void)reference->resolveAndUse([](const URL&) { throw std::runtime_error("x"); }), std::runtime_error);
    EXPECT_EQ(reference->useCount(), 0);
}

TEST_F(VornickEnduringFileReferenceTest, MissingFilesDoNotResolve)
{
    auto reference = VornickEnduringFileReference::enduringReferenceToFileURL(
        URL::fileURLWithPath(m_folder + "/gone.html", false));
    ASSERT_TRUE(reference);
    Error error;
    URL url = URL::fileURLWithPath("/", true);
    EXPECT_FALSE(reference->getFileURL(&url, &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_EQ(error.code(), ENOENT);
    bool called = false;
    EXPECT_FALSE(reference->resolveAndUse([&](const URL&) { called = true; }, &error));
    EXPECT_FALSE(called);
    EXPECT_EQ(reference->useCount(), 0);
    EXPECT_FALSE(reference->beginUsing());

    // Once the file is there, the reference resolves.
    ASSERT_TRUE(writeFileAtomically(m_folder + "/gone.html", "back"));
    EXPECT_TRUE(reference->resolveAndUse([&](const URL&) { called = true; }));
    EXPECT_TRUE(called);
}

TEST_F(VornickEnduringFileReferenceTest, PropertyListFollowsAMovedProjectFolder)
{
    ASSERT_TRUE(createDirectory(m_folder + "/Project/blogs/Ünïcode blog"));
    std::string file = m_folder + "/Project/blogs/Ünïcode blog/blog.brevantonblog";
    ASSERT_TRUE(writeFileAtomically(file, "{}"));
    URL project = URL::fileURLWithPath(m_folder + "/Project", true);

    auto reference = VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(file, false));
    reference->setTitle(u"Ünïcode blog");
    Dictionary propertyList = reference->propertyListForReferencingProjectFile(&project);
    EXPECT_EQ(propertyList[u"relativeURL"], Value(u"blogs/%C3%9Cn%C3%AFcode%20blog/blog.brevantonblog"));
    EXPECT_EQ(reference->propertyListForReferencingProjectFile().count(u"relativeURL"), 0u);

    // In place, from the bookmark data or the relative URL alike.
    auto same = VornickEnduringFileReference::createWithPropertyList(Value(propertyList), &project);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->path(), file);
    EXPECT_EQ(same->title(), u"Ünïcode blog");

    // After the project folder moved, the relative URL finds the file; the
    // bookmark data alone would not.
    ASSERT_EQ(::rename((m_folder + "/Project").c_str(), (m_folder + "/Moved").c_str()), 0);
    URL moved = URL::fileURLWithPath(m_folder + "/Moved", true);
    auto found = VornickEnduringFileReference::createWithPropertyList(Value(propertyList), &moved);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path(), m_folder + "/Moved/blogs/Ünïcode blog/blog.brevantonblog");
    EXPECT_EQ(VornickEnduringFileReference::createWithPropertyList(Value(propertyList))->path(), file);

    // Only the absolute URL; nothing usable.
    Dictionary absoluteOnly { { u"absoluteURL", Value(URL::fileURLWithPath(file, false).absoluteString()) } };
    EXPECT_EQ(VornickEnduringFileReference::createWithPropertyList(Value(absoluteOnly))->path(), file);
    EXPECT_FALSE(VornickEnduringFileReference::createWithPropertyList(Value(Dictionary { { u"absoluteURL", Value(u"https://example.com/") } })));
    EXPECT_FALSE(VornickEnduringFileReference::createWithPropertyList(Value(u"not a dictionary")));
}
