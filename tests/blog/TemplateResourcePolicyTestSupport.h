// The fixture of the tests of a blog's template resource policy: a blog on a
// loopback server that answers a style sheet, a redirect and a missing image,
// and a folder of application resources.
#pragma once

#include "tests/blog/LoopbackSyncStepTestSupport.h"
#include "tests/platform/net/LoopbackHTTPServer.h"

#include "blog/VornickBlogTemplateResourcePolicy.h"
#include "blog/VornickPublishedBlog.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace brevanton::templatepolicytest {

using testserver::LoopbackHTTPServer;
using testserver::TestHTTPRequest;
using testserver::TestHTTPResponse;

inline TestHTTPResponse answer(std::string body, std::string type, int status = 200)
{
    TestHTTPResponse response;
    response.status = status;
    response.headers.emplace_back("Content-Type", std::move(type));
    response.body = std::move(body);
    return response;
}

inline void writeText(const std::string& path, const std::string& text)
{
    ASSERT_TRUE(createDirectory(path.substr(0, path.rfind('/'))));
    std::ofstream(path) << text;
}

class VornickBlogTemplateResourcePolicyTest : public LoopbackSyncStepTest {
protected:
    void SetUp() override
    {
        LoopbackSyncStepTest::SetUp();
        m_server = std::make_unique<LoopbackHTTPServer>([this](const TestHTTPRequest& request) { return respond(request); });
        Dictionary description { { u"identifierUsedByBlogService", Value(u"1") }, { u"title", Value(u"Blog") },
                                 { u"browseURLString", Value(toUTF16(m_server->url("/"))) } };
        m_blog = integrator().importBlogDescription(description, nullptr, std::nullopt);
        ASSERT_TRUE(m_blog);
        ASSERT_TRUE(m_blog->blogFolderURL());
        m_blogFolder = *m_blog->blogFolderURL()->fileSystemPath();
        m_resources = m_folder + "/application-resources";
        ASSERT_TRUE(createDirectory(m_resources));
    }

    void TearDown() override
    {
        m_blog->releaseWebResourceCache();
        m_server.reset();
        LoopbackSyncStepTest::TearDown();
    }

    virtual TestHTTPResponse respond(const TestHTTPRequest& request)
    {
        if (request.target == "/site.css")
            return answer("p { color: red }", "text/css");
        if (request.target == "/moved.css")
            return TestHTTPResponse::redirect(302, "http://localhost:" + std::to_string(m_server->port()) + "/redirected.css");
        if (request.target == "/missing.png")
            return answer("<html>Not found</html>", "text/html", 404);
        return answer("unexpected", "text/plain", 500);
    }

    VornickBlogTemplateResourcePolicy policy()
    {
        VornickBlogTemplateResourcePolicy made(m_blog);
        made.addSiteURLString(u"https://account.example/wp/");
        made.setApplicationResourcesFolderURL(URL::fileURLWithPath(m_resources, true));
        return made;
    }

    std::vector<std::string> requestedTargets() const
    {
        std::vector<std::string> targets;
        for (auto& request : m_server->requests())
            targets.push_back(request.target);
        std::sort(targets.begin(), targets.end());
        return targets;
    }

    std::unique_ptr<LoopbackHTTPServer> m_server;
    std::shared_ptr<VornickPublishedBlog> m_blog;
    std::string m_blogFolder;
    std::string m_resources;
};

} // namespace brevanton::templatepolicytest
