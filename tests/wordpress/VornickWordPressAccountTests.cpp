#include "wordpress/VornickWordPressAccount.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"
#include "platform/keychain/FileKeychainStore.h"
#include "platform/store/ManagedObjectContext.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class VornickWordPressAccountTests : public ::testing::Test {
protected:
    std::string folder = createTemporaryDirectory("wordpress-account").value();
    std::shared_ptr<VornickWordPressBlogProject> project = makeProject();
    std::shared_ptr<VornickWordPressAccount> account = project ? project->wordPressAccount() : nullptr;

    std::shared_ptr<VornickWordPressBlogProject> makeProject()
    {
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        EXPECT_TRUE(project) << error;
        return project;
    }

    void TearDown() override { KeychainStore::setDefaultStore(nullptr); }

    // The account of the project file rewritten with `text`, read again.
    std::shared_ptr<VornickWordPressAccount> accountReadFrom(std::string_view text)
    {
        Error error;
        EXPECT_TRUE(project->save(&error)) << error;
        auto saved = readJSON(*readFile(folder + "/project.brevantonwordpressproject"), &error);
        EXPECT_TRUE(saved && saved->isDictionary());
        auto replacement = readJSON(text, &error);
        for (auto& [key, value] : replacement->dictionary())
            saved->set(key, value);
        Dictionary file = saved->dictionary();
        for (auto it = file.begin(); it != file.end();) {
            if (it->second.isNull())
                it = file.erase(it);
            else
                ++it;
        }
        auto data = VornickObjectArchive(file).jsonDataReturningErrorIn(&error);
        EXPECT_TRUE(writeFileAtomically(folder + "/project.brevantonwordpressproject", *data));
        URL url = project->projectFileURL();
        project.reset();
        account.reset();
        project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(url, &error);
        EXPECT_TRUE(project) << error;
        return project ? project->wordPressAccount() : nullptr;
    }
};

TEST_F(VornickWordPressAccountTests, HostedSitesAreRecognisedByTheirWholeDomain)
{
    ASSERT_TRUE(account);
    for (const char16_t* root : { u"https://wordpress.com", u"wordpress.com", u"https://myblog.WordPress.com",
             u"https://myblog.wordpress.com/" }) {
        account->setRootURLString(root);
        EXPECT_TRUE(account->isWordPressDotComAccount()) << toUTF8(root);
    }
    for (const char16_t* root : { u"https://notwordpress.com", u"https://notwordpress.com/", u"https://wordpress.com.example/" }) {
        account->setRootURLString(root);
        EXPECT_FALSE(account->isWordPressDotComAccount()) << toUTF8(root);
    }
}

TEST_F(VornickWordPressAccountTests, ProtocolAndAuthenticationFollowTheChoice)
{
    ASSERT_TRUE(account);
    EXPECT_EQ(account->useXMLRPC(), false) << "a new account speaks REST";
    EXPECT_EQ(account->restAPIVersion(), 2);
    account->setUseXMLRPC(std::nullopt);
    account->setRootURLString(u"https://wordpress.com");
    EXPECT_EQ(account->authenticationType(), VornickWordPressAuthenticationType::OAuth2Bearer);
    account->setRootURLString(u"https://blog.example.org");
    EXPECT_EQ(account->effectiveProtocolType(), VornickWordPressProtocolType::XMLRPC);
    EXPECT_EQ(account->authenticationType(), VornickWordPressAuthenticationType::InsideXMLRPCCalls);
    account->setUseXMLRPC(false);
    EXPECT_EQ(account->authenticationType(), VornickWordPressAuthenticationType::HTTPBasic);
    // The sync engine, below this layer, reads them by key.
    EXPECT_EQ(account->valueForKey(u"effectiveProtocolType").integerValue(), 2);
    EXPECT_EQ(account->valueForKey(u"authenticationType").integerValue(), 1);
    EXPECT_FALSE(account->valueForKey(u"isMultiSiteAccount").boolValue());
    account->setValueForKey(Value(1), u"effectiveProtocolType");
    EXPECT_EQ(account->effectiveProtocolType(), VornickWordPressProtocolType::REST) << "read only";
    for (int version : { 3, 0 }) {
        account->setRestAPIVersion(version);
        EXPECT_EQ(account->restAPIVersion(), 2);
        EXPECT_FALSE(account->archivalRepresentation()->objectForKey(u"restAPIVersion"));
    }
    account->setUseXMLRPC(true);
    EXPECT_EQ(account->archivalRepresentation()->objectForKey(u"useXMLRPC")->stringValue(), u"1");
}

