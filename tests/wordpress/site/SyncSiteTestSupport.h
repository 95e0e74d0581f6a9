// The sync engine on a WordPress account project (in a temporary folder)
// whose account reaches the test site over REST or XML-RPC, with the agent
// the account's protocol calls for, its application password in a file
// keychain there, the Trash in that folder, and direct REST calls to the site
// standing for another client.
#pragma once

#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickPublishedBlogPost.h"
#include "tests/wordpress/site/RESTSiteTestSupport.h"
#include "wordpress/VornickWordPressIntegrator.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace brevanton::testing {

enum class SiteProtocol { REST, XMLRPC };

std::string siteProtocolName(const ::testing::TestParamInfo<SiteProtocol>&);

// Makes the account's own agent whenever a session needs one, as the
// application does.
class SiteSyncIntegrator final : public VornickWordPressIntegrator {
public:
    std::shared_ptr<VornickWordPressAccount> account;

    std::shared_ptr<VornickBlogServiceAgent> agent() override;
};

class SiteSyncBlogProject final : public VornickWordPressBlogProject {
public:
    SiteSyncIntegrator& siteIntegrator() { return static_cast<SiteSyncIntegrator&>(integrator()); }

protected:
    std::unique_ptr<VornickBlogServiceIntegrator> makeIntegrator() const override { return std::make_unique<SiteSyncIntegrator>(); }
};

class SyncSiteTest : public ::testing::TestWithParam<SiteProtocol> {
protected:
    void SetUp() override;
    void TearDown() override;

    bool xmlrpc() const { return GetParam() == SiteProtocol::XMLRPC; }
    // Runs a manual sync until its session ends (nullptr when none started).
    std::shared_ptr<VornickBlogServiceSyncSession> syncToTheEnd();
    // Runs the upload session the synchronizer starts for the post until it ends.
    void uploadToTheEnd(const VornickPublishedBlogPost&);
    // Edits the post's content here and saves it, as the post's editor does.
    void editLocally(VornickPublishedBlogPost&, std::u16string content);
    // The site's one blog, once imported.
    std::shared_ptr<VornickPublishedBlog> blog();
    std::shared_ptr<VornickPublishedBlogPost> postTitled(std::u16string_view title);
    // The post's content as the site holds it ("content.raw"), read over REST.
    std::optional<std::u16string> siteContent(const std::u16string& identifier);
    // Another client replaces the post's content over REST.
    void editOnSite(const std::u16string& identifier, const std::u16string& content);
    // What the last session wrote to the sync log (the log keeps only the last few).
    std::u16string lastSessionLog() const;
    // The requests made since the last reset, by path.
    static std::map<std::u16string, int> requestCounts();

    WordPressSite m_site;
    std::string m_folder;
    std::string m_savedDataHome;
    std::shared_ptr<SiteSyncBlogProject> m_project;
    std::shared_ptr<VornickWordPressAccount> m_account;
    std::shared_ptr<VornickLog> m_log;
};

} // namespace brevanton::testing
