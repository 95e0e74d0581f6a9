#include "toolkit/VornickTrash.h"

#include "platform/foundation/FileUtilities.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevanton;

namespace {

// A private XDG data folder (the home trash's place) and a folder of files
// to trash beside it, on the same device.
class TrashTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("trash").value();
        ASSERT_TRUE(createDirectory(m_folder + "/data"));
        ASSERT_TRUE(createDirectory(m_folder + "/files"));
        const char* data = std::getenv("XDG_DATA_HOME");
        m_savedDataHome = data ? std::optional<std::string>(data) : std::nullopt;
        ::setenv("XDG_DATA_HOME", (m_folder + "/data").c_str(), 1);
    }
    void TearDown() override
    {
        m_savedDataHome ? ::setenv("XDG_DATA_HOME", m_savedDataHome->c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
        EXPECT_TRUE(removeItem(m_folder));
    }
    std::string makeFile(const std::string& name, const std::string& contents = "x")
    {
        std::string path = m_folder + "/files/" + name;
        EXPECT_TRUE(writeFileAtomically(path, contents));
        return path;
    }
    std::string trash(const std::string& leaf) const { return m_folder + "/data/Trash/" + leaf; }

    std::string m_folder;
    std::optional<std::string> m_savedDataHome;
};

} // namespace

TEST_F(TrashTests, FilesGoToTheHomeTrashWithInfoAndUniqueNames)
{
    std::string first = makeFile("post one.json", "first");
    Error error;
    auto trashed = vornick_moveFileToTrash(URL::fileURLWithPath(first, false), &error);
    ASSERT_TRUE(trashed) << error;
    EXPECT_EQ(trashed->fileSystemPath(), trash("files/post one.json"));
    EXPECT_FALSE(fileExists(first));
    EXPECT_EQ(readFile(trash("files/post one.json")).value_or(""), "first");
    std::string info = readFile(trash("info/post one.json.trashinfo")).value_or("");
    std::regex expected("\\[Trash Info\\]\nPath=(.*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(info, match, expected)) << info;
    EXPECT_EQ(match[1].str(), m_folder + "/files/post%20one.json") << "absolute and percent-encoded";
    struct ::stat folder {};
    ASSERT_EQ(::stat((m_folder + "/data/Trash").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);

    // The same name again, twice, and a name without extension.
    makeFile("post one.json", "second");
    ASSERT_TRUE(vornick_moveFileToTrash(URL::fileURLWithPath(m_folder + "/files/post one.json", false)));
    makeFile("post one.json", "third");
    ASSERT_TRUE(vornick_moveFileToTrash(URL::fileURLWithPath(m_folder + "/files/post one.json", false)));
    EXPECT_EQ(readFile(trash("files/post one 2.json")).value_or(""), "second");
    EXPECT_EQ(readFile(trash("files/post one 3.json")).value_or(""), "third");
    EXPECT_TRUE(fileExists(trash("info/post one 3.json.trashinfo")));
    // A file left in the trash without its info file keeps its name too.
    ASSERT_TRUE(writeFileAtomically(trash("files/README"), "stray"));
    makeFile("README", "mine");
    auto readme = vornick_moveFileToTrash(URL::fileURLWithPath(m_folder + "/files/README", false));
    ASSERT_TRUE(readme);
    EXPECT_EQ(readme->fileSystemPath(), trash("files/README 2"));
    EXPECT_EQ(readFile(trash("files/README")).value_or(""), "stray");
    EXPECT_FALSE(fileExists(trash("info/README.trashinfo")));
}

TEST_F(TrashTests, AFailedMoveLeavesTheFileWhereItWas)
{
    Error error;
    EXPECT_FALSE(vornick_moveFileToTrash(URL::fileURLWithPath(m_folder + "/files/missing", false), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(vornick_moveFileToTrash(*URL::create(std::string_view("https://site.example/x")), &error));

    std::string file = makeFile("kept.txt");
    ASSERT_TRUE(writeFileAtomically(m_folder + "/data/Trash", "a file where the trash should be"));
    error = {};
    EXPECT_FALSE(vornick_moveFileToTrash(URL::fileURLWithPath(file, false), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(fileExists(file));

    // A trash whose "files" is no folder: nothing is left behind in it.
    ASSERT_TRUE(removeItem(m_folder + "/data/Trash"));
    ASSERT_TRUE(createDirectory(m_folder + "/data/Trash/info"));
    ASSERT_TRUE(writeFileAtomically(m_folder + "/data/Trash/files", "not a folder"));
    EXPECT_FALSE(vornick_moveFileToTrash(URL::fileURLWithPath(file, false), &error));
    EXPECT_TRUE(fileExists(file));
    EXPECT_FALSE(fileExists(m_folder + "/data/Trash/info/kept.txt.trashinfo"));
}

TEST_F(TrashTests, AFileOnAnotherDeviceGoesToThatDevicesTrash)
{
    // /dev/shm is a memory file system of its own on most systems.
    struct ::stat shm {};
    struct ::stat here {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(m_folder.c_str(), &here) != 0 || shm.st_dev == here.st_dev || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no writable second device";
    char pattern[] = "/dev/shm/brevanton-trash-XXXXXX";
    ASSERT_TRUE(::mkdtemp(pattern));
    std::string folder = pattern;
    std::string file = folder + "/away.txt";
    ASSERT_TRUE(writeFileAtomically(file, "away"));
    // Where the mount's top is depends on the system: find it as the code must.
    std::string top = folder;
    while (top != "/") {
        std::string parent = parentDirectory(top);
        struct ::stat info {};
        if (::stat(parent.c_str(), &info) != 0 || info.st_dev != shm.st_dev)
            break;
        top = parent;
    }
    bool sharedTrashExisted = fileExists(top + "/.Trash-" + std::to_string(::getuid()));
    Error error;
    auto trashed = vornick_moveFileToTrash(URL::fileURLWithPath(file, false), &error);
    if (trashed) {
        std::string trashedPath = *trashed->fileSystemPath();
        EXPECT_EQ(trashedPath.rfind(top + "/.Trash", 0), 0u) << trashedPath;
        EXPECT_FALSE(fileExists(file));
        std::string name = trashedPath.substr(trashedPath.rfind('/') + 1);
        std::string trashFolder = parentDirectory(parentDirectory(trashedPath));
        std::string info = readFile(trashFolder + "/info/" + name + ".trashinfo").value_or("");
        EXPECT_NE(info.find("\nPath=" + folder.substr(top.size() + 1) + "/away.txt\n"), std::string::npos) << "relative to the top: " << info;
        EXPECT_TRUE(removeItem(trashedPath));
        EXPECT_TRUE(removeItem(trashFolder + "/info/" + name + ".trashinfo"));
        if (!sharedTrashExisted) {
            EXPECT_TRUE(removeItem(top + "/.Trash-" + std::to_string(::getuid())));
        }
    } else {
        EXPECT_TRUE(fileExists(file)) << "a failed move keeps the file";
    }
    EXPECT_FALSE(fileExists(m_folder + "/data/Trash/files/away.txt")) << "never copied across devices";
    EXPECT_TRUE(removeItem(folder));
}
