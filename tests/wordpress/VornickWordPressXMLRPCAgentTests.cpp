#include "wordpress/VornickWordPressXMLRPCAgent.h"

#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "platform/store/ManagedObjectContext.h"
#include "tests/platform/net/LoopbackHTTPServer.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgentDelegate.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressMediaItem.h"
#include "wordpress/VornickWordPressXMLRPCRequest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>

namespace brevanton {
namespace {

using namespace testserver;

std::string recordedReply(const std::string& name)
{
    return readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/xmlrpc/" + name).value_or(std::string());
}

std::string reply(const std::string& value)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<methodResponse><params><param><value>" + value
        + "</value></param></params></methodResponse>\n";
}

std::string postStruct(int identifier, const std::string& status)
{
    return "<struct><member><name>post_id</name><value><string>" + std::to_string(identifier)
        + "</string></value></member><member><name>post_status</name><value><string>" + status
        + "</string></value></member><member><name>link</name><value><string>http://127.0.0.1/?p=" + std::to_string(identifier)
        + "</string></value></member></struct>";
}

TestHTTPResponse answer(std::string body, int status = 200)
{
    TestHTTPResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

// An account whose password is given, not read from the keychain.
class TestAgentAccount : public VornickBlogServiceAgentHostingAccount {
public:
    TestAgentAccount(std::shared_ptr<VornickBlogHostingAccount> account, std::u16string password)
        : VornickBlogServiceAgentHostingAccount(std::move(account))
        , m_password(std::move(password))
    {
    }
    std::u16string password() const override { return m_password; }

private:
    std::u16string m_password;
};

// One answer of the agent.
struct Answer {
    std::string name;
    std::vector<Dictionary> list;
    Dictionary dictionary;
    std::vector<VornickWordPressTermDescription> terms;
    VornickWordPressSiteSettings settings;
    Error error;
    bool flag { false };
    int64_t startOffset { 0 };
    std::u16string postIdentifier;
};

class Recorder : public VornickWordPressAgentDelegate {
public:
    std::vector<Answer> answers;

    void blogServiceAgentHostConnectionStatusChanged(VornickBlogServiceAgent&, VornickHostConnectionStatus) override { }
    void blogServiceAgentReceivedBlogDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& blogs) override
    {
        Answer answer;
        answer.name = "receivedBlogs";
        answer.list = blogs;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentFailedToGetBlogDescriptionsWithError(VornickBlogServiceAgent&, const Error& error) override
    {
        Answer answer;
        answer.name = "failedBlogs";
        answer.error = error;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentReceivedPostDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& posts, const Dictionary&,
        int64_t startOffset, bool couldBeMore) override
    {
        Answer answer;
        answer.name = "receivedPosts";
        answer.list = posts;
        answer.flag = couldBeMore;
        answer.startOffset = startOffset;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentFailedToGetPostDescriptionsWithError(VornickBlogServiceAgent&, const Error& error, const Dictionary&) override
    {
        Answer answer;
        answer.name = "failedPosts";
        answer.error = error;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentReceivedPageDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& pages, const Dictionary&,
        int64_t startOffset, bool couldBeMore) override
    {
        Answer answer;
        answer.name = "receivedPages";
        answer.list = pages;
        answer.flag = couldBeMore;
        answer.startOffset = startOffset;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentFailedToGetPageDescriptionsWithError(VornickBlogServiceAgent&, const Error& error, const Dictionary&) override
    {
        Answer answer;
        answer.name = "failedPages";
        answer.error = error;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent&, const Dictionary&, const Dictionary&, const Value&,
        const Dictionary& newPost, bool await) override
    {
        Answer answer;
        answer.name = "sent";
        answer.dictionary = newPost;
        answer.flag = await;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent&, const Dictionary&, const Dictionary&) override
    {
        Answer answer;
        answer.name = "failedToSend";
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const Dictionary& properties,
        const Dictionary&, const Value&) override
    {
        Answer answer;
        answer.name = "updatedProperties";
        answer.dictionary = properties;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const std::u16string& post,
        const Dictionary&, const Value&) override
    {
        Answer answer;
        answer.name = "failedUpdatedProperties";
        answer.postIdentifier = post;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post, const Value&,
        const Dictionary&) override
    {
        Answer answer;
        answer.name = "trashed";
        answer.postIdentifier = post;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentFailedToDeletePostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post, const Value&,
        const Dictionary&, const Error& error) override
    {
        Answer answer;
        answer.name = "failedToTrash";
        answer.error = error;
        answer.postIdentifier = post;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentReceivedPostDescription(VornickBlogServiceAgent&, const Dictionary& post, const Dictionary&, const Value&) override
    {
        Answer answer;
        answer.name = "receivedPost";
        answer.dictionary = post;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentFailedToGetPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post, const Value&, const Dictionary&,
        const Error& error) override
    {
        Answer answer;
        answer.name = "failedToGetPost";
        answer.error = error;
        answer.postIdentifier = post;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post, const Value&,
        const Dictionary&, bool inTrash) override
    {
        Answer answer;
        answer.name = "confirmed";
        answer.flag = inTrash;
        answer.postIdentifier = post;
        answers.push_back(std::move(answer));
    }
    void blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& post,
        const Value&, const Dictionary&, const Error& error) override
    {
        Answer answer;
        answer.name = "failedToConfirm";
        answer.error = error;
        answer.postIdentifier = post;
        answers.push_back(std::move(answer));
    }

    void wordPressAgentReceivedBlogOptions(VornickWordPressAgent&, const VornickWordPressSiteSettings& settings, const Dictionary&) override
    {
        Answer answer;
        answer.name = "options";
        answer.settings = settings;
        answers.push_back(std::move(answer));
    }
    void wordPressAgentFailedToReceiveBlogOptions(VornickWordPressAgent&, const Dictionary&, const Error& error) override
    {
        Answer answer;
        answer.name = "failedOptions";
        answer.error = error;
        answers.push_back(std::move(answer));
    }
    void wordPressAgentReceivedCategoryDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressTermDescription>& categories,
        const Dictionary&, int64_t startOffset, bool couldBeMore) override
    {
        Answer answer;
        answer.name = "categories";
        answer.terms = categories;
        answer.flag = couldBeMore;
        answer.startOffset = startOffset;
        answers.push_back(std::move(answer));
    }
    void wordPressAgentFailedToReceiveCategoryDescriptions(VornickWordPressAgent&, const Dictionary&, const Error& error) override
    {
        Answer answer;
        answer.name = "failedCategories";
        answer.error = error;
        answers.push_back(std::move(answer));
    }
    void wordPressAgentReceivedPostFormatDescriptions(VornickWordPressAgent&, const Dictionary& formats, const Dictionary&) override
    {
        Answer answer;
        answer.name = "formats";
        answer.dictionary = formats;
        answers.push_back(std::move(answer));
    }
    void wordPressAgentFailedToReceivePostFormatDescriptions(VornickWordPressAgent&, const Dictionary&, const Error& error) override
    {
        Answer answer;
        answer.name = "failedFormats";
        answer.error = error;
        answers.push_back(std::move(answer));
    }
    void wordPressAgentFailedToReceivePostStatusDescriptions(VornickWordPressAgent&, const Dictionary&, const Error& error) override
    {
        Answer answer;
        answer.name = "failedStatuses";
        answer.error = error;
        answers.push_back(std::move(answer));
    }
    void wordPressAgentReceivedPostStatusDescriptions(VornickWordPressAgent&, const Dictionary& statuses, const Dictionary&) override
    {
        Answer answer;
        answer.name = "statuses";
        answer.dictionary = statuses;
        answers.push_back(std::move(answer));
    }
    void wordPressAgentReceivedMediaItemDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressMediaItemDescription>& items, const Dictionary&,
        int64_t startOffset, bool couldBeMore) override
    {
        Answer answer;
        answer.name = "media";
        for (const auto& item : items)
            answer.list.push_back(item.dictionary());
        answer.flag = couldBeMore;
        answer.startOffset = startOffset;
        answers.push_back(std::move(answer));
    }
    void wordPressAgentFailedToReceiveMediaItemDescriptions(VornickWordPressAgent&, const Dictionary&, int64_t, const Error& error) override
    {
        Answer answer;
        answer.name = "failedMedia";
        answer.error = error;
        answers.push_back(std::move(answer));
    }
    void wordPressAgentReceivedPropertiesOfUploadedMediaItem(VornickWordPressAgent&, const VornickWordPressMediaItemDescription& stored,
        const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary&) override
    {
        Answer answer;
        answer.name = "uploaded";
        answer.dictionary = stored.dictionary();
        answers.push_back(std::move(answer));
    }
    void wordPressAgentFailedToUploadMediaItem(VornickWordPressAgent&, const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary&,
        const Error& error) override
    {
        Answer answer;
        answer.name = "failedUpload";
        answer.error = error;
        answers.push_back(std::move(answer));
    }
};

class VornickWordPressXMLRPCAgentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Error error;
        project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(project) << error;
        account = project->wordPressAccount();
        account->setLoginID(u"ann");
        account->setRootURLString(toUTF16(server.url("/")));
        auto& context = *project->index()->managedObjectContext();
        auto blog = context.insertNewObject(u"Blog");
        blog->setValueForKey(Value(u"1"), u"identifierUsedByBlogService");
        blog->setValueForKey(Value(toUTF16(server.url("/blog/"))), u"browseURLString");
        blog->setObjectForKey(account, u"hostingAccount");

        log = VornickLog::create(URL::fileURLWithPath(folder + "/sync.log", false));
        agent = VornickWordPressXMLRPCAgent::create();
        agent->setAccount(std::make_shared<TestAgentAccount>(account, u"s3cret&"));
        agent->setDelegate(&recorder);
        agent->setLog(log);
    }

