#include "tests/wordpress/site/RESTSiteTestSupport.h"

#include "platform/foundation/JSONReader.h"
#include "platform/keychain/FileKeychainStore.h"
#include "toolkit/VornickBase64.h"
#include "toolkit/VornickJSONWriter.h"


namespace brevanton::testing {

// The zone the tests run in is set by SiteTestTimeZone.cpp.

std::string permalinksName(const ::testing::TestParamInfo<Permalinks>& info)
{
    return info.param == Permalinks::Plain ? "PlainPermalinks" : "PrettyPermalinks";
}

SiteReply siteRESTRequest(const WordPressSite& site, const WordPressSiteUser& user, std::u16string_view method, std::u16string_view route,
    const std::optional<Value>& jsonBody, bool plainPermalinks)
{
    std::u16string address;
    if (plainPermalinks) {
        std::u16string path(route);
        std::u16string query;
        if (size_t mark = path.find(u'?'); mark != std::u16string::npos) {
            query = u"&" + path.substr(mark + 1);
            path.erase(mark);
        }
        address = site.url + u"/?rest_route=" + path + query;
    } else {
        address = site.url + u"/wp-json" + std::u16string(route);
    }
    URLRequest request(*URL::create(address), 60);
    request.setHTTPMethod(std::u16string(method));
    std::string credentials = toUTF8(user.username + u":" + user.applicationPassword);
    request.setValueForHTTPHeaderField(u"Basic " + base64EncodedString(Data(credentials.begin(), credentials.end()), VornickBase64Lines::OneLine),
        u"Authorization");
    if (jsonBody) {
        VornickJSONWriter writer;
        writer.writeDictionary(jsonBody->dictionary());
        Error error;
        auto text = writer.jsonDataReturningErrorIn(&error);
        EXPECT_TRUE(text) << error;
        if (text)
            request.setHTTPBody(Data(text->begin(), text->end()));
        request.setValueForHTTPHeaderField(u"application/json", u"Content-Type");
    }
    SiteReply reply;
    bool done = false;
    auto task = URLSession::shared()->dataTask(request, [&](Data data, std::shared_ptr<URLResponse> response, Error error) {
        done = true;
        reply.error = error;
        reply.response = std::dynamic_pointer_cast<HTTPURLResponse>(response);
        if (reply.response)
            reply.status = reply.response->statusCode();
        if (!data.empty()) {
            Error jsonError;
            reply.json = readJSON(std::string(data.begin(), data.end()), &jsonError, { .fragmentsAllowed = true });
        }
    });
    task->resume();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return done; }, 60)) << toUTF8(address);
    return reply;
}

void RESTSiteTest::SetUp()
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    m_site = site;
    std::string output;
    ASSERT_TRUE(runWordPressSiteScript("restore", {}, &output)) << output;
    if (plain()) {
        ASSERT_TRUE(runWordPressSiteScript("permalinks", { "plain" }, &output)) << output;
    }
    URLSession::setOnlyLoopbackForTesting(true);
    URLSession::resetRequestCountsForTesting();

    m_folder = createTemporaryDirectory("wordpress-rest-site").value();
    KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(m_folder + "/Keychain.json"));
    Error error;
    m_project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(m_folder + "/Site.brevantonwordpressproject", false), &error);
    ASSERT_TRUE(m_project) << error;
    m_account = m_project->wordPressAccount();
    m_account->setRootURLString(m_site.url + u"/");
    m_account->setUseXMLRPC(false);
    if (plain())
        m_account->setRemoteEndpointURLString(m_site.url + u"/?rest_route=/");
    m_log = VornickLog::create(URL::fileURLWithPath(m_folder + "/sync.log"));
    m_agent = std::make_shared<VornickWordPressRESTAgent>();
    m_agent->setLog(m_log);
    m_agent->setDelegate(&m_delegate);
    useUser(m_site.administrator);
}

void RESTSiteTest::TearDown()
{
    if (m_agent)
        m_agent->setDelegate(nullptr);
    m_agent.reset();
    m_project.reset();
    m_log.reset();
    KeychainStore::setDefaultStore(nullptr);
    if (!m_folder.empty()) {
        EXPECT_TRUE(removeItem(m_folder));
    }
    URLSession::setOnlyLoopbackForTesting(false);
    if (plain() && !m_site.url.empty()) {
        std::string output;
        EXPECT_TRUE(runWordPressSiteScript("restore", {}, &output)) << output;
    }
}

void RESTSiteTest::useUser(const WordPressSiteUser& user, std::optional<std::u16string> password)
{
    m_account->setLoginID(user.username);
    Error error;
    ASSERT_TRUE(m_account->setPassword(password.value_or(user.applicationPassword), &error)) << error;
    m_agent->setAccount(std::make_shared<VornickBlogServiceAgentHostingAccount>(m_account));
}

bool RESTSiteTest::waitForAnswers(size_t count, double seconds)
{
    bool arrived = RunLoop::main().runUntil([&] { return m_delegate.answers.size() >= count; }, seconds);
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(m_delegate.answers.size(), count);
    return arrived && m_delegate.answers.size() == count;
}

Dictionary RESTSiteTest::siteBlogDescription()
{
    size_t before = m_delegate.answers.size();
    m_agent->requestBlogDescriptions();
    if (!waitForAnswers(before + 1))
        return {};
    const RecordedAnswer& answer = m_delegate.answers.back();
    EXPECT_EQ(answer.name, "receivedBlogs") << toUTF8(answer.error.localizedDescription());
    return answer.descriptions.empty() ? Dictionary() : answer.descriptions.front();
}

int64_t RESTSiteTest::aPublishedPostIdentifier()
{
    SiteReply reply = site(u"GET", u"/wp/v2/posts?per_page=1&status=publish");
    EXPECT_EQ(reply.status, 200);
    if (!reply.json || !reply.json->isArray() || reply.json->array().empty())
        return 0;
    return reply.json->array()[0][u"id"].integerValue();
}

} // namespace brevanton::testing
