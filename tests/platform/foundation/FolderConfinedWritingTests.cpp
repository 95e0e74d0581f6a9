#include "platform/foundation/FolderConfinedWriting.h"

#include "tests/platform/foundation/FailingFileSystemCalls.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevanton;

namespace folder_confined_writing_tests {
namespace {

class FolderConfinedWriting : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("folder-confined-writing").value();
        m_inside = m_folder + "/project";
        m_outside = m_folder + "/outside";
        ASSERT_TRUE(createDirectory(m_inside + "/blog/posts"));
        ASSERT_TRUE(createDirectory(m_outside));
        ASSERT_TRUE(writeFileAtomically(m_outside + "/victim", "the outside file"));
    }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    // The names in a folder that are temporary files.
    size_t temporaryFilesIn(const std::string& folder) const
    {
        size_t count = 0;
        for (auto& name : directoryEntryNames(folder).value_or(std::vector<std::string> {}))
            count += isTemporaryFileName(name);
        return count;
    }

    std::string m_folder;
    std::string m_inside;
    std::string m_outside;
};

TEST_F(FolderConfinedWriting, NothingOutsideTheFolderIsWrittenThroughALink)
{
    struct Case {
        const char* what;
        const char* link;   // inside the folder, to the outside one (or its file)
        const char* target; // what the link points to
        const char* path;   // what is written
        bool written;       // else refused with ELOOP
    };
    const Case cases[] = {
        { "a link at the file's name is replaced", "blog/posts/next.post", "victim", "blog/posts/next.post", true },
        { "a dangling link at the file's name is replaced", "blog/posts/new.post", "new-outside", "blog/posts/new.post", true },
        { "a folder on the way that is a link refuses", "blog/pages", "", "blog/pages/victim", false },
        { "a link where a missing folder would be made refuses", "blog/media", "made", "blog/media/x/item.post", false },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        std::string link = m_inside + "/" + test.link;
        ASSERT_EQ(::symlink((m_outside + (*test.target ? "/" : "") + test.target).c_str(), link.c_str()), 0);
        Error error;
        bool written = writeFileInsideFolder(m_inside, m_inside + "/" + test.path, "the post", &error);
        EXPECT_EQ(written, test.written) << error;
        EXPECT_EQ(readFile(m_outside + "/victim"), "the outside file");
        EXPECT_EQ(directoryEntryNames(m_outside)->size(), 1u);
        if (written) {
            struct stat info;
            ASSERT_EQ(::lstat(link.c_str(), &info), 0);
            EXPECT_TRUE(S_ISREG(info.st_mode));
            EXPECT_EQ(readFile(link), "the post");
        } else {
            EXPECT_EQ(error.code(), ELOOP);
            EXPECT_NE(toUTF8(error.localizedDescription()).find("is a symbolic link"), std::string::npos) << error;
            EXPECT_FALSE(createFolderInsideFolder(m_inside, m_inside + "/" + test.path, nullptr));
        }
        EXPECT_EQ(liesInsideFolderWithoutLinks(m_inside, m_inside + "/" + test.path), written);
        EXPECT_EQ(temporaryFilesIn(m_inside + "/blog/posts"), 0u);
    }
    // The folder itself may be a link; a path outside it is refused.
    ASSERT_EQ(::symlink(m_inside.c_str(), (m_folder + "/alias").c_str()), 0);
    EXPECT_TRUE(writeFileInsideFolder(m_folder + "/alias", m_folder + "/alias/blog/posts/through-alias.post", "x"));
    EXPECT_TRUE(liesInsideFolderWithoutLinks(m_folder + "/alias", m_folder + "/alias/blog/posts/through-alias.post"));
    Error error;
    EXPECT_FALSE(writeFileInsideFolder(m_inside, m_inside + "/../outside/victim", "x", &error));
    EXPECT_EQ(error.code(), EINVAL);
    EXPECT_EQ(readFile(m_outside + "/victim"), "the outside file");
}

