#include "platform/foundation/FileReading.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "tests/platform/foundation/FailingFileSystemCalls.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace brevanton;

namespace {

class FileReadingTest : public ::testing::Test {
protected:
    void SetUp() override { m_folder = createTemporaryDirectory("file-reading-test").value(); }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    std::string path(std::string_view name) const { return m_folder + "/" + std::string(name); }

    // A file of `size` bytes that takes no room on disk.
    std::string sparseFile(std::string_view name, uint64_t size) const
    {
        std::string file = path(name);
        int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
        ::close(fd);
        return file;
    }

    std::string m_folder;
};

bool contains(std::u16string_view text, std::u16string_view part)
{
    return text.find(part) != std::u16string_view::npos;
}

} // namespace

TEST_F(FileReadingTest, EachKindIsReadUpToItsOwnLimitAndRefusedPastIt)
{
    constexpr uint64_t keychainLimit = maximumFileSize(FileReadKind::Keychain);
    static_assert(keychainLimit < maximumFileSize(FileReadKind::StyleSheet));
    static_assert(maximumFileSize(FileReadKind::StyleSheet) < maximumFileSize(FileReadKind::Document));

    auto atLimit = sparseFile("at-limit", keychainLimit);
    auto read = readRegularFile(atLimit, FileReadKind::Keychain, nullptr);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->bytes.size(), keychainLimit);
    struct stat info;
    ASSERT_EQ(::stat(atLimit.c_str(), &info), 0);
    EXPECT_EQ(fileStampOfStatus(read->status), fileStampOfStatus(info));

    // One byte more is too much for a keychain file, not for a style sheet.
    auto beyond = sparseFile("beyond", keychainLimit + 1);
    Error error;
    FileReadRefusal refusal = FileReadRefusal::None;
    EXPECT_FALSE(readRegularFile(beyond, FileReadKind::Keychain, &error, &refusal));
    EXPECT_EQ(refusal, FileReadRefusal::TooLarge);
    EXPECT_TRUE(error.is(POSIXErrorDomain, EFBIG));
    EXPECT_TRUE(contains(error.localizedDescription(), u"is larger than the 4 MB a keychain file may have")) << error;
    EXPECT_EQ(error.userInfo().at(Error::FilePathKey), Value(toUTF16(beyond)));
    EXPECT_EQ(readFile(beyond, nullptr, FileReadKind::StyleSheet).value_or("").size(), keychainLimit + 1);

    // A refusal comes before a byte is read.
    FailingFileSystemCalls calls;
    auto huge = sparseFile("huge.css", maximumFileSize(FileReadKind::StyleSheet) + 1);
    EXPECT_FALSE(readRegularFile(huge, FileReadKind::StyleSheet, &error, &refusal, calls));
    EXPECT_EQ(refusal, FileReadRefusal::TooLarge);
    EXPECT_TRUE(contains(error.localizedDescription(), u"16 MB a style sheet may have")) << error;
    EXPECT_EQ(calls.count(FileSystemCall::Read), 0);
}

TEST_F(FileReadingTest, AFileThatGrowsPastItsLimitWhileReadIsRefused)
{
    constexpr uint64_t limit = maximumFileSize(FileReadKind::Keychain);
    auto growing = sparseFile("growing", limit - 10);
    FailingFileSystemCalls calls;
    // After the open's checks, another program appends to it.
    calls.onCall(FileSystemCall::Read, 0, [&] {
        EXPECT_EQ(::truncate(growing.c_str(), static_cast<off_t>(limit + 100)), 0);
        return 0;
    });
    Error error;
    FileReadRefusal refusal = FileReadRefusal::None;
    EXPECT_FALSE(readRegularFile(growing, FileReadKind::Keychain, &error, &refusal, calls));
    EXPECT_EQ(refusal, FileReadRefusal::TooLarge);
    EXPECT_TRUE(error.is(POSIXErrorDomain, EFBIG)) << error;
}

