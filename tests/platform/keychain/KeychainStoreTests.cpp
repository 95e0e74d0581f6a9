#include "platform/keychain/FileKeychainStore.h"
#include "platform/keychain/SecretServiceKeychainStore.h"

#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"

#include <cstdlib>
#include <unistd.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace brevanton;

namespace {

Data bytes(std::string_view text)
{
    return Data(text.begin(), text.end());
}

mode_t modeOf(const std::string& path)
{
    struct stat info;
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class FileKeychainStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto folder = createTemporaryDirectory("keychain-test");
        ASSERT_TRUE(folder);
        m_folder = *folder;
        m_path = m_folder + "/store/Keychain.json";
    }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    std::string m_folder;
    std::string m_path;
};

} // namespace

TEST_F(FileKeychainStoreTest, AddFindUpdateDelete)
{
    FileKeychainStore store(m_path);
    Error error;
    EXPECT_FALSE(store.findPassword("WordPress https://example.org", "ann", &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainItemNotFound));

    Data binary { 0, 1, 0xFF, 0x80, 'x' };
    ASSERT_TRUE(store.addPassword("WordPress https://example.org", "ann", binary, &error)) << error;
    ASSERT_TRUE(store.addPassword("WordPress https://example.org", "bob", bytes("bob's"), &error)) << error;
    ASSERT_TRUE(store.addPassword("Other", "ann", bytes("other"), &error)) << error;
    EXPECT_EQ(store.findPassword("WordPress https://example.org", "ann"), binary);

    EXPECT_FALSE(store.addPassword("WordPress https://example.org", "ann", bytes("again"), &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainDuplicateItem));
    EXPECT_EQ(store.findPassword("WordPress https://example.org", "ann"), binary);

    ASSERT_TRUE(store.updatePassword("WordPress https://example.org", "ann", bytes("new secret"), &error)) << error;
    EXPECT_EQ(store.findPassword("WordPress https://example.org", "ann"), bytes("new secret"));
    EXPECT_FALSE(store.updatePassword("Nothing", "ann", bytes("x"), &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainItemNotFound));

    // A new store on the same file sees the same items.
    FileKeychainStore reopened(m_path);
    EXPECT_EQ(reopened.findPassword("WordPress https://example.org", "bob"), bytes("bob's"));

    ASSERT_TRUE(reopened.deletePassword("WordPress https://example.org", "bob", &error)) << error;
    EXPECT_FALSE(store.findPassword("WordPress https://example.org", "bob", &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainItemNotFound));
    EXPECT_FALSE(store.deletePassword("WordPress https://example.org", "bob", &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainItemNotFound));
    EXPECT_EQ(store.findPassword("Other", "ann"), bytes("other"));
}

TEST_F(FileKeychainStoreTest, DeletedSecretsLeaveNoTraceInTheFile)
{
    FileKeychainStore store(m_path);
    ASSERT_TRUE(store.addPassword("service", "account", bytes("hunter2-very-secret")));
    ASSERT_TRUE(store.addPassword("service", "other", bytes("kept")));
    ASSERT_TRUE(store.deletePassword("service", "account"));
    auto contents = readFile(m_path);
    ASSERT_TRUE(contents);
    // Secrets are stored hex-encoded: neither the text nor its encoding may remain.
    EXPECT_EQ(contents->find("hunter2"), std::string::npos);
    EXPECT_EQ(contents->find("68756e74657232"), std::string::npos);
    EXPECT_NE(contents->find("6b657074"), std::string::npos);
}

TEST_F(FileKeychainStoreTest, FileAndFolderAreOnlyForTheUser)
{
    mode_t oldMask = ::umask(0);
    FileKeychainStore store(m_path);
    ASSERT_TRUE(store.addPassword("s", "a", bytes("x")));
    ::umask(oldMask);
    EXPECT_EQ(modeOf(m_path), 0600u);
    EXPECT_EQ(modeOf(parentDirectory(m_path)), 0700u);

    // A file opened up by someone else is closed again on the next change.
    ::chmod(m_path.c_str(), 0644);
    ASSERT_TRUE(store.updatePassword("s", "a", bytes("y")));
    EXPECT_EQ(modeOf(m_path), 0600u);

    // So is the folder, when another part of the program made it first.
    ::chmod(parentDirectory(m_path).c_str(), 0755);
    ASSERT_TRUE(store.updatePassword("s", "a", bytes("z")));
    EXPECT_EQ(modeOf(parentDirectory(m_path)), 0700u);
    std::string madeBefore = m_folder + "/other/Keychain.json";
    ASSERT_EQ(::mkdir(parentDirectory(madeBefore).c_str(), 0755), 0);
    FileKeychainStore other(madeBefore);
    ASSERT_TRUE(other.addPassword("s", "a", bytes("x")));
    EXPECT_EQ(modeOf(parentDirectory(madeBefore)), 0700u);
}

