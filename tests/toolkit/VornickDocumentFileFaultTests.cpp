// Saves that meet a failing file system: every system call of a save fails
// in turn with each error a disk, a quota or a permission can give, and a
// process saving in a loop is killed at random points.
#include "toolkit/VornickDocumentFile.h"

#include "tests/platform/foundation/FailingFileSystemCalls.h"
#include "tests/toolkit/VornickDocumentFileTestPeer.h"

#include "toolkit/VornickErrors.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <chrono>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace brevanton;

namespace {

constexpr int injectedErrors[] = { ENOSPC, EIO, EACCES, EXDEV, EINTR, EDQUOT };

const char* errorName(int error)
{
    switch (error) {
    case ENOSPC: return "ENOSPC";
    case EIO: return "EIO";
    case EACCES: return "EACCES";
    case EXDEV: return "EXDEV";
    case EINTR: return "EINTR";
    case EDQUOT: return "EDQUOT";
    }
    return "?";
}

class VornickDocumentFileFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        // In memory where it can be: hundreds of saves sync their files.
        std::string folder = isDirectory("/dev/shm") && ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/document-file-faults-XXXXXX"
                                                                                       : temporaryDirectory() + "/document-file-faults-XXXXXX";
        ASSERT_TRUE(::mkdtemp(folder.data()));
        m_folder = folder;
    }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    std::string m_folder;
};

// One way a page is saved: how it is laid out before the save.
struct Layout {
    const char* name;
    // Another link to the page: it is rewritten in place.
    bool hardLinked;
    // The page is a symbolic link to the file saved, which must stay one.
    bool symbolicLink;
    // No page yet: the save creates it (renamed into place).
    bool created = false;
};

const std::string original = "<p>the original page, as it was read</p>\n";
const std::string saved = "<p>the page as saved, longer than the original, so that its space is reserved</p>\n";

// A folder holding the page laid out as `layout` says; answers the page's path.
std::string layOut(const std::string& folder, const Layout& layout)
{
    std::string page = folder + "/page.html";
    if (layout.created)
        return page;
    if (layout.symbolicLink) {
        EXPECT_EQ(::symlink("target.html", page.c_str()), 0);
        page = folder + "/target.html";
    }
    EXPECT_TRUE(writeFileAtomically(page, original));
    EXPECT_EQ(::chmod(page.c_str(), 0640), 0);
    // An attribute to copy; another owner to give back where this process may.
    (void)setExtendedAttribute(page, "origin", "kept");
    if (::geteuid() == 0) {
        EXPECT_EQ(::chown(page.c_str(), 65534, 65534), 0);
    }
    if (layout.hardLinked) {
        EXPECT_EQ(::link(page.c_str(), (folder + "/second-link.html").c_str()), 0);
    }
    return folder + "/page.html";
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

std::string describe(const Error& error)
{
    return error.domain() + " " + std::to_string(error.code()) + ": " + toUTF8(error.localizedDescription());
}

} // namespace