    // Answers each method by the reply scripted for it (a 500 for the others).
    TestHTTPResponse handle(const TestHTTPRequest& request)
    {
        size_t begin = request.body.find("<methodName>");
        size_t end = request.body.find("</methodName>");
        std::string method = begin == std::string::npos ? "" : request.body.substr(begin + 12, end - begin - 12);
        std::lock_guard lock(mutex);
        auto& queue = replies[method];
        if (queue.empty())
            return answer("", 500);
        TestHTTPResponse response = queue.front();
        if (queue.size() > 1)
            queue.erase(queue.begin());
        return response;
    }
    void script(const std::string& method, std::vector<TestHTTPResponse> responses)
    {
        std::lock_guard lock(mutex);
        replies[method] = std::move(responses);
    }
    // Runs the main loop until `count` answers came, then a little more so
    // that one more would show.
    bool waitForAnswers(size_t count)
    {
        bool done = RunLoop::main().runUntil([&] { return recorder.answers.size() >= count; }, 30);
        RunLoop::main().runFor(0.1);
        return done && recorder.answers.size() == count;
    }
    std::vector<std::string> methodsCalled() const
    {
        std::vector<std::string> methods;
        for (auto& request : server.requests()) {
            size_t begin = request.body.find("<methodName>");
            methods.push_back(request.body.substr(begin + 12, request.body.find("</methodName>") - begin - 12));
        }
        return methods;
    }
    bool logHas(std::u16string_view line) const { return log->text().find(line) != std::u16string::npos; }

