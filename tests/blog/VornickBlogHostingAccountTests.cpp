#include "blog/VornickBlogHostingAccount.h"

#include "tests/blog/BlogModelTestSupport.h"

#include "blog/VornickBlog.h"
#include "platform/foundation/Assertions.h"
#include "platform/keychain/FileKeychainStore.h"
#include "platform/store/PersistentStore.h"
#include "toolkit/VornickErrors.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class KeyedAccount : public VornickBlogHostingAccount {
public:
    std::optional<std::u16string> keychainKeyForPassword() const override { return u"Test " + loginID(); }
};

class VornickBlogHostingAccountTests : public ::testing::Test {
protected:
    std::string folder = createTemporaryDirectory("account").value();
    std::shared_ptr<ManagedObjectContext> context;

    void SetUp() override
    {
        auto model = vornickMakeBlogProjectModel(true, [](ManagedObjectModel& model) {
            model.entityNamed(u"BlogHostingAccount")->setInstanceFactory([] { return std::make_shared<KeyedAccount>(); });
        });
        Error error;
        auto store = PersistentStore::open(folder + "/index.brevantonindex", model, &error);
        ASSERT_TRUE(store) << error;
        context = ManagedObjectContext::create(store);
    }
    void TearDown() override { KeychainStore::setDefaultStore(nullptr); }

    std::shared_ptr<KeyedAccount> makeAccount()
    {
        return std::dynamic_pointer_cast<KeyedAccount>(context->insertNewObject(u"BlogHostingAccount"));
    }
};

TEST_F(VornickBlogHostingAccountTests, SetPasswordAnswersWhetherItStored)
{
    auto account = makeAccount();
    ASSERT_TRUE(account);
    KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(folder + "/Keychain.json"));
    Error error;
    EXPECT_FALSE(account->setPassword(u"secret", &error)) << "no login";
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickAccountIncompleteError)) << error;
    EXPECT_EQ(account->password(), std::nullopt);

    account->setLoginID(u"editor");
    EXPECT_EQ(account->displayNameForWindowTitle(), u"editor");
    ASSERT_TRUE(account->setPassword(u"secret", &error)) << error;
    EXPECT_EQ(account->password(), u"secret");
    EXPECT_FALSE(account->setPassword(u"", &error)) << "an empty password is not stored";
    EXPECT_EQ(account->password(), u"secret");

    // A keychain that cannot be written: the failure comes back.
    KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>("/dev/null/Keychain.json"));
    error = Error();
    EXPECT_FALSE(account->setPassword(u"other", &error));
    EXPECT_FALSE(error.isEmpty()) << error;
}

TEST(VornickBlogHostingAccountBaseTests, TheBaseHasNoPasswordKey)
{
    std::string folder = createTemporaryDirectory("account").value();
    Error error;
    auto store = PersistentStore::open(folder + "/index.brevantonindex", vornickMakeBlogProjectModel(false), &error);
    ASSERT_TRUE(store) << error;
    auto context = ManagedObjectContext::create(store);
    auto account = std::dynamic_pointer_cast<VornickBlogHostingAccount>(context->insertNewObject(u"BlogHostingAccount"));
    ASSERT_TRUE(account);
    EXPECT_THROW((void)account->keychainKeyForPassword(), InternalInconsistencyException);
}

TEST(VornickBlogDisplayNameTests, MarkupIsStrippedAndTheDomainAdded)
{
    EXPECT_EQ(VornickBlog::blogDisplayNameForTitle(u"<em>Caf\u00e9</em> &amp; Tea"), u"Caf\u00e9 & Tea");
    EXPECT_EQ(VornickBlog::blogDisplayNameForTitle(u"<b>News</b>", u"example.org"), u"News (example.org)");
}

} // namespace
} // namespace brevanton