// After every failure the page holds its original bytes, nothing is left
// beside it, the error says what failed, and the next save succeeds; an
// interrupted call is made again. Set BREVANTON_PRINT_FAULT_MATRIX to see the
// outcome of each call and error.
TEST_F(VornickDocumentFileFaults, EveryCallOfASaveFailsInTurnAndLeavesThePageWhole)
{
    std::ostringstream matrix;
    for (const Layout& layout : { Layout { "replaced", false, false }, Layout { "rewritten in place", true, false },
                                  Layout { "through a link", false, true }, Layout { "created", false, false, true } }) {
        // The calls a save makes, recorded on a save that succeeds.
        std::vector<FileSystemCall> recorded;
        {
            std::string folder = m_folder + "/recorded";
            ASSERT_TRUE(createDirectory(folder));
            VornickDocumentFile file(layOut(folder, layout));
            ASSERT_TRUE(layout.created || file.read(nullptr));
            FailingFileSystemCalls calls;
            VornickDocumentFileTestPeer::setCalls(file, calls);
            Error error;
            ASSERT_TRUE(file.save(saved, &error)) << describe(error);
            recorded = calls.calls();
            ASSERT_TRUE(removeItem(folder));
        }
        ASSERT_GT(recorded.size(), 10u);

        std::map<FileSystemCall, int> ordinals;
        for (FileSystemCall call : recorded) {
            int ordinal = ordinals[call]++;
            for (int injected : injectedErrors) {
                std::string label = std::string(layout.name) + ": " + std::string(fileSystemCallName(call)) + " #"
                    + std::to_string(ordinal) + " " + errorName(injected);
                SCOPED_TRACE(label);
                std::string folder = m_folder + "/case";
                ASSERT_TRUE(createDirectory(folder));
                std::string page = layOut(folder, layout);
                auto namesBefore = directoryEntryNames(folder).value();
                VornickDocumentFile file(page);
                ASSERT_TRUE(layout.created || file.read(nullptr));
                FailingFileSystemCalls calls;
                calls.failCall(call, ordinal, injected);
                VornickDocumentFileTestPeer::setCalls(file, calls);

                Error error;
                bool succeeded = file.save(saved, &error);
                auto namesAfter = directoryEntryNames(folder).value();
                std::string outcome;
                if (succeeded) {
                    EXPECT_EQ(readFile(page), saved);
                    outcome = "saved";
                    if (layout.created)
                        namesBefore = { "page.html" };
                    if (namesAfter != namesBefore) {
                        // Only the old file, or its backup, that could not be removed.
                        EXPECT_EQ(call, FileSystemCall::Unlink);
                        ASSERT_EQ(namesAfter.size(), namesBefore.size() + 1);
                        for (auto& name : namesAfter) {
                            if (std::find(namesBefore.begin(), namesBefore.end(), name) == namesBefore.end()) {
                                EXPECT_EQ(readFile(folder + "/" + name), original);
                                EXPECT_EQ(::unlink((folder + "/" + name).c_str()), 0);
                            }
                        }
                        outcome = "saved, old contents left beside it";
                    }
                } else {
                    EXPECT_EQ(readFile(page), layout.created ? std::nullopt : std::optional(original));
                    if (layout.hardLinked) {
                        EXPECT_EQ(readFile(folder + "/second-link.html"), original);
                    }
                    EXPECT_EQ(namesAfter, namesBefore);
                    // The reason reaches the caller: the error itself, or a
                    // refusal of the file as write-protected.
                    if (error.domain() == VornickErrorDomain) {
                        EXPECT_EQ(error.code(), VornickDocumentFileWriteProtectedError) << describe(error);
                        EXPECT_EQ(injected, EACCES);
                        outcome = "refused: write-protected";
                    } else {
                        EXPECT_EQ(error.code(), injected) << describe(error);
                        EXPECT_NE(toUTF8(error.localizedDescription()).find(std::strerror(injected)), std::string::npos)
                            << describe(error);
                        // The page, or the file its link points to.
                        std::string named = layout.symbolicLink ? folder + "/target.html" : page;
                        EXPECT_TRUE(contains(toUTF8(error.localizedDescription()), page)
                                    || contains(toUTF8(error.localizedDescription()), named))
                            << describe(error);
                        outcome = "failed: " + toUTF8(error.localizedDescription()).substr(0, 30) + "...";
                    }
                }
                // A call the system interrupted is made again (or, for close, done).
                if (injected == EINTR && call != FileSystemCall::Rename && call != FileSystemCall::Exchange) {
                    EXPECT_TRUE(succeeded) << describe(error);
                }
                struct stat info {};
                if (layout.symbolicLink) {
                    ASSERT_EQ(::lstat(page.c_str(), &info), 0);
                    EXPECT_TRUE(S_ISLNK(info.st_mode));
                }
                // Ownership and mode survive a save that succeeds through a failure.
                if (!layout.created) {
                    ASSERT_EQ(::stat(page.c_str(), &info), 0);
                    EXPECT_EQ(info.st_mode & 07777, 0640u);
                    if (::geteuid() == 0) {
                        EXPECT_EQ(info.st_uid, 65534u);
                    }
                }

                VornickDocumentFileTestPeer::setCalls(file, FileSystemCalls::system());
                EXPECT_TRUE(file.save("<p>next</p>", &error)) << describe(error);
                EXPECT_EQ(readFile(page), "<p>next</p>");
                matrix << label << " -> " << outcome << "\n";
                ASSERT_TRUE(removeItem(folder));
            }
        }
    }
    if (::getenv("BREVANTON_PRINT_FAULT_MATRIX"))
        std::cout << matrix.str();
}