    std::mutex mutex;
    std::map<std::string, std::vector<TestHTTPResponse>> replies;
    LoopbackHTTPServer server { [this](const TestHTTPRequest& request) { return handle(request); } };
    std::string folder = createTemporaryDirectory("xmlrpc-agent").value();
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<VornickWordPressAccount> account;
    std::shared_ptr<VornickLog> log;
    Recorder recorder;
    std::shared_ptr<VornickWordPressXMLRPCAgent> agent;
    const Dictionary blog { { u"identifierUsedByBlogService", Value(u"1") }, { u"title", Value(u"Notes") } };
};

TEST_F(VornickWordPressXMLRPCAgentTest, SiteListEndsOnceWhateverTheHostAnswers)
{
    // The recorded site, moved to this server's port (its own origin).
    std::string recorded = recordedReply("wp-getUsersBlogs.xml");
    for (size_t at; (at = recorded.find("http://127.0.0.1:8080/")) != std::string::npos;)
        recorded.replace(at, 22, server.url("/"));
    script("wp.getUsersBlogs", { answer(recorded) });
    agent->requestBlogDescriptions();
    ASSERT_TRUE(waitForAnswers(1));
    ASSERT_EQ(recorder.answers[0].name, "receivedBlogs");
    ASSERT_EQ(recorder.answers[0].list.size(), 1u);
    EXPECT_EQ(recorder.answers[0].list[0], (Dictionary { { u"identifierUsedByBlogService", Value(u"1") },
                                                         { u"title", Value(u"Notes & Sketches") },
                                                         { u"browseURLString", Value(toUTF16(server.url("/"))) } }));
    EXPECT_TRUE(logHas(u"Requesting blog descriptions from WordPress..."));
    EXPECT_TRUE(logHas(u"WordPress reported 1 blog(s):"));
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/xmlrpc.php");
    EXPECT_EQ(requests[0].body, "<?xml version=\"1.0\"?><methodCall><methodName>wp.getUsersBlogs</methodName><params>"
                                "<param><value><string>ann</string></value></param><param><value><string>s3cret&#38;</string></value></param>"
                                "</params></methodCall>");
    EXPECT_TRUE(requests[0].header("User-Agent").starts_with("Brevanton"));

    // A wrong login stops at the site list with the password error.
    script("wp.getUsersBlogs", { answer(recordedReply("fault-incorrect-password.xml"), 403) });
    agent->requestBlogDescriptions();
    ASSERT_TRUE(waitForAnswers(2));
    EXPECT_EQ(recorder.answers[1].name, "failedBlogs");
    EXPECT_TRUE(recorder.answers[1].error.is(VornickErrorDomain, 49)) << recorder.answers[1].error;
    ASSERT_TRUE(recorder.answers[1].error.underlyingError());
    EXPECT_TRUE(VornickWordPressXMLRPCAgent::isFault(*recorder.answers[1].error.underlyingError(), 403));
    EXPECT_TRUE(logHas(u"XML-RPC fault: \"Incorrect username or password.\", code 403, URL http://127.0.0.1:"));

    // A page instead of XML-RPC: the single blog "1", named after the host
    // and at the site's root; one the account has keeps its name and address.
    script("wp.getUsersBlogs", { answer("<html><body><p>XML-RPC services are disabled.</p></body></html>"),
                                 answer("<html><body><p>XML-RPC services are disabled.</p></body></html>") });
    agent->requestBlogDescriptions();
    ASSERT_TRUE(waitForAnswers(3));
    ASSERT_EQ(recorder.answers[2].name, "receivedBlogs");
    EXPECT_EQ(recorder.answers[2].list.at(0), (Dictionary { { u"identifierUsedByBlogService", Value(u"1") } }));
    EXPECT_TRUE(logHas(u"XML-RPC services are disabled.\n\n(END WordPress response)\n\n** XML-RPC Disabled? **"));
    EXPECT_TRUE(logHas(u"Attempting workaround: Request blog \"1\"."));
    auto known = account->objectsForKey(u"blogs");
    for (auto& blog : known)
        blog->setObjectForKey(nullptr, u"hostingAccount");
    agent->requestBlogDescriptions();
    ASSERT_TRUE(waitForAnswers(4));
    EXPECT_EQ(recorder.answers[3].list.at(0), (Dictionary { { u"identifierUsedByBlogService", Value(u"1") },
                                                            { u"title", Value(u"127.0.0.1") },
                                                            { u"browseURLString", Value(toUTF16(server.url("/"))) } }));
    for (auto& blog : known)
        blog->setObjectForKey(account, u"hostingAccount");

    // A refusing host, a reply of the wrong kind, an empty body: one failure each.
    script("wp.getUsersBlogs", { answer("<html><body>Forbidden</body></html>", 403), answer(reply("<string>no</string>")), answer("") });
    for (int i = 0; i < 3; ++i) {
        agent->requestBlogDescriptions();
        ASSERT_TRUE(waitForAnswers(5 + i));
    }
    EXPECT_EQ(recorder.answers[4].name, "failedBlogs");
    EXPECT_TRUE(recorder.answers[4].error.is(VornickXMLRPCHTTPStatusErrorDomain, 403)) << recorder.answers[4].error;
    EXPECT_FALSE(VornickWordPressXMLRPCAgent::isFault(recorder.answers[4].error, 403));
    EXPECT_TRUE(recorder.answers[5].error.is(VornickErrorDomain, 38)) << recorder.answers[5].error;
    EXPECT_EQ(recorder.answers[6].name, "receivedBlogs"); // an empty 200 is no XML-RPC either

    // Without a password nothing is sent.
    size_t sent = server.requestCount();
    agent->setAccount(std::make_shared<TestAgentAccount>(account, u""));
    agent->requestBlogDescriptions();
    ASSERT_TRUE(waitForAnswers(8));
    EXPECT_EQ(recorder.answers[7].name, "failedBlogs");
    EXPECT_TRUE(recorder.answers[7].error.is(VornickErrorDomain, VornickAccountIncompleteError));
    EXPECT_EQ(server.requestCount(), sent);
}

