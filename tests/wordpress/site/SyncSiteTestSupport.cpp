#include "tests/wordpress/site/SyncSiteTestSupport.h"

#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "platform/keychain/FileKeychainStore.h"
#include "platform/store/ManagedObjectContext.h"
#include "wordpress/VornickWordPressAgentFactory.h"

#include <cstdlib>

namespace brevanton::testing {

std::string siteProtocolName(const ::testing::TestParamInfo<SiteProtocol>& info)
{
    return info.param == SiteProtocol::XMLRPC ? "XMLRPC" : "REST";
}

std::shared_ptr<VornickBlogServiceAgent> SiteSyncIntegrator::agent()
{
    if (!VornickBlogServiceIntegrator::agent())
        setAgent(vornickMakeWordPressAgentForAccount(account));
    return VornickBlogServiceIntegrator::agent();
}

void SyncSiteTest::SetUp()
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    m_site = site;
    std::string output;
    ASSERT_TRUE(runWordPressSiteScript("restore", {}, &output)) << output;
    URLSession::setOnlyLoopbackForTesting(true);

    m_folder = createTemporaryDirectory("wordpress-sync-site").value();
    // A Trash of the test's own.
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"))
        m_savedDataHome = dataHome;
    ASSERT_TRUE(createDirectory(m_folder + "/data"));
    ::setenv("XDG_DATA_HOME", (m_folder + "/data").c_str(), 1);
    KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(m_folder + "/Keychain.json"));

    Error error;
    m_project = VornickProject::createWithNewProjectFileURL<SiteSyncBlogProject>(
        URL::fileURLWithPath(m_folder + "/Site.brevantonwordpressproject", false), &error);
    ASSERT_TRUE(m_project) << error;
    m_account = m_project->wordPressAccount();
    m_account->setRootURLString(m_site.url + u"/");
    m_account->setUseXMLRPC(xmlrpc());
    m_account->setLoginID(m_site.administrator.username);
    ASSERT_TRUE(m_account->setPassword(m_site.administrator.applicationPassword, &error)) << error;
    auto& integrator = m_project->siteIntegrator();
    integrator.account = m_account;
    m_log = m_project->syncLog();
    integrator.setSyncLog(m_log);
}

void SyncSiteTest::TearDown()
{
    if (m_project) {
        m_project->siteIntegrator().setSyncSession(nullptr);
        m_project->siteIntegrator().setAgent(nullptr);
    }
    m_project.reset();
    m_account.reset();
    m_log.reset();
    KeychainStore::setDefaultStore(nullptr);
    if (!m_folder.empty()) {
        ::setenv("XDG_DATA_HOME", m_savedDataHome.c_str(), 1);
        EXPECT_TRUE(removeItem(m_folder));
    }
    URLSession::setOnlyLoopbackForTesting(false);
}

std::shared_ptr<VornickBlogServiceSyncSession> SyncSiteTest::syncToTheEnd()
{
    auto& synchronizer = m_project->synchronizer();
    EXPECT_TRUE(synchronizer.queueManualSync());
    auto session = synchronizer.currentSyncSession();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return !synchronizer.currentSyncSession(); }, 120)) << "the session is still running";
    RunLoop::main().runFor(0.1);
    return session;
}

void SyncSiteTest::uploadToTheEnd(const VornickPublishedBlogPost& post)
{
    auto& synchronizer = m_project->synchronizer();
    ASSERT_TRUE(synchronizer.queueSyncToUploadPost(post));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return !synchronizer.currentSyncSession(); }, 60)) << "the session is still running";
    RunLoop::main().runFor(0.1);
}

void SyncSiteTest::editLocally(VornickPublishedBlogPost& post, std::u16string content)
{
    post.setSourceContentString(std::move(content));
    post.ManagedObject::setValueForKey(Value(Date::now()), u"dateLastEditedLocally");
    post.setHasEditsNotYetSavedToSourceFile(true);
    Error error;
    ASSERT_TRUE(post.sourceFileURL());
    ASSERT_TRUE(post.writePostToURL(*post.sourceFileURL(), VornickObjectArchiveFormat::JSON, &error)) << error;
    auto* context = m_project->siteIntegrator().context();
    ASSERT_TRUE(context);
    ASSERT_TRUE(m_project->siteIntegrator().commitAndSaveChangesInManagedObjectContext(*context, &error)) << error;
}

std::shared_ptr<VornickPublishedBlog> SyncSiteTest::blog()
{
    return m_project->siteIntegrator().existingBlogForDescription({ { u"identifierUsedByBlogService", Value(u"1") } });
}

std::shared_ptr<VornickPublishedBlogPost> SyncSiteTest::postTitled(std::u16string_view title)
{
    auto blog = this->blog();
    if (!blog)
        return nullptr;
    for (auto& post : blog->posts()) {
        if (post->title() == title)
            return std::dynamic_pointer_cast<VornickPublishedBlogPost>(post);
    }
    return nullptr;
}

std::optional<std::u16string> SyncSiteTest::siteContent(const std::u16string& identifier)
{
    SiteReply reply = siteRESTRequest(m_site, m_site.administrator, u"GET", u"/wp/v2/posts/" + identifier + u"?context=edit");
    EXPECT_EQ(reply.status, 200);
    if (!reply.json || !(*reply.json)[u"content"][u"raw"].isString())
        return std::nullopt;
    return (*reply.json)[u"content"][u"raw"].string();
}

void SyncSiteTest::editOnSite(const std::u16string& identifier, const std::u16string& content)
{
    SiteReply reply = siteRESTRequest(m_site, m_site.administrator, u"POST", u"/wp/v2/posts/" + identifier,
        Value(Dictionary { { u"content", Value(content) } }));
    EXPECT_EQ(reply.status, 200) << (reply.json ? reply.json->description() : "no reply");
}

std::u16string SyncSiteTest::lastSessionLog() const
{
    std::u16string text = m_log->text();
    size_t begin = text.rfind(u"== BEGIN Sync Session");
    return begin == std::u16string::npos ? text : text.substr(begin);
}

std::map<std::u16string, int> SyncSiteTest::requestCounts()
{
    return URLSession::requestCountsByPathForTesting();
}

} // namespace brevanton::testing
