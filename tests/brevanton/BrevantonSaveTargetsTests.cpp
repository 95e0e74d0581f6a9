// Where the executable saves a page: through a symbolic link, in a folder
// that takes no new file, on a full file system, under a name of spaces,
// quotes and bytes that are not UTF-8. A save that cannot be made says why
// and leaves the page and its folder as they were.
#include "tests/brevanton/BrevantonExecutableTestSupport.h"

#include "platform/foundation/FileUtilities.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevanton;

namespace {

const std::string page = "<!DOCTYPE html>\n<html><head><title>Saved</title></head><body><p>A page to save.</p></body></html>\n";

bool isSymbolicLink(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Sets or clears the immutable flag of a folder (which even the superuser
// cannot add entries to); false where the file system or the process cannot.
bool setImmutable(const std::string& folder, bool immutable)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

TEST_F(BrevantonExecutable, ASaveThroughASymbolicLinkWritesItsTargetAndKeepsTheLink)
{
    ASSERT_TRUE(createDirectory(m_folder + "/pages"));
    std::string target = m_folder + "/pages/target.html";
    ASSERT_TRUE(writeFileAtomically(target, page));
    ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
    // A link in another folder, relative, and a link to that link.
    std::string link = m_folder + "/link.html";
    ASSERT_EQ(::symlink("pages/target.html", link.c_str()), 0);
    std::string chained = m_folder + "/chained.html";
    ASSERT_EQ(::symlink("link.html", chained.c_str()), 0);

    for (const std::string& name : { link, chained }) {
        auto result = runBrevanton({ "--save", name });
        EXPECT_EQ(result.exitStatus, 0) << result.standardError;
        EXPECT_TRUE(isSymbolicLink(link));
        EXPECT_TRUE(isSymbolicLink(chained));
        EXPECT_EQ(readFile(name), readFile(target));
    }
    auto saved = readFile(target).value();
    EXPECT_TRUE(contains(saved, "<p>A page to save.</p>")) << saved;
    struct stat info;
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    // The temporary file went beside the target, and nothing is left of it.
    EXPECT_EQ(directoryEntryNames(m_folder + "/pages")->size(), 1u);
    EXPECT_EQ(directoryEntryNames(m_folder)->size(), 3u);
}

TEST_F(BrevantonExecutable, APageInAFolderThatTakesNoNewFileIsNotSavedAndSaysWhy)
{
    std::string folder = m_folder + "/read-only";
    ASSERT_TRUE(createDirectory(folder));
    std::string single = folder + "/page.html";
    std::string linked = folder + "/linked.html";
    ASSERT_TRUE(writeFileAtomically(single, page));
    ASSERT_TRUE(writeFileAtomically(linked, page));
    ASSERT_EQ(::link(linked.c_str(), (folder + "/second-link.html").c_str()), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    // The superuser writes in any folder but an immutable one.
    if (::geteuid() == 0 && !setImmutable(folder, true)) {
        ::chmod(folder.c_str(), 0755);
        GTEST_SKIP() << "a folder cannot be made read-only for the superuser here";
    }

    // Replacing the page, and rewriting it in place beside a backup copy,
    // both need a new file in the folder.
    auto result = runBrevanton({ "--save", single, linked });
    setImmutable(folder, false);
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    EXPECT_EQ(result.exitStatus, 1);
    const char* reason = ::geteuid() == 0 ? "Operation not permitted" : "Permission denied";
    for (const std::string& name : { single, linked }) {
        EXPECT_TRUE(contains(result.standardError, "brevanton: " + name + ": Could not write")) << result.standardError;
        EXPECT_EQ(readFile(name), page);
    }
    EXPECT_TRUE(contains(result.standardError, reason)) << result.standardError;
    EXPECT_EQ(directoryEntryNames(folder)->size(), 3u);
    EXPECT_EQ(runBrevanton({ "--save", single, linked }).exitStatus, 0);
}

TEST_F(BrevantonExecutable, APageOnAFullFileSystemIsNotSavedAndSavesOnceThereIsRoom)
{
    // A small file system of this test's own, seen by no other process: a
    // mount namespace of its own (the executable, its child, joins it).
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        GTEST_SKIP() << "no mount namespace here (" << std::strerror(errno) << "): the seam's tests cover ENOSPC";
    std::string disk = m_folder + "/disk";
    ASSERT_TRUE(createDirectory(disk));
    ASSERT_EQ(::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=256k"), 0) << std::strerror(errno);
    struct Unmount {
        std::string disk;
        ~Unmount() { ::umount2(disk.c_str(), MNT_DETACH); }
    } unmount { disk };

    std::string single = disk + "/page.html";
    std::string linked = disk + "/linked.html";
    ASSERT_TRUE(writeFileAtomically(single, page));
    ASSERT_TRUE(writeFileAtomically(linked, page));
    ASSERT_EQ(::link(linked.c_str(), (disk + "/second-link.html").c_str()), 0);
    // Every block taken.
    std::string filler = disk + "/filler";
    int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) { }
    ::close(fd);

    auto result = runBrevanton({ "--save", single, linked });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(contains(result.standardError, "brevanton: " + single + ": Could not write")) << result.standardError;
    EXPECT_TRUE(contains(result.standardError, "brevanton: " + linked + ": Could not write")) << result.standardError;
    EXPECT_TRUE(contains(result.standardError, "No space left on device")) << result.standardError;
    EXPECT_EQ(readFile(single), page);
    EXPECT_EQ(readFile(linked), page);
    EXPECT_EQ(directoryEntryNames(disk)->size(), 4u);

    ASSERT_EQ(::unlink(filler.c_str()), 0);
    result = runBrevanton({ "--save", single, linked });
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_TRUE(contains(readFile(single).value(), "<p>A page to save.</p>"));
    EXPECT_EQ(directoryEntryNames(disk)->size(), 3u);
}

TEST_F(BrevantonExecutable, ANameWithSpacesQuotesAndBytesThatAreNotUTF8IsSavedUnderItself)
{
    std::string name = m_folder + "/my \"quoted\" 'page' \xFF\xFE caf\xE9 .html";
    ASSERT_TRUE(writeFileAtomically(name, page));
    auto result = runBrevanton({ "--save", name });
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_TRUE(contains(result.standardOutput, "  saved:")) << result.standardOutput;
    auto saved = readFile(name);
    ASSERT_TRUE(saved);
    EXPECT_TRUE(contains(*saved, "<p>A page to save.</p>")) << *saved;
    EXPECT_EQ(directoryEntryNames(m_folder).value(), std::vector<std::string> { name.substr(m_folder.size() + 1) });
}