TEST_F(VornickWordPressXMLRPCAgentTest, LoginsAndServerTrustAreLoggedAndOnlyTrustIsTakenPartIn)
{
    // A site behind an HTTP login: logged, never answered, the call fails.
    TestHTTPResponse login = answer("<html><body>Log in first</body></html>", 401);
    login.headers.emplace_back("WWW-Authenticate", "Basic realm=\"private\"");
    script("wp.getUsersBlogs", { login });
    agent->requestBlogDescriptions();
    ASSERT_TRUE(waitForAnswers(1));
    EXPECT_EQ(recorder.answers[0].name, "failedBlogs");
    auto port = toUTF16(std::to_string(*URL::create(server.url("/"))->port()));
    EXPECT_TRUE(logHas(u"XML-RPC authentication against protection space requested (method=HTTPBasic, protocol=http, host=127.0.0.1, port="
                       + port + u", isSecure=0, isProxy=0)"))
        << toUTF8(log->text());
    EXPECT_FALSE(logHas(u"XML-RPC authentication challenge received"));

    // A site's certificate, as the connection tells it after a TLS handshake.
    VornickWordPressXMLRPCRequest request(*URL::create("https://blog.example/xmlrpc.php"));
    XMLRPCRequest plain(*URL::create("https://blog.example/xmlrpc.php"));
    URLAuthenticationChallenge trust;
    trust.protectionSpace = { URLAuthenticationMethod::ServerTrust, u"https", u"blog.example", 443, true, false };
    EXPECT_FALSE(agent->requestCanAuthenticateAgainstProtectionSpace(plain, trust.protectionSpace));
    ASSERT_TRUE(agent->requestCanAuthenticateAgainstProtectionSpace(request, trust.protectionSpace));
    agent->requestDidReceiveAuthenticationChallenge(request, trust);
    EXPECT_TRUE(logHas(u"XML-RPC authentication against protection space requested (method=ServerTrust, protocol=https, host=blog.example, "
                       u"port=443, isSecure=1, isProxy=0)"));
    EXPECT_TRUE(logHas(u"XML-RPC authentication challenge received"));
}

TEST_F(VornickWordPressXMLRPCAgentTest, ListingsPageByWhatTheServerSent)
{
    std::string fifty;
    for (int i = 1; i <= 50; ++i)
        fifty += "<value>" + (i == 50 ? std::string("<struct></struct>") : postStruct(i, "publish")) + "</value>";
    script("wp.getPosts", { answer(reply("<array><data>" + fifty + "</data></array>")), answer(recordedReply("wp-getPosts-page-after-notice.xml")),
                              answer(recordedReply("fault-incorrect-password.xml"), 403), answer(reply("<array><data></data></array>")) });
    agent->requestPostsForBlogWithDescription(blog, 0);
    ASSERT_TRUE(waitForAnswers(1));
    agent->requestPagesForBlogWithDescription(blog, 50);
    ASSERT_TRUE(waitForAnswers(2));
    EXPECT_EQ(recorder.answers[0].name, "receivedPosts");
    EXPECT_EQ(recorder.answers[0].list.size(), 49u);
    EXPECT_TRUE(recorder.answers[0].flag);
    EXPECT_TRUE(logHas(u"Requesting posts 0-49 for \"Notes\""));
    EXPECT_TRUE(logHas(u"Received 49 posts for \"Notes\""));
    EXPECT_EQ(recorder.answers[1].name, "receivedPages");
    EXPECT_EQ(recorder.answers[1].startOffset, 50);
    EXPECT_FALSE(recorder.answers[1].flag);
    EXPECT_EQ(recorder.answers[1].list.at(0).at(u"title"), Value(u" About "));
    auto requests = server.requests();
    EXPECT_NE(requests[0].body.find("<param><value><string>1</string></value></param><param><value><string>ann</string>"), std::string::npos);
    EXPECT_EQ(requests[0].body.find("post_type"), std::string::npos);
    EXPECT_NE(requests[1].body.find("<member><name>offset</name><value><i4>50</i4></value></member>"
                                    "<member><name>post_type</name><value><string>page</string></value></member>"),
        std::string::npos);
    EXPECT_EQ(requests[1].target, "/blog/xmlrpc.php");

    // A failure ends the listing, unless the agent is to go on past it.
    agent->requestPostsForBlogWithDescription(blog, 0);
    ASSERT_TRUE(waitForAnswers(3));
    EXPECT_EQ(recorder.answers[2].name, "failedPosts");
    EXPECT_TRUE(VornickWordPressXMLRPCAgent::isFault(recorder.answers[2].error, 403));
    script("wp.getPosts", { answer(recordedReply("fault-incorrect-password.xml"), 403), answer(reply("<array><data></data></array>")) });
    agent->setContinuesAfterFailure(true);
    agent->requestPostsForBlogWithDescription(blog, 100);
    ASSERT_TRUE(waitForAnswers(4));
    EXPECT_EQ(recorder.answers[3].name, "receivedPosts");
    EXPECT_EQ(recorder.answers[3].startOffset, 150);
    EXPECT_TRUE(logHas(u"Continuing to fetch despite this failure"));

    // Categories page by 100 terms; media by 50; a media reply of another kind fails.
    std::string hundred;
    for (int i = 1; i <= 100; ++i)
        hundred += "<value><struct><member><name>term_id</name><value><string>" + std::to_string(i) + "</string></value></member></struct></value>";
    script("wp.getTerms", { answer(reply("<array><data>" + hundred + "</data></array>")) });
    script("wp.getMediaLibrary", { answer(recordedReply("wp-getMediaLibrary.xml")), answer(reply("<boolean>0</boolean>")) });
    agent->requestCategoriesForBlogWithDescription(blog, 0);
    agent->requestMediaItemsForBlogWithDescription(blog, 0);
    ASSERT_TRUE(waitForAnswers(6));
    agent->requestMediaItemsForBlogWithDescription(blog, 50);
    ASSERT_TRUE(waitForAnswers(7));
    std::map<std::string, Answer> byName;
    for (size_t i = 4; i < 7; ++i)
        byName.emplace(recorder.answers[i].name, recorder.answers[i]);
    EXPECT_EQ(byName["categories"].terms.size(), 100u);
    EXPECT_TRUE(byName["categories"].flag);
    EXPECT_EQ(byName["media"].list.size(), 2u);
    EXPECT_FALSE(byName["media"].flag);
    EXPECT_TRUE(byName["failedMedia"].error.is(VornickErrorDomain, 38)) << byName["failedMedia"].error;
    EXPECT_TRUE(logHas(u"Received 100 category descriptions for \"Notes\""));
}