TEST_F(VornickWordPressAccountTests, ProjectFileValuesAreReadFromTextOrNumbers)
{
    ASSERT_TRUE(account);
    account->setLoginID(u"editor");
    account->setRootURLString(u"https://blog.example.org");
    account->setMaxRequestCount(5);
    account->setMaxRequestTimeInterval(1.5);
    auto read = accountReadFrom(R"({"restAPIVersion": "1"})");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->loginID(), u"editor");
    EXPECT_EQ(read->rootURLString(), u"https://blog.example.org");
    EXPECT_EQ(read->maxRequestCount(), 5);
    EXPECT_EQ(read->maxRequestTimeInterval(), 1.5);
    EXPECT_EQ(read->useXMLRPC(), false);
    EXPECT_EQ(read->restAPIVersion(), 1);

    // A file holding numbers (written by hand or another version) keeps the user's limit.
    account = accountReadFrom(R"({"maxRequestCount": 7, "maxRequestTimeInterval": 2.5, "useXMLRPC": 2, "restAPIVersion": 2})");
    ASSERT_TRUE(account);
    EXPECT_EQ(account->maxRequestCount(), 7);
    EXPECT_EQ(account->maxRequestTimeInterval(), 2.5);
    EXPECT_EQ(account->useXMLRPC(), true);
    EXPECT_EQ(account->restAPIVersion(), 2);

    for (auto [text, expected] : { std::pair { R"({"useXMLRPC": "0"})", std::optional(false) },
                                   { R"({"useXMLRPC": "2"})", std::optional(true) },
                                   { R"({"useXMLRPC": true})", std::optional(true) },
                                   { R"({"useXMLRPC": null})", std::optional<bool>() } }) {
        account = accountReadFrom(text);
        ASSERT_TRUE(account);
        EXPECT_EQ(account->useXMLRPC(), expected) << text;
    }
}

TEST_F(VornickWordPressAccountTests, AuthorizationsAreKeptAsJSONPerSite)
{
    ASSERT_TRUE(account);
    KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(folder + "/Keychain.json"));
    account->setRootURLString(u"https://wordpress.com");
    Dictionary authorization { { u"access_token", Value(u"token-1") }, { u"token_type", Value(u"bearer") } };
    Error error;
    EXPECT_FALSE(account->setRESTAPIAuthorization(authorization, u"123", &error)) << "no login";
    EXPECT_EQ(account->RESTAPIAuthorizationForBlogWithID(u"123"), std::nullopt);

    account->setLoginID(u"editor");
    EXPECT_EQ(account->keychainKeyForRESTAPIAuthorizationForBlogWithID(u"123"), u"Brevanton wordpress.com OAuth2 (editor,123)");
    EXPECT_EQ(account->keychainKeyForPassword(), u"Brevanton wordpress.com (editor)");
    ASSERT_TRUE(account->setRESTAPIAuthorization(authorization, u"123", &error)) << error;
    EXPECT_EQ(account->RESTAPIAuthorizationForBlogWithID(u"123"), authorization);
    EXPECT_EQ(account->RESTAPIAuthorizationForBlogWithID(u"456"), std::nullopt);
    EXPECT_EQ(account->displayNameForWindowTitle(), u"editor @ wordpress.com");
}

TEST_F(VornickWordPressAccountTests, PreviewAddressesOfPostsAndPages)
{
    ASSERT_TRUE(account);
    auto& context = *project->index()->managedObjectContext();
    auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
    blog->setObjectForKey(account, u"hostingAccount");
    blog->setValueForKey(Value(u"https://myblog.wordpress.com"), u"browseURLString");
    auto page = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
    ASSERT_TRUE(page->prepareNewPageAndAssociateWithBlog(blog));
    page->setValueForKey(Value(u"Page"), u"type");
    EXPECT_EQ(page->viewOnlineURLString(), std::nullopt) << "no service identifier yet";
    page->setValueForKey(Value(u"17"), u"identifierUsedByBlogService");
    account->setRootURLString(u"https://blog.example.org/wp");
    EXPECT_EQ(page->viewOnlineURLString(), u"https://blog.example.org/wp/?page_id=17&preview=true");
    account->setRootURLString(u"wordpress.com");
    EXPECT_EQ(page->viewOnlineURLString(), u"https://myblog.wordpress.com/?page_id=17&preview=true");
    page->setValueForKey(Value(u"https://myblog.wordpress.com/about/"), u"permalinkURLString");
    EXPECT_EQ(page->viewOnlineURLString(), u"https://myblog.wordpress.com/about/");
}

} // namespace
} // namespace brevanton
