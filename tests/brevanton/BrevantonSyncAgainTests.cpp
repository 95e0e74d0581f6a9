// `brevanton --sync` run again on an account it synced before, against a
// scripted site on 127.0.0.1 whose second answers fail or leave things out:
// what the files, the index rebuilt from them and the printed log say.
#include "tests/brevanton/BrevantonExecutableTestSupport.h"
#include "tests/platform/net/LoopbackHTTPServer.h"

#include "documents/VornickProjectIndex.h"
#include "platform/foundation/Text.h"
#include "platform/store/PersistentStore.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <algorithm>
#include <atomic>
#include <random>

namespace brevanton {
namespace sync_again_tests {
namespace {

using testserver::LoopbackHTTPServer;
using testserver::TestHTTPRequest;
using testserver::TestHTTPResponse;

TestHTTPResponse json(int status, std::string body)
{
    TestHTTPResponse response;
    response.status = status;
    response.headers.emplace_back("Content-Type", "application/json; charset=UTF-8");
    response.body = std::move(body);
    return response;
}

std::string restPost(int id, const std::string& title, const std::string& content = {}, const std::string& modified = "2022-11-04T05:15:00")
{
    return "{\"id\":" + std::to_string(id) + ",\"title\":{\"raw\":\"" + title + "\"},\"content\":{\"raw\":\""
        + (content.empty() ? "<p>" + title + "</p>" : content) + "\"},\"status\":\"publish\",\"type\":\"post\",\"date_gmt\":\"2022-11-04T02:15:00\","
          "\"modified_gmt\":\"" + modified + "\",\"categories\":[3,4],\"tags\":[5]}";
}

// What the site answers on the second sync.
enum class Second {
    SameAnswers,
    SettingsFail, // a transient 500 of the settings request
    ListingForgets, // the listings leave out posts the server still has
    ListingsFail, // 500 for the terms and the posts
    SiteListNotXMLRPC, // an XML-RPC site list answered with a web page
};

std::string xmlrpcReply(const std::string& value)
{
    return "<?xml version=\"1.0\"?><methodResponse><params><param><value>" + value + "</value></param></params></methodResponse>";
}

std::string xmlrpcTerm(int id, const std::string& name, const std::string& taxonomy)
{
    return "<value><struct><member><name>term_id</name><value><string>" + std::to_string(id) + "</string></value></member>"
           "<member><name>name</name><value><string>" + name + "</string></value></member>"
           "<member><name>taxonomy</name><value><string>" + taxonomy + "</string></value></member>"
           "<member><name>parent</name><value><string>0</string></value></member></struct></value>";
}

std::string xmlrpcPost(int id, const std::string& title)
{
    return "<value><struct><member><name>post_id</name><value><string>" + std::to_string(id) + "</string></value></member>"
           "<member><name>post_title</name><value><string>" + title + "</string></value></member>"
           "<member><name>post_content</name><value><string>&lt;p&gt;" + title + "&lt;/p&gt;</string></value></member>"
           "<member><name>post_status</name><value><string>publish</string></value></member>"
           "<member><name>post_type</name><value><string>post</string></value></member></struct></value>";
}

struct SecondSync {
    const char* name;
    Second answers;
    int exitStatus;
    // In the printed log of the second sync, and never there.
    std::vector<std::string> logged;
    std::vector<std::string> notLogged;
};

class BrevantonSyncAgain : public BrevantonExecutable {
protected:
    void SetUp() override
    {
        BrevantonExecutable::SetUp();
        m_server = std::make_unique<LoopbackHTTPServer>([this](const TestHTTPRequest& request) { return answer(request); });
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(m_folder + "/" + toUTF8(VornickWordPressProjectFileName), false), &error);
        ASSERT_TRUE(project) << error;
        auto account = project->wordPressAccount();
        account->setRootURLString(toUTF16(m_server->url("/")));
        account->setUseXMLRPC(m_xmlrpc);
        account->setLoginID(u"editor");
        std::mt19937_64 random(std::random_device {}());
        ASSERT_TRUE(account->setPassword(toUTF16(std::to_string(random())), &error)) << error;
        ASSERT_TRUE(project->save(&error)) << error;
        m_indexPath = project->index()->filePath();
    }
    void TearDown() override
    {
        m_server.reset();
        // The index lives outside the account's folder.
        Error error;
        EXPECT_TRUE(PersistentStore::destroy(m_indexPath, &error)) << error;
        BrevantonExecutable::TearDown();
    }