TEST_F(VornickWordPressXMLRPCAgentTest, SiteSettingsAnswerOnceEach)
{
    script("wp.getOptions", { answer(recordedReply("wp-getOptions.xml")), answer(recordedReply("fault-incorrect-password.xml"), 403) });
    script("wp.getPostFormats", { answer(reply("<struct><member><name>aside</name><value><string>Aside</string></value></member></struct>")) });
    script("wp.getPostStatusList", { answer(reply("<array><data></data></array>")) });
    agent->requestBlogOptionsForBlogWithDescription(blog);
    ASSERT_TRUE(waitForAnswers(1));
    agent->requestBlogOptionsForBlogWithDescription(blog);
    agent->requestPostFormatsForBlogWithDescription(blog);
    agent->requestPostStatusesForBlogWithDescription(blog);
    ASSERT_TRUE(waitForAnswers(4));
    EXPECT_EQ(recorder.answers[0].name, "options");
    EXPECT_EQ(recorder.answers[0].settings.timeZoneHours, 2.0);
    EXPECT_FALSE(recorder.answers[0].settings.dateFormat) << "an option the reply does not hold stays unset";
    EXPECT_TRUE(logHas(u"Got blog options for \"Notes\""));
    std::vector<std::string> names;
    for (size_t i = 1; i < 4; ++i)
        names.push_back(recorder.answers[i].name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "failedOptions", "failedStatuses", "formats" }));
    EXPECT_TRUE(logHas(u"Failed to get post status descriptions for \"Notes\""));
}

TEST_F(VornickWordPressXMLRPCAgentTest, SendingPostsSucceedsOnlyWithAnIdentifier)
{
    Dictionary existing {
        { u"identifierUsedByBlogService", Value(u"12") },
        { u"title", Value(u"Harbour") },
        { u"sourceContentString", Value(u" <p>x</p> ") },
        { u"status", Value(u"publish") },
        { u"dateFirstPublished", Value(Date(1667553300)) },
    };
    script("wp.editPost", { answer(reply("<boolean>1</boolean>")) });
    script("wp.getPost", { answer(reply(postStruct(12, "publish"))) });
    agent->sendPostChanges(existing, blog, Value(u"x-native-1"));
    ASSERT_TRUE(waitForAnswers(2));
    EXPECT_EQ(recorder.answers[0].name, "sent");
    EXPECT_EQ(recorder.answers[0].dictionary, (Dictionary { { u"identifierUsedByBlogService", Value(u"12") } }));
    EXPECT_TRUE(recorder.answers[0].flag);
    EXPECT_EQ(recorder.answers[1].name, "updatedProperties");
    EXPECT_EQ(recorder.answers[1].dictionary.at(u"permalinkURLString"), Value(u"http://127.0.0.1/?p=12"));
    EXPECT_TRUE(logHas(u"-> Sending updates to WordPress for existing post \"Harbour\" with post_id=12"));
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string& body = requests[0].body;
    EXPECT_NE(body.find("<param><value><i4>12</i4></value></param>"), std::string::npos);
    EXPECT_NE(body.find("<member><name>post_date_gmt</name><value><dateTime.iso8601>20221104T09:15:00</dateTime.iso8601></value></member>"),
        std::string::npos);
    EXPECT_NE(body.find("<member><name>terms</name><value><struct><member><name>category</name><value><array><data></data></array></value>"
                        "</member><member><name>post_tag</name><value><array><data></data></array></value></member></struct></value></member>"),
        std::string::npos);
    EXPECT_NE(body.find("<member><name>post_content</name><value><string> &#60;p&#62;x&#60;/p&#62; </string></value></member>"), std::string::npos);

    // A new post: only a numeric identifier is a success.
    Dictionary created = existing;
    created.erase(u"identifierUsedByBlogService");
    script("wp.newPost", { answer(reply("<string>error</string>")), answer(reply("<string>57</string>")) });
    script("wp.getPost", { answer(recordedReply("fault-invalid-post-id.xml"), 404) });
    agent->sendPostChanges(created, blog, Value(u"x-native-2"));
    ASSERT_TRUE(waitForAnswers(3));
    EXPECT_EQ(recorder.answers[2].name, "failedToSend");
    agent->sendPostChanges(created, blog, Value(u"x-native-2"));
    ASSERT_TRUE(waitForAnswers(5));
    EXPECT_EQ(recorder.answers[3].name, "sent");
    EXPECT_EQ(recorder.answers[3].dictionary.at(u"identifierUsedByBlogService"), Value(u"57"));
    EXPECT_EQ(recorder.answers[4].name, "failedUpdatedProperties");
    EXPECT_EQ(recorder.answers[4].postIdentifier, u"57");
    EXPECT_TRUE(logHas(u"-> Sending a new post \"Harbour\" to WordPress (postId missing or zero)"));
    EXPECT_TRUE(logHas(u"Failed to get properties for just-uploaded post 57"));
}

