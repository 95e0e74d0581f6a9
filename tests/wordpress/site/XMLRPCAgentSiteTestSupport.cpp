#include "tests/wordpress/site/XMLRPCAgentSiteTestSupport.h"

#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/net/URLSession.h"
#include "toolkit/VornickBase64.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "wordpress/XMLRPCConnectionDelegate.h"
#include "wordpress/XMLRPCConnectionManager.h"
#include "wordpress/XMLRPCRequest.h"
#include "wordpress/XMLRPCResponse.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brevanton::testing {

namespace {

// An account whose password is given, not read from the keychain.
class SiteAgentAccount final : public VornickBlogServiceAgentHostingAccount {
public:
    SiteAgentAccount(std::shared_ptr<VornickBlogHostingAccount> account, std::u16string password)
        : VornickBlogServiceAgentHostingAccount(std::move(account))
        , m_password(std::move(password))
    {
    }
    std::u16string password() const override { return m_password; }

private:
    std::u16string m_password;
};

struct CallAnswer final : XMLRPCConnectionDelegate {
    int calls { 0 };
    SiteCallResult result;
    void requestDidReceiveResponse(XMLRPCRequest&, const XMLRPCResponse& response) override
    {
        ++calls;
        if (response.isFault())
            result.faultCode = response.faultCode().value_or(0);
        else
            result.object = response.object();
    }
    void requestDidFailWithError(XMLRPCRequest&, const Error& error) override
    {
        ++calls;
        if (result.error.isEmpty())
            result.error = error;
    }
};

} // namespace

SiteCallResult callSite(const WordPressSite& site, std::u16string method, Array parameters)
{
    auto request = std::make_shared<XMLRPCRequest>(*URL::create(site.url + u"/xmlrpc.php"));
    request->setMethod(std::move(method), std::move(parameters));
    auto answer = std::make_shared<CallAnswer>();
    XMLRPCConnectionManager::sharedManager().spawnConnectionWithXMLRPCRequest(request, answer);
    // A failing status comes first, the body after it.
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return answer->result.object || answer->result.faultCode || answer->calls > 1; }, 60));
    RunLoop::main().runFor(0.02);
    return answer->result;
}

Array siteCallParameters(const WordPressSiteUser& user)
{
    return { Value(u"1"), Value(user.username), Value(user.applicationPassword) };
}

std::optional<Value> requestSiteREST(const WordPressSite& site, const WordPressSiteUser& user, const std::u16string& method,
    const std::u16string& path, const std::string& jsonBody)
{
    URLRequest request(*URL::create(site.url + u"/wp-json" + path));
    request.setHTTPMethod(method);
    std::string login = toUTF8(user.username) + ":" + toUTF8(user.applicationPassword);
    request.setValueForHTTPHeaderField(u"Basic " + base64EncodedString(Data(login.begin(), login.end()), VornickBase64Lines::OneLine),
        u"Authorization");
    if (!jsonBody.empty()) {
        request.setValueForHTTPHeaderField(u"application/json", u"Content-Type");
        request.setHTTPBody(Data(jsonBody.begin(), jsonBody.end()));
    }
    std::optional<Value> json;
    bool done = false;
    auto task = URLSession::shared()->dataTask(std::move(request), [&](Data data, std::shared_ptr<URLResponse>, Error error) {
        done = true;
        EXPECT_TRUE(error.isEmpty()) << error;
        Error jsonError;
        json = readJSON(data, &jsonError);
    });
    task->resume();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return done; }, 60));
    return json;
}

XMLRPCAgentOnSite::XMLRPCAgentOnSite(const WordPressSite& site, const WordPressSiteUser& user)
    : m_folder(createTemporaryDirectory("xmlrpc-site").value())
{
    Error error;
    m_project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(m_folder + "/site.brevantonwordpressproject", false), &error);
    EXPECT_TRUE(m_project) << error;
    if (!m_project)
        return;
    m_account = m_project->wordPressAccount();
    m_account->setLoginID(user.username);
    m_account->setRootURLString(site.url + u"/");
    auto& context = *m_project->index()->managedObjectContext();
    auto blog = context.insertNewObject(u"Blog");
    blog->setValueForKey(Value(u"1"), u"identifierUsedByBlogService");
    blog->setValueForKey(Value(site.url + u"/"), u"browseURLString");
    blog->setObjectForKey(m_account, u"hostingAccount");

    m_log = VornickLog::create(URL::fileURLWithPath(m_folder + "/sync.log", false));
    m_agent = VornickWordPressXMLRPCAgent::create();
    m_agent->setAccount(std::make_shared<SiteAgentAccount>(m_account, user.applicationPassword));
    m_agent->setDelegate(&m_recorder);
    m_agent->setLog(m_log);
    m_blog = Dictionary {
        { u"identifierUsedByBlogService", Value(u"1") },
        { u"title", Value(u"Brevanton Test Site") },
        { u"browseURLString", Value(site.url + u"/") },
    };
}

XMLRPCAgentOnSite::~XMLRPCAgentOnSite()
{
    if (m_agent)
        m_agent->setDelegate(nullptr);
    m_agent = nullptr;
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

bool XMLRPCAgentOnSite::waitForAnswers(size_t count, double timeout)
{
    bool done = RunLoop::main().runUntil([&] { return m_recorder.answers.size() >= count; }, timeout);
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(m_recorder.answers.size(), count);
    return done && m_recorder.answers.size() == count;
}

const AgentAnswer& XMLRPCAgentOnSite::answer(size_t index) const
{
    static const AgentAnswer none;
    EXPECT_LT(index, m_recorder.answers.size());
    return index < m_recorder.answers.size() ? m_recorder.answers[index] : none;
}

std::u16string XMLRPCAgentOnSite::logText() const
{
    return m_log ? m_log->text() : std::u16string();
}

bool XMLRPCAgentOnSite::logHas(std::u16string_view line) const
{
    return logText().find(line) != std::u16string::npos;
}

} // namespace brevanton::testing