    TestHTTPResponse answer(const TestHTTPRequest& request)
    {
        std::string path = request.target.substr(0, request.target.find('?'));
        Second second = m_second;
        if (m_xmlrpc && path != "/")
            return xmlrpcAnswer(request, second);
        if (path == "/") {
            TestHTTPResponse response;
            response.headers.emplace_back("Content-Type", "text/html");
            response.body = "<html><head><link rel='https://api.w.org/' href='/wp-json/'></head><body></body></html>";
            return response;
        }
        if (path == "/wp-json/wp/v2/settings") {
            if (second == Second::SettingsFail)
                return json(500, R"({"code":"internal_server_error","message":"Critical error.","data":{"status":500}})");
            return json(200, "{\"title\":\"Kitchen Notes\",\"url\":\"" + m_server->url("/") + "\",\"timezone\":\"UTC\"}");
        }
        if (second == Second::ListingsFail && (path == "/wp-json/wp/v2/tags" || path == "/wp-json/wp/v2/categories" || path == "/wp-json/wp/v2/posts"))
            return json(500, R"({"code":"internal_server_error","message":"Critical error.","data":{"status":500}})");
        if (path == "/wp-json/wp/v2/posts")
            return json(200, second == Second::ListingForgets ? "[]" : "[" + restPost(101, "Soup") + "," + restPost(102, "Bread") + "]");
        // An edit sent: the site answers with the post as it now is.
        if (request.method == "POST" && path == "/wp-json/wp/v2/posts/101")
            return json(200, restPost(101, "Soup", "<p>Soup, salted elsewhere</p>", "2030-01-01T00:00:00"));
        if (path == "/wp-json/wp/v2/posts/101" || path == "/wp-json/wp/v2/posts/102")
            return json(200, restPost(std::stoi(path.substr(path.rfind('/') + 1)), "Still here"));
        if (path == "/wp-json/wp/v2/categories")
            return json(200, R"([{"id":3,"name":"News","parent":0},{"id":4,"name":"Recipes &amp; Food","parent":0}])");
        if (path == "/wp-json/wp/v2/tags")
            return json(200, R"([{"id":5,"name":"Winter"}])");
        return json(200, "[]");
    }

    TestHTTPResponse xmlrpcAnswer(const TestHTTPRequest& request, Second second)
    {
        auto called = [&](const char* method) { return request.body.find("<methodName>" + std::string(method) + "</methodName>") != std::string::npos; };
        TestHTTPResponse response;
        response.headers.emplace_back("Content-Type", "text/xml");
        if (second == Second::ListingsFail && (called("wp.getTerms") || called("wp.getPosts"))) {
            response.status = 500;
            response.body = "<html><body>Internal Server Error</body></html>";
        } else if (called("wp.getUsersBlogs") && second == Second::SiteListNotXMLRPC) {
            response.headers.back().second = "text/html";
            response.body = "<html><body>Back soon</body></html>";
        } else if (called("wp.getUsersBlogs")) {
            response.body = xmlrpcReply("<array><data><value><struct><member><name>blogid</name><value><string>1</string></value></member>"
                                        "<member><name>blogName</name><value><string>Kitchen Notes</string></value></member>"
                                        "<member><name>url</name><value><string>" + m_server->url("/") + "</string></value></member>"
                                        "</struct></value></data></array>");
        } else if (called("wp.getTerms")) {
            bool tags = request.body.find("post_tag") != std::string::npos;
            response.body = xmlrpcReply("<array><data>" + (tags ? xmlrpcTerm(5, "Winter", "post_tag")
                                                                : xmlrpcTerm(3, "News", "category") + xmlrpcTerm(4, "Recipes &amp;amp; Food", "category"))
                                        + "</data></array>");
        } else if (called("wp.getPosts") && request.body.find("post_type") == std::string::npos) {
            response.body = xmlrpcReply(second == Second::ListingForgets ? "<array><data></data></array>"
                                                                         : "<array><data>" + xmlrpcPost(101, "Soup") + xmlrpcPost(102, "Bread") + "</data></array>");
        } else if (called("wp.getPost")) {
            response.body = xmlrpcReply(xmlrpcPost(request.body.find("101") != std::string::npos ? 101 : 102, "Still here"));
        } else {
            response.body = xmlrpcReply("<array><data></data></array>");
        }
        return response;
    }