TEST_F(FileKeychainStoreTest, UnusableStoresAreErrorsNotNoOps)
{
    // A damaged file is reported and left as it is.
    ASSERT_TRUE(createDirectory(parentDirectory(m_path)));
    ASSERT_TRUE(writeFileAtomically(m_path, "{ not json"));
    FileKeychainStore damaged(m_path);
    Error error;
    EXPECT_FALSE(damaged.findPassword("s", "a", &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainStoreCorrupt));
    EXPECT_FALSE(damaged.addPassword("s", "a", bytes("x"), &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainStoreCorrupt));
    EXPECT_EQ(readFile(m_path), "{ not json");

    ASSERT_TRUE(writeFileAtomically(m_path, R"({"items":[{"service":"s","account":"a","secret":"zz"}]})"));
    EXPECT_FALSE(damaged.findPassword("s", "a", &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainStoreCorrupt));

    // A folder that cannot be made.
    ASSERT_TRUE(writeFileAtomically(m_folder + "/plain-file", "x"));
    FileKeychainStore unreachable(m_folder + "/plain-file/Keychain.json");
    EXPECT_FALSE(unreachable.addPassword("s", "a", bytes("x"), &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainStoreUnavailable));
    ASSERT_TRUE(error.underlyingError());
    EXPECT_EQ(error.underlyingError()->domain(), POSIXErrorDomain);

    // A file larger than any keychain is refused unread, and kept.
    ASSERT_EQ(::truncate(m_path.c_str(), static_cast<off_t>(maximumFileSize(FileReadKind::Keychain) + 1)), 0);
    EXPECT_FALSE(damaged.findPassword("s", "a", &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainStoreUnavailable));
    EXPECT_NE(error.localizedDescription().find(u"larger than the 4 MB a keychain file may have"), std::u16string::npos) << error;
    EXPECT_FALSE(damaged.addPassword("s", "a", bytes("x"), &error));
    struct stat info;
    ASSERT_EQ(::stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(static_cast<uint64_t>(info.st_size), maximumFileSize(FileReadKind::Keychain) + 1);

    // Names that are not UTF-8 are refused rather than mangled.
    FileKeychainStore store(m_folder + "/other/Keychain.json");
    EXPECT_FALSE(store.addPassword("bad \xFF name", "a", bytes("x"), &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainInvalidName));
}

TEST(KeychainStore, DefaultStoreSelection)
{
    auto folder = createTemporaryDirectory("keychain-test");
    ASSERT_TRUE(folder);
    ::setenv("XDG_DATA_HOME", folder->c_str(), 1);
    ::setenv("BREVANTON_KEYCHAIN", "file", 1);
    auto store = std::dynamic_pointer_cast<FileKeychainStore>(KeychainStore::defaultStore());
    ASSERT_TRUE(store);
    EXPECT_EQ(store->path(), *folder + "/com.Orbendalworks.Brevanton/Keychain.json");

    auto replacement = std::make_shared<FileKeychainStore>(*folder + "/elsewhere.json");
    KeychainStore::setDefaultStore(replacement);
    EXPECT_EQ(KeychainStore::defaultStore(), replacement);
    KeychainStore::setDefaultStore(nullptr);
    EXPECT_NE(KeychainStore::defaultStore(), replacement);
    ::unsetenv("BREVANTON_KEYCHAIN");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(removeItem(*folder));
}

TEST(KeychainStore, SecretServiceIsNotAvailableWithoutABus)
{
    std::string address = std::getenv("DBUS_SESSION_BUS_ADDRESS") ? std::getenv("DBUS_SESSION_BUS_ADDRESS") : "";
    std::string runtime = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::setenv("XDG_RUNTIME_DIR", "/nonexistent", 1);
    EXPECT_FALSE(SecretServiceKeychainStore::isAvailable());
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    EXPECT_FALSE(SecretServiceKeychainStore::isAvailable());
    if (address.empty())
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    else
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    if (runtime.empty())
        ::unsetenv("XDG_RUNTIME_DIR");
    else
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
}
