#include "platform/foundation/FileUtilities.h"

#include "platform/foundation/Text.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace brevanton;

namespace {

class FileUtilitiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto folder = createTemporaryDirectory("file-utilities-test");
        ASSERT_TRUE(folder);
        m_folder = *folder;
    }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    std::string path(std::string_view name) const { return m_folder + "/" + std::string(name); }

    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        DIR* directory = ::opendir(m_folder.c_str());
        while (dirent* entry = ::readdir(directory)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                result.push_back(name);
        }
        ::closedir(directory);
        std::sort(result.begin(), result.end());
        return result;
    }

    static mode_t modeOf(const std::string& path)
    {
        struct stat info;
        ::stat(path.c_str(), &info);
        return info.st_mode & 07777;
    }

    std::string m_folder;
};

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = ::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST_F(FileUtilitiesTest, ReadsWhatAnAtomicWriteWrote)
{
    std::string binary("a\0b\xff\n", 5);
    ASSERT_TRUE(writeFileAtomically(path("data.bin"), binary));
    EXPECT_EQ(readFile(path("data.bin")), binary);
    ASSERT_TRUE(writeFileAtomically(path("empty"), ""));
    EXPECT_EQ(readFile(path("empty")), "");

    Error error;
    EXPECT_FALSE(readFile(path("missing"), &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_EQ(error.code(), ENOENT);
    EXPECT_EQ(error.userInfo().at(Error::FilePathKey), Value(toUTF16(path("missing"))));
    EXPECT_FALSE(readFile(m_folder, &error));
    EXPECT_EQ(error.code(), EISDIR);
    // Neither a FIFO nobody writes to nor an endless device holds the reader.
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(readFile(path("fifo"), &error));
    EXPECT_EQ(error.code(), EINVAL);
    EXPECT_FALSE(readFile("/dev/zero", &error));
}

TEST_F(FileUtilitiesTest, AtomicWriteReplacesWholeFilesAndKeepsTheirMode)
{
    ASSERT_TRUE(writeFileAtomically(path("page.html"), "first version, rather long"));
    mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(modeOf(path("page.html")), 0644 & ~mask);

    ::chmod(path("page.html").c_str(), 0600);
    auto before = fileIdentity(path("page.html"));
    ASSERT_TRUE(writeFileAtomically(path("page.html"), "second"));
    EXPECT_EQ(readFile(path("page.html")), "second");
    EXPECT_EQ(modeOf(path("page.html")), 0600u);
    // A new file took the old one's place (readers of the old one are undisturbed).
    EXPECT_NE(fileIdentity(path("page.html")), before);
    // No temporary file is left behind.
    EXPECT_EQ(names(), std::vector<std::string> { "page.html" });

    ASSERT_TRUE(writeFileAtomically(path("script"), "x", nullptr, 0750));
    EXPECT_EQ(modeOf(path("script")), 0750 & ~mask);
}

TEST_F(FileUtilitiesTest, AtomicWriteKeepsExtendedAttributesAndFitsTemporaryNames)
{
    ASSERT_TRUE(writeFileAtomically(path("page.html"), "first"));
    Error error;
    if (setExtendedAttribute(path("page.html"), "origin", "kept", &error)) {
        ASSERT_TRUE(writeFileAtomically(path("page.html"), "second"));
        EXPECT_EQ(getExtendedAttribute(path("page.html"), "origin"), "kept");
    } else {
        EXPECT_EQ(error.code(), ENOTSUP);
    }

    // The temporary name of a 255-byte name is cut to fit, never inside a character.
    std::string accented;
    for (int i = 0; i < 125; ++i)
        accented += "\u00e9";
    for (const std::string& name : { std::string(255, 'n'), accented + ".html" }) {
        ASSERT_TRUE(writeFileAtomically(path(name), "long")) << name;
        int fd = -1;
        auto temporary = createTemporaryFileBeside(path(name), fd);
        ASSERT_TRUE(temporary);
        ::close(fd);
        std::string temporaryName = temporary->substr(m_folder.size() + 1);
        EXPECT_LE(temporaryName.size(), 255u);
        std::u16string decoded;
        EXPECT_TRUE(decodeUTF8Strictly(temporaryName, decoded)) << temporaryName;
        ::unlink(temporary->c_str());
    }
    EXPECT_EQ(names().size(), 3u);
}

TEST_F(FileUtilitiesTest, AtomicWriteFollowsSymbolicLinksAndReportsFailures)
{
    ASSERT_TRUE(writeFileAtomically(path("target"), "old"));
    ASSERT_EQ(::symlink("target", path("link").c_str()), 0);
    ASSERT_TRUE(writeFileAtomically(path("link"), "new"));
    struct stat info;
    ASSERT_EQ(::lstat(path("link").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(readFile(path("target")), "new");

    Error error;
    EXPECT_FALSE(writeFileAtomically(path("missing-folder/file"), "x", &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_EQ(error.code(), ENOENT);
    ASSERT_TRUE(createDirectory(path("folder")));
    EXPECT_FALSE(writeFileAtomically(path("folder"), "x", &error));
    EXPECT_EQ(error.code(), EISDIR);
}

TEST_F(FileUtilitiesTest, UniqueFilesNeverReuseOrTruncateExistingOnes)
{
    EXPECT_EQ(createUniqueFile(m_folder, "Untitled.html"), path("Untitled.html"));
    ASSERT_TRUE(writeFileAtomically(path("Untitled.html"), "keep me"));
    EXPECT_EQ(createUniqueFile(m_folder, "Untitled.html"), path("Untitled 2.html"));
    EXPECT_EQ(createUniqueFile(m_folder, "Untitled.html"), path("Untitled 3.html"));
    EXPECT_EQ(readFile(path("Untitled.html")), "keep me");
    EXPECT_EQ(readFile(path("Untitled 2.html")), "");

    // A caller that computed the next number starts there; a name taken meanwhile is skipped.
    ASSERT_TRUE(writeFileAtomically(path("Untitled 7.html"), "taken"));
    EXPECT_EQ(createUniqueFile(m_folder, "Untitled.html", FileKind::Regular, nullptr, 7, false),
              path("Untitled 8.html"));
    EXPECT_EQ(readFile(path("Untitled 7.html")), "taken");

    EXPECT_EQ(createUniqueFile(m_folder, "Notes"), path("Notes"));
    EXPECT_EQ(createUniqueFile(m_folder, "Notes"), path("Notes 2"));
    EXPECT_EQ(createUniqueFile(m_folder, ".hidden"), path(".hidden"));
    EXPECT_EQ(createUniqueFile(m_folder, ".hidden"), path(".hidden 2"));

    EXPECT_EQ(createUniqueFile(m_folder, "Images", FileKind::Directory), path("Images"));
    EXPECT_EQ(createUniqueFile(m_folder, "Images", FileKind::Directory), path("Images 2"));
    EXPECT_TRUE(isDirectory(path("Images 2")));

    Error error;
    EXPECT_FALSE(createUniqueFile(path("missing"), "a.txt", FileKind::Regular, &error));
    EXPECT_EQ(error.code(), ENOENT);
    EXPECT_FALSE(createUniqueFile(m_folder, "a/b", FileKind::Regular, &error));
    EXPECT_EQ(error.code(), EINVAL);
}

TEST_F(FileUtilitiesTest, TemplateFilesAreCreatedExclusively)
{
    auto first = createFileFromTemplate(path("Vornick.XXXX.html"), 5);
    auto second = createFileFromTemplate(path("Vornick.XXXX.html"), 5);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    for (auto& created : { *first, *second }) {
        std::string name = created.substr(m_folder.size() + 1);
        EXPECT_EQ(name.size(), std::string("Vornick.XXXX.html").size());
        EXPECT_TRUE(name.starts_with("Vornick.") && name.ends_with(".html")) << name;
        // The placeholder was replaced (a random letter may itself be an X).
        EXPECT_NE(name.substr(8, 4), "XXXX");
        EXPECT_EQ(readFile(created), "");
    }

    Error error;
    EXPECT_FALSE(createFileFromTemplate(path("no-placeholder.html"), 5, &error));
    EXPECT_EQ(error.code(), EINVAL);
    EXPECT_FALSE(createFileFromTemplate(path("missing/Vornick.XXXX"), 0, &error));
    EXPECT_EQ(error.code(), ENOENT);
}

TEST_F(FileUtilitiesTest, FoldersExistenceAndRemoval)
{
    ASSERT_TRUE(createDirectory(path("a/b/c")));
    EXPECT_TRUE(isDirectory(path("a/b/c")));
    EXPECT_TRUE(createDirectory(path("a/b/c")));
    Error error;
    EXPECT_FALSE(createDirectory(path("a/b/c"), false, &error));
    EXPECT_EQ(error.code(), EEXIST);
    EXPECT_FALSE(createDirectory(path("x/y"), false, &error));
    EXPECT_EQ(error.code(), ENOENT);
    ASSERT_TRUE(writeFileAtomically(path("a/file"), "x"));
    EXPECT_FALSE(createDirectory(path("a/file"), true, &error));
    EXPECT_FALSE(createDirectory(path("a/file/sub"), true, &error));

    bool directory = true;
    EXPECT_TRUE(fileExists(path("a/file"), &directory));
    EXPECT_FALSE(directory);
    EXPECT_TRUE(fileExists(path("a"), &directory));
    EXPECT_TRUE(directory);
    EXPECT_FALSE(fileExists(path("nothing"), &directory));
    EXPECT_FALSE(isDirectory(path("a/file")));

    // A listing names every entry, hidden ones included, in byte order.
    ASSERT_TRUE(writeFileAtomically(path("a/.hidden"), "x"));
    EXPECT_EQ(directoryEntryNames(path("a")), (std::vector<std::string> { ".hidden", "b", "file" }));
    EXPECT_FALSE(directoryEntryNames(path("a/file")));
    EXPECT_FALSE(directoryEntryNames(path("nothing")));

    // Removal takes a whole tree but does not follow links out of it.
    ASSERT_TRUE(createDirectory(path("outside")));
    ASSERT_TRUE(writeFileAtomically(path("outside/precious"), "x"));
    ASSERT_EQ(::symlink(path("outside").c_str(), path("a/b/link").c_str()), 0);
    EXPECT_TRUE(removeItem(path("a")));
    EXPECT_FALSE(fileExists(path("a")));
    EXPECT_TRUE(fileExists(path("outside/precious")));
    EXPECT_FALSE(removeItem(path("a"), &error));
    EXPECT_EQ(error.code(), ENOENT);

    EXPECT_EQ(parentDirectory("/a/b"), "/a");
    EXPECT_EQ(parentDirectory("/a/b/"), "/a");
    EXPECT_EQ(parentDirectory("/a"), "/");
    EXPECT_EQ(parentDirectory("b"), ".");
}

TEST_F(FileUtilitiesTest, IdentityIsDeviceAndInode)
{
    ASSERT_TRUE(writeFileAtomically(path("one"), "1"));
    ASSERT_TRUE(writeFileAtomically(path("two"), "1"));
    ASSERT_EQ(::link(path("one").c_str(), path("hard").c_str()), 0);
    ASSERT_EQ(::symlink("one", path("soft").c_str()), 0);
    EXPECT_EQ(fileIdentity(path("one")), fileIdentity(path("hard")));
    EXPECT_EQ(fileIdentity(path("one")), fileIdentity(path("soft")));
    EXPECT_NE(fileIdentity(path("one")), fileIdentity(path("soft"), nullptr, false));
    EXPECT_NE(fileIdentity(path("one")), fileIdentity(path("two")));
    Error error;
    EXPECT_FALSE(fileIdentity(path("none"), &error));
    EXPECT_EQ(error.code(), ENOENT);
}

TEST_F(FileUtilitiesTest, ExtendedAttributesInTheUserNamespace)
{
    ASSERT_TRUE(writeFileAtomically(path("file"), "x"));
    Error error;
    auto empty = listExtendedAttributes(path("file"), &error);
    ASSERT_TRUE(empty) << error;
    EXPECT_TRUE(empty->empty());

    std::string binary("\0\x01\xfe", 3);
    ASSERT_TRUE(setExtendedAttribute(path("file"), "com.example.one", binary, &error)) << error;
    ASSERT_TRUE(setExtendedAttribute(path("file"), "two", ""));
    EXPECT_EQ(getExtendedAttribute(path("file"), "com.example.one"), binary);
    EXPECT_EQ(getExtendedAttribute(path("file"), "two"), "");
    auto names = listExtendedAttributes(path("file"));
    ASSERT_TRUE(names);
    std::sort(names->begin(), names->end());
    EXPECT_EQ(*names, (std::vector<std::string> { "com.example.one", "two" }));
    // Stored under the "user." namespace of the system.
    char raw[16];
    EXPECT_EQ(::getxattr(path("file").c_str(), "user.two", raw, sizeof raw), 0);

    std::string large(3000, 'v');
    ASSERT_TRUE(setExtendedAttribute(path("file"), "two", large));
    EXPECT_EQ(getExtendedAttribute(path("file"), "two"), large);

    ASSERT_TRUE(removeExtendedAttribute(path("file"), "two"));
    EXPECT_FALSE(getExtendedAttribute(path("file"), "two", &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_EQ(error.code(), ENODATA);
    EXPECT_FALSE(removeExtendedAttribute(path("file"), "two", &error));
    EXPECT_EQ(error.code(), ENODATA);
    EXPECT_FALSE(listExtendedAttributes(path("missing"), &error));
    EXPECT_EQ(error.code(), ENOENT);
}

TEST_F(FileUtilitiesTest, ExtendedAttributesDoNotFollowLinksAndReportUnsupportedFileSystems)
{
    ASSERT_TRUE(writeFileAtomically(path("target"), "x"));
    ASSERT_EQ(::symlink("target", path("link").c_str()), 0);
    Error error;
    // User attributes cannot be set on a link itself; the target must stay untouched.
    EXPECT_FALSE(setExtendedAttribute(path("link"), "note", "v", &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_TRUE(listExtendedAttributes(path("target"))->empty());

    error = Error();
    EXPECT_FALSE(setExtendedAttribute("/proc/self/status", "note", "v", &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_EQ(error.code(), ENOTSUP);
}

TEST_F(FileUtilitiesTest, XDGFoldersAndTheApplicationFolder)
{
    ScopedEnvironment home("HOME", "/home/tester");
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
        ScopedEnvironment data("XDG_DATA_HOME", "");
        ScopedEnvironment cache("XDG_CACHE_HOME", "relative/ignored");
        EXPECT_EQ(xdgFolder(XDGFolder::Config), "/home/tester/.config");
        EXPECT_EQ(xdgFolder(XDGFolder::Data), "/home/tester/.local/share");
        EXPECT_EQ(xdgFolder(XDGFolder::Cache), "/home/tester/.cache");
    }
    ScopedEnvironment data("XDG_DATA_HOME", path("data").c_str());
    EXPECT_EQ(xdgFolder(XDGFolder::Data), path("data"));
    EXPECT_EQ(applicationFolder(XDGFolder::Data), path("data/com.Orbendalworks.Brevanton"));
    EXPECT_FALSE(fileExists(path("data")));
    Error error;
    EXPECT_EQ(applicationFolder(XDGFolder::Data, true, &error), path("data/com.Orbendalworks.Brevanton"));
    EXPECT_TRUE(isDirectory(path("data/com.Orbendalworks.Brevanton")));

    ScopedEnvironment temporary("TMPDIR", m_folder.c_str());
    EXPECT_EQ(temporaryDirectory(), m_folder);
    auto made = createTemporaryDirectory("x");
    ASSERT_TRUE(made);
    EXPECT_EQ(parentDirectory(*made), m_folder);
}
