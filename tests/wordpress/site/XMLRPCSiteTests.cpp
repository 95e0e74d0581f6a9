// The XML-RPC client against the real site: the calls every sync begins with.
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "tests/wordpress/site/WordPressSiteTestSupport.h"
#include "wordpress/XMLRPCConnectionDelegate.h"
#include "wordpress/XMLRPCConnectionManager.h"
#include "wordpress/XMLRPCRequest.h"
#include "wordpress/XMLRPCResponse.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

struct Answer : XMLRPCConnectionDelegate {
    int calls { 0 };
    std::optional<XMLRPCResponse> response;
    Error error;
    void requestDidReceiveResponse(XMLRPCRequest&, const XMLRPCResponse& received) override
    {
        ++calls;
        response = received;
    }
    void requestDidFailWithError(XMLRPCRequest&, const Error& failure) override
    {
        ++calls;
        error = failure;
    }
};

std::shared_ptr<Answer> callUsersBlogs(const testing::WordPressSite& site, const std::u16string& login, const std::u16string& password)
{
    XMLRPCConnectionManager manager;
    auto request = std::make_shared<XMLRPCRequest>(*URL::create(toUTF8(site.url) + "/xmlrpc.php"));
    request->setMethod(u"wp.getUsersBlogs", { Value(login), Value(password) });
    auto answer = std::make_shared<Answer>();
    manager.spawnConnectionWithXMLRPCRequest(request, answer);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return answer->calls > 0; }, 30));
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(answer->calls, 1);
    return answer;
}

TEST(XMLRPCSite, ListsTheUsersBlogAndRefusesAWrongPassword)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);

    auto listed = callUsersBlogs(site, site.administrator.username, site.administrator.applicationPassword);
    ASSERT_TRUE(listed->response) << toUTF8(listed->error.localizedDescription());
    ASSERT_FALSE(listed->response->isFault());
    const Value& blogs = listed->response->object();
    ASSERT_TRUE(blogs.isArray());
    ASSERT_EQ(blogs.array().size(), 1u);
    const Dictionary& blog = blogs.array()[0].dictionary();
    EXPECT_EQ(blog.at(u"blogid").stringValue(), u"1");
    EXPECT_EQ(blog.at(u"xmlrpc").stringValue(), site.url + u"/xmlrpc.php");

    auto refused = callUsersBlogs(site, site.administrator.username, u"not the password");
    ASSERT_TRUE(refused->response) << toUTF8(refused->error.localizedDescription());
    ASSERT_TRUE(refused->response->isFault());
    EXPECT_EQ(refused->response->faultCode(), 403);
}

} // namespace
} // namespace brevanton
