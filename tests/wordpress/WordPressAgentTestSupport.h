// A WordPress account in a project of its own, its keychain in a file, an
// agent for it whose answers a recording delegate keeps, and a loopback
// server standing for the site.
#pragma once

#include "blog/VornickBlogServiceAgentDelegate.h"
#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/keychain/FileKeychainStore.h"
#include "tests/platform/net/LoopbackHTTPServer.h"
#include "toolkit/VornickLog.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgent.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

namespace brevanton {

class RecordingSiteListDelegate : public VornickBlogServiceAgentDelegate {
public:
    std::vector<std::vector<Dictionary>> received;
    std::vector<Error> failures;
    size_t answers() const { return received.size() + failures.size(); }

    void blogServiceAgentHostConnectionStatusChanged(VornickBlogServiceAgent&, VornickHostConnectionStatus) override { }
    void blogServiceAgentReceivedBlogDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& descriptions) override
    {
        received.push_back(descriptions);
    }
    void blogServiceAgentFailedToGetBlogDescriptionsWithError(VornickBlogServiceAgent&, const Error& error) override
    {
        failures.push_back(error);
    }
    void blogServiceAgentReceivedPostDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>&, const Dictionary&, int64_t, bool) override { }
    void blogServiceAgentFailedToGetPostDescriptionsWithError(VornickBlogServiceAgent&, const Error&, const Dictionary&) override { }
    void blogServiceAgentReceivedPageDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>&, const Dictionary&, int64_t, bool) override { }
    void blogServiceAgentFailedToGetPageDescriptionsWithError(VornickBlogServiceAgent&, const Error&, const Dictionary&) override { }
    void blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent&, const Dictionary&, const Dictionary&, const Value&, const Dictionary&, bool) override { }
    void blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent&, const Dictionary&, const Dictionary&) override { }
    void blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const Dictionary&, const Dictionary&, const Value&) override { }
    void blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const std::u16string&, const Dictionary&, const Value&) override { }
    void blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string&, const Value&, const Dictionary&) override { }
    void blogServiceAgentFailedToDeletePostWithIdentifier(VornickBlogServiceAgent&, const std::u16string&, const Value&, const Dictionary&, const Error&) override { }
    void blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string&, const Value&, const Dictionary&, bool) override { }
    void blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string&, const Value&, const Dictionary&, const Error&) override { }
};

// What one REST request came back with.
struct RESTOutcome {
    int calls { 0 };
    bool succeeded { false };
    URLRequest request { URL::fileURLWithPath("/", true) };
    std::shared_ptr<URLResponse> response;
    std::optional<Value> json;
    Error error;

    VornickWordPressAgent::RESTCompletion completion()
    {
        return [this](const VornickWordPressAgent::RESTReply& reply) {
            EXPECT_TRUE(RunLoop::isMainThread());
            ++calls;
            succeeded = reply.succeeded();
            request = reply.request;
            response = reply.response;
            json = reply.json;
            error = reply.error;
        };
    }
};

class WordPressAgentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("wordpress-agent").value();
        KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(m_folder + "/Keychain.json"));
        Error error;
        m_project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(m_folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(m_project) << error;
        m_account = m_project->wordPressAccount();
        m_log = VornickLog::create(URL::fileURLWithPath(m_folder + "/sync.log"));
        m_agent = std::make_shared<VornickWordPressAgent>();
        m_agent->setLog(m_log);
        m_agent->setDelegate(&m_delegate);
    }

    void TearDown() override
    {
        m_agent.reset();
        KeychainStore::setDefaultStore(nullptr);
    }

    // A self-hosted REST account at `root` with the login and password.
    void useSite(const std::string& root, std::u16string login = u"editor", std::u16string password = u"abcd efgh ijkl")
    {
        m_account->setRootURLString(toUTF16(root));
        m_account->setUseXMLRPC(false);
        m_account->setLoginID(login);
        Error error;
        if (!password.empty()) {
            ASSERT_TRUE(m_account->setPassword(password, &error)) << error;
        }
        m_agent->setAccount(std::make_shared<VornickBlogServiceAgentHostingAccount>(m_account));
    }

    void send(RESTOutcome& outcome, std::u16string_view path, const VornickWordPressAgent::QueryParameters& query = {},
        std::shared_ptr<const VornickWordPressRESTPayload> payload = nullptr, std::u16string_view method = u"GET")
    {
        m_agent->postRESTRequestWithEndpointPath(path, 0, method, Value(), query, std::move(payload), VornickReplyKind::PostReply,
            outcome.completion());
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return outcome.calls > 0; }, 30));
        RunLoop::main().runUntil([] { return false; }, 0.02);
        EXPECT_EQ(outcome.calls, 1);
    }

    bool waitForAnswer(size_t count = 1)
    {
        bool done = RunLoop::main().runUntil([&] { return m_delegate.answers() >= count; }, 30);
        RunLoop::main().runUntil([] { return false; }, 0.02);
        return done && m_delegate.answers() == count;
    }

    std::string logText() const { return toUTF8(m_log->text()); }

    std::string m_folder;
    std::shared_ptr<VornickWordPressBlogProject> m_project;
    std::shared_ptr<VornickWordPressAccount> m_account;
    std::shared_ptr<VornickLog> m_log;
    std::shared_ptr<VornickWordPressAgent> m_agent;
    RecordingSiteListDelegate m_delegate;
};

inline testserver::TestHTTPResponse jsonReply(int status, std::string body)
{
    testserver::TestHTTPResponse response;
    response.status = status;
    response.headers.emplace_back("Content-Type", "application/json; charset=UTF-8");
    response.body = std::move(body);
    return response;
}

} // namespace brevanton
