#include "toolkit/VornickKeychain.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/keychain/FileKeychainStore.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class VornickKeychainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("vornick-keychain").value();
        m_store = std::make_shared<FileKeychainStore>(m_folder + "/Keychain.json");
        KeychainStore::setDefaultStore(m_store);
    }
    void TearDown() override
    {
        KeychainStore::setDefaultStore(nullptr);
        EXPECT_TRUE(removeItem(m_folder));
    }

    size_t itemCount() const
    {
        auto contents = readFile(m_store->path());
        if (!contents)
            return 0;
        size_t count = 0;
        for (size_t at = contents->find("\"service\""); at != std::string::npos; at = contents->find("\"service\"", at + 1))
            ++count;
        return count;
    }

    std::string m_folder;
    std::shared_ptr<FileKeychainStore> m_store;
};

const std::u16string service = u"WordPress https://blog.example.org";

Data bytesOf(std::string_view text)
{
    return Data(text.begin(), text.end());
}

std::string toHexForTest(std::string_view text)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : text) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

} // namespace

TEST_F(VornickKeychainTest, WritingTwiceUpdatesTheOneItem)
{
    EXPECT_FALSE(VornickKeychain::getDataForServiceName(service, u"ann"));
    EXPECT_FALSE(VornickKeychain::getStringForServiceName(service, u"ann"));

    ASSERT_TRUE(VornickKeychain::setString(u"first p\u00E4ssword", service, u"ann"));
    ASSERT_TRUE(VornickKeychain::setString(u"second \U0001F511", service, u"ann"));
    EXPECT_EQ(itemCount(), 1u);
    EXPECT_EQ(VornickKeychain::getStringForServiceName(service, u"ann"), u"second \U0001F511");
    EXPECT_FALSE(VornickKeychain::getStringForServiceName(service, u"bob"));

    // Names are passed as UTF-8.
    EXPECT_EQ(m_store->findPassword(toUTF8(service), "ann"), bytesOf("second \xF0\x9F\x94\x91"));
}

TEST_F(VornickKeychainTest, SecretsThatAreNotTextReadOnlyAsData)
{
    Data archive { 'b', 'p', 0xFF, 0xFE, 0, 1 };
    ASSERT_TRUE(VornickKeychain::setData(archive, u"Brevanton OAuth2 (x,y,z)", u"ann"));
    EXPECT_EQ(VornickKeychain::getDataForServiceName(u"Brevanton OAuth2 (x,y,z)", u"ann"), archive);
    EXPECT_FALSE(VornickKeychain::getStringForServiceName(u"Brevanton OAuth2 (x,y,z)", u"ann"));

    // Text that has no UTF-8 form is refused and nothing is stored.
    std::u16string broken = u"abc";
    broken += char16_t(0xD800);
    EXPECT_FALSE(VornickKeychain::setString(broken, service, u"ann"));
    EXPECT_FALSE(VornickKeychain::getDataForServiceName(service, u"ann"));
    EXPECT_FALSE(VornickKeychain::setString(u"x", broken, u"ann"));
}

TEST_F(VornickKeychainTest, RemovedAccountsLeaveNoSecretBehind)
{
    ASSERT_TRUE(VornickKeychain::setString(u"s3cret-of-ann", service, u"ann"));
    ASSERT_TRUE(VornickKeychain::setString(u"bob's", service, u"bob"));
    EXPECT_TRUE(VornickKeychain::removeDataForServiceName(service, u"ann"));
    EXPECT_FALSE(VornickKeychain::getDataForServiceName(service, u"ann"));
    EXPECT_EQ(VornickKeychain::getStringForServiceName(service, u"bob"), u"bob's");
    EXPECT_EQ(readFile(m_store->path())->find(toHexForTest("s3cret-of-ann")), std::string::npos);
    // Removing what is not there is no failure.
    EXPECT_TRUE(VornickKeychain::removeDataForServiceName(service, u"ann"));
}

TEST_F(VornickKeychainTest, UnreachableKeychainFailsLoudly)
{
    ASSERT_TRUE(writeFileAtomically(m_folder + "/file", "x"));
    KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(m_folder + "/file/Keychain.json"));
    Error error;
    EXPECT_FALSE(VornickKeychain::setString(u"pw", service, u"ann", &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainStoreUnavailable));
    error = Error();
    EXPECT_FALSE(VornickKeychain::removeDataForServiceName(service, u"ann", &error));
    EXPECT_TRUE(error.is(KeychainErrorDomain, KeychainStoreUnavailable));
}
