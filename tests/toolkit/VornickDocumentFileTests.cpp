#include "toolkit/VornickDocumentFile.h"

#include "toolkit/VornickErrors.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <atomic>
#include <dirent.h>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace brevanton;

namespace {

class VornickDocumentFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A read that blocks (on a FIFO) ends the test run instead of hanging it.
        ::alarm(60);
        m_folder = createTemporaryDirectory("document-file-test").value();
    }
    void TearDown() override
    {
        ::alarm(0);
        ::chmod(path("").c_str(), 0755);
        EXPECT_TRUE(removeItem(m_folder));
    }

    std::string path(std::string_view name) const { return m_folder + "/" + std::string(name); }
    std::string write(std::string_view name, std::string_view contents) const
    {
        EXPECT_TRUE(writeFileAtomically(path(name), contents));
        return path(name);
    }
    size_t numberOfNames() const
    {
        size_t count = 0;
        DIR* directory = ::opendir(m_folder.c_str());
        while (dirent* entry = ::readdir(directory))
            count += entry->d_name[0] != '.' || (entry->d_name[1] && std::string_view(entry->d_name) != "..");
        ::closedir(directory);
        return count;
    }
    static struct stat status(const std::string& path)
    {
        struct stat info {};
        ::lstat(path.c_str(), &info);
        return info;
    }

    std::string m_folder;
};

void expectRefusal(const Error& error, int64_t code, std::u16string_view words)
{
    EXPECT_EQ(error.domain(), VornickErrorDomain);
    EXPECT_EQ(error.code(), code);
    EXPECT_NE(error.localizedDescription().find(words), std::u16string::npos) << toUTF8(error.localizedDescription());
}

} // namespace