// Another program changes the page while it is put in place: just before the
// exchange, or just after it.
TEST_F(VornickDocumentFileFaults, AChangeMadeWhileThePageIsPutInPlaceIsNeitherLostNorOverwritten)
{
    std::string page = layOut(m_folder, Layout { "replaced", false, false });
    std::string theirs = "<p>another program's version</p>";
    auto writeTheirs = [&] {
        // Rewritten in place, as an editor that keeps the inode does.
        EXPECT_TRUE(writeFileAtomically(m_folder + "/theirs", theirs));
        EXPECT_EQ(::rename((m_folder + "/theirs").c_str(), page.c_str()), 0);
        return 0;
    };

    // Their version is found in the file taken out; when it cannot be put
    // back, it is kept where the error says, never removed.
    {
        VornickDocumentFile file(page);
        ASSERT_TRUE(file.read(nullptr));
        FailingFileSystemCalls calls;
        calls.onCall(FileSystemCall::Exchange, 0, writeTheirs);
        calls.failCall(FileSystemCall::Exchange, 1, EIO);
        VornickDocumentFileTestPeer::setCalls(file, calls);
        Error error;
        EXPECT_FALSE(file.save(saved, &error));
        EXPECT_TRUE(error.is(VornickErrorDomain, VornickDocumentFileChangedError)) << describe(error);
        std::string description = toUTF8(error.localizedDescription());
        size_t start = description.find("kept in \u201C");
        ASSERT_NE(start, std::string::npos) << description;
        start += std::string("kept in \u201C").size();
        std::string kept = description.substr(start, description.find("\u201D", start) - start);
        EXPECT_EQ(readFile(kept), theirs);
        ASSERT_EQ(::rename(kept.c_str(), page.c_str()), 0);
    }

    // Changed just after the save: the next save refuses rather than
    // overwrite it.
    {
        VornickDocumentFile file(page);
        ASSERT_TRUE(file.read(nullptr));
        FailingFileSystemCalls calls;
        VornickDocumentFileTestPeer::setCalls(file, calls);
        // Between the rename and the sync of the folder.
        calls.onCall(FileSystemCall::Open, 1, writeTheirs);
        Error error;
        ASSERT_TRUE(file.save(saved, &error)) << describe(error);
        EXPECT_FALSE(file.save("<p>mine again</p>", &error));
        EXPECT_TRUE(error.is(VornickErrorDomain, VornickDocumentFileChangedError)) << describe(error);
        EXPECT_EQ(readFile(page), theirs);
    }
    EXPECT_EQ(directoryEntryNames(m_folder)->size(), 1u);
}

// A process saving the page again and again is killed at random points
// (BREVANTON_SAVE_KILLS times, 200 by default, shared among shards that run
// side by side): the page always holds one version whole, never a mix of
// two, a part of one or nothing.
constexpr int SaveKillShards = 4;

class VornickDocumentFileKills : public VornickDocumentFileFaults, public ::testing::WithParamInterface<int> { };

TEST_P(VornickDocumentFileKills, AProcessKilledWhileSavingLeavesOneVersionWhole)
{
    int kills = 200;
    if (const char* count = ::getenv("BREVANTON_SAVE_KILLS"))
        kills = std::max(1, std::atoi(count));
    kills = std::max(1, kills / SaveKillShards);
    std::string page = m_folder + "/page.html";
    ASSERT_TRUE(writeFileAtomically(page, original));
    // Two versions of different lengths and bytes: a mix of them, or of
    // either with the original, shows.
    const std::string versions[] = { "<p>" + std::string(300000, 'a') + "</p>", "<p>" + std::string(700000, 'b') + "</p>" };
    unsigned seed = std::random_device {}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, 30000);
    int changed = 0;
    int interrupted = 0;
    std::string previous = original;
    for (int kill = 0; kill < kills; ++kill) {
        // The delay counts from the child's first save, so that on a busy
        // machine the kills still fall among saves, not before the first.
        int started[2];
        ASSERT_EQ(::pipe(started), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(started[0]);
            VornickDocumentFile file(page);
            if (!file.read(nullptr))
                ::_exit(3);
            for (unsigned saves = 0;; ++saves) {
                if (saves == 1 || saves == 2) {
                    char byte = 1;
                    if (::write(started[1], &byte, 1) != 1)
                        ::_exit(5);
                }
                if (!file.save(versions[saves % 2], nullptr))
                    ::_exit(4);
            }
        }
        ::close(started[1]);
        char byte = 0;
        ssize_t signalled = ::read(started[0], &byte, 1);
        ASSERT_EQ(signalled, 1) << "the saving process ended before its first save";
        // The kill falls within about one and a half saves of the second, however
        // long a save takes here (a sanitizer's build saves many times slower).
        auto secondSaveStarted = std::chrono::steady_clock::now();
        signalled = ::read(started[0], &byte, 1);
        ::close(started[0]);
        ASSERT_EQ(signalled, 1) << "the saving process ended before its second save";
        auto saveTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - secondSaveStarted).count();
        double scale = std::max(1.0, 1.5 * static_cast<double>(saveTime) / 30000.0);
        ::usleep(static_cast<useconds_t>(delay(random) * scale));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended by itself with " << WEXITSTATUS(status);

        auto contents = readFile(page).value();
        ASSERT_TRUE(contents == original || contents == versions[0] || contents == versions[1])
            << "after kill " << kill << " the page holds " << contents.size() << " bytes, not one version";
        changed += contents != previous;
        previous = contents;
        // What a killed save left beside the page goes, as a later session would remove it.
        auto names = directoryEntryNames(m_folder).value();
        bool leftSomething = false;
        for (auto& name : names) {
            if (name != "page.html") {
                leftSomething = true;
                ASSERT_EQ(::unlink((m_folder + "/" + name).c_str()), 0);
            }
        }
        interrupted += leftSomething;
    }
    // The kills fell among saves: they changed the page or cut a save short.
    EXPECT_GT(changed + interrupted, kills / 8);
}

INSTANTIATE_TEST_SUITE_P(Shards, VornickDocumentFileKills, ::testing::Range(0, SaveKillShards));