TEST_F(FolderConfinedWriting, AReplacedFileKeepsItsModeAndAttributesAndAFailedCallLeavesItWhole)
{
    std::string path = m_inside + "/blog/posts/post.post";
    ASSERT_TRUE(writeFileInsideFolder(m_inside, path, "first"));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    bool attributes = setExtendedAttribute(path, "brevanton.test", "kept");
    for (auto call : { FileSystemCall::Open, FileSystemCall::Write, FileSystemCall::Fchmod, FileSystemCall::Fsync,
                       FileSystemCall::Rename, FileSystemCall::MakeFolder }) {
        SCOPED_TRACE(std::string(fileSystemCallName(call)));
        FailingFileSystemCalls calls;
        // The temporary file's own open and the first of a new folder's.
        calls.failCall(call, call == FileSystemCall::Open ? 4 : 0, EIO);
        std::string target = call == FileSystemCall::MakeFolder ? m_inside + "/blog/new/post.post" : path;
        EXPECT_FALSE(writeFileInsideFolder(m_inside, target, "second", nullptr, 0644, calls));
        EXPECT_EQ(readFile(path), "first");
        EXPECT_EQ(temporaryFilesIn(m_inside + "/blog/posts"), 0u);
    }
    ASSERT_TRUE(writeFileInsideFolder(m_inside, path, "second"));
    EXPECT_EQ(readFile(path), "second");
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (attributes) {
        EXPECT_EQ(getExtendedAttribute(path, "brevanton.test"), "kept");
    }

    // A replacement made within the replaced file's clock tick (here: a file
    // dated ahead) still reads as modified after it.
    struct timespec ahead[2] = { { 0, UTIME_OMIT }, { info.st_mtim.tv_sec + 1000, 999999500 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), ahead, 0), 0);
    ASSERT_TRUE(writeFileInsideFolder(m_inside, path, "third"));
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, ahead[1].tv_sec + 1);
    EXPECT_GT(info.st_mtim.tv_nsec, 0);
    EXPECT_LT(info.st_mtim.tv_nsec, 1000000);
}

TEST_F(FolderConfinedWriting, LeftoverTemporaryFilesGoUnlessAWriteHoldsThem)
{
    std::string posts = m_inside + "/blog/posts";
    ASSERT_TRUE(writeFileAtomically(posts + "/" + temporaryFileNameFor("a.post"), "killed"));
    ASSERT_TRUE(writeFileAtomically(m_inside + "/" + temporaryFileNameFor("project"), "killed"));
    std::string held = posts + "/" + temporaryFileNameFor("b.post");
    ASSERT_TRUE(writeFileAtomically(held, "being written"));
    int fd = ::open(held.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    // Not of the form, or not a file: kept.
    ASSERT_TRUE(writeFileAtomically(posts + "/.a.post.tmp-short", "mine"));
    ASSERT_TRUE(writeFileAtomically(posts + "/c.post", "a post"));
    std::string linkName = posts + "/" + temporaryFileNameFor("d.post");
    ASSERT_EQ(::symlink((m_outside + "/victim").c_str(), linkName.c_str()), 0);
    ASSERT_EQ(::symlink(m_outside.c_str(), (m_inside + "/blog/elsewhere").c_str()), 0);
    ASSERT_TRUE(writeFileAtomically(m_outside + "/" + temporaryFileNameFor("e.post"), "outside"));

    EXPECT_EQ(removeLeftoverTemporaryFiles(m_inside), 2u);
    ::close(fd);
    EXPECT_EQ(directoryEntryNames(posts)->size(), 4u);
    EXPECT_EQ(readFile(held), "being written");
    EXPECT_EQ(temporaryFilesIn(m_inside), 0u);
    EXPECT_EQ(directoryEntryNames(m_outside)->size(), 2u);
    EXPECT_EQ(removeLeftoverTemporaryFiles(m_inside), 1u);
}

} // namespace
} // namespace folder_confined_writing_tests
