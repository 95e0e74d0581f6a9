// The REST agent against the real site: a WordPress account project in a
// temporary folder whose password (the user's application password) sits in
// a file keychain there, the agent for it with a recording delegate, the
// site put back as seeded before each test, with pretty or plain permalinks,
// and direct REST calls to the site standing for another client.
#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/net/URLSession.h"
#include "tests/wordpress/WordPressRESTTestSupport.h"
#include "tests/wordpress/site/WordPressSiteTestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace brevanton::testing {

enum class Permalinks { Pretty, Plain };

std::string permalinksName(const ::testing::TestParamInfo<Permalinks>&);

// What the site answered a direct request.
struct SiteReply {
    int status { 0 };
    std::optional<Value> json;
    std::shared_ptr<HTTPURLResponse> response;
    Error error;
};

// Sends one request to the site's REST interface at `route` ("/wp/v2/posts/5?force=true")
// with the user's application password, through "?rest_route=" when
// `plainPermalinks`, and waits for the answer.
SiteReply siteRESTRequest(const WordPressSite&, const WordPressSiteUser&, std::u16string_view method, std::u16string_view route,
    const std::optional<Value>& jsonBody = std::nullopt, bool plainPermalinks = false);

// Requires the site in SetUp: without it the test skips (fails under CI).
class RESTSiteTest : public ::testing::TestWithParam<Permalinks> {
protected:
    void SetUp() override;
    void TearDown() override;

    bool plain() const { return GetParam() == Permalinks::Plain; }
    // Makes the account the given user's and hands the agent a fresh view of it.
    void useUser(const WordPressSiteUser&, std::optional<std::u16string> password = std::nullopt);
    // Waits until the delegate holds `count` answers; false when it took too long or more came.
    bool waitForAnswers(size_t count, double seconds = 60);
    // The blog description of the site list (asks for it first).
    Dictionary siteBlogDescription();
    // A published post of the seeded site, as the site lists it first.
    int64_t aPublishedPostIdentifier();
    SiteReply site(std::u16string_view method, std::u16string_view route, const std::optional<Value>& jsonBody = std::nullopt)
    {
        return siteRESTRequest(m_site, m_site.administrator, method, route, jsonBody, plain());
    }

    WordPressSite m_site;
    std::string m_folder;
    std::shared_ptr<VornickWordPressBlogProject> m_project;
    std::shared_ptr<VornickWordPressAccount> m_account;
    std::shared_ptr<VornickLog> m_log;
    std::shared_ptr<VornickWordPressRESTAgent> m_agent;
    RecordingWordPressDelegate m_delegate;
};

} // namespace brevanton::testing