TEST_F(VornickDocumentFileTest, ReadsRegularFilesAndRecordsWhatItRead)
{
    auto page = write("page.html", "<p>text</p>");
    VornickDocumentFile file(page);
    EXPECT_FALSE(file.stamp());
    Error error;
    EXPECT_EQ(file.read(&error), "<p>text</p>");
    ASSERT_TRUE(file.stamp());
    EXPECT_EQ(file.stamp()->identity, fileIdentity(page));
    EXPECT_EQ(file.stamp()->size, 11u);

    auto empty = write("empty.html", "");
    VornickDocumentFile emptyFile(empty);
    EXPECT_EQ(emptyFile.read(&error), "");

    VornickDocumentFile missing(path("missing.html"));
    EXPECT_FALSE(missing.read(&error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_EQ(error.code(), ENOENT);
}

TEST_F(VornickDocumentFileTest, ReadRefusesSpecialFilesAtOnceAndFilesBeyondTheLimit)
{
    // A FIFO without a writer would block a plain open for ever.
    ASSERT_EQ(::mkfifo(path("pipe.html").c_str(), 0644), 0);
    Error error;
    VornickDocumentFile pipe(path("pipe.html"));
    EXPECT_FALSE(pipe.read(&error));
    expectRefusal(error, VornickDocumentFileNotRegularError, u"not a regular file");

    // A device reads without end.
    VornickDocumentFile zero("/dev/zero");
    EXPECT_FALSE(zero.read(&error));
    expectRefusal(error, VornickDocumentFileNotRegularError, u"not a regular file");

    ASSERT_TRUE(createDirectory(path("folder.html")));
    VornickDocumentFile folder(path("folder.html"));
    EXPECT_FALSE(folder.read(&error));
    expectRefusal(error, VornickDocumentFileNotRegularError, u"is a folder");

    // Sparse files (text at the start, where binary data would show): the
    // limit itself reads, one byte more does not.
    for (uint64_t size : { VornickMaximumDocumentFileSize, VornickMaximumDocumentFileSize + 1 }) {
        int fd = ::open(path("huge.html").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
        std::string text(65536, 'x');
        ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
        ::close(fd);
        VornickDocumentFile huge(path("huge.html"));
        auto contents = huge.read(&error);
        if (size == VornickMaximumDocumentFileSize) {
            ASSERT_TRUE(contents);
            EXPECT_EQ(contents->size(), size);
        } else {
            EXPECT_FALSE(contents);
            expectRefusal(error, VornickDocumentFileTooLargeError, u"larger than the 64 MB");
        }
    }
}

TEST_F(VornickDocumentFileTest, SaveRefusesOtherTypesSpecialAndWriteProtectedFiles)
{
    Error error;
    for (const char* name : { "picture.png", "style.css", "notes", "page.html.bak" }) {
        auto other = write(name, "original");
        VornickDocumentFile file(other);
        ASSERT_TRUE(file.read(&error));
        EXPECT_FALSE(file.save("<p>html</p>", &error)) << name;
        expectRefusal(error, VornickDocumentFileNotHTMLError, u"not an HTML or XHTML file");
        EXPECT_EQ(readFile(other), "original");
    }
    for (const char* name : { "page.html", "page.HTM", "page.shtml", "page.xhtml", "page.xht" })
        EXPECT_TRUE(VornickDocumentFile::isDocumentPath(name)) << name;

    ASSERT_EQ(::mkfifo(path("pipe.html").c_str(), 0644), 0);
    VornickDocumentFile pipe(path("pipe.html"));
    EXPECT_FALSE(pipe.save("<p>html</p>", &error));
    expectRefusal(error, VornickDocumentFileNotRegularError, u"not a regular file");
    EXPECT_TRUE(S_ISFIFO(status(path("pipe.html")).st_mode));

    // Refused even where the folder would let the file be replaced (and for the superuser).
    auto locked = write("locked.html", "original");
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    VornickDocumentFile lockedFile(locked);
    ASSERT_TRUE(lockedFile.read(&error));
    EXPECT_FALSE(lockedFile.save("<p>new</p>", &error));
    expectRefusal(error, VornickDocumentFileWriteProtectedError, u"write-protected");
    EXPECT_EQ(readFile(locked), "original");
    EXPECT_EQ(status(locked).st_mode & 07777, 0444u);
}

TEST_F(VornickDocumentFileTest, SaveRefusesAFileChangedSinceItWasRead)
{
    auto page = write("page.html", "original");
    VornickDocumentFile file(page);
    Error error;
    ASSERT_TRUE(file.read(&error));

    // Rewritten in place with the same size: only the time tells.
    struct timespec later[2] = { { 0, UTIME_OMIT }, { status(page).st_mtim.tv_sec + 5, 0 } };
    {
        int fd = ::open(page.c_str(), O_WRONLY);
        ASSERT_EQ(::pwrite(fd, "ORIGINAL", 8, 0), 8);
        ::futimens(fd, later);
        ::close(fd);
    }
    EXPECT_FALSE(file.save("mine", &error));
    expectRefusal(error, VornickDocumentFileChangedError, u"changed by another program");
    EXPECT_EQ(readFile(page), "ORIGINAL");

    // Replaced by another file, same size and time: the inode tells.
    ASSERT_TRUE(file.read(&error));
    auto times = status(page).st_mtim;
    write("page.html", "replaced");
    struct timespec same[2] = { { 0, UTIME_OMIT }, times };
    ASSERT_EQ(::utimensat(AT_FDCWD, page.c_str(), same, 0), 0);
    EXPECT_FALSE(file.save("mine", &error));
    EXPECT_EQ(error.code(), VornickDocumentFileChangedError);

    // After reading again, saves follow one another: each records what it wrote.
    ASSERT_TRUE(file.read(&error));
    EXPECT_TRUE(file.save("first save", &error));
    EXPECT_TRUE(file.save("second save", &error));
    EXPECT_EQ(readFile(page), "second save");

    // A file removed meanwhile is written anew; a new file is created.
    ASSERT_EQ(::unlink(page.c_str()), 0);
    EXPECT_TRUE(file.save("again", &error));
    EXPECT_EQ(readFile(page), "again");
    VornickDocumentFile created(path("new.html"));
    EXPECT_TRUE(created.save("new", &error));
    EXPECT_EQ(readFile(path("new.html")), "new");
}

TEST_F(VornickDocumentFileTest, SaveKeepsModeAttributesLinksAndLongNames)
{
    auto page = write("page.html", "original contents, longer than the new ones");
    ASSERT_EQ(::chmod(page.c_str(), 0640), 0);
    Error error;
    bool attributes = setExtendedAttribute(page, "origin", "kept", &error);
    if (!attributes) {
        EXPECT_EQ(error.code(), ENOTSUP);
    }

    VornickDocumentFile file(page);
    ASSERT_TRUE(file.read(&error));
    ASSERT_TRUE(file.save("<p>new</p>", &error));
    EXPECT_EQ(readFile(page), "<p>new</p>");
    EXPECT_EQ(status(page).st_mode & 07777, 0640u);
    if (attributes) {
        EXPECT_EQ(getExtendedAttribute(page, "origin"), "kept");
    }

    // With a second link the file is rewritten in place: both names see the
    // new contents, shorter or longer, and no backup is left.
    ASSERT_EQ(::link(page.c_str(), path("other-name.html").c_str()), 0);
    auto inode = status(page).st_ino;
    for (std::string contents : { "short", "much longer contents than the previous ones" }) {
        ASSERT_TRUE(file.save(contents, &error)) << toUTF8(error.localizedDescription());
        EXPECT_EQ(readFile(page), contents);
        EXPECT_EQ(readFile(path("other-name.html")), contents);
        EXPECT_EQ(status(page).st_ino, inode);
        EXPECT_EQ(status(page).st_nlink, 2u);
    }
    EXPECT_EQ(numberOfNames(), 2u);

    // A symbolic link stays a link to the saved file.
    ASSERT_EQ(::symlink("page.html", path("link.html").c_str()), 0);
    VornickDocumentFile linked(path("link.html"));
    ASSERT_TRUE(linked.read(&error));
    ASSERT_TRUE(linked.save("through the link", &error));
    EXPECT_TRUE(S_ISLNK(status(path("link.html")).st_mode));
    EXPECT_EQ(readFile(path("other-name.html")), "through the link");

    // Names of the full 255 bytes a file name may hold; in the second the cut
    // of the temporary name falls inside a two-byte character.
    std::string accented;
    for (int i = 0; i < 125; ++i)
        accented += "\u00e9";
    for (const std::string& name : { std::string(250, 'n') + ".html", accented + ".html" }) {
        ASSERT_EQ(name.size(), 255u);
        VornickDocumentFile longName(path(name));
        EXPECT_TRUE(longName.save("long", &error)) << toUTF8(error.localizedDescription());
        EXPECT_TRUE(longName.save("longer", &error));
        EXPECT_EQ(readFile(path(name)), "longer");
    }
}

TEST_F(VornickDocumentFileTest, ASaveThatCannotBeWrittenLeavesTheFileWhole)
{
    auto single = write("single.html", "<p>the original</p>");
    auto linked = write("linked.html", "<p>the original</p>");
    ASSERT_EQ(::link(linked.c_str(), path("second-link.html").c_str()), 0);
    VornickDocumentFile singleFile(single);
    VornickDocumentFile linkedFile(linked);
    Error error;
    ASSERT_TRUE(singleFile.read(&error));
    ASSERT_TRUE(linkedFile.read(&error));

    // Files may not grow beyond 64 bytes, as on a full disk.
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit previousLimit;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previousLimit), 0);
    struct rlimit limit = previousLimit;
    limit.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::string large(1000, 'x');
    bool savedSingle = singleFile.save(large, &error);
    Error singleError = error;
    bool savedLinked = linkedFile.save(large, &error);
    ::setrlimit(RLIMIT_FSIZE, &previousLimit);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(savedSingle);
    EXPECT_EQ(singleError.code(), EFBIG);
    EXPECT_FALSE(savedLinked);
    EXPECT_EQ(error.code(), EFBIG);
    EXPECT_EQ(readFile(single), "<p>the original</p>");
    EXPECT_EQ(readFile(linked), "<p>the original</p>");
    EXPECT_EQ(readFile(path("second-link.html")), "<p>the original</p>");
    // No temporary file or backup copy is left, and the next save works.
    EXPECT_EQ(numberOfNames(), 3u);
    EXPECT_TRUE(linkedFile.save(large, &error)) << toUTF8(error.localizedDescription());
    EXPECT_EQ(readFile(path("second-link.html")), large);
}

TEST_F(VornickDocumentFileTest, APreparedSaveChecksTheFileAgainWhenItIsPutInPlace)
{
    auto page = write("page.html", "original");
    VornickDocumentFile file(page);
    Error error;
    ASSERT_TRUE(file.read(&error));

    // Prepared, the new contents wait beside the file, which stays as it is;
    // a prepared save dropped leaves nothing behind.
    {
        auto prepared = file.prepareSave("dropped", &error);
        ASSERT_TRUE(prepared);
        EXPECT_EQ(readFile(page), "original");
        EXPECT_EQ(numberOfNames(), 2u);
    }
    EXPECT_EQ(numberOfNames(), 1u);

    // Rewritten in place, or replaced by another file, after the save was
    // prepared: the commit refuses, the other program's contents stay.
    auto prepared = file.prepareSave("mine", &error);
    ASSERT_TRUE(prepared);
    struct timespec later[2] = { { 0, UTIME_OMIT }, { status(page).st_mtim.tv_sec + 5, 0 } };
    {
        int fd = ::open(page.c_str(), O_WRONLY);
        ASSERT_EQ(::pwrite(fd, "ORIGINAL", 8, 0), 8);
        ::futimens(fd, later);
        ::close(fd);
    }
    EXPECT_FALSE(file.commitSave(std::move(*prepared), &error));
    expectRefusal(error, VornickDocumentFileChangedError, u"changed by another program");
    EXPECT_EQ(readFile(page), "ORIGINAL");
    EXPECT_EQ(numberOfNames(), 1u);

    ASSERT_TRUE(file.read(&error));
    prepared = file.prepareSave("mine", &error);
    ASSERT_TRUE(prepared);
    write("page.html", "replaced");
    EXPECT_FALSE(file.commitSave(std::move(*prepared), &error));
    EXPECT_EQ(error.code(), VornickDocumentFileChangedError);
    EXPECT_EQ(readFile(page), "replaced");
    EXPECT_EQ(numberOfNames(), 1u);

    // Write-protected meanwhile: refused.
    ASSERT_TRUE(file.read(&error));
    prepared = file.prepareSave("mine", &error);
    ASSERT_TRUE(prepared);
    ASSERT_EQ(::chmod(page.c_str(), 0444), 0);
    EXPECT_FALSE(file.commitSave(std::move(*prepared), &error));
    expectRefusal(error, VornickDocumentFileWriteProtectedError, u"write-protected");
    ASSERT_EQ(::chmod(page.c_str(), 0644), 0);
    EXPECT_EQ(numberOfNames(), 1u);

    // Unchanged, it is put in place; and the next save follows it.
    ASSERT_TRUE(file.read(&error));
    prepared = file.prepareSave("mine", &error);
    ASSERT_TRUE(prepared);
    EXPECT_TRUE(file.commitSave(std::move(*prepared), &error)) << toUTF8(error.localizedDescription());
    EXPECT_EQ(readFile(page), "mine");
    EXPECT_TRUE(file.save("next", &error));
    EXPECT_EQ(readFile(page), "next");

    // A hard link made after the save was prepared is kept: the file is
    // rewritten in place instead of replaced.
    prepared = file.prepareSave("linked", &error);
    ASSERT_TRUE(prepared);
    ASSERT_EQ(::link(page.c_str(), path("second-link.html").c_str()), 0);
    // Making a link changes no stamp.
    EXPECT_TRUE(file.commitSave(std::move(*prepared), &error)) << toUTF8(error.localizedDescription());
    EXPECT_EQ(readFile(path("second-link.html")), "linked");
    EXPECT_EQ(status(page).st_nlink, 2u);
    EXPECT_EQ(numberOfNames(), 2u);
}

TEST_F(VornickDocumentFileTest, ARewriteInPlaceWaitsForAnotherAndThenFindsTheFileChanged)
{
    std::string page = write("linked.html", "<p>first version</p>");
    ASSERT_EQ(::link(page.c_str(), path("other.html").c_str()), 0);
    VornickDocumentFile file(page);
    ASSERT_TRUE(file.read(nullptr));

    // Another program (a save of its own) rewrites the file in place under
    // its lock. The save waits for it, then finds the file it read gone.
    int other = ::open(page.c_str(), O_RDWR);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    std::atomic<bool> saving { true };
    Error error;
    bool saved = true;
    std::thread save([&] {
        saved = file.save("<p>mine</p>", &error);
        saving = false;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(saving) << "the save did not wait for the lock";
    std::string theirs = "<p>their version, longer</p>";
    ASSERT_EQ(::pwrite(other, theirs.data(), theirs.size(), 0), static_cast<ssize_t>(theirs.size()));
    ASSERT_EQ(::flock(other, LOCK_UN), 0);
    save.join();
    ::close(other);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickDocumentFileChangedError)) << error;
    EXPECT_EQ(readFile(page), theirs);
    EXPECT_EQ(readFile(path("other.html")), theirs);

    // A read waits for a rewrite in progress and sees it whole.
    other = ::open(page.c_str(), O_RDWR);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    std::optional<std::string> read;
    std::thread reader([&] { read = VornickDocumentFile(page).read(nullptr); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::string whole = "<p>written whole</p>";
    ASSERT_EQ(::ftruncate(other, 0), 0);
    ASSERT_EQ(::pwrite(other, whole.data(), whole.size(), 0), static_cast<ssize_t>(whole.size()));
    ASSERT_EQ(::flock(other, LOCK_UN), 0);
    reader.join();
    ::close(other);
    EXPECT_EQ(read, whole);
}

TEST_F(VornickDocumentFileTest, BytesThatAreNotTextAreRefusedWhateverTheName)
{
    using namespace std::string_literals;
    const std::pair<std::string, const char*> binaries[] = {
        { "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, "a PNG image" },
        { "\xFF\xD8\xFF\xE0\0\x10JFIF"s, "a JPEG image" },
        { "GIF89a\x01\0\x01\0"s, "a GIF image" },
        { "RIFF\x10\0\0\0WEBPVP8 "s, "a WebP image" },
        { "PK\x03\x04\x14\0\0\0"s, "a ZIP archive" },
        { "\x1F\x8B\x08\0\0\0\0\0"s, "a gzip archive" },
        { "BZh91AY&SY"s, "a bzip2 archive" },
        { "\xFD" "7zXZ\0\0"s, "an xz archive" },
        { "%PDF-1.4\n"s, "a PDF document" },
        { std::string(100, 'x') + std::string(40, '\0') + "<html>", "binary data" },
        { std::string(257, ' ') + "ustar\0"s + std::string(250, '\0'), "a tar archive" },
    };
    for (auto& [bytes, kind] : binaries) {
        SCOPED_TRACE(kind);
        std::string file = write("page.html", bytes);
        Error error;
        EXPECT_FALSE(VornickDocumentFile(file).read(&error));
        EXPECT_TRUE(error.is(VornickErrorDomain, VornickDocumentFileNotTextError)) << error;
        EXPECT_NE(toUTF8(error.localizedDescription()).find(std::string("is ") + kind + ", not a text document"), std::string::npos)
            << error;
    }
    // Text: UTF-16 with and without a mark, a stray NUL, words that start
    // like a signature.
    for (const std::string& text : { "\xFF\xFE<\0p\0>\0"s, "<\0p\0>\0x\0"s, "<p>a\0b</p>"s, "BZh is not an archive"s, "GIF87 is a format"s }) {
        EXPECT_EQ(VornickDocumentFile(write("text.html", text)).read(nullptr), text);
    }
}