TEST_F(VornickWordPressXMLRPCAgentTest, TrashMovesAndDeletionChecksTrustOnlyTheServersWord)
{
    // Already in the server's trash: left there, never deleted for good.
    script("wp.getPost", { answer(reply(postStruct(12, "trash"))) });
    agent->requestMoveToTrashOfPostWithIdentifier(u"12", Value(1), blog);
    ASSERT_TRUE(waitForAnswers(1));
    EXPECT_EQ(recorder.answers[0].name, "trashed");
    EXPECT_EQ(methodsCalled(), std::vector<std::string> { "wp.getPost" });

    script("wp.getPost", { answer(reply(postStruct(12, "publish"))) });
    script("wp.deletePost", { answer(reply("<boolean>1</boolean>")), answer(reply("<boolean>0</boolean>")) });
    agent->requestMoveToTrashOfPostWithIdentifier(u"12", Value(1), blog);
    ASSERT_TRUE(waitForAnswers(2));
    EXPECT_EQ(recorder.answers[1].name, "trashed");
    agent->requestMoveToTrashOfPostWithIdentifier(u"12", Value(1), blog);
    ASSERT_TRUE(waitForAnswers(3));
    EXPECT_TRUE(recorder.answers[2].error.is(VornickErrorDomain, 27)) << recorder.answers[2].error;

    // The server's own "no such post" against a blocked address.
    script("wp.getPost", { answer(recordedReply("fault-invalid-post-id.xml"), 404), answer("<html><body>Not Found</body></html>", 404) });
    agent->requestMoveToTrashOfPostWithIdentifier(u"13", Value(2), blog);
    ASSERT_TRUE(waitForAnswers(4));
    EXPECT_TRUE(recorder.answers[3].error.is(VornickErrorDomain, VornickServerSaysPostNotFoundError)) << recorder.answers[3].error;
    agent->requestMoveToTrashOfPostWithIdentifier(u"13", Value(2), blog);
    ASSERT_TRUE(waitForAnswers(5));
    EXPECT_TRUE(recorder.answers[4].error.is(VornickXMLRPCHTTPStatusErrorDomain, 404)) << recorder.answers[4].error;

    script("wp.getPost", { answer(recordedReply("fault-invalid-post-id.xml"), 404), answer("<html><body>Not Found</body></html>", 404),
                             answer(reply(postStruct(14, "TRASH"))), answer(reply(postStruct(14, "draft"))) });
    for (size_t i = 0; i < 4; ++i) {
        agent->confirmServerSideDeletionOfPostWithIdentifier(u"14", Value(3), blog);
        ASSERT_TRUE(waitForAnswers(6 + i));
    }
    EXPECT_EQ(recorder.answers[5].name, "confirmed");
    EXPECT_FALSE(recorder.answers[5].flag);
    EXPECT_EQ(recorder.answers[6].name, "failedToConfirm");
    EXPECT_TRUE(recorder.answers[6].error.is(VornickXMLRPCHTTPStatusErrorDomain, 404));
    EXPECT_EQ(recorder.answers[7].name, "confirmed");
    EXPECT_TRUE(recorder.answers[7].flag);
    EXPECT_TRUE(recorder.answers[8].error.is(VornickErrorDomain, 28)) << recorder.answers[8].error;
    EXPECT_TRUE(logHas(u"Server confirms post 14 doesn't exist, request URL="));
    EXPECT_TRUE(logHas(u"Failed to confirm deletion of post 14 (error other than HTTP 404)"));
    EXPECT_TRUE(logHas(u"Post 14 found to exist on server, and isn't in server's Trash"));
}

TEST_F(VornickWordPressXMLRPCAgentTest, SinglePostsAnswerOnceEach)
{
    EXPECT_TRUE(agent->canRequestSinglePosts());
    script("wp.getPost", { answer(reply(postStruct(12, "draft"))), answer(recordedReply("fault-invalid-post-id.xml"), 404),
                             answer("<html><body>Not Found</body></html>", 404), answer(reply("<array><data></data></array>")),
                             answer(reply("<struct></struct>")) });
    agent->requestPostWithIdentifier(u"12", Value(1), blog);
    ASSERT_TRUE(waitForAnswers(1));
    EXPECT_EQ(recorder.answers[0].name, "receivedPost");
    EXPECT_EQ(recorder.answers[0].dictionary.at(u"identifierUsedByBlogService"), Value(u"12"));
    EXPECT_EQ(recorder.answers[0].dictionary.at(u"status"), Value(u"draft"));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_NE(server.requests()[0].body.find("<methodName>wp.getPost</methodName>"), std::string::npos);
    EXPECT_NE(server.requests()[0].body.find("<param><value><i4>12</i4></value></param>"), std::string::npos);

    // Only the server's own fault says there is no such post.
    for (size_t i = 0; i < 4; ++i) {
        agent->requestPostWithIdentifier(u"13", Value(2), blog);
        ASSERT_TRUE(waitForAnswers(2 + i));
        EXPECT_EQ(recorder.answers[1 + i].name, "failedToGetPost");
        EXPECT_EQ(recorder.answers[1 + i].postIdentifier, u"13");
    }
    EXPECT_TRUE(recorder.answers[1].error.is(VornickErrorDomain, VornickServerSaysPostNotFoundError)) << recorder.answers[1].error;
    EXPECT_TRUE(recorder.answers[2].error.is(VornickXMLRPCHTTPStatusErrorDomain, 404)) << recorder.answers[2].error;
    EXPECT_EQ(recorder.answers[3].error.domain(), VornickErrorDomain);
    EXPECT_EQ(recorder.answers[4].error.domain(), VornickErrorDomain);

    // No identifier WordPress could know: nothing is sent, and it still ends.
    agent->requestPostWithIdentifier(u"", Value(3), blog);
    ASSERT_TRUE(waitForAnswers(6));
    EXPECT_EQ(recorder.answers[5].name, "failedToGetPost");
    EXPECT_EQ(server.requests().size(), 5u);
}

