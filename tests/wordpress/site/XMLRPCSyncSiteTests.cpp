// The sync engine with the XML-RPC agent imports the real site into a
// WordPress account project, a second sync only lists, and a third takes
// another client's edit and deletion.
#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickSyncStepState.h"
#include "blog/VornickWordPressBlog.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "tests/wordpress/site/XMLRPCAgentSiteTestSupport.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressIntegrator.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brevanton {
namespace {

class PasswordGivenAccount final : public VornickBlogServiceAgentHostingAccount {
public:
    PasswordGivenAccount(std::shared_ptr<VornickBlogHostingAccount> account, std::u16string password)
        : VornickBlogServiceAgentHostingAccount(std::move(account))
        , m_password(std::move(password))
    {
    }
    std::u16string password() const override { return m_password; }

private:
    std::u16string m_password;
};

// Hands the integrator an XML-RPC agent for the account, with the password
// the keychain would give.
class XMLRPCSiteIntegrator final : public VornickWordPressIntegrator {
public:
    std::shared_ptr<VornickWordPressAccount> account;
    std::u16string password;
    int agentsMade { 0 };

    std::shared_ptr<VornickBlogServiceAgent> agent() override
    {
        if (!VornickBlogServiceIntegrator::agent()) {
            auto agent = VornickWordPressXMLRPCAgent::create();
            agent->setAccount(std::make_shared<PasswordGivenAccount>(account, password));
            ++agentsMade;
            setAgent(agent);
        }
        return VornickBlogServiceIntegrator::agent();
    }
};

class XMLRPCSiteBlogProject final : public VornickWordPressBlogProject {
public:
    XMLRPCSiteIntegrator& siteIntegrator() { return static_cast<XMLRPCSiteIntegrator&>(integrator()); }

protected:
    std::unique_ptr<VornickBlogServiceIntegrator> makeIntegrator() const override { return std::make_unique<XMLRPCSiteIntegrator>(); }
};

size_t occurrences(const std::u16string& text, std::u16string_view part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::u16string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

TEST(XMLRPCAgentSite, SyncImportsListsAndTakesAnotherClientsChanges)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    ASSERT_TRUE(testing::runWordPressSiteScript("restore", {}, nullptr));
    std::string folder = createTemporaryDirectory("xmlrpc-sync").value();
    Error error;
    auto project = VornickProject::createWithNewProjectFileURL<XMLRPCSiteBlogProject>(
        URL::fileURLWithPath(folder + "/site.brevantonwordpressproject", false), &error);
    ASSERT_TRUE(project) << error;
    auto account = project->wordPressAccount();
    account->setLoginID(site.administrator.username);
    account->setRootURLString(site.url + u"/");
    account->setUseXMLRPC(true);
    auto& integrator = project->siteIntegrator();
    integrator.account = account;
    integrator.password = site.administrator.applicationPassword;
    auto log = VornickLog::create(URL::fileURLWithPath(folder + "/sync.log", false));
    integrator.setSyncLog(log);

    auto syncToTheEnd = [&] {
        auto& synchronizer = project->synchronizer();
        EXPECT_TRUE(synchronizer.queueManualSync());
        auto session = synchronizer.currentSyncSession();
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return !synchronizer.currentSyncSession(); }, 120)) << "the session is still running";
        RunLoop::main().runFor(0.1);
        return session;
    };

    auto first = syncToTheEnd();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->state(), VornickSyncStepState::Completed) << toUTF8(log->text());
    auto blog = integrator.existingBlogForDescription({ { u"identifierUsedByBlogService", Value(u"1") } });
    ASSERT_TRUE(blog) << toUTF8(log->text());
    EXPECT_EQ(blog->postsOnly().size(), 137u);

    // The second sync lists the blogs and the posts, fifty at a time (pages
    // come with the WordPress integrator's own steps), and sends nothing.
    size_t logBefore = log->text().size();
    auto second = syncToTheEnd();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->state(), VornickSyncStepState::Completed);
    std::u16string secondLog = log->text().substr(logBefore);
    EXPECT_EQ(occurrences(secondLog, u"Requesting blog descriptions from WordPress..."), 1u);
    EXPECT_EQ(occurrences(secondLog, u"Requesting posts "), 3u) << toUTF8(secondLog);
    EXPECT_EQ(occurrences(secondLog, u"-> Sending"), 0u) << toUTF8(secondLog);

    // Another client edits one post and deletes another for good: the next
    // sync takes the edit and has the site confirm the deletion.
    std::u16string edited;
    std::u16string deleted;
    for (auto& post : blog->postsOnly()) {
        if (post->title() == u"Post 5")
            edited = post->identifierUsedByBlogService();
        else if (post->title() == u"Post 6")
            deleted = post->identifierUsedByBlogService();
    }
    ASSERT_FALSE(edited.empty() || deleted.empty());
    auto editReply = testing::requestSiteREST(site, site.administrator, u"POST", u"/wp/v2/posts/" + edited,
        R"({"content":"<!-- wp:paragraph -->\n<p>Edited by another client</p>\n<!-- /wp:paragraph -->"})");
    ASSERT_TRUE(editReply && (*editReply)[u"id"].isInteger()) << (editReply ? editReply->description() : "no reply");
    auto deleteReply = testing::requestSiteREST(site, site.administrator, u"DELETE", u"/wp/v2/posts/" + deleted + u"?force=true");
    ASSERT_TRUE(deleteReply && (*deleteReply)[u"deleted"] == Value(true));
    RunLoop::main().runFor(1.1);
    logBefore = log->text().size();
    auto third = syncToTheEnd();
    ASSERT_TRUE(third);
    EXPECT_EQ(third->state(), VornickSyncStepState::Completed);
    std::u16string thirdLog = log->text().substr(logBefore);
    auto editedPost = integrator.existingPostForDescription({ { u"identifierUsedByBlogService", Value(edited) } }, std::nullopt, *blog);
    ASSERT_TRUE(editedPost);
    EXPECT_EQ(editedPost->sourceContentString(), u"<!-- wp:paragraph -->\n<p>Edited by another client</p>\n<!-- /wp:paragraph -->")
        << toUTF8(thirdLog);
    // The deletion is asked of the site and confirmed by its own answer.
    EXPECT_NE(thirdLog.find(u"Server confirms post " + deleted + u" doesn't exist"), std::u16string::npos) << toUTF8(thirdLog);
    EXPECT_NE(thirdLog.find(u"Confirmed deletion of post " + deleted), std::u16string::npos) << toUTF8(thirdLog);

    integrator.setSyncSession(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace
} // namespace brevanton