TEST_F(FileReadingTest, FoldersPipesDevicesAndFailingReadsAreRefusedAtOnce)
{
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    struct Case {
        std::string path;
        FileReadRefusal refusal;
        int code;
    };
    const Case cases[] = {
        { m_folder, FileReadRefusal::Folder, EISDIR },
        { path("fifo"), FileReadRefusal::NotRegular, EINVAL },
        { "/dev/zero", FileReadRefusal::NotRegular, EINVAL },
        { path("missing"), FileReadRefusal::None, ENOENT },
    };
    for (auto& [file, expected, code] : cases) {
        SCOPED_TRACE(file);
        for (auto kind : { FileReadKind::Document, FileReadKind::Image, FileReadKind::Defaults }) {
            Error error;
            FileReadRefusal refusal = FileReadRefusal::Folder;
            EXPECT_FALSE(readRegularFile(file, kind, &error, &refusal));
            EXPECT_EQ(refusal, expected);
            EXPECT_TRUE(error.is(POSIXErrorDomain, code)) << error;
        }
        EXPECT_FALSE(readFilePrefix(file, 16));
    }
    Error error;
    EXPECT_FALSE(readFile(path("fifo"), &error, FileReadKind::StyleSheet));
    EXPECT_TRUE(contains(error.localizedDescription(), u"is not a regular file")) << error;
    EXPECT_FALSE(readFile(m_folder, &error, FileReadKind::StyleSheet));
    EXPECT_TRUE(contains(error.localizedDescription(), u"is a folder, not a style sheet")) << error;

    // A read the system fails answers its error, the file named.
    ASSERT_TRUE(writeFileAtomically(path("page.html"), "<p>text"));
    FailingFileSystemCalls calls;
    calls.failCall(FileSystemCall::Read, 0, EIO);
    FileReadRefusal refusal = FileReadRefusal::Folder;
    EXPECT_FALSE(readRegularFile(path("page.html"), FileReadKind::Document, &error, &refusal, calls));
    EXPECT_EQ(refusal, FileReadRefusal::None);
    EXPECT_TRUE(error.is(POSIXErrorDomain, EIO)) << error;
    EXPECT_EQ(error.userInfo().at(Error::FilePathKey), Value(toUTF16(path("page.html"))));
}

TEST_F(FileReadingTest, OnlyADocumentWaitsForARewriteInPlace)
{
    ASSERT_TRUE(writeFileAtomically(path("page.html"), "<p>old contents, longer than the new"));
    int writer = ::open(path("page.html").c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    // Another kind reads what is there now.
    EXPECT_EQ(readFile(path("page.html"), nullptr, FileReadKind::Other), "<p>old contents, longer than the new");

    // The rewrite ends at least 200 ms after `start`: a read that sees it waited that long.
    auto start = std::chrono::steady_clock::now();
    std::thread rewrite([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::string_view contents = "<p>new";
        EXPECT_EQ(::pwrite(writer, contents.data(), contents.size(), 0), static_cast<ssize_t>(contents.size()));
        EXPECT_EQ(::ftruncate(writer, static_cast<off_t>(contents.size())), 0);
        ::close(writer);
    });
    auto read = readRegularFile(path("page.html"), FileReadKind::Document, nullptr);
    auto waited = std::chrono::steady_clock::now() - start;
    rewrite.join();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->bytes, "<p>new");
    EXPECT_EQ(read->status.st_size, 6);
    EXPECT_GE(waited, std::chrono::milliseconds(150));
}

TEST_F(FileReadingTest, APrefixIsAtMostItsLimit)
{
    ASSERT_TRUE(writeFileAtomically(path("page.html"), "<meta charset=\"utf-8\"><p>text"));
    EXPECT_EQ(readFilePrefix(path("page.html"), 6), "<meta ");
    EXPECT_EQ(readFilePrefix(path("page.html"), 1000), "<meta charset=\"utf-8\"><p>text");
    ASSERT_TRUE(writeFileAtomically(path("empty.html"), ""));
    EXPECT_EQ(readFilePrefix(path("empty.html"), 10), "");
}

