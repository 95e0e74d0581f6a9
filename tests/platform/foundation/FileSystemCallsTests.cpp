#include "platform/foundation/FileSystemCalls.h"

#include "tests/platform/foundation/FailingFileSystemCalls.h"

#include "platform/foundation/FileUtilities.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>

using namespace brevanton;

TEST(FileSystemCalls, AnInterruptedCallIsMadeAgainOnlyWhereThatIsSafe)
{
    auto folder = createTemporaryDirectory("file-system-calls-test").value();
    std::string file = folder + "/file";
    std::string other = folder + "/other";
    FailingFileSystemCalls calls;
    for (auto call : { FileSystemCall::Open, FileSystemCall::Write, FileSystemCall::Fsync, FileSystemCall::Rename,
                       FileSystemCall::Exchange, FileSystemCall::Close })
        calls.failCall(call, 0, EINTR);

    int fd = calls.open(file, O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(calls.count(FileSystemCall::Open), 2);
    EXPECT_EQ(calls.pwrite(fd, "text", 4, 0), 4);
    EXPECT_EQ(calls.fsync(fd), 0);
    // Linux releases the descriptor whatever close() answers: it is not closed twice.
    EXPECT_EQ(calls.close(fd), 0);
    EXPECT_EQ(calls.count(FileSystemCall::Close), 1);
    EXPECT_EQ(readFile(file), "text");

    // Whether an interrupted rename happened is not known: it is answered, not made again.
    EXPECT_EQ(calls.rename(file, other), -1);
    EXPECT_EQ(errno, EINTR);
    EXPECT_EQ(calls.rename(file, other), 0);
    ASSERT_TRUE(writeFileAtomically(file, "second"));
    EXPECT_EQ(calls.exchange(file, other), -1);
    EXPECT_EQ(errno, EINTR);
    EXPECT_EQ(calls.exchange(file, other), 0);
    EXPECT_EQ(readFile(file), "text");
    EXPECT_EQ(readFile(other), "second");

    // Any other error is the caller's, once.
    calls.failCall(FileSystemCall::Unlink, 0, EIO);
    EXPECT_EQ(calls.unlink(file), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(calls.realpath(folder + "/missing"), "");
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(calls.realpath(folder + "/./file"), calls.realpath(file));
    EXPECT_TRUE(removeItem(folder));
}
