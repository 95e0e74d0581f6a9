// A sync against a site that sends what no WordPress sends: bad ids, text
// that is not Unicode, NULs, the same page for every offset. Through the
// real agents and the integrator, against a loopback server: what reaches
// the store, and what the log says.
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickPublishedBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/keychain/FileKeychainStore.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/store/ManagedObjectContext.h"
#include "tests/platform/net/LoopbackHTTPServer.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>

namespace brevanton {
namespace {

using testserver::LoopbackHTTPServer;
using testserver::TestHTTPRequest;
using testserver::TestHTTPResponse;

TestHTTPResponse reply(std::string body, std::string type = "application/json; charset=UTF-8")
{
    TestHTTPResponse response;
    response.headers.emplace_back("Content-Type", std::move(type));
    response.body = std::move(body);
    return response;
}

// A REST post of the listing; `id` and `title` go in as JSON text.
std::string restPost(const std::string& id, const std::string& title)
{
    return "{\"id\":" + id + ",\"title\":{\"raw\":" + title + "},\"content\":{\"raw\":\"<p>x</p>\"},\"status\":\"publish\",\"type\":\"post\","
        "\"date_gmt\":\"2022-11-04T02:15:00\",\"modified_gmt\":\"2022-11-04T05:15:00\",\"categories\":[],\"tags\":[]}";
}

std::string restPosts(int first, int count)
{
    std::string list = "[";
    for (int id = first; id < first + count; ++id)
        list += (id == first ? "" : ",") + restPost(std::to_string(id), "\"Post " + std::to_string(id) + "\"");
    return list + "]";
}

std::string xmlrpcReply(const std::string& value)
{
    return "<?xml version=\"1.0\"?><methodResponse><params><param><value>" + value + "</value></param></params></methodResponse>";
}

std::string xmlrpcPost(const std::string& id, const std::string& title)
{
    return "<value><struct><member><name>post_id</name><value>" + id + "</value></member>"
           "<member><name>post_title</name><value><string>" + title + "</string></value></member>"
           "<member><name>post_content</name><value><string>x</string></value></member>"
           "<member><name>post_status</name><value><string>publish</string></value></member></struct></value>";
}

std::string xmlrpcPosts(int first, int count)
{
    std::string list = "<array><data>";
    for (int id = first; id < first + count; ++id) {
        list += "<value><struct><member><name>post_id</name><value><string>" + std::to_string(id) + "</string></value></member>"
            "<member><name>post_title</name><value><string>Post " + std::to_string(id) + "</string></value></member>"
            "<member><name>post_content</name><value><string>x</string></value></member>"
            "<member><name>post_status</name><value><string>publish</string></value></member>"
            "<member><name>post_type</name><value><string>post</string></value></member></struct></value>";
    }
    return list + "</data></array>";
}

struct HostileCase {
    const char* name;
    bool xmlrpc;
    // The posts listing's body for a request (the same for every offset when it says so).
    std::function<std::string(int offset)> posts;
    std::set<std::u16string> stored;
    std::vector<std::string> logged;
    size_t maximumPostRequests;
};

class VornickWordPressHostileRepliesTests : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (m_project) {
            m_project->integrator().setSyncSession(nullptr);
            m_project->integrator().setAgent(nullptr);
        }
        RunLoop::main().runFor(0.02);
        m_project.reset();
        m_server.reset();
        HTTPCookieStorage::shared()->removeAllCookies();
        KeychainStore::setDefaultStore(nullptr);
        if (!m_folder.empty()) {
            EXPECT_TRUE(removeItem(m_folder));
        }
    }

    // Syncs a new account project with the site once; answers the log.
    std::string sync(const HostileCase& test)
    {
        m_folder = createTemporaryDirectory("hostile-replies").value();
        KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(m_folder + "/Keychain.json"));
        m_postRequests = 0;
        m_server = std::make_unique<LoopbackHTTPServer>([this, &test](const TestHTTPRequest& request) {
            std::string path = request.target.substr(0, request.target.find('?'));
            if (test.xmlrpc) {
                if (request.body.find("wp.getUsersBlogs") != std::string::npos)
                    return reply(xmlrpcReply("<array><data><value><struct><member><name>blogid</name><value><string>1</string></value></member>"
                                             "<member><name>blogName</name><value><string>Kitchen</string></value></member>"
                                             "<member><name>url</name><value><string>" + m_server->url("/") + "</string></value></member>"
                                             "</struct></value></data></array>"), "text/xml");
                if (request.body.find("wp.getPosts") != std::string::npos && request.body.find("post_type") == std::string::npos) {
                    ++m_postRequests;
                    return reply(xmlrpcReply(test.posts(0)), "text/xml");
                }
                return reply(xmlrpcReply("<array><data></data></array>"), "text/xml");
            }
            if (path == "/wp-json/wp/v2/settings")
                return reply("{\"title\":\"Kitchen\",\"url\":\"" + m_server->url("/") + "\",\"timezone\":\"UTC\"}");
            if (path == "/wp-json/wp/v2/posts") {
                ++m_postRequests;
                size_t at = request.target.find("offset=");
                return reply(test.posts(at == std::string::npos ? 0 : std::stoi(request.target.substr(at + 7))));
            }
            return reply("[]");
        });
        Error error;
        m_project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(m_folder + "/project.brevantonwordpressproject", false), &error);
        EXPECT_TRUE(m_project) << error;
        auto account = m_project->wordPressAccount();
        account->setRootURLString(toUTF16(m_server->url("/")));
        account->setUseXMLRPC(test.xmlrpc);
        if (!test.xmlrpc)
            account->setRemoteEndpointURLString(toUTF16(m_server->url("/wp-json/")));
        account->setLoginID(u"editor");
        EXPECT_TRUE(account->setPassword(u"pw" + toUTF16(std::to_string(::getpid())), &error)) << error;

        auto& integrator = m_project->integrator();
        auto log = VornickLog::create(URL::fileURLWithPath(m_folder + "/sync.log", false));
        integrator.setSyncLog(log);
        auto session = integrator.createSyncSessionOfType(VornickSyncSessionType::Manual);
        integrator.setSyncSession(session);
        session->setState(VornickSyncStepState::Active);
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return !session->active(); }, 60)) << toUTF8(log->text());
        return toUTF8(log->text());
    }

    std::set<std::u16string> storedPostIdentifiers()
    {
        std::set<std::u16string> identifiers;
        for (auto& object : vornick_allEntitiesOfKind(*m_project->index()->managedObjectContext(), u"BlogPost").value_or(ManagedObjects()))
            identifiers.insert(object->valueForKey(u"identifierUsedByBlogService").stringValue());
        return identifiers;
    }

    std::string m_folder;
    std::unique_ptr<LoopbackHTTPServer> m_server;
    std::shared_ptr<VornickWordPressBlogProject> m_project;
    std::atomic<size_t> m_postRequests { 0 };
};

