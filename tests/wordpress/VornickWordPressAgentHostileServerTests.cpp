#include "tests/InstrumentedBuild.h"
#include "tests/wordpress/WordPressAgentTestSupport.h"

#include <fstream>

namespace brevanton {
namespace agent_hostile_server_tests {
namespace {

// The reply is held to 4 MB; its buffer, its parse and the code the first
// request pages in come on top (16.8 MB was seen on a busy machine). An
// unbounded reply grows by gigabytes. The sanitizers' allocator keeps freed
// blocks: the bound grows with it.
constexpr long peakGrowthBoundKilobytes = (testsRunInstrumented ? 64 : 32) * 1024;

using testserver::LoopbackHTTPServer;
using testserver::TestHTTPRequest;
using testserver::TestHTTPResponse;

long peakKilobytesSince(long residentBefore)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmHWM:"))
            return std::atol(line.c_str() + 6) - residentBefore;
    }
    return 0;
}

long residentKilobytesAfterPeakReset()
{
    static_cast<void>(std::ofstream("/proc/self/clear_refs") << "5");
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:"))
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

struct HostileSite {
    const char* name;
    std::function<TestHTTPResponse()> answer; // none: nobody listens
    std::string said; // how the failure's message begins, "<site>" standing for host:port
};

TestHTTPResponse generated(uint64_t bytes)
{
    TestHTTPResponse response;
    response.generatedBodyBytes = bytes;
    return response;
}

TestHTTPResponse cutAt(size_t bytes, bool announced)
{
    TestHTTPResponse response;
    response.body = "{\"title\":\"" + std::string(5000, 't') + "\"}";
    if (announced) {
        response.body.resize(bytes);
        response.headers.emplace_back("Content-Length", "9000");
    } else {
        response.resetAfterBodyBytes = bytes;
        response.framing = TestHTTPResponse::Framing::CloseDelimited;
    }
    return response;
}

// A site that is broken, slow or hostile ends the first request of a sync in
// bounded memory, with a failure that says what happened and where, and
// advice only where it helps.
using VornickWordPressAgentHostileServerTests = WordPressAgentTest;

TEST_F(VornickWordPressAgentHostileServerTests, HostileSitesEndTheSiteListWithWordsForWhatHappened)
{
    const HostileSite sites[] = {
        { "endless settings", [] { return generated(TestHTTPResponse::endlessBody); },
            "The reply from http://<site>/wp-json/wp/v2/settings is larger than 4 MB, the most a settings reply may have." },
        { "a gigabyte announced", [] { return generated(uint64_t(1) << 30); },
            "The reply from http://<site>/wp-json/wp/v2/settings is larger than 4 MB, the most a settings reply may have." },
        { "reset mid-reply", [] { return cutAt(412, false); }, "the connection to <site> broke after 412 bytes of the reply" },
        { "cut short", [] { return cutAt(412, true); }, "the reply from <site> ended after 412 bytes" },
        { "down", nullptr, "could not connect to <site>: connection refused" },
    };
    size_t count = 0;
    for (const HostileSite& hostile : sites) {
        SCOPED_TRACE(hostile.name);
        auto server = std::make_unique<LoopbackHTTPServer>([&](const TestHTTPRequest&) { return hostile.answer(); });
        std::string site = server->url("/");
        useSite(site);
        if (!hostile.answer)
            server.reset();
        std::string hostAndPort = site.substr(7, site.size() - 8);
        std::string said = hostile.said;
        said.replace(said.find("<site>"), 6, hostAndPort);

        long before = residentKilobytesAfterPeakReset();
        m_agent->requestBlogDescriptionsUsingWordPressRESTAPI();
        ASSERT_TRUE(waitForAnswer(++count));
        EXPECT_LT(peakKilobytesSince(before), peakGrowthBoundKilobytes) << "peak memory grew by more than " << peakGrowthBoundKilobytes / 1024 << " MB";
        ASSERT_EQ(m_delegate.failures.size(), count);
        EXPECT_TRUE(toUTF8(m_delegate.failures.back().localizedDescription()).starts_with(said)) << m_delegate.failures.back();
        EXPECT_EQ(logText().find("HTTP Error"), std::string::npos) << logText();
        EXPECT_EQ(logText().find("Basic Authentication plugin"), std::string::npos) << "no plugin helps a site that is down or broken";
    }

    // A site that refuses the login is told how a login gets through.
    LoopbackHTTPServer refusing([](const TestHTTPRequest&) {
        return jsonReply(401, R"({"code":"rest_not_logged_in","message":"You are not currently logged in.","data":{"status":401}})");
    });
    useSite(refusing.url("/"));
    m_agent->requestBlogDescriptionsUsingWordPressRESTAPI();
    ASSERT_TRUE(waitForAnswer(++count));
    EXPECT_NE(logText().find("Use an application password"), std::string::npos) << logText();
}

} // namespace
} // namespace agent_hostile_server_tests
} // namespace brevanton
