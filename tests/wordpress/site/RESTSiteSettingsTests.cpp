// The REST agent asks the site for its settings, the site list of a
// self-hosted account: what an Administrator, an Author and a wrong password get.
#include "tests/wordpress/site/RESTSiteTestSupport.h"

namespace brevanton::testing {
namespace {

using RESTSiteSettings = RESTSiteTest;

TEST_P(RESTSiteSettings, TheAdministratorGetsTheBlogDescription)
{
    Dictionary blog = siteBlogDescription();
    ASSERT_FALSE(blog.empty());
    EXPECT_EQ(blog[u"identifierUsedByBlogService"].stringValue(), u"1");
    EXPECT_FALSE(blog[u"title"].stringValue().empty());
    EXPECT_EQ(blog[u"browseURLString"].stringValue(), m_site.url);
    EXPECT_EQ(blog[u"wordPressTimeZone"].stringValue(), m_site.timeZone);
    EXPECT_FALSE(blog[u"wordPressDateFormat"].stringValue().empty());
    EXPECT_FALSE(blog[u"wordPressTimeFormat"].stringValue().empty());
    EXPECT_TRUE(blog[u"postStatuses"].isDictionary());

    auto counts = URLSession::requestCountsByPathForTesting();
    if (plain())
        EXPECT_EQ(counts[u"/"], 1);
    else
        EXPECT_EQ(counts[u"/wp-json/wp/v2/settings"], 1);
}

TEST_P(RESTSiteSettings, AnAuthorIsRefusedTheSettingsWithoutALoginError)
{
    // WordPress keeps its settings to those who may manage options: the
    // Author's refusal is no login error, so a sync goes on with a substitute blog.
    useUser(m_site.author);
    m_agent->requestBlogDescriptions();
    ASSERT_TRUE(waitForAnswers(1));
    const RecordedAnswer& answer = m_delegate.only();
    ASSERT_EQ(answer.name, "failedBlogs");
    EXPECT_EQ(answer.error.domain(), VornickHTTPErrorDomain);
    EXPECT_EQ(answer.error.code(), 403);
}

TEST_P(RESTSiteSettings, AWrongPasswordOrUserNameFailsAtTheSiteList)
{
    useUser(m_site.administrator, u"abcd efgh ijkl mnop qrst uvwx");
    m_agent->requestBlogDescriptions();
    ASSERT_TRUE(waitForAnswers(1));
    ASSERT_EQ(m_delegate.answers[0].name, "failedBlogs");
    EXPECT_EQ(m_delegate.answers[0].error.domain(), VornickErrorDomain);
    EXPECT_EQ(m_delegate.answers[0].error.code(), 49) << toUTF8(m_delegate.answers[0].error.localizedDescription());

    WordPressSiteUser stranger = m_site.administrator;
    stranger.username = u"nobody-of-this-site";
    useUser(stranger);
    m_agent->requestBlogDescriptions();
    ASSERT_TRUE(waitForAnswers(2));
    ASSERT_EQ(m_delegate.answers[1].name, "failedBlogs");
    EXPECT_EQ(m_delegate.answers[1].error.domain(), VornickErrorDomain);
    // WordPress answers an unknown user as it answers a wrong password.
    EXPECT_EQ(m_delegate.answers[1].error.code(), 49);
}

INSTANTIATE_TEST_SUITE_P(Site, RESTSiteSettings, ::testing::Values(Permalinks::Pretty, Permalinks::Plain), permalinksName);

} // namespace
} // namespace brevanton::testing