TEST_F(VornickWordPressXMLRPCAgentTest, UploadsNeedAReadableFileAndANewIdentifier)
{
    auto& context = *project->index()->managedObjectContext();
    auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context.insertNewObject(u"MediaItem"));
    ASSERT_TRUE(item);
    item->setValueForKey(Value(u"Harbour"), u"title");
    item->setValueForKey(Value(URL::fileURLWithPath(folder + "/missing.png", false).absoluteString()), u"localURLString");
    agent->uploadMediaItem(item, blog);
    ASSERT_TRUE(waitForAnswers(1));
    EXPECT_EQ(recorder.answers[0].name, "failedUpload");
    EXPECT_EQ(server.requestCount(), 0u);

    ASSERT_TRUE(writeFileAtomically(folder + "/harbour.png", std::string("\x89PNG\r\n\x1a\n", 8)));
    item->setValueForKey(Value(URL::fileURLWithPath(folder + "/harbour.png", false).absoluteString()), u"localURLString");
    script("wp.uploadFile", { answer(reply("<struct><member><name>file</name><value><string>harbour.png</string></value></member></struct>")),
                                answer(reply("<struct><member><name>id</name><value><string>88</string></value></member></struct>")) });
    agent->uploadMediaItem(item, blog);
    ASSERT_TRUE(waitForAnswers(2));
    EXPECT_EQ(recorder.answers[1].name, "failedUpload");
    agent->uploadMediaItem(item, blog);
    ASSERT_TRUE(waitForAnswers(3));
    EXPECT_EQ(recorder.answers[2].name, "uploaded");
    EXPECT_EQ(recorder.answers[2].dictionary.at(u"identifierUsedByBlogService"), Value(u"88"));
    EXPECT_TRUE(logHas(u"Upload successful (id=88)"));
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].body.find("<member><name>name</name><value><string>harbour.png</string></value></member>"), std::string::npos);
    EXPECT_NE(requests[0].body.find("<member><name>type</name><value><string>image/png</string></value></member>"), std::string::npos);
    EXPECT_NE(requests[0].body.find("<member><name>bits</name><value><base64>iVBORw0KGgo=</base64></value></member>"), std::string::npos);

    // A site refusing the request for its size: the reason says so.
    script("wp.uploadFile", { answer("<html><body><h1>413 Request Entity Too Large</h1></body></html>", 413) });
    agent->uploadMediaItem(item, blog);
    ASSERT_TRUE(waitForAnswers(4));
    ASSERT_EQ(recorder.answers[3].name, "failedUpload");
    const Error& tooLarge = recorder.answers[3].error;
    EXPECT_TRUE(tooLarge.is(VornickXMLRPCHTTPStatusErrorDomain, 413)) << tooLarge;
    auto reason = tooLarge.userInfo().find(Error::LocalizedFailureReasonKey);
    ASSERT_NE(reason, tooLarge.userInfo().end());
    EXPECT_TRUE(reason->second.stringValue().starts_with(u"The upload was too large for the site: 0.0 MB once encoded")) << tooLarge;
}

TEST_F(VornickWordPressXMLRPCAgentTest, EndpointsAndCredentialsStayOnSafeRoads)
{
    EXPECT_EQ(agent->protocolDescription(), u"XML-RPC");
    EXPECT_EQ(agent->wordPressAPIURLForBlogIdentifier(std::nullopt)->absoluteString(), toUTF16(server.url("/xmlrpc.php")));
    EXPECT_EQ(agent->wordPressAPIURLForBlogIdentifier(u"1")->absoluteString(), toUTF16(server.url("/blog/xmlrpc.php")));
    EXPECT_FALSE(agent->wordPressAPIURLForBlogIdentifier(u"2"));
    EXPECT_TRUE(agent->hasEnoughInfoToAttemptLogin());

    account->setRemoteEndpointURLString(u"/blog.example.org/wp/xmlrpc.php");
    EXPECT_EQ(agent->wordPressAPIURLForBlogIdentifier(u"1")->absoluteString(), u"https://blog.example.org/wp/xmlrpc.php");
    EXPECT_EQ(agent->protocolDescription(), u"XML-RPC (custom endpoint URL: /blog.example.org/wp/xmlrpc.php)");

    // The password never goes over plain http to another host.
    account->setRemoteEndpointURLString(u"http://blog.example.org/xmlrpc.php");
    EXPECT_EQ(agent->wordPressAPIURLForBlogIdentifier(std::nullopt)->absoluteString(), u"http://blog.example.org/xmlrpc.php");
    agent->requestBlogDescriptions();
    agent->requestPostsForBlogWithDescription(blog, 0);
    ASSERT_TRUE(waitForAnswers(2));
    for (auto& answer : recorder.answers)
        EXPECT_TRUE(answer.error.is(URLErrorDomain, URLErrorSecureConnectionFailed)) << answer.name << ": " << answer.error;
    EXPECT_EQ(server.requestCount(), 0u);

    account->setRemoteEndpointURLString(std::nullopt);
    account->setRootURLString(u"");
    EXPECT_FALSE(agent->hasEnoughInfoToAttemptLogin());
}