TEST_F(FileReadingTest, ASmallFileIsReadWithOneCallAndAFolderOpensItsFilesByName)
{
    ASSERT_TRUE(writeFileAtomically(path("post.json"), "{\"title\": \"A post\"}"));
    FailingFileSystemCalls calls;
    auto read = readRegularFile(path("post.json"), FileReadKind::Other, nullptr, nullptr, calls);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->bytes, "{\"title\": \"A post\"}");
    EXPECT_EQ(calls.calls(), (std::vector<FileSystemCall> { FileSystemCall::Open, FileSystemCall::Fstat, FileSystemCall::Read,
                                                           FileSystemCall::Close }));

    // One buffer for many files: each read replaces what it held.
    auto folder = ReadableFolder::open(m_folder, nullptr);
    ASSERT_TRUE(folder);
    ASSERT_TRUE(writeFileAtomically(path("short.json"), "{}"));
    ASSERT_TRUE(writeFileAtomically(path("empty.json"), ""));
    std::string buffer;
    for (auto [name, contents] : { std::pair { "post.json", "{\"title\": \"A post\"}" }, std::pair { "short.json", "{}" },
                                   std::pair { "empty.json", "" } }) {
        auto file = ReadableFile::open(*folder, name, FileReadKind::Other, nullptr);
        ASSERT_TRUE(file) << name;
        ASSERT_TRUE(file->readToEnd(buffer, nullptr));
        EXPECT_EQ(buffer, contents);
    }

    // The folder's files keep the policy; errors name the whole path.
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    ASSERT_TRUE(createDirectory(path("sub")));
    Error error;
    FileReadRefusal refusal = FileReadRefusal::None;
    EXPECT_FALSE(ReadableFile::open(*folder, "fifo", FileReadKind::Other, &error, &refusal));
    EXPECT_EQ(refusal, FileReadRefusal::NotRegular);
    EXPECT_EQ(error.userInfo().at(Error::FilePathKey), Value(toUTF16(path("fifo"))));
    EXPECT_FALSE(ReadableFile::open(*folder, "sub", FileReadKind::Other, &error, &refusal));
    EXPECT_EQ(refusal, FileReadRefusal::Folder);
    EXPECT_FALSE(ReadableFile::open(*folder, "missing", FileReadKind::Other, &error, &refusal));
    EXPECT_TRUE(error.is(POSIXErrorDomain, ENOENT)) << error;
    EXPECT_EQ(error.userInfo().at(Error::FilePathKey), Value(toUTF16(path("missing"))));
    EXPECT_FALSE(ReadableFolder::open(path("post.json"), &error));
    EXPECT_TRUE(error.is(POSIXErrorDomain, ENOTDIR)) << error;
}

TEST_F(FileReadingTest, AFileShorterOrLongerThanItsStatusSaidIsReadWhole)
{
    std::string contents(100000, 'x');
    ASSERT_TRUE(writeFileAtomically(path("big"), contents));
    std::string grown = contents + "tail";
    FailingFileSystemCalls calls;
    // After the open's status, another program appends to the file.
    calls.onCall(FileSystemCall::Read, 0, [&] {
        int fd = ::open(path("big").c_str(), O_WRONLY | O_APPEND);
        EXPECT_EQ(::write(fd, "tail", 4), 4);
        ::close(fd);
        return 0;
    });
    EXPECT_EQ(readFile(path("big"), nullptr, FileReadKind::Other), contents);
    auto read = readRegularFile(path("big"), FileReadKind::Other, nullptr, nullptr, calls);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->bytes, grown);

    // Or cuts it short.
    ASSERT_TRUE(writeFileAtomically(path("big"), contents));
    FailingFileSystemCalls cutting;
    cutting.onCall(FileSystemCall::Read, 0, [&] {
        EXPECT_EQ(::truncate(path("big").c_str(), 10), 0);
        return 0;
    });
    read = readRegularFile(path("big"), FileReadKind::Other, nullptr, nullptr, cutting);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->bytes, contents.substr(0, 10));
}

TEST_F(FileReadingTest, AFileSystemThatAnswersAgainLaterIsWaitedFor)
{
    ASSERT_TRUE(writeFileAtomically(path("page.html"), "<p>text"));
    FailingFileSystemCalls calls;
    calls.failCall(FileSystemCall::Read, 0, EAGAIN);
    auto file = ReadableFile::open(path("page.html"), FileReadKind::Other, nullptr, nullptr, calls);
    ASSERT_TRUE(file);
    EXPECT_TRUE(::fcntl(file->descriptor(), F_GETFL) & O_NONBLOCK);
    auto bytes = file->readToEnd(nullptr);
    EXPECT_EQ(bytes, "<p>text");
    EXPECT_FALSE(::fcntl(file->descriptor(), F_GETFL) & O_NONBLOCK) << "blocking from the first EAGAIN on";
}