TEST_F(VornickWordPressHostileRepliesTests, AnEntryThatCannotBeMappedIsSkippedAndTheListingGoesOn)
{
    const HostileCase cases[] = {
        { "bad ids", false,
          [](int) {
              return "[" + restPost("-7", "\"Minus\"") + "," + restPost("1.5", "\"Half\"") + "," + restPost('"' + std::string(400, '9') + '"', "\"Long\"")
                  + "," + restPost("\"../../x\"", "\"Path\"") + "," + restPost("12", "\"Good\"") + "]";
          },
          { u"12" },
          { "Skipping the post at position 0 of the listing: its id \"-7\" is not a positive integer",
            "Skipping the post at position 1 of the listing: its id \"1.5\" is not a positive integer",
            "Skipping the post at position 2 of the listing: its id \"999999999999999999999999...\" is not a positive integer",
            "Skipping the post at position 3 of the listing: its id \"../../x\" is not a positive integer" },
          1 },
        { "bad Unicode and NUL", false,
          [](int) {
              return "[" + restPost("20", "\"lone \\ud800\"") + "," + restPost("21", "\"caf\xE9\"") + "," + restPost("22", "\"a\\u0000b\"") + ","
                  + restPost("23", "\"Caf\xC3\xA9 fine\"") + "]";
          },
          { u"23" },
          { "Skipping the post at position 0 of the listing: its title is not valid text",
            "Skipping the post at position 1 of the listing: its title is not valid text",
            "Skipping the post at position 2 of the listing: its title is not valid text" },
          1 },
        { "bad ids, XML-RPC", true,
          [](int) {
              return "<array><data>" + xmlrpcPost("<int>-7</int>", "Minus") + xmlrpcPost("<double>1.5</double>", "Half")
                  + xmlrpcPost("<string>../../x</string>", "Path") + xmlrpcPost("<string>32</string>", "Good") + "</data></array>";
          },
          { u"32" },
          { "Skipping the post at position 0 of the listing: its id \"-7\" is not a positive integer",
            "Skipping the post at position 1 of the listing: its id \"1.5\" is not a positive integer",
            "Skipping the post at position 2 of the listing: its id \"../../x\" is not a positive integer" },
          1 },
        { "bad bytes, XML-RPC", true,
          [](int) {
              return "<array><data>" + xmlrpcPost("<string>40</string>", "caf\xE9") + xmlrpcPost("<string>41</string>", "Caf\xC3\xA9 fine")
                  + xmlrpcPost("<string>42</string>", "\xF0\x9F\x98") + "</data></array>";
          },
          { u"41" },
          { "Skipping the post at position 0 of the listing: its title is not valid text",
            "Skipping the post at position 2 of the listing: its title is not valid text" },
          1 },
        { "the same page for every offset", false, [](int) { return restPosts(100, 50); }, {}, 
          { "The listing of posts for \"Kitchen\" ends at offset 50: the server sent no post it had not sent already" }, 2 },
        { "the same page for every offset, XML-RPC", true, [](int) { return xmlrpcPosts(100, 50); }, {},
          { "The listing of posts for \"Kitchen\" ends at offset 50: the server sent no post it had not sent already" }, 2 },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        std::string log = sync(test);
        auto expected = test.stored;
        if (expected.empty()) {
            for (int id = 100; id < 150; ++id)
                expected.insert(toUTF16(std::to_string(id)));
        }
        EXPECT_EQ(storedPostIdentifiers(), expected) << log;
        for (const auto& line : test.logged) {
            EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
            EXPECT_EQ(log.find(line), log.rfind(line)) << "said once: " << line;
        }
        EXPECT_LE(m_postRequests.load(), test.maximumPostRequests);
        EXPECT_EQ(log.find('\0'), std::string::npos) << "a NUL would cut the printed log";
        EXPECT_EQ(log.find("Confirming apparent post deletion"), std::string::npos);
        TearDown();
        m_folder.clear();
    }
}

} // namespace
} // namespace brevanton