// A site list naming a blog on another origin of the same machine: the blog
// is not kept, and no call (so no password) goes there.
TEST_F(VornickWordPressXMLRPCAgentTest, SiteListBlogsOffTheLoginOriginAreRefused)
{
    LoopbackHTTPServer elsewhere([](const TestHTTPRequest&) { return answer(reply("<array><data></data></array>")); });
    std::string otherPort = elsewhere.url("/");
    std::string otherHost = server.url("/");
    otherHost.replace(otherHost.find("127.0.0.1"), 9, "localhost");
    std::string otherScheme = "https" + server.url("/").substr(4);
    auto site = [](const std::string& url, int identifier) {
        return "<value><struct><member><name>url</name><value><string>" + url + "</string></value></member><member><name>blogid</name>"
            "<value><string>" + std::to_string(identifier) + "</string></value></member></struct></value>";
    };
    struct Row {
        std::string name;
        std::vector<std::string> urls;
        size_t kept;
    };
    const Row rows[] = {
        { "same origin", { server.url("/") }, 1 },
        { "other port", { otherPort }, 0 },
        { "other host", { otherHost }, 0 },
        { "other scheme", { otherScheme }, 0 },
        { "one of each", { server.url("/blog/"), otherPort }, 1 },
    };
    for (const Row& row : rows) {
        recorder.answers.clear();
        std::string sites;
        for (size_t index = 0; index < row.urls.size(); ++index)
            sites += site(row.urls[index], static_cast<int>(index) + 1);
        script("wp.getUsersBlogs", { answer(reply("<array><data>" + sites + "</data></array>")) });
        agent->requestBlogDescriptions();
        ASSERT_TRUE(waitForAnswers(1)) << row.name;
        if (row.kept) {
            ASSERT_EQ(recorder.answers[0].name, "receivedBlogs") << row.name;
            ASSERT_EQ(recorder.answers[0].list.size(), row.kept) << row.name;
            EXPECT_EQ(recorder.answers[0].list[0].at(u"browseURLString"), Value(toUTF16(row.urls[0]))) << row.name;
        } else {
            ASSERT_EQ(recorder.answers[0].name, "failedBlogs") << row.name;
            const Error& error = recorder.answers[0].error;
            EXPECT_TRUE(error.is(VornickErrorDomain, VornickCredentialsOriginRefusedError)) << row.name << ": " << error;
            std::string text = toUTF8(error.localizedDescription());
            EXPECT_NE(text.find(server.url("/")), std::string::npos) << text;
            EXPECT_NE(text.find(row.urls[0] + "xmlrpc.php"), std::string::npos) << text;
        }
    }
    EXPECT_EQ(elsewhere.requestCount(), 0u);

    // A stored blog on another port is never sent the password either.
    recorder.answers.clear();
    auto& context = *project->index()->managedObjectContext();
    auto moved = context.insertNewObject(u"Blog");
    moved->setValueForKey(Value(u"7"), u"identifierUsedByBlogService");
    moved->setValueForKey(Value(toUTF16(otherPort)), u"browseURLString");
    moved->setObjectForKey(account, u"hostingAccount");
    agent->requestPostsForBlogWithDescription(Dictionary { { u"identifierUsedByBlogService", Value(u"7") } }, 0);
    ASSERT_TRUE(waitForAnswers(1));
    EXPECT_TRUE(recorder.answers[0].error.is(VornickErrorDomain, VornickCredentialsOriginRefusedError)) << recorder.answers[0].error;
    EXPECT_EQ(elsewhere.requestCount(), 0u);
}

// Every call is bounded by its kind: an endless site list or a reset
// listing ends the call with words for what happened, not the XML-RPC
// workaround for a disabled endpoint.
TEST_F(VornickWordPressXMLRPCAgentTest, HostileRepliesEndTheCallBounded)
{
    TestHTTPResponse endless;
    endless.generatedBodyBytes = TestHTTPResponse::endlessBody;
    endless.body = "<value>";
    script("wp.getUsersBlogs", { endless });
    agent->requestBlogDescriptions();
    ASSERT_TRUE(waitForAnswers(1));
    EXPECT_EQ(recorder.answers[0].name, "failedBlogs");
    EXPECT_EQ(toUTF8(recorder.answers[0].error.localizedDescription()),
        "The reply from " + server.url("/xmlrpc.php") + " is larger than 4 MB, the most a settings reply may have.");
    EXPECT_FALSE(logHas(u"Attempting workaround"));

    TestHTTPResponse reset = answer(reply("<array><data>" + std::string(3000, ' ') + "</data></array>"));
    reset.resetAfterBodyBytes = 412;
    script("wp.getPosts", { reset });
    agent->requestPostsForBlogWithDescription(blog, 0);
    ASSERT_TRUE(waitForAnswers(2));
    EXPECT_TRUE(toUTF8(recorder.answers[1].error.localizedDescription()).find("broke after 412 bytes of the reply") != std::string::npos)
        << recorder.answers[1].error;
}

} // namespace
} // namespace brevanton