    // The blog file's text, found by its extension.
    std::string blogFileText()
    {
        for (auto& entry : std::filesystem::recursive_directory_iterator(m_folder)) {
            if (entry.path().extension() == ".brevantonwordpressblog")
                return readFile(entry.path().string()).value_or("");
        }
        return {};
    }

    // `--reindex` finds in the files what the index held.
    void expectTheIndexRebuiltTheSame()
    {
        auto reindexed = runBrevanton({ "--reindex", m_folder });
        EXPECT_EQ(reindexed.exitStatus, 0) << reindexed.standardOutput << reindexed.standardError;
        EXPECT_TRUE(contains(reindexed.standardOutput, " 0 differences")) << reindexed.standardOutput;
    }

    // For each case: a sync with the site's usual answers, then one with
    // the case's. The blog keeps its name, file and posts; the index rebuilt
    // from the files is the index each sync left.
    void syncTwiceEach(const std::vector<SecondSync>& cases)
    {
        for (const SecondSync& test : cases) {
            SCOPED_TRACE(test.name);
            m_second = Second::SameAnswers;
            auto first = runBrevanton({ "--sync", m_folder });
            ASSERT_EQ(first.exitStatus, 0) << first.standardOutput << first.standardError;
            // The terms the sync brought are in the blog file, as the site
            // wrote them (tags are listed over REST only).
            std::string blogFile = blogFileText();
            for (const char* term : { "\"Winter\"", "\"News\"", "\"Recipes &amp; Food\"" }) {
                if (!m_xmlrpc || term[1] != 'W') {
                    EXPECT_TRUE(contains(blogFile, term)) << term << "\n" << blogFile << first.standardOutput;
                }
            }
            expectTheIndexRebuiltTheSame();

            m_second = test.answers;
            auto second = runBrevanton({ "--sync", m_folder });
            EXPECT_EQ(second.exitStatus, test.exitStatus) << second.standardOutput << second.standardError;
            for (const std::string& line : test.logged)
                EXPECT_TRUE(contains(second.standardOutput, line)) << line << "\n" << second.standardOutput;
            for (const std::string& line : test.notLogged)
                EXPECT_FALSE(contains(second.standardOutput, line)) << line << "\n" << second.standardOutput;
            // The blog keeps its name and the posts stay.
            EXPECT_TRUE(contains(second.standardOutput, "blog: Kitchen Notes (127.0.0.1)")) << second.standardOutput;
            EXPECT_TRUE(contains(second.standardOutput, "posts 2, pages 0")) << second.standardOutput;
            EXPECT_EQ(blogFileText(), blogFile);
            expectTheIndexRebuiltTheSame();
        }
    }

