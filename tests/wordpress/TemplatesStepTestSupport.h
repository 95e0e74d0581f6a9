// The fixture of the templates step's tests: a WordPress account project on a
// loopback site whose pages the test routes, posts and formats to fetch
// templates for, and a sync session running the step alone.
#pragma once

#include "tests/platform/net/LoopbackHTTPServer.h"

#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "documents/VornickWebResourceCache.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/keychain/FileKeychainStore.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickLog.h"
#include "wordpress/VornickGetWordPressPostTemplatesStep.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgent.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressIntegrator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

namespace brevanton::templatessteptest {

using testserver::LoopbackHTTPServer;
using testserver::TestHTTPRequest;
using testserver::TestHTTPResponse;

inline TestHTTPResponse page(std::string body, int status = 200, std::string type = "text/html; charset=utf-8")
{
    TestHTTPResponse response;
    response.status = status;
    response.headers.emplace_back("Content-Type", std::move(type));
    response.body = std::move(body);
    return response;
}

// Sends the proxy drafts nowhere: records them, and the trash requests.
class RecordingDraftAgent final : public VornickWordPressAgent {
public:
    std::vector<Dictionary> sent;
    std::vector<std::u16string> trashed;
    void sendPostChanges(const Dictionary& changes, const Dictionary&, const Value& nativeIdentifier) override
    {
        EXPECT_EQ(nativeIdentifier, Value(VornickTemplateProxyDraftMarker));
        sent.push_back(changes);
    }
    void requestMoveToTrashOfPostWithIdentifier(const std::u16string& identifier, const Value&, const Dictionary&) override
    {
        trashed.push_back(identifier);
    }
};

class VornickGetWordPressPostTemplatesStepTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (m_project) {
            m_project->integrator().setSyncSession(nullptr);
            m_project->integrator().setAgent(nullptr);
        }
        RunLoop::main().useRealClock();
        RunLoop::main().runFor(0.02);
        if (m_blog)
            m_blog->releaseWebResourceCache();
        m_session.reset();
        m_step.reset();
        m_project.reset();
        m_server.reset();
        HTTPCookieStorage::shared()->removeAllCookies();
        UserDefaults::standard().removeObjectForKey(u"FetchWordPressTemplatesByCreatingDrafts");
        KeychainStore::setDefaultStore(nullptr);
        EXPECT_TRUE(removeItem(m_folder));
    }

    void makeSite(bool drafts, bool xmlrpc = true)
    {
        m_folder = createTemporaryDirectory("templates-step").value();
        KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(m_folder + "/Keychain.json"));
        UserDefaults::standard().setBool(drafts, u"FetchWordPressTemplatesByCreatingDrafts");
        m_server = std::make_unique<LoopbackHTTPServer>([this](const TestHTTPRequest& request) {
            std::function<TestHTTPResponse(const TestHTTPRequest&)> handler;
            {
                std::lock_guard lock(m_routesMutex);
                if (auto found = m_routes.find(request.target); found != m_routes.end())
                    handler = found->second;
            }
            return handler ? handler(request) : page("<html><body class=\"error404\">gone</body></html>", 404);
        });
        Error error;
        m_project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(m_folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(m_project) << error;
        ASSERT_TRUE(dynamic_cast<VornickWordPressIntegrator&>(m_project->integrator()).fetchTemplatesByCreatingDrafts() == drafts);
        m_account = m_project->wordPressAccount();
        m_account->setRootURLString(toUTF16(m_server->url("/")));
        m_account->setUseXMLRPC(xmlrpc);
        // Characters a form body must escape.
        m_account->setLoginID(u"ed&itor+1");
        m_password = u"p&w=d+" + toUTF16(std::to_string(::getpid()));
        ASSERT_TRUE(m_account->setPassword(m_password, &error)) << error;

        m_blogDescription = { { u"identifierUsedByBlogService", Value(u"1") }, { u"title", Value(u"Blog") },
                              { u"browseURLString", Value(toUTF16(m_server->url("/"))) } };
        m_blog = std::dynamic_pointer_cast<VornickWordPressBlog>(m_project->integrator().importBlogDescription(m_blogDescription, nullptr, std::nullopt));
        ASSERT_TRUE(m_blog);
        m_templates = *m_blog->templatesFolderURL()->fileSystemPath();
        for (auto status : { u"publish", u"draft" }) {
            auto object = context().insertNewObject(u"PostStatus");
            object->setValueForKey(Value(status), u"identifier");
            object->setObjectForKey(m_blog, u"blog");
            m_statuses[status] = object;
        }
    }

    ManagedObjectContext& context() { return *m_project->index()->managedObjectContext(); }

    std::shared_ptr<ManagedObject> addFormat(const std::u16string& identifier)
    {
        auto format = context().insertNewObject(u"PostFormat");
        format->setValueForKey(Value(identifier), u"identifier");
        format->setValueForKey(Value(u"Format " + identifier), u"title");
        format->setObjectForKey(m_blog, u"blog");
        return format;
    }

    std::shared_ptr<VornickWordPressBlogPost> addPost(const std::shared_ptr<ManagedObject>& format, const std::string& path,
                                                      const char16_t* status = u"publish", int terms = 0, bool isPage = false)
    {
        auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context().insertNewObject(u"BlogPost"));
        EXPECT_TRUE(isPage ? post->prepareNewPageAndAssociateWithBlog(m_blog) : post->prepareNewPostAndAssociateWithBlog(m_blog));
        post->setValueForKey(Value(isPage ? u"page" : u"post"), u"type");
        post->setValueForKey(Value(path.starts_with("file:") ? toUTF16(path) : toUTF16(m_server->url(path))), u"permalinkURLString");
        post->setObjectForKey(m_statuses[status], u"status");
        if (format)
            post->setObjectForKey(format, u"format");
        if (terms >= 1) {
            auto category = context().insertNewObject(u"BlogCategory");
            category->setValueForKey(Value(u"7"), u"identifierUsedByBlogService");
            category->setValueForKey(Value(u"Travel & Food"), u"title");
            category->setObjectForKey(m_blog, u"blog");
            post->setObjectsForKey({ category }, u"categories");
        }
        if (terms >= 2) {
            auto tag = context().insertNewObject(u"BlogTag");
            tag->setValueForKey(Value(u"9"), u"identifierUsedByBlogService");
            tag->setValueForKey(Value(u"alps"), u"title");
            tag->setObjectForKey(m_blog, u"blog");
            post->setObjectsForKey({ tag }, u"tags");
        }
        return post;
    }

    void route(const std::string& target, std::function<TestHTTPResponse(const TestHTTPRequest&)> handler)
    {
        std::lock_guard lock(m_routesMutex);
        m_routes[target] = std::move(handler);
    }
    void route(const std::string& target, TestHTTPResponse response)
    {
        route(target, [response](const TestHTTPRequest&) { return response; });
    }

    void runStep(std::shared_ptr<VornickBlogServiceAgent> agent = nullptr)
    {
        auto& integrator = m_project->integrator();
        m_log = VornickLog::create(URL::fileURLWithPath(m_folder + "/sync.log"));
        integrator.setSyncLog(m_log);
        m_session = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::TemplateDownload);
        auto blogStep = m_session->addStepForBlogWithDescription(m_blogDescription);
        m_step = std::make_shared<VornickGetWordPressPostTemplatesStep>(u"getTemplates", u"Update Templates");
        blogStep->addStep(m_step);
        integrator.setSyncSession(m_session);
        if (!agent)
            agent = std::make_shared<VornickWordPressAgent>();
        agent->setAccount(std::make_shared<VornickBlogServiceAgentHostingAccount>(m_account));
        integrator.setAgent(agent);
        m_session->setState(VornickSyncStepState::Active);
    }

    bool pollUntil(const std::function<bool()>& condition, double seconds = 30)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            RunLoop::main().runFor(0.005);
        }
        return true;
    }

    std::vector<std::string> templateFiles() const
    {
        std::vector<std::string> names;
        for (auto& entry : std::filesystem::directory_iterator(m_templates))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string read(const std::string& name) const
    {
        std::ifstream stream(m_templates + "/" + name);
        return std::string(std::istreambuf_iterator<char>(stream), {});
    }
    std::vector<std::string> requestedTargets() const
    {
        std::vector<std::string> targets;
        for (auto& request : m_server->requests())
            targets.push_back(request.target);
        return targets;
    }
    bool requested(const std::string& target) const
    {
        auto targets = requestedTargets();
        return std::find(targets.begin(), targets.end(), target) != targets.end();
    }
    std::string logText() const { return toUTF8(m_log->text()); }

    std::string m_folder;
    std::string m_templates;
    std::unique_ptr<LoopbackHTTPServer> m_server;
    std::mutex m_routesMutex;
    std::map<std::string, std::function<TestHTTPResponse(const TestHTTPRequest&)>> m_routes;
    std::shared_ptr<VornickWordPressBlogProject> m_project;
    std::shared_ptr<VornickWordPressAccount> m_account;
    std::u16string m_password;
    Dictionary m_blogDescription;
    std::shared_ptr<VornickWordPressBlog> m_blog;
    std::map<std::u16string, std::shared_ptr<ManagedObject>> m_statuses;
    std::shared_ptr<VornickLog> m_log;
    std::shared_ptr<VornickBlogServiceSyncSession> m_session;
    std::shared_ptr<VornickGetWordPressPostTemplatesStep> m_step;
};

} // namespace brevanton::templatessteptest