    std::unique_ptr<LoopbackHTTPServer> m_server;
    std::atomic<Second> m_second { Second::SameAnswers };
    std::string m_indexPath;
    bool m_xmlrpc { false };
};

TEST_F(BrevantonSyncAgain, WhatTheServerDidNotSayChangesNothingAndTheFilesHoldWhatTheIndexHolds)
{
    syncTwiceEach({
        { "same answers", Second::SameAnswers, 0, {}, { "ERROR" } },
        { "settings fail", Second::SettingsFail, 0, { "The site list could not be read; syncing the blogs already known, unchanged" }, {} },
        { "listing forgets", Second::ListingForgets, 0, { "Done confirming post deletions: 2 posts still on the server, kept" },
          { "post checks failed", "post check failed" } },
        { "listings fail", Second::ListingsFail, 1, { "User-Requested Sync failed: Sync Tags: HTTP Error 500" }, { "Confirming", "HTTP Error ???" } },
    });
}

// The same over XML-RPC, and a site list answered once with a web page (a
// cache's or a host's page): the blog "1" is still synced, under the name and
// address the site gave it before.
class BrevantonSyncAgainOverXMLRPC : public BrevantonSyncAgain {
public:
    BrevantonSyncAgainOverXMLRPC() { m_xmlrpc = true; }
};

TEST_F(BrevantonSyncAgainOverXMLRPC, WhatTheServerDidNotSayChangesNothingAndTheFilesHoldWhatTheIndexHolds)
{
    syncTwiceEach({
        { "same answers", Second::SameAnswers, 0, {}, { "ERROR" } },
        { "site list is no XML-RPC", Second::SiteListNotXMLRPC, 0, { "Attempting workaround" }, {} },
        { "listing forgets", Second::ListingForgets, 0, { "Done confirming post deletions: 2 posts still on the server, kept" },
          { "post checks failed", "post check failed" } },
        { "listings fail", Second::ListingsFail, 1, { "User-Requested Sync failed: Sync Categories: " }, { "Confirming", "HTTP Error ???" } },
    });
}

// An index cut short (a full disk, a copy interrupted) is set aside and built
// again from the files, with a notice: the account opens whole.
TEST_F(BrevantonSyncAgain, AnIndexCutShortIsBuiltAgainFromTheFilesWithANotice)
{
    auto first = runBrevanton({ "--sync", m_folder });
    ASSERT_EQ(first.exitStatus, 0) << first.standardOutput << first.standardError;
    const std::string& indexPath = m_indexPath;
    auto bytes = readFile(indexPath);
    ASSERT_TRUE(bytes && bytes->size() > 200);
    ASSERT_TRUE(writeFileAtomically(indexPath, bytes->substr(0, 200)));

    auto opened = runBrevanton({ "--headless", m_folder });
    EXPECT_EQ(opened.exitStatus, 0) << opened.standardError;
    EXPECT_TRUE(contains(opened.standardError, "could not be read")) << opened.standardError;
    EXPECT_TRUE(contains(opened.standardOutput, "posts 2, pages 0")) << opened.standardOutput;
    EXPECT_TRUE(fileExists(indexPath + ".unreadable"));
    EXPECT_TRUE(removeItem(indexPath + ".unreadable"));
    expectTheIndexRebuiltTheSame();
}

// A post file another program changed while the account was closed is read
// at the next opening. Its edit, dated after its last sync, is kept: the
// site's unchanged copy does not overwrite it, and it is sent once the file
// says it is queued for publishing.
TEST_F(BrevantonSyncAgain, APostFileAnotherProgramEditedIsKeptAndSentOnceQueued)
{
    auto first = runBrevanton({ "--sync", m_folder });
    ASSERT_EQ(first.exitStatus, 0) << first.standardOutput << first.standardError;
    std::string postPath;
    for (auto& entry : std::filesystem::recursive_directory_iterator(m_folder)) {
        if (entry.path().filename() == "Soup-101.brevantonwordpresspost")
            postPath = entry.path().string();
    }
    ASSERT_FALSE(postPath.empty());
    std::string text = readFile(postPath).value_or("");
    auto edit = [&](const std::string& from, const std::string& to) {
        size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from << "\n" << text;
        text.replace(at, from.size(), to);
        ASSERT_TRUE(writeFileAtomically(postPath, text));
    };
    auto sentEdits = [&](size_t since) {
        auto requests = m_server->requests();
        return std::count_if(requests.begin() + static_cast<std::ptrdiff_t>(since), requests.end(), [](const TestHTTPRequest& request) {
            return request.method == "POST" && request.target.starts_with("/wp-json/wp/v2/posts/101")
                && contains(request.body, "salted elsewhere");
        });
    };
    edit("\"<p>Soup</p>\"", "\"<p>Soup, salted elsewhere</p>\"");
    edit("\"dateLastEditedLocally\" : \"2022-11-04T05:15:00Z\"", "\"dateLastEditedLocally\" : \"2030-01-01T00:00:00Z\"");

    size_t before = m_server->requestCount();
    auto kept = runBrevanton({ "--sync", m_folder });
    EXPECT_EQ(kept.exitStatus, 0) << kept.standardOutput << kept.standardError;
    EXPECT_EQ(sentEdits(before), 0) << kept.standardOutput;
    text = readFile(postPath).value_or("");
    EXPECT_TRUE(contains(text, "salted elsewhere")) << text;

    edit("\"inTrash\" : \"0\",", "\"inTrash\" : \"0\",\n  \"publishAtNextSync\" : \"1\",");
    before = m_server->requestCount();
    auto sent = runBrevanton({ "--sync", m_folder });
    EXPECT_EQ(sent.exitStatus, 0) << sent.standardOutput << sent.standardError;
    EXPECT_EQ(sentEdits(before), 1) << sent.standardOutput;
    EXPECT_TRUE(contains(sent.standardOutput, "queued 0")) << sent.standardOutput;
    expectTheIndexRebuiltTheSame();
}

} // namespace
} // namespace sync_again_tests
} // namespace brevanton
